#pragma once

#include "dictionary/dictionary.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The statements and text rules of the word-library editor: one headword's
// senses (one row per part of speech), their comma-separated Synonyms, and the
// back-links that keep synonymy running both ways. Every value is a bound
// parameter, so any text (a double quote included) reaches the file as typed.
namespace WordLibrary {

// The parts of speech the editor offers, in the order of its list.
[[nodiscard]] const QStringList &partsOfSpeech();

enum class WordCheck
{
    Ok,
    Empty,
    Illegal, // holds "|", ",", a double quote, "{" or "}"
};
[[nodiscard]] WordCheck checkWord(QStringView word);

// Rows read by the editor; error holds SQLite's message when the query failed.
struct Rows
{
    QList<Dictionary::Row> rows;
    QString error;
    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

// Every sense of word, in table order.
[[nodiscard]] Rows senses(Dictionary &dictionary, const QString &word);
// The row of word with part of speech type (compared without regard to case).
[[nodiscard]] Rows sense(Dictionary &dictionary, const QString &word, const QString &type);

// A Synonyms value as list rows: cut at each comma, stopping at the first
// empty piece.
[[nodiscard]] QStringList splitSynonyms(const QString &value);

// What Save sense did.
enum class SaveStatus
{
    Skipped,     // no word or no type
    Unchanged,   // no row and nothing to store
    Inserted,    // a new sense row
    Updated,     // the row's Synonyms replaced
    Deleted,     // the last synonym went, and with it the row
    QueryFailed, // reading the row failed
    WriteFailed, // the insert, update or delete failed
};
struct SaveResult
{
    SaveStatus status = SaveStatus::Skipped;
    QString error;
};

// Stores synonyms (already joined with commas) as the sense word/type: inserts,
// updates or deletes that sense's row.
SaveResult saveSense(Dictionary &dictionary, const QString &word, const QString &type,
                     const QString &synonyms);

// Typed synonym text made storable: leading blanks dropped, "|" read as a
// separator, "{" "}" CR LF removed, ", " closed up to ",".
[[nodiscard]] QString cleanSynonymText(const QString &text);
// The items of cleaned text that are not in existing, in order, each once and
// none empty, joined with commas.
[[nodiscard]] QString newSynonyms(const QString &cleaned, const QStringList &existing);

// Records word as a synonym (of part of speech type) of every synonym in the
// comma-separated list: adds it to that synonym's own row, creating the row in
// the synonym's table when there is none. Nothing happens while any of the
// three is empty. Stops at the first failure.
bool addBackLinks(Dictionary &dictionary, const QString &word, const QString &type,
                  const QString &synonyms, QString *error = nullptr);

// Deletes every row of word whose type is type (an empty type matches only
// rows with an empty type).
bool deleteSense(Dictionary &dictionary, const QString &word, const QString &type,
                 QString *error = nullptr);

} // namespace WordLibrary
