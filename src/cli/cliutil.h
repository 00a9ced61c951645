#pragma once

#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>

class Dictionary;
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

// The dictionary the desktop program opens, or file when it is not empty
// (Synonyms scrambled, as in the shipped file). scrambled tells how the
// program keeps its store files with it. nullptr with the reason in error.
[[nodiscard]] std::unique_ptr<Dictionary> openDictionary(const QString &file, bool *scrambled,
                                                         QString *error);

} // namespace Cli
