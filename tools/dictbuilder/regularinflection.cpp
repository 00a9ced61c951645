#include "regularinflection.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace RegularInflection {

namespace {

bool isVowel(QChar c)
{
    return QStringView(u"aeiou").contains(c);
}

bool consonantBeforeLast(const QString &word)
{
    return word.size() >= 2 && !isVowel(word.at(word.size() - 2));
}

QString sibilantEnding(const QString &word, bool withO)
{
    if (word.endsWith(u"sh"_s) || word.endsWith(u"ch"_s) || word.endsWith(u's') ||
        word.endsWith(u'x') || word.endsWith(u'z') ||
        (withO && word.endsWith(u'o') && consonantBeforeLast(word)))
        return word + u"es"_s;
    if (word.endsWith(u'y') && consonantBeforeLast(word))
        return word.chopped(1) + u"ies"_s;
    return word + u's';
}

} // namespace

QString past(const QString &word)
{
    if (word.endsWith(u'e'))
        return word.chopped(1) + u"ed"_s;
    if (word.endsWith(u'y') && consonantBeforeLast(word))
        return word.chopped(1) + u"ied"_s;
    return word + u"ed"_s;
}

QString ingForm(const QString &word)
{
    const QChar before = word.size() >= 2 ? word.at(word.size() - 2) : QChar();
    if (word.size() >= 3 && word.endsWith(u'e') &&
        ((consonantBeforeLast(word) && before != u'y') || before == u'u'))
        return word.chopped(1) + u"ing"_s;
    return word + u"ing"_s;
}

QString thirdPerson(const QString &word)
{
    return sibilantEnding(word, true);
}

QString plural(const QString &word)
{
    if (looksPlural(word))
        return word;
    return sibilantEnding(word, false);
}

bool looksPlural(const QString &word)
{
    return word.endsWith(u"ies"_s) ||
           (word.size() >= 3 && word.endsWith(u's') && !isVowel(word.at(word.size() - 2)) &&
            word.at(word.size() - 2) != u's');
}

bool isSpellingForm(const QString &word, const QString &form)
{
    if (!form.endsWith(u"ed"_s) && !form.endsWith(u"ing"_s) && !form.endsWith(u's'))
        return false;
    qsizetype common = 0;
    while (common < word.size() && common < form.size() && word.at(common) == form.at(common))
        ++common;
    return common >= word.size() - 2 && form.size() <= word.size() + 5;
}

int syllables(const QString &word)
{
    int groups = 0;
    bool inGroup = false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const bool vowel = isVowel(word.at(i)) || (i > 0 && word.at(i) == u'y');
        if (vowel && !inGroup)
            ++groups;
        inGroup = vowel;
    }
    // fuel, dial, duel: two vowels that are two syllables before a final "l".
    static const QStringList split = {u"uel"_s, u"ial"_s, u"ual"_s, u"iel"_s};
    for (const QString &ending : split)
        if (word.endsWith(ending))
            ++groups;
    return groups;
}

} // namespace RegularInflection
