#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The synonym dictionary: an SQLite file with the word tables A..Z and Other
// (ss, Words, Type, Synonyms) and the irregular-forms table IR (Words,
// Regular). Words compare without regard to ASCII case; existsExact is exact.
//
// One connection, serialised: every call may come from the user-interface
// thread or a worker. Lookups are plain functions of the file's content.
class Dictionary
{
public:
    struct Row
    {
        qint64 ss = 0;
        QString words;
        QString type;
        QString synonyms; // plain text (unscrambled)
    };

    // Opens and checks a dictionary file. Synonyms values are scrambled in the
    // file when scrambled is true. writable opens it for the library editor.
    // On failure returns nullptr and the reason in error.
    static std::unique_ptr<Dictionary> open(const QString &path, bool scrambled, bool writable,
                                            QString *error);
    ~Dictionary();

    Dictionary(const Dictionary &) = delete;
    Dictionary &operator=(const Dictionary &) = delete;

    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] bool scrambled() const { return m_scrambled; }

    // How SQLite runs each lookup statement (EXPLAIN QUERY PLAN details, one
    // line per statement), to check that every lookup is an index search.
    [[nodiscard]] QStringList queryPlans();

    // The SQLite message of the first lookup that failed since the last
    // clearError(), empty when none did. A failed lookup answers "not found";
    // until the error is cleared every further lookup fails at once, so a job
    // checks this after each pass and ends with the message.
    [[nodiscard]] QString lastError();
    void clearError();

    // Forgets what was read ahead from the file; call after writing to it.
    void invalidateCaches();

    // Sum of the row counts of the 27 word tables; -1 on a failed query.
    [[nodiscard]] qint64 countEntries();

    // --- Queries (each on the table the word-table rule names) ---

    // True when a row's Words equals word exactly, case-sensitively.
    [[nodiscard]] bool existsExact(QStringView word);
    // Rows whose Words equals word without regard to case, in table order.
    [[nodiscard]] QList<Row> rowsOf(QStringView word);
    // Words of the rows that start with prefix (without regard to case).
    [[nodiscard]] QStringList wordsStartingWith(QStringView prefix);

    // --- Lookup and inflection ---

    // "(" tags ":" bases ")" of the IR rows listing word as an inflected form,
    // tags and bases each joined by "|"; empty when none. A row counts when the
    // first occurrence of word in its Regular text stands between "=" or "|"
    // and ";", "|" or the end.
    [[nodiscard]] QString irregularTag(QStringView word);
    // The InflectionTag of an article word: "", "not_exist", "if:w", "sp:be",
    // "pp:be", "sp:"/"ip:"/"pl:" + base, or tags ":" bases of irregular forms.
    // A word that the IR table lists as a form of itself (a base equal to the
    // word, or the field "if=") is read as itself: "" when it is a headword,
    // else "not_exist", and the regular endings are not tried.
    [[nodiscard]] QString inflectionTag(const QString &word);
    // Marked synonym list: "<" Type ">" Synonyms per row, filtered by a
    // comma-separated list of types when typeFilter is not empty.
    [[nodiscard]] QString synonyms(const QString &word, const QString &typeFilter = {});
    // The Type values of the word's rows joined by ",".
    [[nodiscard]] QString typesOf(const QString &word);
    // Bit 1: a longer dictionary phrase begins with phrase; bit 2: phrase is
    // itself an entry. 0 for an empty phrase or one with characters other than
    // letters, digits, blank, apostrophe and hyphen.
    [[nodiscard]] int phraseStatus(const QString &phrase);
    // word bent by tag ("sp", "pp", "ip", "pl", "tp", "if"): the IR row's field
    // when there is one, else the regular rule; empty for another tag.
    [[nodiscard]] QString inflect(const QString &word, QStringView tag);
    // text = "(" tag ")" + marked list: the segments of the tag's parts of
    // speech inflected, the tag removed. Each item shows the first variant of
    // its form; under "pl" verbs take their third person; an item that bends
    // into one already in its segment is dropped.
    [[nodiscard]] QString inflectList(const QString &text);
    // phrase with the first word of the tag's part of speech inflected (its
    // first variant; a verb under "pl" takes its third person).
    [[nodiscard]] QString inflectPhrase(const QString &phrase, QStringView tag);
    // A phrase of a list segment, whose part of speech is known, bent at its
    // head: a verb phrase at its first word (burned up, spilled the beans), a
    // noun phrase at its last word or the word before its first preposition
    // (trade names, states of affairs). Unlike inflectPhrase it needs no row
    // for the head word, which many phrase words lack.
    [[nodiscard]] QString inflectPhraseHead(const QString &phrase, QStringView tag,
                                            bool verbPhrase);
    // For a tag of several readings ("sp|pp:lie|lay"): each base's synonyms
    // inflected by its own tag (types filtered for that tag), the non-empty
    // results joined by ",".
    [[nodiscard]] QString readingsList(QStringView tag);

    // The form after "<field>=" in word's IR row, e.g. "went" for go and "sp".
    [[nodiscard]] std::optional<QString> irregularForm(const QString &word, QStringView field);

    // --- Statements of the library editor ---

    // Runs sql with values bound to ?1, ?2, ... (qint64 values as integers,
    // everything else as text) and hands back the rows it returns, each column
    // as text. False with SQLite's message when it fails, e.g. on a file opened
    // read-only. Synonyms values are passed as stored: scrambling is the
    // caller's business.
    bool execute(const QString &sql, const QVariantList &values, QList<QStringList> *rows = nullptr,
                 QString *error = nullptr);

