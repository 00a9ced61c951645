#include "regularinflection.h"

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
        word.endsWith(u'x') || (withO && word.endsWith(u'o')))
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
    if (word.size() >= 3 && word.endsWith(u'e') && consonantBeforeLast(word))
        return word.chopped(1) + u"ing"_s;
    return word + u"ing"_s;
}

QString thirdPerson(const QString &word)
{
    return sibilantEnding(word, true);
}

QString plural(const QString &word)
{
    return sibilantEnding(word, false);
}

} // namespace RegularInflection
