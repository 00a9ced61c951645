#include "engine/protectedspans.h"

#include "engine/scanner.h"

#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0x00A0);
}

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Characters that surround a token without belonging to it.
bool isOpening(QChar c)
{
    return QStringView(u"([{<\"'\u201C\u2018*_").contains(c);
}

bool isClosing(QChar c)
{
    return QStringView(u".,;:!?)]}>\"'\u201D\u2019*").contains(c);
}

bool isCodeChar(QChar c)
{
    return QStringView(u"_()=<>{}[]").contains(c);
}

// Units that follow a number; a unit is part of the quantity, not a word to
// rephrase ("3 years" must not become "3 old age").
const QSet<QString> &unitWords()
{
    static const QSet<QString> units = [] {
        QSet<QString> set;
        for (const char16_t *u : {u"mm",         u"cm",          u"m",          u"km",
                                  u"in",         u"ft",          u"yd",         u"mi",
                                  u"mg",         u"g",           u"kg",         u"t",
                                  u"lb",         u"lbs",         u"oz",         u"ml",
                                  u"l",          u"dl",          u"b",          u"kb",
                                  u"mb",         u"gb",          u"tb",         u"kib",
                                  u"mib",        u"gib",         u"hz",         u"khz",
                                  u"mhz",        u"ghz",         u"v",          u"kv",
                                  u"w",          u"kw",          u"mw",         u"kwh",
                                  u"mph",        u"kph",         u"km/h",       u"rpm",
                                  u"ms",         u"s",           u"sec",        u"min",
                                  u"h",          u"hr",          u"hrs",        u"px",
                                  u"pt",         u"dpi",         u"fps",        u"bps",
                                  u"kbps",       u"mbps",        u"percent",    u"per",
                                  u"degree",     u"degrees",     u"second",     u"seconds",
                                  u"minute",     u"minutes",     u"hour",       u"hours",
                                  u"day",        u"days",        u"week",       u"weeks",
                                  u"month",      u"months",      u"year",       u"years",
                                  u"decade",     u"decades",     u"century",    u"centuries",
                                  u"inch",       u"inches",      u"foot",       u"feet",
                                  u"yard",       u"yards",       u"mile",       u"miles",
                                  u"meter",      u"meters",      u"metre",      u"metres",
                                  u"kilometer",  u"kilometers",  u"kilometre",  u"kilometres",
                                  u"centimeter", u"centimeters", u"centimetre", u"centimetres",
                                  u"millimeter", u"millimeters", u"millimetre", u"millimetres",
                                  u"gram",       u"grams",       u"kilogram",   u"kilograms",
                                  u"kilo",       u"kilos",       u"pound",      u"pounds",
                                  u"ounce",      u"ounces",      u"ton",        u"tons",
                                  u"tonne",      u"tonnes",      u"liter",      u"liters",
                                  u"litre",      u"litres",      u"gallon",     u"gallons",
                                  u"dollar",     u"dollars",     u"cent",       u"cents",
                                  u"euro",       u"euros",       u"byte",       u"bytes",
                                  u"kilobytes",  u"megabytes",   u"gigabytes",  u"terabytes",
                                  u"bit",        u"bits",        u"pixel",      u"pixels",
                                  u"volt",       u"volts",       u"watt",       u"watts",
                                  u"point",      u"points",      u"times",      u"x"})
            set.insert(QString::fromUtf16(u));
        return set;
    }();
    return units;
}

class Finder
{
public:
    explicit Finder(QStringView text) : m_text(text) {}

    void protect(qsizetype start, qsizetype end)
    {
        if (end > start)
            m_spans.append({start, end});
    }

    QList<TextSpan> result() { return Analysis::mergedSpans(std::move(m_spans)); }

    void scanLines();
    void scanTokens();
    void scanWords(const ProtectedSpans::NameTest &isName);

private:
    bool atSentenceStart(qsizetype start) const;
    bool isQuotedAlone(const WordSpan &w) const;
    bool isCapitalised(const WordSpan &w) const { return w.text.front().isUpper(); }

    QStringView m_text;
    QList<TextSpan> m_spans;
};

