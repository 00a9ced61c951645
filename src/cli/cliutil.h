#pragma once

#include <QTextStream>

// Standard output and error of rewordix-cli, UTF-8.
namespace Cli {

QTextStream &out();
QTextStream &err();

// text as a JSON string, quotes included, escaped as QJsonDocument escapes it:
// for output too large to build as one document.
[[nodiscard]] QString jsonQuoted(QStringView text);

// Sets the program's folders the way the desktop program does, without
// changing the current directory (file arguments resolve as typed).
void initialisePaths();

} // namespace Cli