private:
    Dictionary(sqlite3 *db, QString path, bool scrambled);
    bool loadIrregularForms(QString *error);
    // failFast: none while a lookup error is pending (see lastError()).
    sqlite3_stmt *statement(const QString &sql, bool failFast = true);
    // The lookup statement sql (%1: a word table) on word's table; nullptr
    // for a word of no table. Called under m_mutex.
    sqlite3_stmt *lookupStatement(QStringView sql, QStringView word);

    sqlite3 *m_db = nullptr;
    QString m_path;
    bool m_scrambled = true;
    QMutex m_mutex;
    QHash<QString, sqlite3_stmt *> m_statements;
    QString m_error; // see lastError()

    // IR rows in table order and, for each form written in them, the rows that
    // list it: irregularTag's search without a scan of the whole table. The
    // forms are views of the rows' texts, sorted once: no allocation each.
    struct IrRow
    {
        QString words;
        QString regular;
    };
    QList<IrRow> m_irRows;
    std::vector<std::pair<QStringView, int>> m_irForms; // (form, row), sorted

    // Headwords of each word table sorted without regard to ASCII case, loaded
    // on first use: phraseStatus reads a prefix range of them without a query.
    // One text holds a table's words; the views point into it.
    struct SortedWords
    {
        QString text;
        std::vector<QStringView> words;
    };
    QHash<QString, SortedWords> m_sortedWords;
    const std::vector<QStringView> &sortedWords(const QString &table);
};

// Plain text functions of the lookup engine.
namespace Lookup {

// The table of a word: its first character when that is an ASCII letter (upper
// case), else "Other"; empty for an empty word.
[[nodiscard]] QString tableFor(QStringView word);
// Regular inflection of word by tag (no dictionary involved).
[[nodiscard]] QString regularInflection(const QString &word, QStringView tag);
// Deletes every "<...>" marker; a comma takes its place unless it stood first.
[[nodiscard]] QString stripMarkers(const QString &list);
// The list up to (not including) its n-th comma.
[[nodiscard]] QString truncateList(const QString &list, int n);
// Upper-cases the first character and every one after a comma (a-z only).
[[nodiscard]] QString capitaliseList(const QString &list);
// The popup's variant: the characters after ">" and "," (a-z only).
[[nodiscard]] QString capitaliseMarkedList(const QString &list);
// Types shown in the popup for an irregular form's tag.
[[nodiscard]] QString popupTypeFilter(QStringView tag);

} // namespace Lookup
