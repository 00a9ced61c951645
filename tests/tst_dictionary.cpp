#include "app/apppaths.h"
#include "app/config.h"
#include "app/startup.h"
#include "dictionary/dictionary.h"
#include "dictionary/programdictionary.h"
#include "testdictionary.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Qt::Literals::StringLiterals;

class TestDictionaryLookup : public TestDictionary::Fixture
{
    Q_OBJECT

private:
    std::unique_ptr<Dictionary> m_dict;

    // The standard dictionary and words for the rules of irregular forms.
    static QList<TestDictionary::Entry> entries()
    {
        return TestDictionary::standardEntries() +
               QList<TestDictionary::Entry>{
                   {u"sheep"_s, u"noun"_s, u"lamb,ewe"_s}, {u"rent"_s, u"noun"_s, u"fee,hire"_s},
                   {u"put"_s, u"verb"_s, u"place,set"_s},  {u"hi"_s, u"noun"_s, u"hello"_s},
                   {u"argue"_s, u"verb"_s, u"debate"_s},   {u"burn"_s, u"verb"_s, u"char"_s},
                   {u"spill"_s, u"verb"_s, u"slop"_s},     {u"light"_s, u"verb"_s, u"ignite"_s},
                   {u"din"_s, u"noun"_s, u"noise"_s},      {u"car"_s, u"noun"_s, u"auto"_s},
                   {u"care"_s, u"verb"_s, u"mind"_s}};
    }
    static QList<TestDictionary::Irregular> irregulars()
    {
        return TestDictionary::standardIrregulars() +
               QList<TestDictionary::Irregular>{
                   {u"sheep"_s, u"pl=sheep;"_s},
                   {u"rend"_s, u"sp=rended|rent;pp=rended|rent;"_s},
                   {u"rent"_s, u"if=rent;"_s},
                   {u"his"_s, u"if=his;"_s},
                   {u"put"_s, u"sp=put;pp=put;ip=putting;"_s},
                   {u"burn"_s, u"sp=burned|burnt;pp=burned|burnt;"_s},
                   {u"spill"_s, u"sp=spilled|spilt;pp=spilled|spilt;"_s},
                   {u"light"_s, u"sp=lit|lighted;pp=lit|lighted;"_s},
                   {u"fulfil"_s, u"sp=fulfilled;pp=fulfilled;"_s},
                   {u"queue"_s, u"ip=queueing|queuing;"_s}};
    }

    std::unique_ptr<Dictionary> makeDictionary(const QString &name, bool scrambled)
    {
        return TestDictionary::createAndOpen(file(name), entries(), irregulars(), scrambled);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_dict = makeDictionary(u"standard.db"_s, true);
        QVERIFY(m_dict);
    }

    void inflectionTag_data() { TestUtil::addTableRows(u"dictionary/inflection-tags.tsv"_s); }
    void inflectionTag()
    {
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QCOMPARE(m_dict->inflectionTag(word), tag);
    }

    void formListedByTwoRows()
    {
        const auto d = TestDictionary::createAndOpen(
            file(u"readings.db"_s),
            {{u"leave"_s, u"verb"_s, u"go,depart"_s}, {u"left"_s, u"adjective"_s, u"remaining"_s}},
            {{u"leave"_s, u"sp=left;pp=left;"_s}, {u"lift"_s, u"pp=lifted|left;"_s}});
        QVERIFY(d);
        QCOMPARE(d->inflectionTag(u"left"_s), u"sp|pp:leave|lift"_s);
        QCOMPARE(d->readingsList(u"sp|pp:leave|lift"), u"<verb>goed,departed"_s);
    }

    void synonyms()
    {
        QCOMPARE(m_dict->synonyms(u"walk"_s), u"<verb>stroll,march,hike<noun>stroll,promenade"_s);
        QCOMPARE(m_dict->synonyms(u"WALK"_s), m_dict->synonyms(u"walk"_s));
        QCOMPARE(m_dict->synonyms(u"walk"_s, u"noun"_s), u"<noun>stroll,promenade"_s);
        QCOMPARE(m_dict->synonyms(u"walk"_s, u"verb,adjective,adverb"_s),
                 u"<verb>stroll,march,hike"_s);
        QCOMPARE(m_dict->synonyms(u"walk\"x"_s), QString());
        QCOMPARE(m_dict->synonyms(QString()), QString());
        QCOMPARE(m_dict->typesOf(u"walk"_s), u"verb,noun"_s);
        QCOMPARE(m_dict->typesOf(u"nothing"_s), QString());
    }

