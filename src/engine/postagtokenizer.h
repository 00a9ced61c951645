#pragma once

#include <QList>
#include <QStringView>

// Splits an article into sentences and tokens the way the tagger's training
// corpus is tokenised:
// - words run over letters (any script), digits and combining marks, and keep
//   inner apostrophes and hyphens ("don't", "O'Brien", "well-known"), a
//   plural possessive's apostrophe ("dogs'") and the period of a known
//   abbreviation or initial ("Mr.", "J.", "U.S.", "e.g.");
// - numbers keep inner ".,:/" and a leading "$" or trailing "%" ("10:30",
//   "1,000", "3.5", "$5", "50%");
// - "--", "``", "''" and runs of ".!?" are single tokens; any other
//   character that is neither space nor part of a word is a token alone.
// A sentence ends after a run of ".!?" and the closing quotes or brackets
// right after it, unless a lower-case word or "," ";" follows; after an
// abbreviation other than a title or an initial when a capital follows; and
// at every line end (so a blank line or a paragraph without final
// punctuation ends one too).
namespace PosTokenizer {

struct Token
{
    qsizetype start = 0;
    qsizetype end = 0;

    friend bool operator==(const Token &, const Token &) = default;
};

[[nodiscard]] QList<QList<Token>> sentences(QStringView text);

} // namespace PosTokenizer
