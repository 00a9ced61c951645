#include "dictionary/wordlibrary.h"
#include "engine/storescrambler.h"
#include "filetestutil.h"
#include "testdictionary.h"

#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(WordLibrary::WordCheck)

namespace {

// Every row of a word table as "Words/Type/Synonyms", Synonyms as stored.
QStringList tableRows(const QString &path, const QString &table)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return rows;
    sqlite3_stmt *s = nullptr;
    const QByteArray sql =
        "SELECT Words, Type, Synonyms FROM \"" + table.toUtf8() + "\" ORDER BY ss";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) == SQLITE_OK) {
        while (sqlite3_step(s) == SQLITE_ROW) {
            QStringList fields;
            for (int c = 0; c < 3; ++c) {
                const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(s, c));
                fields << (text ? QString::fromUtf16(text, sqlite3_column_bytes16(s, c) / 2)
                                : u"<null>"_s);
            }
            rows << fields.join(u'/');
        }
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

} // namespace

class TestWordLibrary : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<Dictionary> m_dict;

    // A fresh plain, writable dictionary for each test.
    void makeDictionary(const QList<TestDictionary::Entry> &entries, bool scrambled = false)
    {
        m_dict.reset();
        m_path = m_dir.filePath(u"library.db"_s);
        QFile::remove(m_path);
        QVERIFY(TestDictionary::create(m_path, entries, {}, scrambled));
        QString error;
        m_dict = Dictionary::open(m_path, scrambled, true, &error);
        QVERIFY2(m_dict, qPrintable(error));
    }

    QString synonymsOf(const QString &word, const QString &type)
    {
        const WordLibrary::Rows found = WordLibrary::sense(*m_dict, word, type);
        return found.rows.isEmpty() ? u"<none>"_s : found.rows.first().synonyms;
    }

