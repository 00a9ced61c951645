#pragma once

#include <QChar>
#include <QStringView>

#include <algorithm>

// Spelling facts of English words that the lookup and the regular inflection
// share.
namespace WordShape {

inline bool isVowel(QChar c)
{
    return c == u'a' || c == u'e' || c == u'i' || c == u'o' || c == u'u';
}

// A one-syllable stem ending in consonant, vowel, consonant doubles that
// consonant before "ed" and "ing" (dinned, hopping): "dined" and "hoping"
// come from dine and hope, never from din and hop.
inline bool doublesItsConsonant(QStringView stem)
{
    const qsizetype m = stem.size();
    return m >= 3 && !isVowel(stem[m - 1]) && !QStringView(u"wxy").contains(stem[m - 1]) &&
           isVowel(stem[m - 2]) && !isVowel(stem[m - 3]) &&
           std::count_if(stem.begin(), stem.end(), [](QChar c) { return isVowel(c); }) == 1;
}

inline bool hissesOrO(QStringView stem)
{
    return stem.endsWith(u's') || stem.endsWith(u'x') || stem.endsWith(u'z') ||
           stem.endsWith(u"ch") || stem.endsWith(u"sh") || stem.endsWith(u'o');
}

inline bool endsWithConsonantY(QStringView w)
{
    return w.size() >= 2 && w.back() == u'y' && !isVowel(w[w.size() - 2]);
}

} // namespace WordShape
