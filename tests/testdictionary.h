#pragma once

#include "dictionary/dictionary.h"
#include "dictionary/dictionaryschema.h"
#include "engine/storescrambler.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <sqlite3.h>

// Builds small hand-made dictionaries for the tests.
namespace TestDictionary {

struct Entry
{
    QString words;
    QString type;
    QString synonyms; // plain; scrambled on the way in when asked to
};

struct Irregular
{
    QString words;
    QString regular;
};

inline bool exec(sqlite3 *db, const QString &sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

inline bool insert(sqlite3 *db, const QString &sql, const QStringList &values)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
        return false;
    for (int i = 0; i < values.size(); ++i)
        sqlite3_bind_text16(s, i + 1, values[i].utf16(), int(values[i].size() * 2),
                            SQLITE_TRANSIENT);
    const bool ok = sqlite3_step(s) == SQLITE_DONE;
    sqlite3_finalize(s);
    return ok;
}

// Writes a new dictionary file at path.
inline bool create(const QString &path, const QList<Entry> &entries,
                   const QList<Irregular> &irregulars = {}, bool scrambled = true)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    bool ok = exec(db, QStringLiteral("BEGIN"));
    for (const QString &statement : DictionarySchema::createStatements())
        ok = ok && exec(db, statement);
    for (const Entry &e : entries) {
        const QString synonyms = scrambled ? StoreScrambler::applied(e.synonyms) : e.synonyms;
        ok = ok &&
             insert(db,
                    QStringLiteral("INSERT INTO \"%1\" (Words, Type, Synonyms) VALUES (?, ?, ?)")
                        .arg(Lookup::tableFor(e.words)),
                    {e.words, e.type, synonyms});
    }
    for (const Irregular &ir : irregulars)
        ok = ok && insert(db, QStringLiteral("INSERT INTO IR (Words, Regular) VALUES (?, ?)"),
                          {ir.words, ir.regular});
    ok = ok && exec(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
    return ok;
}

// Writes a new dictionary file at path, replacing one there, and opens it;
// null, with a warning saying why, when either fails.
inline std::unique_ptr<Dictionary> createAndOpen(const QString &path, const QList<Entry> &entries,
                                                 const QList<Irregular> &irregulars = {},
                                                 bool scrambled = true, bool writable = false)
{
    QFile::remove(path);
    if (!create(path, entries, irregulars, scrambled)) {
        qWarning("cannot write the dictionary %s", qPrintable(path));
        return nullptr;
    }
    QString error;
    std::unique_ptr<Dictionary> dictionary = Dictionary::open(path, scrambled, writable, &error);
    if (!dictionary)
        qWarning("%s", qPrintable(error));
    return dictionary;
}

// The base of a test class that keeps its dictionary files in a temporary
// folder.
class Fixture : public QObject
{
protected:
    QString file(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

// The small dictionary most engine tests use.
inline QList<Entry> standardEntries()
{
    return {
        {QStringLiteral("walk"), QStringLiteral("verb"), QStringLiteral("stroll,march,hike")},
        {QStringLiteral("walk"), QStringLiteral("noun"), QStringLiteral("stroll,promenade")},
        {QStringLiteral("fly"), QStringLiteral("verb"), QStringLiteral("soar,glide")},
        {QStringLiteral("fly"), QStringLiteral("noun"), QStringLiteral("insect")},
        {QStringLiteral("make"), QStringLiteral("verb"), QStringLiteral("create,build,produce")},
        {QStringLiteral("go"), QStringLiteral("verb"), QStringLiteral("move,travel,proceed")},
        {QStringLiteral("the"), QStringLiteral("article"), QStringLiteral("this")},
        {QStringLiteral("look"), QStringLiteral("verb"), QStringLiteral("glance,gaze,peer")},
        {QStringLiteral("look after"), QStringLiteral("verb"),
         QStringLiteral("care for,mind,tend")},
        {QStringLiteral("big"), QStringLiteral("adjective"), QStringLiteral("large,huge,great")},
        {QStringLiteral("child"), QStringLiteral("noun"), QStringLiteral("kid,youngster")},
        {QStringLiteral("try"), QStringLiteral("verb"), QStringLiteral("attempt,test")},
        {QStringLiteral("deal"), QStringLiteral("noun"),
         QStringLiteral("bargain,agreement,pact,contract,arrangement")},
        {QStringLiteral("USA"), QStringLiteral("noun"), QStringLiteral("America,United States")},
        {QStringLiteral("2011"), QStringLiteral("numeral"), QStringLiteral("two thousand eleven")},
        {QStringLiteral("élan"), QStringLiteral("noun"), QStringLiteral("flair,verve")},
    };
}

inline QList<Irregular> standardIrregulars()
{
    return {
        {QStringLiteral("go"), QStringLiteral("sp=went;pp=gone;ip=going;")},
        {QStringLiteral("child"), QStringLiteral("pl=children;")},
        {QStringLiteral("have"), QStringLiteral("sp=had;pp=had;tp=has;")},
        {QStringLiteral("lie"), QStringLiteral("sp=lay|lied;pp=lain|lied;ip=lying;")},
        {QStringLiteral("lay"), QStringLiteral("sp=laid;pp=laid;")},
        {QStringLiteral("stop"), QStringLiteral("sp=stopped;pp=stopped;ip=stopping;")},
        // "talks" has a row of its own, so the builder names the verb form only.
        {QStringLiteral("talk"), QStringLiteral("tp=talks;")},
    };
}

} // namespace TestDictionary
