#include "engine/storescrambler.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringConverter>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Builder = QStringLiteral(REWORDIX_BIN_DIR "/../tools/rewordix-dictbuilder");
const QString Data = QStringLiteral(REWORDIX_TEST_DATA "/dictbuilder");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runBuilder(const QStringList &arguments)
{
    QProcess process;
    process.start(Builder, arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList fixtureArguments(const QString &out)
{
    return {u"--thesaurus"_s,  Data + u"/thesaurus.dat"_s,
            u"--exceptions"_s, Data + u"/wordnet"_s,
            u"--counts"_s,     Data + u"/wordnet/cntlist.rev"_s,
            u"--irregular"_s,  Data + u"/irregular.txt"_s,
            u"--out"_s,        out};
}

// Read-only view of a dictionary file; values come back as text, rows as lists.
class Database
{
public:
    explicit Database(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~Database() { sqlite3_close(m_db); }
    bool isOpen() const { return m_db; }

    QList<QStringList> rows(const QString &sql, const QStringList &values = {}) const
    {
        QList<QStringList> result;
        sqlite3_stmt *statement = nullptr;
        if (!m_db || sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) !=
                         SQLITE_OK)
            return {{u"error"_s}};
        for (int i = 0; i < values.size(); ++i)
            sqlite3_bind_text16(statement, i + 1, values.at(i).utf16(),
                                int(values.at(i).size() * 2), SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto *text =
                    static_cast<const char16_t *>(sqlite3_column_text16(statement, c));
                row << QString::fromUtf16(text, sqlite3_column_bytes16(statement, c) / 2);
            }
            result << row;
        }
        sqlite3_finalize(statement);
        return result;
    }

    QString value(const QString &sql, const QStringList &values = {}) const
    {
        const QList<QStringList> all = rows(sql, values);
        return all.isEmpty() || all.first().isEmpty() ? QString() : all.first().first();
    }

private:
    sqlite3 *m_db = nullptr;
};

QString tableOf(const QString &word)
{
    const QChar first = word.at(0);
    return first.unicode() < 128 && first.isLetter() ? QString(first.toUpper()) : u"Other"_s;
}

QStringList allTables()
{
    QStringList tables;
    for (char16_t c = u'A'; c <= u'Z'; ++c)
        tables << QString(QChar(c));
    return tables << u"Other"_s;
}

bool hasForbidden(const QString &text)
{
    static const QRegularExpression forbidden(u"[|{}\"\\r\\n]"_s);
    return text.contains(forbidden);
}

} // namespace

