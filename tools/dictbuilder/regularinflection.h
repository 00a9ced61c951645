#pragma once

#include <QString>

// The regular English endings that the dictionary's lookup applies when a word
// has no IR row. The builder writes an IR field only where these give a wrong
// form, so it must apply exactly the same rules.
namespace RegularInflection {

// Simple past and past participle: a final "e" is dropped, or a final "y"
// after a consonant becomes "i"; then "ed".
QString past(const QString &word);
// -ing form: a final "e" after a consonant other than "y", or after "u", is
// dropped when the word has at least three characters (making, arguing;
// seeing, hoeing, dyeing); then "ing".
QString ingForm(const QString &word);
// Third person singular: "es" after "sh", "ch", "s", "x", "z" or a consonant
// and "o"; a final "y" after a consonant becomes "ies"; else "s".
QString thirdPerson(const QString &word);
// Plural: as thirdPerson, without the "o" rule (photos; heroes is irregular);
// a word that already looks plural stays as it is.
QString plural(const QString &word);
// Ends in "ies", or in "s" after a consonant other than "s": pants, ethics,
// series, persons. Such a noun is its own plural (lens is irregular).
bool looksPlural(const QString &word);

// True when form is the word with a regular ending whose spelling bends the
// stem (stopped, panicking, dying, taxying): the stem keeps all but at most
// its last two letters and the form ends in "ed", "ing" or "s".
bool isSpellingForm(const QString &word, const QString &form);
// Number of vowel groups, a rough syllable count (travel 2, fuel 2, stop 1).
int syllables(const QString &word);

} // namespace RegularInflection
