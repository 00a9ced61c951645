#pragma once

#include <QString>
#include <QTextStream>

#include <optional>

class QCommandLineParser;

// Standard output and error of rewordix-cli, UTF-8.
namespace Cli {

QTextStream &out();
QTextStream &err();

// text as a JSON string, quotes included, escaped as QJsonDocument escapes it:
// for output too large to build as one document.
[[nodiscard]] QString jsonQuoted(QStringView text);

// The parser's help with "rewordix-cli COMMAND" as the program in its usage
// line (Qt's names the executable's path and no command).
[[nodiscard]] QString helpText(const QCommandLineParser &parser, const QString &command);

// Sets the program's folders the way the desktop program does, without
// changing the current directory (file arguments resolve as typed).
void initialisePaths();

// The article of FILE as the program opens it: .rtf (in any case) as rich
// text, anything else by its encoding; lines end in "\n". "-" is standard
// input, rich text when it starts as RTF does. A text that ends at a NUL byte
// is read up to it, with a warning on standard error.
[[nodiscard]] std::optional<QString> readArticle(const QString &path, QString *error);

} // namespace Cli