    void scrambledAndPlainFilesReadAlike()
    {
        auto plain = makeDictionary(u"plain.db"_s, false);
        QVERIFY(plain);
        QCOMPARE(plain->synonyms(u"deal"_s), m_dict->synonyms(u"deal"_s));
        QCOMPARE(plain->synonyms(u"deal"_s),
                 u"<noun>bargain,agreement,pact,contract,arrangement"_s);
    }

    void rules_data() { TestUtil::addTableRows(u"dictionary/lookup-rules.tsv"_s); }

    void rules()
    {
        TestUtil::checkRule({
            {u"tableFor"_s,
             [](auto &in, auto &) {
                 return Lookup::tableFor(in);
             }},
            {u"phraseStatus"_s,
             [&](auto &in, auto &) {
                 return QString::number(m_dict->phraseStatus(in));
             }},
            {u"inflect"_s,
             [&](auto &in, auto &arg) {
                 return m_dict->inflect(in, arg);
             }},
            {u"inflectList"_s,
             [&](auto &in, auto &) {
                 return m_dict->inflectList(in);
             }},
            {u"inflectPhrase"_s,
             [&](auto &in, auto &arg) {
                 return m_dict->inflectPhrase(in, arg);
             }},
            {u"irregularTag"_s,
             [&](auto &in, auto &) {
                 return m_dict->irregularTag(in);
             }},
            {u"existsExact"_s,
             [&](auto &in, auto &) {
                 return QString::number(m_dict->existsExact(in));
             }},
            {u"stripMarkers"_s,
             [](auto &in, auto &) {
                 return Lookup::stripMarkers(in);
             }},
            {u"truncateList"_s,
             [](auto &in, auto &arg) {
                 return Lookup::truncateList(in, arg.toInt());
             }},
            {u"capitaliseList"_s,
             [](auto &in, auto &) {
                 return Lookup::capitaliseList(in);
             }},
            {u"capitaliseMarkedList"_s,
             [](auto &in, auto &) {
                 return Lookup::capitaliseMarkedList(in);
             }},
            {u"popupTypeFilter"_s,
             [](auto &in, auto &) {
                 return Lookup::popupTypeFilter(in);
             }},
        });
    }

    // In a list segment the part of speech is known: the head is bent whether
    // or not the dictionary has a row for it.
    void inflectPhraseHead()
    {
        for (const auto &[phrase, tag, verb, expected] :
             {std::tuple{u"go back"_s, u"sp"_s, true, u"went back"_s},
              {u"trade name"_s, u"pl"_s, false, u"trade names"_s},
              {u"state of affairs"_s, u"pl"_s, false, u"states of affairs"_s},
              {u"spill the beans"_s, u"ip"_s, true, u"spilling the beans"_s}})
            QCOMPARE(m_dict->inflectPhraseHead(phrase, tag, verb), expected);
    }

    void readingsList()
    {
        // lied: a past of lie and a participle of lie; each reading inflected on its own.
        const QString list = m_dict->readingsList(u"sp|ip:go|make");
        QCOMPARE(list, u"<verb>moved,traveled,proceeded,<verb>creating,building,producing"_s);
        QCOMPARE(m_dict->readingsList(u"sp:nothing"), QString());
    }

    // The built dictionary stores its sorted headwords; an edit must drop them.
    void writesRefreshPhraseStatus_data()
    {
        QTest::addColumn<bool>("built");
        QTest::newRow("headwords sorted when read") << false;
        QTest::newRow("headwords stored by the build") << true;
    }

    void writesRefreshPhraseStatus()
    {
        QFETCH(bool, built);
        const QString path = file(built ? u"built.db"_s : u"writable.db"_s);
        const QString real = QStringLiteral(REWORDIX_BIN_DIR) + u"/SysFuns.dll"_s;
        if (built && !QFile::exists(real))
            QSKIP("the real dictionary is not built");
        QFile::remove(path);
        QVERIFY(built ? QFile::copy(real, path)
                      : TestDictionary::create(path, TestDictionary::standardEntries()));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QString error;
        auto d = Dictionary::open(path, true, true, &error);
        QVERIFY2(d, qPrintable(error));
        QCOMPARE(d->phraseStatus(u"zorbing"_s), 0);
        QVERIFY2(d->execute(u"INSERT INTO \"Z\" (Words, Type, Synonyms) VALUES (?, ?, ?)"_s,
                            {u"zorbing ball"_s, u"noun"_s, u"sphere"_s}, nullptr, &error),
                 qPrintable(error));
        QCOMPARE(d->phraseStatus(u"zorbing"_s), 1);
        QCOMPARE(d->phraseStatus(u"zorbing ball"_s), 2);
    }

