#pragma once

#include "engine/magic/translationpage.h"

#include <QString>

#include <memory>

// Chooses and builds the translator of Magic Rewrite.
namespace MagicBackends {

// The name of the web page backend's plugin file, which links Qt WebEngine so
// that nothing else has to. It needs a QGuiApplication.
inline constexpr QStringView WebPluginFile = u"rewordix_magicweb.so";

// The web page backend over pageAddress when it is set, else the offline
// translator. pluginDir: where the web plugin lies (beside the executable when
// empty). nullptr with *error set when the plugin cannot be loaded.
[[nodiscard]] std::unique_ptr<TranslationBackend> create(const QString &pageAddress,
                                                         const QString &checkAddress,
                                                         QString *error,
                                                         const QString &pluginDir = {});

// The same with the two addresses of Config.ini.
[[nodiscard]] std::unique_ptr<TranslationBackend> fromConfig(QString *error);

} // namespace MagicBackends
