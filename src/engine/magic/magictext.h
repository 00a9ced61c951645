#pragma once

#include <QString>
#include <QStringView>

// The text rules of Magic Rewrite: what is handed to the first translation,
// when a translation read back counts as complete and how the end marker is
// taken out of the final English text.
namespace MagicText {

// Appended to the article so that a translation's end can be recognised.
inline constexpr QStringView EndMarker = u". (..<<<<>>>>..)";
// Its core, which every translation so far has kept.
inline constexpr QStringView CompletionToken = u"<<>>";
// How many characters at the end of a translation are searched for the token.
inline constexpr qsizetype TailLength = 100;
// An article of this many characters or more takes the long language chain.
inline constexpr qsizetype LongArticle = 1500;

// The article without its trailing "..." runs (each removed only while the
// text is at least 4 characters long), followed by EndMarker.
[[nodiscard]] QString prepare(const QString &article);

// text without one trailing "...".
[[nodiscard]] QString withoutEllipsis(const QString &text);

// The last TailLength characters, or all of a shorter text.
[[nodiscard]] QStringView tail(QStringView text);

// The tail of a translation holds CompletionToken.
[[nodiscard]] bool showsEnd(QStringView translation);

// The final English text: the first of the marker forms found in the tail is
// removed there wherever it occurs; marker remains the translator mangled
// beyond those forms go too, and so do blanks left at the very end. One
// trailing "..." is removed last.
[[nodiscard]] QString removeMarker(const QString &translation);

} // namespace MagicText