private Q_SLOTS:
    void checkWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<WordLibrary::WordCheck>("check");
        QTest::newRow("plain") << u"big"_s << WordLibrary::WordCheck::Ok;
        QTest::newRow("apostrophe") << u"it's"_s << WordLibrary::WordCheck::Ok;
        QTest::newRow("phrase") << u"look after"_s << WordLibrary::WordCheck::Ok;
        QTest::newRow("empty") << QString() << WordLibrary::WordCheck::Empty;
        QTest::newRow("comma") << u"a,b"_s << WordLibrary::WordCheck::Illegal;
        QTest::newRow("bar") << u"a|b"_s << WordLibrary::WordCheck::Illegal;
        QTest::newRow("double quote") << u"6\""_s << WordLibrary::WordCheck::Illegal;
        QTest::newRow("opening brace") << u"{a"_s << WordLibrary::WordCheck::Illegal;
        QTest::newRow("closing brace") << u"a}"_s << WordLibrary::WordCheck::Illegal;
    }
    void checkWord()
    {
        QFETCH(QString, word);
        QFETCH(WordLibrary::WordCheck, check);
        QCOMPARE(WordLibrary::checkWord(word), check);
    }

    void cleanAndNew_data() { TestUtil::addTableRows(u"wordlibrary/clean-and-new.tsv"_s); }
    void cleanAndNew()
    {
        FETCH_WITH_CONTROLS(typed);
        QFETCH(QString, existing);
        QFETCH(QString, cleaned);
        QFETCH(QString, added);
        QCOMPARE(WordLibrary::cleanSynonymText(typed), cleaned);
        QCOMPARE(WordLibrary::newSynonyms(cleaned, existing.split(u',', Qt::SkipEmptyParts)),
                 added);
    }

    void splitSynonyms()
    {
        QCOMPARE(WordLibrary::splitSynonyms(u"big,large,huge"_s),
                 (QStringList{u"big"_s, u"large"_s, u"huge"_s}));
        QCOMPARE(WordLibrary::splitSynonyms(u"a,,b"_s), QStringList{u"a"_s});
        QCOMPARE(WordLibrary::splitSynonyms(QString()), QStringList{});
    }

    void sensesInTableOrder()
    {
        makeDictionary({{u"walk"_s, u"verb"_s, u"stroll"_s}, {u"walk"_s, u"noun"_s, u"hike"_s}});
        const WordLibrary::Rows found = WordLibrary::senses(*m_dict, u"Walk"_s);
        QVERIFY(found.ok());
        QCOMPARE(found.rows.size(), 2);
        QCOMPARE(found.rows[0].type, u"verb"_s);
        QCOMPARE(found.rows[1].synonyms, u"hike"_s);
        QCOMPARE(synonymsOf(u"walk"_s, u"Noun"_s), u"hike"_s);
        QCOMPARE(synonymsOf(u"walk"_s, u"adverb"_s), u"<none>"_s);
    }

    void addingToASenseKeepsItsOrder()
    {
        makeDictionary({{u"big"_s, u"adjective"_s, u"large"_s}});
        const QString added = WordLibrary::newSynonyms(
            WordLibrary::cleanSynonymText(u" big|large, huge"_s), {u"large"_s});
        const WordLibrary::SaveResult saved =
            WordLibrary::saveSense(*m_dict, u"big"_s, u"adjective"_s, u"large,"_s + added);
        QCOMPARE(saved.status, WordLibrary::SaveStatus::Updated);
        QCOMPARE(tableRows(m_path, u"B"_s), QStringList{u"big/adjective/large,big,huge"_s});
    }

    void saveSenseInsertsUpdatesAndDeletes()
    {
        makeDictionary({{u"big"_s, u"adjective"_s, u"large"_s}});
        using WordLibrary::SaveStatus;
        QCOMPARE(WordLibrary::saveSense(*m_dict, u"big"_s, u"noun"_s, u"giant"_s).status,
                 SaveStatus::Inserted);
        QCOMPARE(WordLibrary::saveSense(*m_dict, u"big"_s, u"noun"_s, u"giant,titan"_s).status,
                 SaveStatus::Updated);
        QCOMPARE(tableRows(m_path, u"B"_s),
                 (QStringList{u"big/adjective/large"_s, u"big/noun/giant,titan"_s}));
        // The last synonym gone, the row goes; the other sense stays.
        QCOMPARE(WordLibrary::saveSense(*m_dict, u"big"_s, u"adjective"_s, QString()).status,
                 SaveStatus::Deleted);
        QCOMPARE(tableRows(m_path, u"B"_s), QStringList{u"big/noun/giant,titan"_s});
        QCOMPARE(WordLibrary::saveSense(*m_dict, u"big"_s, u"verb"_s, QString()).status,
                 SaveStatus::Unchanged);
        QCOMPARE(WordLibrary::saveSense(*m_dict, u"big"_s, QString(), u"x"_s).status,
                 SaveStatus::Skipped);
        QCOMPARE(WordLibrary::saveSense(*m_dict, QString(), u"noun"_s, u"x"_s).status,
                 SaveStatus::Skipped);
        QCOMPARE(tableRows(m_path, u"B"_s), QStringList{u"big/noun/giant,titan"_s});
    }

    void backLinks()
    {
        makeDictionary({
            {u"large"_s, u"adjective"_s, u"big"_s},
            {u"huge"_s, u"adjective"_s, u"vast"_s},
            {u"great"_s, u"adjective"_s, u"grand,large"_s},
        });
        QString error;
        QVERIFY2(WordLibrary::addBackLinks(*m_dict, u"large"_s, u"adjective"_s,
                                           u"big,huge,great,3d"_s, &error),
                 qPrintable(error));
        // big had no adjective row: one is made in its own table.
        QCOMPARE(tableRows(m_path, u"B"_s), QStringList{u"big/adjective/large"_s});
        QCOMPARE(tableRows(m_path, u"H"_s), QStringList{u"huge/adjective/vast,large"_s});
        // great already lists large: unchanged.
        QCOMPARE(tableRows(m_path, u"G"_s), QStringList{u"great/adjective/grand,large"_s});
        QCOMPARE(tableRows(m_path, u"Other"_s), QStringList{u"3d/adjective/large"_s});
        // Once more changes nothing.
        QVERIFY(WordLibrary::addBackLinks(*m_dict, u"large"_s, u"adjective"_s, u"big,huge"_s));
        QCOMPARE(tableRows(m_path, u"H"_s), QStringList{u"huge/adjective/vast,large"_s});
        // Without a type or a word nothing is written.
        QVERIFY(WordLibrary::addBackLinks(*m_dict, u"large"_s, QString(), u"tall"_s));
        QVERIFY(WordLibrary::addBackLinks(*m_dict, QString(), u"adjective"_s, u"tall"_s));
        QCOMPARE(tableRows(m_path, u"T"_s), QStringList{});
    }

    void doubleQuotesAreStoredAsTyped()
    {
        makeDictionary({{u"tall"_s, u"adjective"_s, u"high"_s}});
        const QString quoted = u"6\" high"_s;
        QCOMPARE(
            WordLibrary::saveSense(*m_dict, u"tall"_s, u"adjective"_s, u"high,"_s + quoted).status,
            WordLibrary::SaveStatus::Updated);
        QVERIFY(WordLibrary::addBackLinks(*m_dict, u"tall"_s, u"adjective"_s, quoted));
        QCOMPARE(tableRows(m_path, u"T"_s), QStringList{u"tall/adjective/high,6\" high"_s});
        QCOMPARE(tableRows(m_path, u"Other"_s), QStringList{u"6\" high/adjective/tall"_s});
        QCOMPARE(m_dict->synonyms(u"tall"_s), u"<adjective>high,6\" high"_s);
    }

    void deleteSense()
    {
        makeDictionary({
            {u"fly"_s, u"verb"_s, u"soar"_s},
            {u"fly"_s, u"noun"_s, u"insect"_s},
            {u"fly"_s, QString(), u"odd"_s},
        });
        QVERIFY(WordLibrary::deleteSense(*m_dict, u"fly"_s, u"verb"_s));
        QCOMPARE(tableRows(m_path, u"F"_s), (QStringList{u"fly/noun/insect"_s, u"fly//odd"_s}));
        // An empty type removes only the rows whose type is empty.
        QVERIFY(WordLibrary::deleteSense(*m_dict, u"fly"_s, QString()));
        QCOMPARE(tableRows(m_path, u"F"_s), QStringList{u"fly/noun/insect"_s});
    }

    void scrambledFilesStayScrambled()
    {
        makeDictionary({{u"big"_s, u"adjective"_s, u"large"_s}}, true);
        QCOMPARE(WordLibrary::saveSense(*m_dict, u"big"_s, u"adjective"_s, u"large,huge"_s).status,
                 WordLibrary::SaveStatus::Updated);
        QVERIFY(WordLibrary::addBackLinks(*m_dict, u"big"_s, u"adjective"_s, u"huge"_s));
        QCOMPARE(m_dict->synonyms(u"big"_s), u"<adjective>large,huge"_s);
        QCOMPARE(m_dict->synonyms(u"huge"_s), u"<adjective>big"_s);
        QCOMPARE(tableRows(m_path, u"B"_s),
                 QStringList{u"big/adjective/"_s + StoreScrambler::applied(u"large,huge"_s)});
        QCOMPARE(synonymsOf(u"big"_s, u"adjective"_s), u"large,huge"_s);
    }

    void readOnlyFileReportsTheFailure()
    {
        makeDictionary({{u"big"_s, u"adjective"_s, u"large"_s}});
        m_dict.reset();
        QString error;
        m_dict = Dictionary::open(m_path, false, false, &error);
        QVERIFY(m_dict);
        const WordLibrary::SaveResult saved =
            WordLibrary::saveSense(*m_dict, u"big"_s, u"adjective"_s, u"large,huge"_s);
        QCOMPARE(saved.status, WordLibrary::SaveStatus::WriteFailed);
        QVERIFY(!saved.error.isEmpty());
        QVERIFY(!WordLibrary::deleteSense(*m_dict, u"big"_s, u"adjective"_s, &error));
        QVERIFY(!error.isEmpty());
        error.clear();
        QVERIFY(!WordLibrary::addBackLinks(*m_dict, u"big"_s, u"adjective"_s, u"huge"_s, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(tableRows(m_path, u"B"_s), QStringList{u"big/adjective/large"_s});
    }
};

QTEST_GUILESS_MAIN(TestWordLibrary)
#include "tst_wordlibrary.moc"
