#include "engine/indefinitearticle.h"

#include "engine/scanner.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool isVowelLetter(QChar c)
{
    return QStringView(u"aeiou").contains(c.toLower());
}

bool startsWithAny(QStringView word, std::initializer_list<const char16_t *> prefixes)
{
    for (const char16_t *p : prefixes) {
        if (word.startsWith(QStringView(p)))
            return true;
    }
    return false;
}

// Letters whose spoken names begin with a vowel: "an F", "an MP3", "an SQL".
bool letterNameTakesAn(QChar c)
{
    return QStringView(u"AEFHILMNORSX").contains(c.toUpper());
}

// "8", "11", "18", "80", "800", "11,000": the spoken number starts with a vowel.
bool numberTakesAn(QStringView word)
{
    qsizetype digits = 0;
    for (QChar c : word) {
        if (c.isDigit())
            ++digits;
        else if (c != u',')
            break;
    }
    if (word.startsWith(u'8'))
        return true;
    return (word.startsWith(u"11") || word.startsWith(u"18")) && digits % 3 == 2;
}

bool wordTakesAn(QStringView lower)
{
    // Silent h.
    if (startsWithAny(lower, {u"hour", u"honest", u"honor", u"honour", u"heir"}))
        return true;
    const QChar first = lower.front();
    if (!isVowelLetter(first))
        return false;
    // Vowel letters read with a consonant sound: "a one", "a European",
    // "a university", "a user", "a utility", "a ukulele", "a union".
    if (startsWithAny(lower, {u"one", u"once", u"ouija", u"eu", u"ewe", u"unanim", u"unary"}))
        return false;
    if (first == u'u') {
        if (lower.startsWith(u"uni"))
            return startsWithAny(lower, {u"unim", u"unin", u"unid"}); // un- + im..., in..., id...
        if (lower.size() >= 3 && QStringView(u"bfgkrstv").contains(lower[1]) &&
            (isVowelLetter(lower[2]) || lower[2] == u'y'))
            return false;
    }
    return true;
}

} // namespace

bool IndefiniteArticle::takesAn(QStringView word)
{
    while (!word.isEmpty() && !word.front().isLetterOrNumber())
        word = word.mid(1);
    if (word.isEmpty())
        return false;
    if (word.front().isDigit())
        return numberTakesAn(word);
    qsizetype letters = 0;
    bool lower = false;
    bool digit = false;
    bool vowelEarly = false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word[i];
        if (c.isLetter()) {
            ++letters;
            lower = lower || c.isLower();
            vowelEarly = vowelEarly || (i < 3 && isVowelLetter(c));
        } else if (c.isDigit()) {
            digit = true;
        } else {
            break;
        }
    }
    // A lone letter or an initialism is read letter by letter ("an FBI"); a
    // capitals word with an early vowel is read as a word ("a NATO", "an OPEC").
    const bool spelled = letters == 1 ? (word.size() == 1 || !word[1].isLetter())
                                      : !lower && (digit || letters < 4 || !vowelEarly);
    if (spelled)
        return letterNameTakesAn(word.front());
    return wordTakesAn(word.toString().toLower());
}

QString IndefiniteArticle::agreeing(QStringView article, QStringView word)
{
    const bool isA = article.compare(u"a", Qt::CaseInsensitive) == 0;
    const bool isAn = article.compare(u"an", Qt::CaseInsensitive) == 0;
    if (!isA && !isAn)
        return article.toString();
    const bool an = takesAn(word);
    if (isA == !an)
        return article.toString();
    if (isAn)
        return article.left(1).toString(); // "an" -> "a", "An" -> "A", "AN" -> "A"
    // "a" -> "an"; "A" -> "An", or "AN" before a word in capitals.
    if (article == u"a")
        return u"an"_s;
    bool capitals = word.size() >= 2;
    for (QChar c : word)
        capitals = capitals && !c.isLower();
    return capitals ? u"AN"_s : u"An"_s;
}

std::optional<std::pair<qsizetype, qsizetype>> IndefiniteArticle::articleBefore(QStringView text,
                                                                                qsizetype position)
{
    // Back over an opening quote or bracket and the blanks before the word:
    // a "social" cost, an (early) draft.
    qsizetype end = std::min(position, text.size());
    while (end > 0 && QStringView(u"\"'(\u201C\u2018").contains(text[end - 1]))
        --end;
    // Blanks, and one line end: hard-wrapped text puts "a" at the end of a line.
    const qsizetype blanksEnd = end;
    int lineEnds = 0;
    while (end > 0) {
        const QChar c = text[end - 1];
        if (c == u'\n' && ++lineEnds == 1) {
            if (end > 1 && text[end - 2] == u'\r')
                --end;
        } else if (c != u' ' && c != u'\t') {
            break;
        }
        --end;
    }
    if (end == blanksEnd)
        return std::nullopt;
    qsizetype start = end;
    while (start > 0 && end - start < 3 && text[start - 1].isLetter())
        --start;
    if (start > 0 && Scanner::isWordChar(text[start - 1].unicode()))
        return std::nullopt;
    const QStringView word = text.mid(start, end - start);
    if (word.compare(u"a", Qt::CaseInsensitive) != 0 &&
        word.compare(u"an", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return std::pair{start, end};
}
