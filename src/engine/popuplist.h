#pragma once

#include "engine/scanner.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QStringView>

class Dictionary;

// A range [start, end) of the article text.
struct TextRange
{
    qsizetype start = 0;
    qsizetype end = 0;
    [[nodiscard]] bool isEmpty() const { return end <= start; }
    friend bool operator==(const TextRange &, const TextRange &) = default;
};

// What the synonym popup shows for a word.
struct PopupFill
{
    // The grouped alternatives list, capitalised for a capitalised word; empty
    // when there is nothing to offer.
    QString alternatives;
    bool hide = false;      // a reserved or ignored word: the popup hides
    bool skippable = false; // forward navigation moves on when nothing is offered
};

// One group of a grouped alternatives list: "<" label ">" a1 "," a2 ...
struct PopupGroup
{
    QString label;
    QStringList items;
    friend bool operator==(const PopupGroup &, const PopupGroup &) = default;
};

// The rules of the synonym popup that need no screen: the grouped alternatives
// list cached in temp.dat, which text a click takes, where the popup goes,
// which rows are marked and what a choice records in replacedtemp.dat.
namespace PopupList {

inline constexpr QStringView Blank = u"(blank)";
inline constexpr QStringView AllLabel = u"All";
inline constexpr qsizetype MaxWordLength = 50;
// A shown list shorter than this keeps only its first tab.
inline constexpr int RowsForAllTabs = 11;
// The popup's left edge stays this far left of the editor's right edge.
inline constexpr int RightEdgeRoom = 190;
// The span of an entry the popup appends for a word the analysis did not see.
inline constexpr QStringView UnplacedSpan = u"[x,x]";

// The grouped alternatives list of a marked synonym list ("<" type ">" a,b ...):
// with several groups, a first group "All" holds every alternative once, in
// round-robin order over the groups; "(blank)" leads the first group. Empty
// items and groups are dropped; empty for an empty list.
[[nodiscard]] QString build(const QString &markedList);
[[nodiscard]] QList<PopupGroup> groups(QStringView alternatives);
// The list with the group labelled type right after "All" and its items
// leading "All" (the word's part of speech in its sentence first); unchanged
// when there is no such group.
[[nodiscard]] QString preferType(const QString &alternatives, const QString &type);
// Index of the first group holding text as a whole alternative, or -1.
[[nodiscard]] int groupContaining(QStringView alternatives, QStringView text);

// A capitalised word (two characters or more, an upper-case ASCII first letter,
// a second character that is not one) is offered capitalised alternatives.
[[nodiscard]] bool wantsCapitals(QStringView word);

// What the popup offers for word: the entry of temp.dat when there is one
// (its cached list, or a lookup by its tag that is then cached in the entry),
// otherwise a lookup of the word itself, cached as a new "[x,x]" entry.
[[nodiscard]] PopupFill fill(const QString &word, Dictionary *dictionary, const QString &storePath,
                             bool scrambled);
// The marked synonym list of an entry's tag (lookup key, inflected to the tag,
// reading by reading for irregular forms), or of word when the tag names no base.
[[nodiscard]] QString entryLookup(const QString &word, const QString &tag, Dictionary &dictionary);
// The marked synonym list of a word temp.dat does not know.
[[nodiscard]] QString wordLookup(const QString &word, Dictionary &dictionary);

// The word the library editor opens for a popup word: the base after the
// colon of its entry's tag (the first one of several), else the word.
[[nodiscard]] QString libraryWord(QStringView store, const QString &popupWord);

// The store without the alternatives cached after each entry's tag, so that
// the popup looks the words up again; and the same on temp.dat when it exists.
[[nodiscard]] QString withoutCachedAlternatives(QStringView store);
bool clearCachedAlternatives(const QString &storePath, bool scrambled);

// Rows to check for the editor's selected text: a row is checked when
// "|" row "|" occurs in "|" selection "|", an alternatives group "{a|b}"
// losing its braces first.
[[nodiscard]] QList<int> checkedRows(const QStringList &rows, const QString &selectedText);

// Words of a popup word: one more than its blanks after the first character.
[[nodiscard]] int wordCount(QStringView popupWord);
// "[" replacement "]=" original
[[nodiscard]] QString record(QStringView replacement, QStringView original);
// True when records holds record as a whole line.
[[nodiscard]] bool hasRecord(QStringView records, QStringView record);

// --- Which text a click takes ---

// The run of word characters around a caret.
[[nodiscard]] TextRange wordAround(QStringView text, qsizetype caret);
// range trimmed to the word rule: it starts at a letter, digit, "$" or "%" and
// loses any trailing "'", "-" and ":"; empty when no word character is left.
[[nodiscard]] TextRange trimmed(QStringView text, TextRange range);

// --- Navigation over the article ---

// The next word after the caret (the rest of a word under it is skipped).
[[nodiscard]] WordSpan nextWord(QStringView text, qsizetype caret);
// The last word that ends before the caret.
[[nodiscard]] WordSpan previousWord(QStringView text, qsizetype caret);
// Where navigation puts the caret: one character into the next word (at the
// start of a one-character word), one before the end of the previous one.
[[nodiscard]] qsizetype caretIntoNext(const WordSpan &word);
[[nodiscard]] qsizetype caretIntoPrevious(const WordSpan &word);

// --- Placement ---

struct PlacementInput
{
    QPoint charPos;   // the first character's position in the editor's client area
    QRect editorRect; // the editor's client area on the screen
    int fontHeight;   // default article font height in points
    int popupHeight;
    int screenBottom; // the bottom edge of the screen (exclusive)
};
// Top-left corner of the popup: below the word's line, no further right than
// RightEdgeRoom left of the editor's right edge, above the line when it would
// reach the bottom of the screen.
[[nodiscard]] QPoint placement(const PlacementInput &input);

} // namespace PopupList
