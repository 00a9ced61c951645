#pragma once

#include <QString>

// The regular English endings that the dictionary's lookup applies when a word
// has no IR row. The builder writes an IR field only where these give a wrong
// form, so it must apply exactly the same rules.
namespace RegularInflection {

// Simple past and past participle: a final "e" is dropped, or a final "y"
// after a consonant becomes "i"; then "ed".
QString past(const QString &word);
// -ing form: a final "e" after a consonant is dropped when the word has at
// least three characters; then "ing".
QString ingForm(const QString &word);
// Third person singular: "es" after "sh", "ch", "o", "s" or "x"; a final "y"
// after a consonant becomes "ies"; else "s".
QString thirdPerson(const QString &word);
// Plural: as thirdPerson, without the "o" rule.
QString plural(const QString &word);

} // namespace RegularInflection
