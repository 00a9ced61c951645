#include "engine/magic/magicbackends.h"

#include "app/config.h"
#include "engine/magic/apertiumbackend.h"

#include "buildinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

using namespace Qt::Literals::StringLiterals;

namespace {

// The plugin's one entry point.
using CreateWebBackend = TranslationBackend *(*)(const QString &pageAddress,
                                                 const QString &checkAddress);

} // namespace

std::unique_ptr<TranslationBackend> MagicBackends::create(const QString &pageAddress,
                                                          const QString &checkAddress,
                                                          QString *error, const QString &pluginDir)
{
    if (pageAddress.isEmpty())
        return std::make_unique<ApertiumBackend>();

    // Beside the executable in the build tree, in lib/.../rewordix once installed.
    QString dir = pluginDir;
    if (dir.isEmpty()) {
        const QDir beside(QCoreApplication::applicationDirPath());
        dir = beside.exists(WebPluginFile.toString())
                  ? beside.path()
                  : QDir::cleanPath(beside.absoluteFilePath(
                        QString::fromUtf8(BuildInfo::PluginDirFromBinDir)));
    }
    QLibrary library(QDir(dir).filePath(WebPluginFile.toString()));
    // The browser engine cannot be unloaded safely.
    library.setLoadHints(QLibrary::PreventUnloadHint);
    const auto entry =
        reinterpret_cast<CreateWebBackend>(library.resolve("rewordixCreateWebBackend"));
    if (!entry) {
        *error = u"cannot load the web page translator: %1"_s.arg(library.errorString());
        return nullptr;
    }
    return std::unique_ptr<TranslationBackend>(entry(pageAddress, checkAddress));
}

std::unique_ptr<TranslationBackend> MagicBackends::fromConfig(QString *error)
{
    return create(Config::magicPageAddress(), Config::magicConnectionCheckAddress(), error);
}
