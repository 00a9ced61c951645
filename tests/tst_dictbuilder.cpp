#include "dictionary/dictionary.h"
#include "engine/storescrambler.h"
#include "filetestutil.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringConverter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Builder = QStringLiteral(REWORDIX_BIN_DIR "/../tools/rewordix-dictbuilder");
const QString Data = QStringLiteral(REWORDIX_TEST_DATA "/dictbuilder");
const QString FilterData = QStringLiteral(REWORDIX_TEST_DATA "/dictionary");

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
    QStringList arguments;
    arguments << u"--thesaurus"_s << Data + u"/thesaurus.dat"_s;
    arguments << u"--exceptions"_s << Data + u"/wordnet"_s;
    arguments << u"--counts"_s << Data + u"/wordnet/cntlist.rev"_s;
    arguments << u"--irregular"_s << Data + u"/irregular.txt"_s;
    arguments << u"--function-words"_s << Data + u"/function-words.txt"_s;
    arguments << u"--supplement"_s << FilterData + u"/supplement-none.txt"_s;
    arguments << u"--out"_s << out;
    return arguments;
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
    QString m_filtered;
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
        m_filtered = m_dir.filePath(u"filtered.dll"_s);
        const Run filtered =
            runBuilder(fixtureArguments(m_filtered)
                       << u"--plain"_s << u"--scowl"_s << FilterData + u"/scowl"_s
                       << u"--blocklist"_s << FilterData + u"/blocklist-fixture.txt"_s
                       << u"--supplement"_s << FilterData + u"/supplement-fixture.txt"_s);
        QVERIFY2(filtered.exitCode == 0, qPrintable(filtered.err));
    }

    void allTablesExist()
    {
        Database db(m_plain);
        QVERIFY(db.isOpen());
        QStringList names;
        for (const QStringList &row :
             db.rows(u"SELECT name FROM sqlite_master WHERE type='table'"_s))
            names << row.first();
        const QStringList tables = allTables() << u"IR"_s << u"SortedWords"_s;
        for (const QString &table : tables)
            QVERIFY2(names.contains(table), qPrintable(table));
    }

    void synonyms_data() { TestUtil::addTableRows(u"dictbuilder/synonym-rows.tsv"_s); }
    void synonyms()
    {
        QFETCH(QString, build);
        QFETCH(QString, word);
        QFETCH(QString, type);
        QFETCH(QString, expected);
        Database db(build == u"filtered" ? m_filtered : m_plain);
        QCOMPARE(
            db.rows(uR"(SELECT Synonyms FROM "%1" WHERE Words=?1 AND Type=?2)"_s.arg(tableOf(word)),
                    {word, type}),
            QList<QStringList>{{expected}});
    }

    void absentHeadwords_data() { TestUtil::addTableRows(u"dictbuilder/absent-headwords.tsv"_s); }
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

    // How many leading synonyms an automatic rewrite may use: the main
    // meaning's own words that read as it (big: "bad", not its similar terms
    // large, huge), the hand-picked ones (box: crate), none for a "-" (fast).
    void mainSense()
    {
        Database db(m_filtered);
        QCOMPARE(db.rows(u"SELECT Words, Type, Count FROM MainSense ORDER BY Words, Type"_s),
                 (QList<QStringList>{{u"big"_s, u"adjective"_s, u"1"_s},
                                     {u"box"_s, u"noun"_s, u"1"_s},
                                     {u"fast"_s, u"adjective"_s, u"0"_s},
                                     {u"run"_s, u"verb"_s, u"1"_s}}));
    }

    void blockedWordLeavesNoRow()
    {
        Database db(m_filtered);
        QCOMPARE(db.value(u"SELECT COUNT(*) FROM T WHERE Words='turkey'"_s), u"0"_s);
    }

    // What the build kept and left out, stored for rewordix-cli dict-info.
    void buildReport()
    {
        Database db(m_filtered);
        const auto count = [&](const QString &reason) {
            return db.value(u"SELECT Count FROM BuildReport WHERE Reason=?1"_s, {reason});
        };
        int rows = 0;
        for (const QString &table : allTables())
            rows += db.value(uR"(SELECT COUNT(*) FROM "%1")"_s.arg(table)).toInt();
        QCOMPARE(count(u"kept: word rows"_s).toInt(), rows);
        QCOMPARE(count(u"headword dropped: function word"_s), u"3"_s);
        // The fixture lists hold only the words the filters test reads.
        QVERIFY(count(u"synonym dropped: rare"_s).toInt() > 2);
        QCOMPARE(count(u"synonym dropped: offensive"_s), u"1"_s);
        QCOMPARE(count(u"sense dropped: offensive"_s), u"1"_s);
        QCOMPARE(count(u"kept: rows led by hand-picked words"_s), u"1"_s);
        QString error;
        QVERIFY2(Dictionary::open(m_filtered, false, false, &error), qPrintable(error));
    }

    void irregularRows_data() { TestUtil::addTableRows(u"dictbuilder/irregular-rows.tsv"_s); }
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
        QCOMPARE(db.value(u"SELECT COUNT(*) FROM IR"_s), u"6"_s);
    }

    // The dictionary's own lookup reads the forms back; "making" is a noun
    // headword, yet its IR field comes first.
    void inflectionTags_data() { TestUtil::addTableRows(u"dictbuilder/inflection-tags.tsv"_s); }
    void inflectionTags()
    {
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QString error;
        const auto dictionary = Dictionary::open(m_plain, false, false, &error);
        QVERIFY2(dictionary, qPrintable(error));
        QCOMPARE(dictionary->inflectionTag(word), tag);
    }

    void printsCounts()
    {
        QVERIFY2(m_plainRun.out.contains(u"Word rows: 19 "_s), qPrintable(m_plainRun.out));
        QVERIFY2(m_plainRun.out.contains(u"IR rows: 6 "_s), qPrintable(m_plainRun.out));
        QVERIFY2(m_plainRun.out.contains(u"Headwords skipped, function word: 3"_s),
                 qPrintable(m_plainRun.out));
        QVERIFY2(m_plainRun.out.contains(u"Headwords skipped, invalid character: 2"_s),
                 qPrintable(m_plainRun.out));
    }

    // Without --function-words the list built into the program applies.
    void builtInFunctionWords()
    {
        QStringList arguments = fixtureArguments(m_dir.filePath(u"builtin.dll"_s)) << u"--plain"_s;
        arguments.remove(arguments.indexOf(u"--function-words"_s), 2);
        const Run run = runBuilder(arguments);
        QCOMPARE(run.exitCode, 0);
        // are, can, Can and us ("us" has only an acronym sense besides).
        QVERIFY2(run.out.contains(u"Headwords skipped, function word: 4"_s), qPrintable(run.out));
        Database db(m_dir.filePath(u"builtin.dll"_s));
        QCOMPARE(db.value(u"SELECT COUNT(*) FROM A WHERE Words='are'"_s), u"0"_s);
        QCOMPARE(db.value(u"SELECT COUNT(*) FROM C WHERE Words='can'"_s), u"0"_s);
        QCOMPARE(db.value(u"SELECT COUNT(*) FROM M WHERE Words='make'"_s), u"1"_s);
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

    void badInput_data() { TestUtil::addTableRows(u"dictbuilder/bad-input.tsv"_s); }
    void badInput()
    {
        QFETCH(QString, option);
        QFETCH(QString, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString input = dir.filePath(u"input"_s);
        if (!content.isEmpty()) {
            QFile file(input);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content.toUtf8());
        }
        const QString out = dir.filePath(u"SysFuns.dll"_s);
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("previous dictionary");
        }
        QStringList arguments = fixtureArguments(out);
        if (arguments.contains(option))
            arguments[arguments.indexOf(option) + 1] = input;
        else
            arguments << option << input;
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
        const auto firstOf = [&](const QString &word, const QString &type, int n) {
            return synonymsOf(word, type).split(u',').mid(0, n);
        };
        const auto holdsAny = [](const QStringList &list, const QStringList &wanted) {
            return std::any_of(wanted.cbegin(), wanted.cend(),
                               [&](const QString &w) { return list.contains(w); });
        };
        const QStringList big = firstOf(u"big"_s, u"adjective"_s, 30);
        QVERIFY2(big.mid(0, 3).contains(u"large"_s), qPrintable(big.join(u',')));
        QVERIFY2(holdsAny(big.mid(0, 3), {u"great"_s, u"huge"_s, u"enormous"_s, u"giant"_s}),
                 qPrintable(big.join(u',')));
        QVERIFY2(holdsAny(big.mid(0, 6), {u"huge"_s, u"enormous"_s}), qPrintable(big.join(u',')));
        QVERIFY2(big.indexOf(u"bad"_s) > big.indexOf(u"huge"_s), qPrintable(big.join(u',')));
        const QStringList beautiful = firstOf(u"beautiful"_s, u"adjective"_s, 5);
        QVERIFY2(holdsAny(beautiful, {u"lovely"_s, u"pretty"_s, u"gorgeous"_s}),
                 qPrintable(beautiful.join(u',')));
        const QStringList good = firstOf(u"good"_s, u"adjective"_s, 5);
        QVERIFY2(holdsAny(good, {u"great"_s, u"fine"_s, u"nice"_s}), qPrintable(good.join(u',')));
        // A familiar word is listed, and before a rare one when that is listed.
        const auto before = [](const QStringList &list, const QString &a, const QString &b) {
            const qsizetype at = list.indexOf(a);
            return at >= 0 && (list.indexOf(b) < 0 || at < list.indexOf(b));
        };
        const QStringList house = firstOf(u"house"_s, u"noun"_s, 30);
        QVERIFY2(before(house, u"home"_s, u"menage"_s), qPrintable(house.join(u',')));
        const QStringList show = firstOf(u"show"_s, u"verb"_s, 30);
        QVERIFY2(before(show, u"display"_s, u"evince"_s), qPrintable(show.join(u',')));
        QVERIFY2(before(show, u"reveal"_s, u"evince"_s), qPrintable(show.join(u',')));
        QVERIFY(synonymsOf(u"car"_s, u"noun"_s).startsWith(u"automobile,"_s));
        for (const QString &word : {u"are"_s, u"can"_s, u"will"_s, u"one"_s, u"might"_s, u"in"_s,
                                    u"up"_s, u"do"_s, u"be"_s})
            QCOMPARE(
                db.value(uR"(SELECT COUNT(*) FROM "%1" WHERE lower(Words)=?1)"_s.arg(tableOf(word)),
                         {word}),
                u"0"_s);

        const auto irregular = [&](const QString &word) {
            return db.value(u"SELECT Regular FROM IR WHERE Words=?1"_s, {word});
        };
        for (const auto &[word, field] : {std::pair{u"go"_s, u"sp=went;"_s},
                                          {u"stop"_s, u"ip=stopping;"_s},
                                          {u"panic"_s, u"sp=panicked;"_s},
                                          {u"child"_s, u"pl=children;"_s},
                                          {u"have"_s, u"tp=has;"_s},
                                          {u"make"_s, u"ip=making;"_s}})
            QVERIFY2(irregular(word).contains(field), qPrintable(word));
        // The standard form first; a zero plural; a word of its own marked.
        QVERIFY(irregular(u"work"_s).startsWith(u"sp=worked|"_s));
        QCOMPARE(irregular(u"benefit"_s).section(u';', 0, 0), u"sp=benefited|benefitted"_s);
        QCOMPARE(irregular(u"sheep"_s), u"pl=sheep;"_s);
        QCOMPARE(irregular(u"his"_s), u"if=his;"_s);
        {
            QString error;
            const auto dictionary = Dictionary::open(path, true, false, &error);
            QVERIFY2(dictionary, qPrintable(error));
            for (const QStringList &row :
                 FileTest::tableRows(u"dictbuilder/shipped-inflection-tags.tsv"_s))
                QCOMPARE(dictionary->inflectionTag(row.at(0)), row.value(1));
        }

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
        static const QRegularExpression field(
            u"^((if|sp|pp|ip|tp|pl)=[a-z'-]+(\\|[a-z'-]+)*;)+$"_s);
        for (const QStringList &row : db.rows(u"SELECT Words, Regular FROM IR"_s))
            QVERIFY2(field.match(row.at(1)).hasMatch(), qPrintable(row.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestDictBuilder)
#include "tst_dictbuilder.moc"