// A line of eight or more different lower-case names with no word that joins
// prose ("arch base64 basename cat chcon ..."): a list of commands or
// packages, whose "sort", "sum" and "factor" are names, not words.
bool isNameList(QStringView t)
{
    static const QSet<QStringView> joining = {u"the",  u"a",  u"an", u"of",  u"to",   u"and",
                                              u"or",   u"in", u"is", u"for", u"with", u"on",
                                              u"that", u"it", u"as", u"be",  u"are",  u"by"};
    // Characters first: prose fails here at its first capital or stop, before
    // any list is built (every line of every article passes by).
    for (QChar c : t) {
        if (!(c.isLower() || c.isDigit() || c == u' ' || c == u'*' || c == u'-' || c == u'_'))
            return false;
    }
    const QList<QStringView> tokens = t.split(u' ', Qt::SkipEmptyParts);
    if (tokens.size() < 8)
        return false;
    QSet<QStringView> distinct;
    for (QStringView token : tokens) {
        if (joining.contains(token) || distinct.contains(token))
            return false;
        distinct.insert(token);
    }
    return true;
}

// A line that reads as program text rather than prose: a prompt, a statement
// end, an assignment, a definition, a list of names, or many code characters.
bool looksLikeCode(QStringView line)
{
    const QStringView t = line.trimmed();
    if (t.isEmpty())
        return false;
    // A list of string literals: 'Look,', ' ', 'goof-', 'ball'.
    if (isNameList(t) || t.count(u"', '") + t.count(u"\", \"") >= 3)
        return true;
    for (const char16_t *prefix :
         {u">>>", u"$ ", u"#include", u"#define", u"def ", u"import ", u"return ", u"const ",
          u"let ", u"var ", u"function ", u"public:", u"private:"}) {
        if (t.startsWith(QStringView(prefix)))
            return true;
    }
    if (t.startsWith(u"from ") && t.contains(u" import "))
        return true;
    if (t.startsWith(u"class ") && t.endsWith(u':'))
        return true;
    for (const char16_t *end : {u";", u"{", u"}", u"):", u"=>"}) {
        if (t.endsWith(QStringView(end)))
            return true;
    }
    for (const char16_t *op : {u" = ", u"==", u"!=", u"+=", u"-=", u"->", u"::", u"&&", u"||"}) {
        if (t.contains(QStringView(op)))
            return true;
    }
    const bool indented = line.startsWith(u"    ") || line.startsWith(u'\t');
    if (indented && t.endsWith(u':'))
        return true;
    qsizetype code = 0;
    qsizetype visible = 0;
    for (QChar c : t) {
        if (isSpace(c))
            continue;
        ++visible;
        // Brackets and angle brackets are common in prose and markup.
        if (isCodeChar(c) && !QStringView(u"_[]<>").contains(c))
            ++code;
    }
    return code >= 3 && code * 20 >= visible;
}

void Finder::scanLines()
{
    bool fenced = false;
    qsizetype from = 0;
    while (from < m_text.size()) {
        qsizetype end = from;
        while (end < m_text.size() && !isLineBreak(m_text[end]))
            ++end;
        const QStringView line = m_text.mid(from, end - from);
        const QStringView trimmed = line.trimmed();
        const bool fence = trimmed.startsWith(u"```") || trimmed.startsWith(u"~~~");
        if (fenced || fence || looksLikeCode(line))
            protect(from, end);
        if (fence)
            fenced = !fenced;
        // Inline code between backticks.
        qsizetype tick = line.indexOf(u'`');
        while (tick >= 0) {
            const qsizetype close = line.indexOf(u'`', tick + 1);
            if (close < 0)
                break;
            protect(from + tick, from + close + 1);
            tick = line.indexOf(u'`', close + 1);
        }
        from = end;
        while (from < m_text.size() && isLineBreak(m_text[from]))
            ++from;
    }
}

void Finder::scanTokens()
{
    qsizetype i = 0;
    const qsizetype n = m_text.size();
    while (i < n) {
        while (i < n && isSpace(m_text[i]))
            ++i;
        qsizetype start = i;
        while (i < n && !isSpace(m_text[i]))
            ++i;
        qsizetype end = i;
        while (start < end && isOpening(m_text[start]))
            ++start;
        while (end > start && isClosing(m_text[end - 1])) {
            // "f()" and "a[0]" keep the bracket that closes their own.
            const QChar last = m_text[end - 1];
            const QChar opening = last == u')' ? u'(' : last == u']' ? u'[' : QChar();
            const QStringView inner = m_text.mid(start, end - 1 - start);
            if (!opening.isNull() && inner.count(opening) > inner.count(last))
                break;
            --end;
        }
        if (end <= start)
            continue;
        const QStringView core = m_text.mid(start, end - start);
        const bool url = core.contains(u"://") || core.startsWith(u"www.", Qt::CaseInsensitive);
        const qsizetype at = core.indexOf(u'@');
        const bool email = at > 0 && core.indexOf(u'.', at) > at + 1;
        const bool path = core.contains(u'/') || core.contains(u'\\');
        bool code = false;
        bool smallLetterSeen = false;
        for (qsizetype k = 0; k < core.size() && !code; ++k) {
            const QChar c = core[k];
            if (isCodeChar(c)) {
                code = true;
            } else if (c == u'.' && k + 1 < core.size() && core[k + 1].isLetterOrNumber() &&
                       k > 0 && core[k - 1].isLetterOrNumber()) {
                // name.ext, v1.2, e.g
                code = true;
            } else if (c.isUpper() && smallLetterSeen) {
                code = true; // camelCase, iPhone, McDonald
            }
            smallLetterSeen = smallLetterSeen || c.isLower();
        }
        if (url || email || path || code)
            protect(start, end);
    }
}

