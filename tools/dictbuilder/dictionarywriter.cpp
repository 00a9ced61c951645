#include "dictionarywriter.h"

#include "dictionary/dictionaryschema.h"

#include <QFile>

#include <cstdio>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    // The text outlives the step that reads it, so SQLite need not copy it.
    sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                        SQLITE_STATIC);
}

} // namespace

DictionaryWriter::DictionaryWriter(const QString &path)
    : m_path(path), m_partialPath(path + u".partial"_s)
{}

DictionaryWriter::~DictionaryWriter()
{
    close();
    if (!m_partialPath.isEmpty())
        QFile::remove(m_partialPath);
}

QString DictionaryWriter::tableFor(const QString &headword)
{
    if (headword.isEmpty())
        return {};
    const char16_t first = headword.at(0).unicode();
    if ((first >= u'a' && first <= u'z') || (first >= u'A' && first <= u'Z'))
        return QString(QChar(first)).toUpper();
    return u"Other"_s;
}

QString DictionaryWriter::lastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : u"no database"_s;
}

bool DictionaryWriter::execute(const QString &statement, QString *error)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, statement.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    *error = u"%1: %2"_s.arg(statement, QString::fromUtf8(message));
    sqlite3_free(message);
    return false;
}

bool DictionaryWriter::prepare(const QString &statement, sqlite3_stmt **out, QString *error)
{
    if (sqlite3_prepare_v2(m_db, statement.toUtf8().constData(), -1, out, nullptr) == SQLITE_OK)
        return true;
    *error = u"%1: %2"_s.arg(statement, lastError());
    return false;
}

bool DictionaryWriter::step(sqlite3_stmt *statement, QString *error)
{
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (rc == SQLITE_DONE)
        return true;
    *error = u"insert failed: %1"_s.arg(lastError());
    return false;
}

