#pragma once

#include <QString>

namespace Startup {

// The text of a new Config.ini after its byte-order mark: 14 lines, each ended
// by CR LF, 338 characters.
[[nodiscard]] QString defaultConfigText();

// Creates in dir whatever is missing of Config.ini (mark + default text),
// temp/, temp.dat, replacedtemp.dat (both empty) and Language/. Existing files
// and folders are never touched. Failures are not fatal: the caller goes on.
void prepareWorkingFiles(const QString &dir);

} // namespace Startup
