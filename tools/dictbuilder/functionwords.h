#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// The list of English function words (data/dictionary/function-words.txt):
// one lower-case word per line, "#" starts a comment. The builder leaves
// these headwords out. The shipped list is built into the program.
namespace FunctionWords {

inline constexpr QStringView BuiltIn = u":/dictbuilder/function-words.txt";

struct ReadResult
{
    QSet<QString> words;
    QString error; // empty on success
};

ReadResult parse(const QByteArray &bytes);
ReadResult read(const QString &path);

} // namespace FunctionWords