    void entryCount() { QCOMPARE(m_dict->countEntries(), qint64(entries().size())); }

    void lookupsUseIndexes()
    {
        const QStringList plans = m_dict->queryPlans();
        QCOMPARE(plans.size(), 4);
        for (const QString &plan : plans) {
            QVERIFY2(plan.contains(u"USING INDEX") || plan.contains(u"USING COVERING INDEX"),
                     qPrintable(plan));
            QVERIFY2(!plan.contains(u"SCAN"), qPrintable(plan));
        }
    }

    void concurrentLookups()
    {
        const QStringList words = {u"walked"_s, u"flies"_s, u"making"_s,
                                   u"went"_s,   u"The"_s,   u"xyzzy"_s};
        QStringList expected;
        for (const QString &w : words)
            expected << m_dict->inflectionTag(w) + m_dict->synonyms(w) +
                            QString::number(m_dict->phraseStatus(w));
        std::atomic<int> mismatches{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                for (int round = 0; round < 200; ++round) {
                    for (int i = 0; i < words.size(); ++i) {
                        const QString got = m_dict->inflectionTag(words[i]) +
                                            m_dict->synonyms(words[i]) +
                                            QString::number(m_dict->phraseStatus(words[i]));
                        if (got != expected[i])
                            ++mismatches;
                    }
                }
            });
        }
        for (auto &t : threads)
            t.join();
        QCOMPARE(mismatches.load(), 0);
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("not SQLite") << QByteArray(4096, 'x') << u"not a database"_s;
        QTest::newRow("empty file") << QByteArray() << u"no table A"_s;
        QTest::newRow("truncated header")
            << QByteArray("SQLite format 3\0", 16) << u"not a database"_s;
    }
    void badFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, errorPart);
        const QString path = file(u"bad.db"_s);
        QVERIFY(TextFile::writeBytes(path, content));
        QString error;
        QVERIFY(!Dictionary::open(path, true, false, &error));
        QVERIFY2(error.contains(errorPart), qPrintable(error));
    }

    void missingAndWrongSchema()
    {
        QString error;
        QVERIFY(!Dictionary::open(file(u"missing.db"_s), true, false, &error));
        QVERIFY2(error.contains(u"unable to open"), qPrintable(error));
        QVERIFY(!Dictionary::open(QString(), true, false, &error));
        QVERIFY(!error.isEmpty());

        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(file(u"other.db"_s).toUtf8().constData(), &db), SQLITE_OK);
        TestDictionary::exec(db, u"CREATE TABLE foo (x)"_s);
        sqlite3_close(db);
        QVERIFY(!Dictionary::open(file(u"other.db"_s), true, false, &error));
        QVERIFY2(error.contains(u"no table A"), qPrintable(error));

        // A word table without its Synonyms column.
        QCOMPARE(sqlite3_open(file(u"columns.db"_s).toUtf8().constData(), &db), SQLITE_OK);
        for (const QString &s : DictionarySchema::createStatements())
            TestDictionary::exec(db, s);
        TestDictionary::exec(db, u"DROP TABLE \"Q\""_s);
        TestDictionary::exec(db, u"CREATE TABLE \"Q\" (ss INTEGER, Words TEXT, Type TEXT)"_s);
        sqlite3_close(db);
        QVERIFY(!Dictionary::open(file(u"columns.db"_s), true, false, &error));
        QVERIFY2(error.contains(u"Q") && error.contains(u"Synonyms"), qPrintable(error));
    }

    void lockedFile()
    {
        QVERIFY(TestDictionary::create(file(u"locked.db"_s), TestDictionary::standardEntries()));
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(file(u"locked.db"_s).toUtf8().constData(), &db), SQLITE_OK);
        QVERIFY(TestDictionary::exec(db, u"BEGIN EXCLUSIVE"_s));
        QString error;
        QVERIFY(!Dictionary::open(file(u"locked.db"_s), true, false, &error));
        QVERIFY2(error.contains(u"locked"), qPrintable(error));
        sqlite3_close(db);
    }

    void programDictionary()
    {
        QTemporaryDir install;
        AppPaths::initialise(install.path(), install.path());
        Startup::prepareWorkingFiles(install.path());
        TestUtil::writeUtf16(install.filePath(u"Language/English.ini"_s),
                             u"\uFEFF[General Settings]\r\nLanguage=English\r\n[MessageBox]\r\n"
                             u"MessageBox_1=Can not find Database,Please Reinstall!\r\n"
                             u"MessageBox_2=Database Connection Failure! Error Message: %s\r\n"_s);

        ProgramDictionary missing = openProgramDictionary();
        QVERIFY(!missing.isOpen());
        QCOMPARE(missing.messageNumber, 1);
        QCOMPARE(missing.failureText(), u"Can not find Database,Please Reinstall!"_s);

        QVERIFY(TestDictionary::create(install.filePath(u"SysFuns.dll"_s),
                                       TestDictionary::standardEntries()));
        ProgramDictionary normal = openProgramDictionary();
        QVERIFY(normal.isOpen());
        QVERIFY(normal.scrambled);
        QCOMPARE(normal.dictionary->synonyms(u"go"_s), u"<verb>move,travel,proceed"_s);

        // Maintenance mode without SourceDB: message 2, whatever SysFuns.dll is.
        QVERIFY(WriteConfigValue(u"Enable Optimization="_s, u"1"_s));
        ProgramDictionary noSource = openProgramDictionary();
        QCOMPARE(noSource.messageNumber, 2);
        QVERIFY(noSource.failureText().startsWith(u"Database Connection Failure! Error Message: "));
        QVERIFY(!noSource.failureText().contains(u"%s"));

        // With SourceDB, SysFuns.dll is not needed and the file is plain.
        QVERIFY(QFile::remove(install.filePath(u"SysFuns.dll"_s)));
        QVERIFY(TestDictionary::create(install.filePath(u"plain.db"_s),
                                       TestDictionary::standardEntries(), {}, false));
        QVERIFY(WriteConfigValue(u"SourceDB="_s, u"plain.db"_s));
        ProgramDictionary source = openProgramDictionary();
        QVERIFY2(source.isOpen(), qPrintable(source.error));
        QVERIFY(!source.scrambled);
        QCOMPARE(source.dictionary->synonyms(u"go"_s), u"<verb>move,travel,proceed"_s);
    }

    // The dictionary the build makes from the thesaurus.
    void realDictionary()
    {
        const QString path = QStringLiteral(REWORDIX_BIN_DIR) + u"/SysFuns.dll"_s;
        if (!QFile::exists(path))
            QSKIP("the real dictionary is not built");
        QString error;
        auto real = Dictionary::open(path, true, false, &error);
        QVERIFY2(real, qPrintable(error));
        QCOMPARE(real->inflectionTag(u"went"_s).section(u':', 0, 0).split(u'|').contains(u"sp"_s),
                 true);
        QCOMPARE(real->inflectionTag(u"walked"_s), u"sp:walk"_s);
        QCOMPARE(real->inflectionTag(u"flies"_s), u"pl:fly"_s);
        QCOMPARE(real->inflectionTag(u"making"_s), u"ip:make"_s);
        QCOMPARE(real->inflectionTag(u"House"_s), u"if:house"_s);
        QCOMPARE(real->inflect(u"stop"_s, u"sp"), u"stopped"_s);
        QCOMPARE(real->inflect(u"panic"_s, u"ip"), u"panicking"_s);
        QCOMPARE(real->inflect(u"child"_s, u"pl"), u"children"_s);
        const QString big = real->synonyms(u"big"_s, u"adjective"_s);
        QVERIFY2(Lookup::truncateList(Lookup::stripMarkers(big), 3).contains(u"large"),
                 qPrintable(big));
        QVERIFY(real->countEntries() > 50000);
        for (const QString &plan : real->queryPlans())
            QVERIFY2(!plan.contains(u"SCAN"), qPrintable(plan));

        // phraseStatus works on a sorted copy of the headwords: it must give
        // what scanning the rows of a prefix query gives.
        const QStringList phrases = {u"look"_s,     u"look after"_s, u"Look"_s,  u"a"_s,
                                     u"the"_s,      u"in"_s,         u"I"_s,     u"co"_s,
                                     u"new york"_s, u"New York"_s,   u"x-ray"_s, u"o'clock"_s,
                                     u"ab"_s,       u"take off"_s,   u"s"_s};
        for (const QString &phrase : phrases) {
            const QString joined = real->wordsStartingWith(phrase).join(u',');
            int expected = 0;
            for (qsizetype from = 0; (from = joined.indexOf(phrase, from)) >= 0;) {
                from += phrase.size();
                expected |= (from == joined.size() || joined[from] == u',') ? 2 : 1;
            }
            QCOMPARE(real->phraseStatus(phrase), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestDictionaryLookup)
#include "tst_dictionary.moc"
