#include "dictionary/dictionary.h"
#include "dictionary/wordshape.h"

using namespace Qt::Literals::StringLiterals;
using namespace WordShape;

// Plain text functions of the lookup.

QString Lookup::tableFor(QStringView word)
{
    if (word.isEmpty())
        return {};
    const QChar c = word.front();
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
        return QString(c.toUpper());
    return u"Other"_s;
}

QString Lookup::regularInflection(const QString &word, QStringView tag)
{
    if (word.isEmpty())
        return {};
    const qsizetype n = word.size();
    if (tag == u"sp" || tag == u"pp") {
        if (word.back() == u'e')
            return word.left(n - 1) + u"ed"_s;
        if (endsWithConsonantY(word))
            return word.left(n - 1) + u"ied"_s;
        return word + u"ed"_s;
    }
    if (tag == u"ip") {
        // make -> making, argue -> arguing; see, hoe, dye keep their "e".
        if (n >= 3 && word.back() == u'e' &&
            ((!isVowel(word[n - 2]) && word[n - 2] != u'y') || word[n - 2] == u'u'))
            return word.left(n - 1) + u"ing"_s;
        return word + u"ing"_s;
    }
    // A noun that already looks plural is its own plural: pants, ethics,
    // series, persons (lens is irregular).
    if (tag == u"pl" && (word.endsWith(u"ies") || (n >= 3 && word.back() == u's' &&
                                                   !isVowel(word[n - 2]) && word[n - 2] != u's')))
        return word;
    if (tag == u"pl" || tag == u"tp") {
        // go -> goes, echo -> echoes, but radio -> radios; nouns in -oes
        // (heroes) come from the IR table.
        const bool consonantO =
            tag == u"tp" && word.back() == u'o' && n >= 2 && !isVowel(word[n - 2]);
        if (word.endsWith(u"sh") || word.endsWith(u"ch") || word.back() == u's' ||
            word.back() == u'x' || word.back() == u'z' || consonantO) {
            return word + u"es"_s;
        }
        if (endsWithConsonantY(word))
            return word.left(n - 1) + u"ies"_s;
        return word + u's';
    }
    if (tag == u"if")
        return word;
    return {};
}

QString Lookup::stripMarkers(const QString &list)
{
    QString out;
    out.reserve(list.size());
    qsizetype i = 0;
    while (i < list.size()) {
        if (list[i] == u'<') {
            const qsizetype close = list.indexOf(u'>', i);
            if (close < 0) {
                out += QStringView(list).mid(i);
                break;
            }
            if (i != 0)
                out += u',';
            i = close + 1;
        } else {
            out += list[i++];
        }
    }
    return out;
}

QString Lookup::truncateList(const QString &list, int n)
{
    if (n <= 0)
        return list;
    qsizetype at = -1;
    for (int k = 0; k < n; ++k) {
        at = list.indexOf(u',', at + 1);
        if (at < 0)
            return list;
    }
    return list.left(at);
}

namespace {
QString capitaliseAfter(const QString &list, std::initializer_list<char16_t> marks)
{
    QString out = list;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const bool start =
            i == 0 || std::find(marks.begin(), marks.end(), out[i - 1].unicode()) != marks.end();
        if (start && out[i] >= u'a' && out[i] <= u'z')
            out[i] = out[i].toUpper();
    }
    return out;
}
} // namespace

QString Lookup::capitaliseList(const QString &list)
{
    return capitaliseAfter(list, {u','});
}

QString Lookup::capitaliseMarkedList(const QString &list)
{
    QString out = capitaliseAfter(list, {u'>', u','});
    // Only characters after a mark: the very first one is a "<" or stays.
    if (!list.isEmpty())
        out[0] = list[0];
    return out;
}

QString Lookup::popupTypeFilter(QStringView tag)
{
    if (tag == u"sp" || tag == u"pp")
        return u"verb,adjective,adverb"_s;
    if (tag == u"ip")
        return u"verb,noun,adjective"_s;
    if (tag == u"tp" || tag == u"pl")
        return u"verb,noun,pronoun"_s;
    return {};
}