bool DictionaryWriter::open(QString *error)
{
    QFile::remove(m_partialPath);
    if (sqlite3_open_v2(QFile::encodeName(m_partialPath).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *error = u"cannot create %1: %2"_s.arg(m_partialPath, lastError());
        close();
        return false;
    }
    // A partial file is thrown away on any failure, so it needs no journal.
    if (!execute(u"PRAGMA journal_mode=OFF"_s, error) ||
        !execute(u"PRAGMA synchronous=OFF"_s, error) || !execute(u"BEGIN"_s, error))
        return false;
    for (const QString &statement : DictionarySchema::createStatements())
        if (!execute(statement, error))
            return false;
    for (const QString &table : DictionarySchema::wordTables()) {
        sqlite3_stmt *insert = nullptr;
        if (!prepare(
                uR"(INSERT INTO "%1" (Words, Type, Synonyms) VALUES (?1, ?2, ?3))"_s.arg(table),
                &insert, error))
            return false;
        m_wordInserts.insert(table, insert);
    }
    return execute(u"CREATE TABLE BuildReport (Reason TEXT NOT NULL, Count INTEGER NOT NULL)"_s,
                   error) &&
           prepare(u"INSERT INTO BuildReport (Reason, Count) VALUES (?1, ?2)"_s, &m_reportInsert,
                   error) &&
           execute(u"CREATE TABLE MainSense (Words TEXT NOT NULL COLLATE NOCASE, "
                   u"Type TEXT NOT NULL, Count INTEGER NOT NULL)"_s,
                   error) &&
           execute(u"CREATE INDEX MainSenseWords ON MainSense (Words COLLATE NOCASE, Type)"_s,
                   error) &&
           prepare(u"INSERT INTO MainSense (Words, Type, Count) VALUES (?1, ?2, ?3)"_s,
                   &m_mainSenseInsert, error) &&
           prepare(u"INSERT INTO IR (Words, Regular) VALUES (?1, ?2)"_s, &m_irInsert, error);
}

bool DictionaryWriter::insert(sqlite3_stmt *statement,
                              std::initializer_list<std::variant<QString, qint64>> values,
                              QString *error)
{
    if (!statement) {
        *error = u"dictionary is not open"_s;
        return false;
    }
    int index = 1;
    for (const auto &value : values) {
        if (const QString *text = std::get_if<QString>(&value))
            bindText(statement, index++, *text);
        else
            sqlite3_bind_int64(statement, index++, std::get<qint64>(value));
    }
    return step(statement, error);
}

bool DictionaryWriter::addWord(const QString &table, const QString &headword, const QString &type,
                               const QString &synonyms, QString *error)
{
    sqlite3_stmt *statement = m_wordInserts.value(table);
    if (!statement) {
        *error = u"no word table \"%1\""_s.arg(table);
        return false;
    }
    return insert(statement, {headword, type, synonyms}, error);
}

bool DictionaryWriter::addIrregular(const QString &base, const QString &regular, QString *error)
{
    return insert(m_irInsert, {base, regular}, error);
}

bool DictionaryWriter::addReport(const QString &reason, qint64 count, QString *error)
{
    return insert(m_reportInsert, {reason, count}, error);
}

bool DictionaryWriter::addMainSense(const QString &headword, const QString &type, int count,
                                    QString *error)
{
    return insert(m_mainSenseInsert, {headword, type, qint64(count)}, error);
}

bool DictionaryWriter::commit(QString *error)
{
    if (!m_db) {
        *error = u"dictionary is not open"_s;
        return false;
    }
    if (!storeSortedWords(error) || !execute(u"COMMIT"_s, error))
        return false;
    finalizeStatements();
    if (sqlite3_close(m_db) != SQLITE_OK) {
        *error = u"cannot close %1: %2"_s.arg(m_partialPath, lastError());
        return false;
    }
    m_db = nullptr;
    // rename() replaces the target in one step: readers see the old file or the new one.
    if (std::rename(QFile::encodeName(m_partialPath).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        *error = u"cannot rename %1 to %2"_s.arg(m_partialPath, m_path);
        return false;
    }
    m_partialPath.clear();
    return true;
}

bool DictionaryWriter::storeSortedWords(QString *error)
{
    // Each word table's headwords in the order of its NOCASE index, joined by
    // line ends: a reader looks phrases up in them without sorting them at
    // every start. A table whose words hold a line end gets none, and a
    // change to a table (the library editor's) drops its row; readers then
    // sort the table themselves.
    if (!execute(u"CREATE TABLE SortedWords (Name TEXT PRIMARY KEY, Words TEXT NOT NULL)"_s, error))
        return false;
    for (const QString &table : DictionarySchema::wordTables()) {
        const QString drop = u"BEGIN DELETE FROM SortedWords WHERE Name = '%1'; END"_s.arg(table);
        if (!execute(
                uR"(INSERT INTO SortedWords (Name, Words) )"
                uR"(SELECT '%1', ifnull(group_concat(Words, char(10)), '') )"
                uR"(FROM (SELECT Words FROM "%1" ORDER BY Words) )"
                uR"(WHERE NOT EXISTS (SELECT 1 FROM "%1" WHERE instr(Words, char(10)) > 0))"_s.arg(
                    table),
                error) ||
            !execute(uR"(CREATE TRIGGER "%1_added" AFTER INSERT ON "%1" %2)"_s.arg(table, drop),
                     error) ||
            !execute(uR"(CREATE TRIGGER "%1_removed" AFTER DELETE ON "%1" %2)"_s.arg(table, drop),
                     error) ||
            !execute(uR"(CREATE TRIGGER "%1_renamed" AFTER UPDATE OF Words ON "%1" %2)"_s.arg(table,
                                                                                              drop),
                     error)) {
            return false;
        }
    }
    return true;
}

void DictionaryWriter::finalizeStatements()
{
    for (sqlite3_stmt *statement : std::as_const(m_wordInserts))
        sqlite3_finalize(statement);
    m_wordInserts.clear();
    for (sqlite3_stmt **statement : {&m_irInsert, &m_reportInsert, &m_mainSenseInsert}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
}

void DictionaryWriter::close()
{
    finalizeStatements();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}
