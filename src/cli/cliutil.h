#pragma once

#include <QTextStream>

// Standard output and error of rewordix-cli, UTF-8.
namespace Cli {

QTextStream &out();
QTextStream &err();

// Sets the program's folders the way the desktop program does, without
// changing the current directory (file arguments resolve as typed).
void initialisePaths();

} // namespace Cli
