#pragma once

#include "engine/analysis.h"

#include <QList>
#include <QStringView>

#include <functional>

// Parts of an article that a rewrite must never touch: names, words in
// capitals, URLs, e-mail addresses, file names and paths, code, and numbers
// with their units. Replacing any of them changes what the text says
// ("General Public License" -> "Gross Public License", "Git" -> "Skunk").
namespace ProtectedSpans {

// Whether the word at [start, end) of the text is a proper name in its
// sentence (the part-of-speech tagger's verdict); used only for a capitalised
// word at a sentence start, where capitals say nothing.
using NameTest = std::function<bool(qsizetype start, qsizetype end)>;

// The protected ranges of text, sorted and non-overlapping:
// - capitalised words that do not start a sentence, capitalised words at a
//   sentence start that isName accepts or that run on into another name,
//   and words of two or more letters all in capitals;
// - URLs (scheme:// or www.), e-mail addresses, paths and file names
//   (a "/" or "\", or name.ext), code-like tokens (holding _ . / ( ) = < > { }
//   [ ] or a capital after a small letter), the text between backticks,
//   fenced code blocks and lines that read as code;
// - a word alone between quotes ("the word 'freedom'");
// - a number and the unit word that follows it ("5 kg", "3 years").
[[nodiscard]] QList<TextSpan> find(QStringView text, const NameTest &isName = {});

// True when [start, end) overlaps one of the sorted spans.
[[nodiscard]] bool overlaps(const QList<TextSpan> &spans, qsizetype start, qsizetype end);

} // namespace ProtectedSpans