class TestDictBuilder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_plain;
    QString m_scrambled;
    Run m_plainRun;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFile::exists(Builder));
        QVERIFY(m_dir.isValid());
        m_plain = m_dir.filePath(u"plain.dll"_s);
        m_scrambled = m_dir.filePath(u"scrambled.dll"_s);
        m_plainRun = runBuilder(fixtureArguments(m_plain) << u"--plain"_s);
        QCOMPARE(m_plainRun.exitCode, 0);
        QCOMPARE(runBuilder(fixtureArguments(m_scrambled)).exitCode, 0);
    }

    void allTablesExist()
    {
        Database db(m_plain);
        QVERIFY(db.isOpen());
        QStringList names;
        for (const QStringList &row :
             db.rows(u"SELECT name FROM sqlite_master WHERE type='table'"_s))
            names << row.first();
        const QStringList tables = allTables() << u"IR"_s;
        for (const QString &table : tables)
            QVERIFY2(names.contains(table), qPrintable(table));
    }

    void synonyms_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no similar terms or antonyms, senses by count")
            << u"big"_s << u"adjective"_s << u"bad,large"_s;
        QTest::newRow("words by count, duplicates once")
            << u"fast"_s << u"adjective"_s << u"firm,immobile,quick,rapid,speedy"_s;
        QTest::newRow("sense not in WordNet kept")
            << u"fast"_s << u"adverb"_s << u"quickly,rapidly"_s;
        QTest::newRow("headword never listed, case-insensitive dedup")
            << u"hot"_s << u"adjective"_s << u"warm,heated,spicy,peppery"_s;
        QTest::newRow("senses of one type merged, repeated headword merged")
            << u"run"_s << u"verb"_s << u"operate,scat,escape,work"_s;
        QTest::newRow("other type, generic term left out") << u"run"_s << u"noun"_s << u"tally"_s;
        QTest::newRow("forbidden characters and commas left out")
            << u"curly"_s << u"adjective"_s << u"wavy,plain word"_s;
        QTest::newRow("binomial name left out") << u"turkey"_s << u"noun"_s << u"gobbler"_s;
        QTest::newRow("genus name kept") << u"malus"_s << u"noun"_s << u"genus Malus"_s;
        QTest::newRow("table Other") << u"3d"_s << u"adjective"_s << u"three-dimensional"_s;
    }
    void synonyms()
    {
        QFETCH(QString, word);
        QFETCH(QString, type);
        QFETCH(QString, expected);
        Database db(m_plain);
        const auto rows =
            db.rows(uR"(SELECT Synonyms FROM "%1" WHERE Words=?1 AND Type=?2)"_s.arg(tableOf(word)),
                    {word, type});
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().first(), expected);
    }

    void absentHeadwords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("only a rare sense (apple tree)") << u"apple"_s;
        QTest::newRow("only an acronym sense") << u"us"_s;
        QTest::newRow("single character") << u"x"_s;
        QTest::newRow("comma") << u"a,b"_s;
        QTest::newRow("double quote") << u"say \"hi\""_s;
    }
    void absentHeadwords()
    {
        QFETCH(QString, word);
        Database db(m_plain);
        for (const QString &table : allTables())
            QCOMPARE(db.value(uR"(SELECT COUNT(*) FROM "%1" WHERE Words=?1)"_s.arg(table), {word}),
                     u"0"_s);
    }

    void oneRowPerHeadwordAndType()
    {
        Database db(m_plain);
        int total = 0;
        for (const QString &table : allTables()) {
            total += db.value(uR"(SELECT COUNT(*) FROM "%1")"_s.arg(table)).toInt();
            QCOMPARE(
                db.rows(
                      uR"(SELECT Words FROM "%1" GROUP BY lower(Words), Type HAVING COUNT(*) > 1)"_s
                          .arg(table))
                    .size(),
                0);
        }
        QCOMPARE(total, 19);
    }

    void mainPartOfSpeechFirst()
    {
        Database db(m_plain);
        const auto rows = db.rows(u"SELECT Type, Synonyms FROM W WHERE Words='walk' ORDER BY ss"_s);
        QCOMPARE(rows,
                 (QList<QStringList>{{u"verb"_s, u"stroll,amble"_s}, {u"noun"_s, u"stroll"_s}}));
    }

    void wellFormedValues()
    {
        Database db(m_plain);
        for (const QString &table : allTables()) {
            for (const QStringList &row :
                 db.rows(uR"(SELECT Words, Type, Synonyms FROM "%1")"_s.arg(table))) {
                for (const QString &value : row)
                    QVERIFY2(!value.isEmpty() && !hasForbidden(value), qPrintable(row.join(u' ')));
                const QString &synonyms = row.at(2);
                QVERIFY2(!synonyms.startsWith(u',') && !synonyms.endsWith(u',') &&
                             !synonyms.contains(u",,"_s) && !synonyms.contains(u", "_s) &&
                             !synonyms.contains(u" ,"_s),
                         qPrintable(synonyms));
                QCOMPARE(table, tableOf(row.first()));
            }
        }
    }

    void scrambledSynonyms()
    {
        Database plain(m_plain);
        Database scrambled(m_scrambled);
        for (const QString &table : allTables()) {
            const QString sql =
                uR"(SELECT Words, Type, Synonyms FROM "%1" ORDER BY ss)"_s.arg(table);
            const auto plainRows = plain.rows(sql);
            const auto scrambledRows = scrambled.rows(sql);
            QCOMPARE(scrambledRows.size(), plainRows.size());
            for (qsizetype i = 0; i < plainRows.size(); ++i) {
                QCOMPARE(scrambledRows.at(i).at(0), plainRows.at(i).at(0));
                QCOMPARE(scrambledRows.at(i).at(1), plainRows.at(i).at(1));
                QVERIFY(scrambledRows.at(i).at(2) != plainRows.at(i).at(2));
                QCOMPARE(StoreScrambler::applied(scrambledRows.at(i).at(2)), plainRows.at(i).at(2));
            }
        }
        QCOMPARE(scrambled.rows(u"SELECT Words, Regular FROM IR ORDER BY Words"_s),
                 plain.rows(u"SELECT Words, Regular FROM IR ORDER BY Words"_s));
    }

    void irregularRows_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("regular");
        QTest::newRow("own table") << u"go"_s << u"sp=went;pp=gone;"_s;
        QTest::newRow("own table wins, plural") << u"child"_s << u"pl=children;"_s;
        QTest::newRow("doubled consonant from verb.exc")
            << u"stop"_s << u"sp=stopped;pp=stopped;ip=stopping;"_s;
        QTest::newRow("plural from noun.exc") << u"wolf"_s << u"pl=wolves;"_s;
        QTest::newRow("base that is its own past leads with tp")
            << u"put"_s << u"tp=puts;sp=put;pp=put;ip=putting;"_s;
    }
    void irregularRows()
    {
        QFETCH(QString, base);
        QFETCH(QString, regular);
        Database db(m_plain);
        QCOMPARE(db.rows(u"SELECT Regular FROM IR WHERE Words=?1"_s, {base}),
                 QList<QStringList>{{regular}});
    }

    void irregularRowCount()
    {
        // walked and boxes are regular; zap is no verb of the thesaurus.
        Database db(m_plain);
        QCOMPARE(db.value(u"SELECT COUNT(*) FROM IR"_s), u"5"_s);
    }

    void printsCounts()
    {
        QVERIFY2(m_plainRun.out.contains(u"Word rows: 19 "_s), qPrintable(m_plainRun.out));
        QVERIFY2(m_plainRun.out.contains(u"IR rows: 5 "_s), qPrintable(m_plainRun.out));
        QVERIFY2(m_plainRun.out.contains(u"Headwords skipped, invalid character: 2"_s),
                 qPrintable(m_plainRun.out));
    }

    void latin1Thesaurus()
    {
        const QString thesaurus = m_dir.filePath(u"latin1.dat"_s);
        QFile file(thesaurus);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringEncoder(QStringConverter::Latin1)(
            u"ISO8859-1\ncaf\u00e9|1\n(noun)|coffee shop|coffeehouse\n"_s));
        file.close();
        QStringList arguments = fixtureArguments(m_dir.filePath(u"latin1.dll"_s)) << u"--plain"_s;
        arguments[1] = thesaurus;
        QCOMPARE(runBuilder(arguments).exitCode, 0);
        Database db(m_dir.filePath(u"latin1.dll"_s));
        QCOMPARE(db.value(u"SELECT Synonyms FROM C WHERE Words=?1"_s, {u"caf\u00e9"_s}),
                 u"coffeehouse,coffee shop"_s);
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing thesaurus") << u"--thesaurus"_s << QByteArray() << u"cannot read"_s;
        QTest::newRow("unknown encoding")
            << u"--thesaurus"_s << QByteArray("KOI8-R\nx|1\n(noun)|y\n") << u"encoding"_s;
        QTest::newRow("truncated thesaurus")
            << u"--thesaurus"_s << QByteArray("UTF-8\nbig|3\n(adj)|large\n") << u"line 2"_s;
        QTest::newRow("bad count line")
            << u"--counts"_s << QByteArray("big%3:00:01:: one 2\n") << u"line 1"_s;
        QTest::newRow("field without ;")
            << u"--irregular"_s << QByteArray("go sp=went\n") << u"line 1"_s;
        QTest::newRow("unknown tag")
            << u"--irregular"_s << QByteArray("# c\ngo xx=went;\n") << u"line 2"_s;
        QTest::newRow("invariant plural")
            << u"--irregular"_s << QByteArray("sheep pl=sheep;\n") << u"line 1"_s;
    }
    void badInput()
    {
        QFETCH(QString, option);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString input = dir.filePath(u"input"_s);
        if (!content.isEmpty()) {
            QFile file(input);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const QString out = dir.filePath(u"SysFuns.dll"_s);
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("previous dictionary");
        }
        QStringList arguments = fixtureArguments(out);
        arguments[arguments.indexOf(option) + 1] = input;
        const Run run = runBuilder(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QFile old(out);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("previous dictionary"));
        QVERIFY(!QFile::exists(out + u".partial"_s));
    }

    void missingOutputOption()
    {
        QCOMPARE(runBuilder({u"--irregular"_s, Data + u"/irregular.txt"_s}).exitCode, 2);
    }

    // The dictionary the build ships.
    void shippedDictionary()
    {
        const QString path = QStringLiteral(REWORDIX_BIN_DIR "/SysFuns.dll");
        if (!QFile::exists(path))
            QSKIP("SysFuns.dll has not been built");
        Database db(path);
        QVERIFY(db.isOpen());
        const auto synonymsOf = [&](const QString &word, const QString &type) {
            return StoreScrambler::applied(db.value(
                uR"(SELECT Synonyms FROM "%1" WHERE Words=?1 AND Type=?2)"_s.arg(tableOf(word)),
                {word, type}));
        };
        QVERIFY(
            !synonymsOf(u"apple"_s, u"noun"_s).startsWith(u"malus pumila"_s, Qt::CaseInsensitive));
        const QStringList big = synonymsOf(u"big"_s, u"adjective"_s).split(u',');
        QVERIFY2(big.mid(0, 3).contains(u"large"_s), qPrintable(big.join(u',')));
        QVERIFY(synonymsOf(u"car"_s, u"noun"_s).startsWith(u"automobile,"_s));

        QVERIFY(db.value(u"SELECT Regular FROM IR WHERE Words='go'"_s).contains(u"sp=went;"_s));
        QVERIFY(
            db.value(u"SELECT Regular FROM IR WHERE Words='stop'"_s).contains(u"ip=stopping;"_s));
        QVERIFY(
            db.value(u"SELECT Regular FROM IR WHERE Words='panic'"_s).contains(u"sp=panicked;"_s));
        QVERIFY(
            db.value(u"SELECT Regular FROM IR WHERE Words='child'"_s).contains(u"pl=children;"_s));
        QVERIFY(db.value(u"SELECT Regular FROM IR WHERE Words='have'"_s).contains(u"tp=has;"_s));

        int total = 0;
        for (const QString &table : allTables()) {
            for (const QStringList &row :
                 db.rows(uR"(SELECT Words, Type, Synonyms FROM "%1")"_s.arg(table))) {
                ++total;
                const QString synonyms = StoreScrambler::applied(row.at(2));
                QVERIFY2(!hasForbidden(row.at(0)) && !hasForbidden(row.at(1)) &&
                             !hasForbidden(synonyms) && !synonyms.isEmpty() &&
                             !synonyms.contains(u",,"_s),
                         qPrintable(row.join(u' ')));
            }
        }
        QVERIFY(total > 50000);
        static const QRegularExpression field(u"^((sp|pp|ip|tp|pl)=[a-z'-]+(\\|[a-z'-]+)*;)+$"_s);
        for (const QStringList &row : db.rows(u"SELECT Words, Regular FROM IR"_s))
            QVERIFY2(field.match(row.at(1)).hasMatch(), qPrintable(row.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestDictBuilder)
#include "tst_dictbuilder.moc"
