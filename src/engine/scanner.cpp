#include "engine/scanner.h"

namespace {

bool isTrailingMark(char16_t c)
{
    return c == u'\'' || c == u'-' || c == u':';
}

} // namespace

WordSpan Scanner::nextWordInText(QStringView text, qsizetype index)
{
    const qsizetype n = text.size();
    qsizetype p = std::max<qsizetype>(index, 0);
    if (p >= n)
        return {};
    if (p > 0 && isWordChar(text[p - 1].unicode()) && isWordChar(text[p].unicode())) {
        while (p < n && isWordChar(text[p].unicode()))
            ++p;
    }
    while (p < n && !isWordStart(text[p].unicode()))
        ++p;
    if (p >= n)
        return {};
    // The word begins at its first letter, digit, "$" or "%": a leading "'",
    // "-" or ":" (an opening quote, a dash) is a separator, not part of it.
    qsizetype end = p;
    while (end < n && isWordChar(text[end].unicode()))
        ++end;
    while (end > p && isTrailingMark(text[end - 1].unicode()))
        --end;
    return {p, end, text.mid(p, end - p).toString()};
}

QList<WordSpan> Scanner::allWords(QStringView text)
{
    QList<WordSpan> words;
    qsizetype caret = 0;
    for (;;) {
        WordSpan w = nextWordInText(text, caret);
        if (w.isEmpty())
            break;
        caret = w.end + 1;
        words.append(std::move(w));
    }
    return words;
}
