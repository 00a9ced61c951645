#pragma once

#include "engine/postagger.h"

#include <QStringView>

#include <optional>

// The Brown corpus's tags in our tag set. A Brown tag is a base tag with
// optional marks: "fw-" (foreign word), "-tl" (title), "-hl" (headline),
// "-nc" (cited word), "$" (possessive), "*" (negation), and "a+b" for a
// contraction of two words. Foreign words are Other; a contraction takes the
// tag of its first word ("it's" a pronoun, "don't" a verb); the other marks
// are dropped. The forms of be, have and do carry their verb form's tag.
// Nouns written with digits ("$600", "50%", "1960's") are numbers, and the
// capitalised adverbial nouns inside a sentence ("Friday") proper nouns.
namespace BrownTags {

// nullopt for a tag this table does not know.
[[nodiscard]] std::optional<PosTag> map(QStringView brownTag, QStringView word, bool sentenceStart);

} // namespace BrownTags
