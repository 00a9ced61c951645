#include "engine/postagtokenizer.h"

#include <QChar>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

using Token = PosTokenizer::Token;

// The code point at p and how many UTF-16 units it takes.
char32_t codePointAt(QStringView text, qsizetype p, int *units)
{
    const QChar c = text[p];
    if (c.isHighSurrogate() && p + 1 < text.size() && text[p + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[p + 1]);
    }
    *units = 1;
    return c.unicode();
}

bool isWordPart(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool isDigit(QStringView text, qsizetype p)
{
    return p >= 0 && p < text.size() && text[p].isDigit();
}

bool isAlnum(QStringView text, qsizetype p)
{
    return p >= 0 && p < text.size() && text[p].isLetterOrNumber();
}

bool isLetter(QStringView text, qsizetype p)
{
    return p >= 0 && p < text.size() && text[p].isLetter();
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == QChar(0x2019);
}

bool isHyphen(QChar c)
{
    return c == u'-' || c == QChar(0x2010) || c == QChar(0x2011);
}

bool isTerminal(QChar c)
{
    return c == u'.' || c == u'!' || c == u'?' || c == QChar(0x2026);
}

bool isCloser(QChar c)
{
    switch (c.unicode()) {
    case u'"':
    case u'\'':
    case u')':
    case u']':
    case u'}':
    case 0x2019: // ’
    case 0x201D: // ”
    case 0x00BB: // »
        return true;
    default:
        return false;
    }
}

bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case 0x0B:
    case 0x0C:
    case 0x85:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

// Abbreviations whose period is part of the word. Titles, initials and
// months are always followed by more of the sentence; the others end it
// when a capital follows ("... and Co. The next ...").
enum class Abbreviation
{
    None,
    Title,
    Other
};

Abbreviation abbreviationOf(QStringView word)
{
    static const std::array titles = {
        u"Mr"_s,   u"Mrs"_s, u"Ms"_s,  u"Messrs"_s, u"Dr"_s,     u"Drs"_s, u"St"_s,  u"Rev"_s,
        u"Prof"_s, u"Gen"_s, u"Col"_s, u"Lt"_s,     u"Capt"_s,   u"Sgt"_s, u"Maj"_s, u"Adm"_s,
        u"Gov"_s,  u"Sen"_s, u"Rep"_s, u"Hon"_s,    u"Mt"_s,     u"Ft"_s,  u"Fig"_s, u"Figs"_s,
        u"No"_s,   u"Nos"_s, u"Vol"_s, u"Jan"_s,    u"Feb"_s,    u"Mar"_s, u"Apr"_s, u"Jun"_s,
        u"Jul"_s,  u"Aug"_s, u"Sep"_s, u"Sept"_s,   u"Oct"_s,    u"Nov"_s, u"Dec"_s, u"vs"_s,
        u"v"_s,    u"cf"_s,  u"fig"_s, u"figs"_s,   u"approx"_s, u"Ave"_s, u"Av"_s,  u"Sec"_s,
    };
    static const std::array others = {
        u"Jr"_s, u"Sr"_s,   u"Co"_s,   u"Corp"_s,  u"Inc"_s,  u"Ltd"_s, u"Bros"_s, u"etc"_s,
        u"lb"_s, u"lbs"_s,  u"oz"_s,   u"ft"_s,    u"mg"_s,   u"gm"_s,  u"cm"_s,   u"mm"_s,
        u"km"_s, u"Blvd"_s, u"Dept"_s, u"Calif"_s, u"Mass"_s, u"Ill"_s, u"Tex"_s,
    };
    if (word.size() == 1 && word.front().isUpper())
        return Abbreviation::Title;
    if (word.contains(u'.'))
        return Abbreviation::Other; // U.S, e.g, p.m
    for (const QString &t : titles) {
        if (word == t)
            return Abbreviation::Title;
    }
    for (const QString &o : others) {
        if (word == o)
            return Abbreviation::Other;
    }
    return Abbreviation::None;
}

// The end of the word token that starts at p, where text[p] is a word part
// or a "$" before a digit.
qsizetype wordEnd(QStringView text, qsizetype p, Abbreviation *abbreviation)
{
    const qsizetype n = text.size();
    const qsizetype start = p;
    qsizetype segment = p; // start of the letters since the last inner period
    if (text[p] == u'$')
        ++p;
    while (p < n) {
        int units = 1;
        if (isWordPart(codePointAt(text, p, &units))) {
            p += units;
            continue;
        }
        const QChar c = text[p];
        if (isApostrophe(c) && isLetter(text, p - 1) && isLetter(text, p + 1)) {
            ++p;
        } else if (isHyphen(c) && isAlnum(text, p - 1) && isAlnum(text, p + 1)) {
            ++p;
        } else if ((c == u'.' || c == u',' || c == u':' || c == u'/') && isDigit(text, p - 1) &&
                   isDigit(text, p + 1)) {
            ++p;
        } else if (c == u'%' && isDigit(text, p - 1)) {
            ++p;
            break;
        } else if (c == u'.' && p - segment == 1 && isLetter(text, p - 1) &&
                   isLetter(text, p + 1)) {
            segment = ++p; // U.S, e.g
        } else {
            break;
        }
    }
    *abbreviation = Abbreviation::None;
    if (p < n && text[p] == u'.') {
        *abbreviation = abbreviationOf(text.sliced(start, p - start));
        if (*abbreviation != Abbreviation::None)
            ++p;
    } else if (p < n && isApostrophe(text[p]) && (text[p - 1] == u's' || text[p - 1] == u'S') &&
               !(p + 1 < n && text[p + 1].isLetterOrNumber())) {
        ++p; // dogs'
    }
    return p;
}

// The end of the punctuation or symbol token that starts at p.
qsizetype markEnd(QStringView text, qsizetype p)
{
    const qsizetype n = text.size();
    const QChar c = text[p];
    qsizetype q = p + 1;
    if (isTerminal(c)) {
        while (q < n && isTerminal(text[q]))
            ++q;
    } else if (c == u'-' || c == u'`' || c == u'\'') {
        while (q < n && text[q] == c)
            ++q;
    } else {
        int units = 1;
        codePointAt(text, p, &units);
        q = p + units;
    }
    return q;
}

// Where the next token starts after end: a line break in between is reported.
qsizetype skipSpace(QStringView text, qsizetype p, bool *lineBreak)
{
    *lineBreak = false;
    while (p < text.size() && text[p].isSpace()) {
        if (isLineBreak(text[p]))
            *lineBreak = true;
        ++p;
    }
    return p;
}

} // namespace