bool Finder::atSentenceStart(qsizetype start) const
{
    // Back over blanks, opening quotes and brackets, list bullets.
    qsizetype k = start - 1;
    while (k >= 0) {
        const QChar c = m_text[k];
        if (isLineBreak(c))
            return true;
        if (isSpace(c) || isOpening(c) || c == u'-' || c == u'#' || c == u'>' ||
            c == QChar(0x2022) || c == QChar(0x2013) || c == QChar(0x2014))
            --k;
        else
            break;
    }
    if (k < 0)
        return true;
    const QChar c = m_text[k];
    if (c == u'.' || c == u'!' || c == u'?' || c == u':' || c == QChar(0x2026))
        return true;
    // "1. Install" and "a) Open": a list number ends the line's lead-in.
    return (c == u')' || c == u'"' || c == u'\'' || c == QChar(0x201D)) && k > 0 &&
           (m_text[k - 1] == u'.' || m_text[k - 1] == u'!' || m_text[k - 1] == u'?');
}

// A word alone between quotes is named, not used: "the word 'freedom'", a
// parameter 'width'; another word would change what is named.
bool Finder::isQuotedAlone(const WordSpan &w) const
{
    if (w.start == 0 || w.end >= m_text.size())
        return false;
    const QChar open = m_text[w.start - 1];
    const QChar close = m_text[w.end];
    return (open == u'\'' && close == u'\'') || (open == u'"' && close == u'"') ||
           (open == QChar(0x2018) && close == QChar(0x2019)) ||
           (open == QChar(0x201C) && close == QChar(0x201D));
}

void Finder::scanWords(const ProtectedSpans::NameTest &isName)
{
    const QList<WordSpan> words = Scanner::allWords(m_text);
    QList<bool> name(words.size(), false);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const WordSpan &w = words[i];
        bool letters = false;
        bool lower = false;
        qsizetype letterCount = 0;
        for (QChar c : w.text) {
            if (c.isLetter()) {
                letters = true;
                ++letterCount;
                lower = lower || c.isLower();
            }
        }
        if ((letters && !lower && letterCount >= 2) || isQuotedAlone(w)) {
            protect(w.start, w.end); // USA, NASA, GPL; the word 'width'
            continue;
        }
        if (!isCapitalised(w))
            continue;
        name[i] = !atSentenceStart(w.start) || (isName && isName(w.start, w.end));
    }
    // A capitalised sentence opener that runs straight on into a name belongs
    // to it: "General Public License is", "New York".
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        if (name[i] || !isCapitalised(words[i]) || !name[i + 1])
            continue;
        const QStringView gap = m_text.mid(words[i].end, words[i + 1].start - words[i].end);
        if (gap == u" " || gap == u"-")
            name[i] = true;
    }
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (name[i])
            protect(words[i].start, words[i].end);
    }
    // Numbers with their units.
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        const QString &w = words[i].text;
        if (w.isEmpty() || !(w.front().isDigit() || w.front() == u'$'))
            continue;
        const QStringView gap = m_text.mid(words[i].end, words[i + 1].start - words[i].end);
        if ((gap == u" " || gap == u"-" || gap == QStringView(u"\u00A0") || gap == u".") &&
            unitWords().contains(words[i + 1].text.toLower()))
            protect(words[i + 1].start, words[i + 1].end);
    }
}

} // namespace

QList<TextSpan> ProtectedSpans::find(QStringView text, const NameTest &isName)
{
    Finder finder(text);
    finder.scanLines();
    finder.scanTokens();
    finder.scanWords(isName);
    return finder.result();
}

bool ProtectedSpans::overlaps(const QList<TextSpan> &spans, qsizetype start, qsizetype end)
{
    auto it = std::upper_bound(spans.cbegin(), spans.cend(), start,
                               [](qsizetype s, const TextSpan &span) { return s < span.end; });
    return it != spans.cend() && it->start < end;
}
