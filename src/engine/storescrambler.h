#pragma once

#include <QString>

// Symmetric transform of the working store temp.dat and of the dictionary's
// Synonyms values: code unit i is XORed with key (i mod 43). Applying it twice
// gives the text back.
//
// The keys lie in 0x0100..0x03FF so that the transform never changes bits
// 10-15 of a code unit: a surrogate stays a surrogate of the same kind (the text
// stays valid UTF-16 and survives SQLite's UTF-8 storage) and ASCII never maps
// to U+0000.
namespace StoreScrambler {

inline constexpr int KeyCount = 43;

void apply(QString &text);
[[nodiscard]] QString applied(QString text);

} // namespace StoreScrambler
