#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

// "a" or "an" by the sound of the word that follows, as a careful writer
// chooses: "an hour", "a university", "an MP3", "a one-off", "an 8".
namespace IndefiniteArticle {

// True when word (the next word after the article, as written) starts with a
// vowel sound.
[[nodiscard]] bool takesAn(QStringView word);

// The article "a"/"an" in the letter case of `article` ("A", "AN", "An")
// that agrees with word; article itself when it is neither a nor an.
[[nodiscard]] QString agreeing(QStringView article, QStringView word);

// The [start, end) of an "a" or "an" (any letter case) that stands as a word
// of its own right before position, blanks and at most one line end between
// (hard-wrapped text); nullopt when there is none.
[[nodiscard]] std::optional<std::pair<qsizetype, qsizetype>> articleBefore(QStringView text,
                                                                           qsizetype position);

} // namespace IndefiniteArticle
