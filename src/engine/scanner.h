#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// A word of an article and where it stands: [start, end) in the article text.
struct WordSpan
{
    qsizetype start = 0;
    qsizetype end = 0;
    QString text;

    [[nodiscard]] bool isEmpty() const { return text.isEmpty(); }
    friend bool operator==(const WordSpan &, const WordSpan &) = default;
};

// The word rule shared by the analysis, the generation, the popup and find and
// replace. Word characters are A-Z, a-z, 0-9, "$", "%", "'", "-" and ":". A word
// starts at a letter, a digit, "$" or "%", runs over word characters and loses
// its trailing "'", "-" and ":".
namespace Scanner {

[[nodiscard]] constexpr bool isWordChar(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'$' || c == u'%' || c == u'\'' || c == u'-' || c == u':';
}

[[nodiscard]] constexpr bool isWordStart(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'$' || c == u'%';
}

// The next word at or after index. When index stands inside a word (word
// characters on both sides of it) the rest of that word is skipped first. An
// empty span means there is no further word.
[[nodiscard]] WordSpan nextWordInText(QStringView text, qsizetype index);

// The same rule from an editor caret: the next word at or after the caret.
[[nodiscard]] inline WordSpan nextWordInEditor(QStringView text, qsizetype caret)
{
    return nextWordInText(text, caret);
}

// Every word of text in order, taken as the analysis does: each search starts
// one position after the end of the previous word.
[[nodiscard]] QList<WordSpan> allWords(QStringView text);

} // namespace Scanner