QList<QList<Token>> PosTokenizer::sentences(QStringView text)
{
    QList<QList<Token>> result;
    QList<Token> sentence;
    const auto endSentence = [&] {
        if (!sentence.isEmpty())
            result.append(std::exchange(sentence, {}));
    };
    const qsizetype n = text.size();
    bool lineBreak = false;
    qsizetype p = skipSpace(text, 0, &lineBreak);
    while (p < n) {
        int units = 1;
        const char32_t c = codePointAt(text, p, &units);
        Abbreviation abbreviation = Abbreviation::None;
        bool terminal = false;
        qsizetype end = 0;
        if (isWordPart(c) || (c == u'$' && isDigit(text, p + 1))) {
            end = wordEnd(text, p, &abbreviation);
        } else {
            end = markEnd(text, p);
            terminal = isTerminal(text[p]);
        }
        sentence.append({p, end});
        if (terminal) {
            while (end < n && isCloser(text[end])) {
                const qsizetype closerEnd = markEnd(text, end);
                sentence.append({end, closerEnd});
                end = closerEnd;
            }
        }
        p = skipSpace(text, end, &lineBreak);
        if (lineBreak || p >= n) {
            endSentence();
            continue;
        }
        const QChar next = text[p];
        if (terminal && !next.isLower() && next != u',' && next != u';')
            endSentence();
        else if (abbreviation == Abbreviation::Other && next.isUpper())
            endSentence();
    }
    endSentence();
    return result;
}
