#pragma once

#include <QHash>
#include <QString>

#include <initializer_list>
#include <variant>

struct sqlite3;
struct sqlite3_stmt;

// Writes a new dictionary file: the schema of DictionarySchema, then rows
// inserted through prepared statements inside one transaction. Everything goes
// to a partial file beside the target, renamed over it by commit(); a writer
// destroyed before commit() removes the partial file, so a failed build never
// leaves a half-written dictionary.
class DictionaryWriter
{
public:
    explicit DictionaryWriter(const QString &path);
    ~DictionaryWriter();
    DictionaryWriter(const DictionaryWriter &) = delete;
    DictionaryWriter &operator=(const DictionaryWriter &) = delete;

    bool open(QString *error);
    // table: one of DictionarySchema::wordTables().
    bool addWord(const QString &table, const QString &headword, const QString &type,
                 const QString &synonyms, QString *error);
    bool addIrregular(const QString &base, const QString &regular, QString *error);
    // A line of the build report (table BuildReport: Reason, Count), which
    // says what the build kept and left out; readers of the word tables never
    // look at it.
    bool addReport(const QString &reason, qint64 count, QString *error);
    // How many leading synonyms of a word row share its main meaning (table
    // MainSense: Words, Type, Count); readers that do not know it ignore it.
    bool addMainSense(const QString &headword, const QString &type, int count, QString *error);
    bool commit(QString *error);

    // The word-table rule: an ASCII letter names its table ("A".."Z"),
    // anything else goes to "Other".
    static QString tableFor(const QString &headword);

private:
    bool execute(const QString &statement, QString *error);
    bool storeSortedWords(QString *error);
    // Binds values to ?1, ?2, ... and runs the insert.
    bool insert(sqlite3_stmt *statement,
                std::initializer_list<std::variant<QString, qint64>> values, QString *error);
    bool prepare(const QString &statement, sqlite3_stmt **out, QString *error);
    bool step(sqlite3_stmt *statement, QString *error);
    QString lastError() const;
    void finalizeStatements();
    void close();

    QString m_path;
    QString m_partialPath;
    sqlite3 *m_db = nullptr;
    QHash<QString, sqlite3_stmt *> m_wordInserts;
    sqlite3_stmt *m_irInsert = nullptr;
    sqlite3_stmt *m_reportInsert = nullptr;
    sqlite3_stmt *m_mainSenseInsert = nullptr;
};
