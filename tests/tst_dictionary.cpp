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

class TestDictionaryLookup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Dictionary> m_dict;

    QString file(const QString &name) const { return m_dir.filePath(name); }

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
        const QString path = file(name);
        QFile::remove(path);
        if (!TestDictionary::create(path, entries(), irregulars(), scrambled))
            return nullptr;
        QString error;
        auto d = Dictionary::open(path, scrambled, false, &error);
        if (!d)
            qWarning() << error;
        return d;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_dict = makeDictionary(u"standard.db"_s, true);
        QVERIFY(m_dict);
    }

    void tableFor_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("table");
        QTest::newRow("lower") << u"apple"_s << u"A"_s;
        QTest::newRow("upper") << u"Apple"_s << u"A"_s;
        QTest::newRow("z") << u"zebra"_s << u"Z"_s;
        QTest::newRow("accented") << u"élan"_s << u"Other"_s;
        QTest::newRow("digit") << u"3d"_s << u"Other"_s;
        QTest::newRow("dollar") << u"$5"_s << u"Other"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void tableFor()
    {
        QFETCH(QString, word);
        QFETCH(QString, table);
        QCOMPARE(Lookup::tableFor(word), table);
    }

    void inflectionTag_data() { TestUtil::addTableRows(u"dictionary/inflection-tags.tsv"_s); }
    void inflectionTag()
    {
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QCOMPARE(m_dict->inflectionTag(word), tag);
    }

    void irregularTagIsParenthesised()
    {
        QCOMPARE(m_dict->irregularTag(u"went"), u"(sp:go)"_s);
        QCOMPARE(m_dict->irregularTag(u"lying"), u"(ip:lie)"_s);
        QCOMPARE(m_dict->irregularTag(u"ent"), QString()); // inside "went"
        QCOMPARE(m_dict->irregularTag(u"sp"), QString());
        QCOMPARE(m_dict->irregularTag(u"walk"), QString());
    }

    void formListedByTwoRows()
    {
        const QString path = file(u"readings.db"_s);
        QVERIFY(TestDictionary::create(
            path,
            {{u"leave"_s, u"verb"_s, u"go,depart"_s}, {u"left"_s, u"adjective"_s, u"remaining"_s}},
            {{u"leave"_s, u"sp=left;pp=left;"_s}, {u"lift"_s, u"pp=lifted|left;"_s}}));
        QString error;
        auto d = Dictionary::open(path, true, false, &error);
        QVERIFY2(d, qPrintable(error));
        QCOMPARE(d->inflectionTag(u"left"_s), u"sp|pp:leave|lift"_s);
        QCOMPARE(d->readingsList(u"sp|pp:leave|lift"), u"<verb>goed,departed"_s);
    }

    void existsExactIsCaseSensitive()
    {
        QVERIFY(m_dict->existsExact(u"walk"));
        QVERIFY(!m_dict->existsExact(u"Walk"));
        QVERIFY(m_dict->existsExact(u"USA"));
        QVERIFY(!m_dict->existsExact(u"usa"));
        QVERIFY(m_dict->existsExact(u"élan"));
        QVERIFY(!m_dict->existsExact(u""));
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

    void phraseStatus_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<int>("status");
        QTest::newRow("look: both") << u"look"_s << 3;
        QTest::newRow("look after: entry") << u"look after"_s << 2;
        QTest::newRow("Look after: any case")
            << u"Look after"_s << 0; // rows found, text differs in case
        QTest::newRow("loo: prefix") << u"loo"_s << 1;
        QTest::newRow("look at: nothing") << u"look at"_s << 0;
        QTest::newRow("comma") << u"look,after"_s << 0;
        QTest::newRow("period") << u"look."_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("wildcard-free") << u"l_ok"_s << 0;
    }
    void phraseStatus()
    {
        QFETCH(QString, phrase);
        QFETCH(int, status);
        QCOMPARE(m_dict->phraseStatus(phrase), status);
    }

    void inflect_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("expected");
        QTest::newRow("try sp") << u"try"_s << u"sp"_s << u"tried"_s;
        QTest::newRow("play sp") << u"play"_s << u"sp"_s << u"played"_s;
        QTest::newRow("make pp") << u"make"_s << u"pp"_s << u"maked"_s;
        QTest::newRow("make ip") << u"make"_s << u"ip"_s << u"making"_s;
        QTest::newRow("see ip") << u"see"_s << u"ip"_s << u"seeing"_s;
        QTest::newRow("be ip") << u"be"_s << u"ip"_s << u"being"_s;
        QTest::newRow("box tp") << u"box"_s << u"tp"_s << u"boxes"_s;
        QTest::newRow("go tp") << u"go"_s << u"tp"_s << u"goes"_s;
        QTest::newRow("photo pl") << u"photo"_s << u"pl"_s << u"photos"_s;
        QTest::newRow("church pl") << u"church"_s << u"pl"_s << u"churches"_s;
        QTest::newRow("city pl") << u"city"_s << u"pl"_s << u"cities"_s;
        QTest::newRow("day pl") << u"day"_s << u"pl"_s << u"days"_s;
        QTest::newRow("go sp from IR") << u"go"_s << u"sp"_s << u"went"_s;
        QTest::newRow("go ip from IR") << u"go"_s << u"ip"_s << u"going"_s;
        QTest::newRow("lie sp alternatives") << u"lie"_s << u"sp"_s << u"lay|lied"_s;
        QTest::newRow("child pl reads pl=") << u"child"_s << u"pl"_s << u"children"_s;
        QTest::newRow("lie pl is not lying") << u"lie"_s << u"pl"_s << u"lies"_s;
        QTest::newRow("have tp reads tp=") << u"have"_s << u"tp"_s << u"has"_s;
        QTest::newRow("stop ip from IR") << u"stop"_s << u"ip"_s << u"stopping"_s;
        QTest::newRow("IR row case-insensitive") << u"Go"_s << u"sp"_s << u"went"_s;
        QTest::newRow("if") << u"walk"_s << u"if"_s << u"walk"_s;
        QTest::newRow("other tag") << u"walk"_s << u"xx"_s << QString();
        QTest::newRow("empty") << QString() << u"sp"_s << QString();
        QTest::newRow("one-letter y") << u"y"_s << u"sp"_s << u"yed"_s;
        QTest::newRow("argue ip") << u"argue"_s << u"ip"_s << u"arguing"_s;
        QTest::newRow("continue ip") << u"continue"_s << u"ip"_s << u"continuing"_s;
        QTest::newRow("a plural stays plural") << u"argues"_s << u"pl"_s << u"argues"_s;
        QTest::newRow("an s-word that is no plural") << u"bus"_s << u"pl"_s << u"buses"_s;
        QTest::newRow("a noun that looks plural") << u"pants"_s << u"pl"_s << u"pants"_s;
        QTest::newRow("dye ip keeps e") << u"dye"_s << u"ip"_s << u"dyeing"_s;
        QTest::newRow("queue ip from IR") << u"queue"_s << u"ip"_s << u"queueing|queuing"_s;
        QTest::newRow("jazz tp") << u"jazz"_s << u"tp"_s << u"jazzes"_s;
        QTest::newRow("buzz pl") << u"buzz"_s << u"pl"_s << u"buzzes"_s;
        QTest::newRow("radio tp") << u"radio"_s << u"tp"_s << u"radios"_s;
        QTest::newRow("echo tp") << u"echo"_s << u"tp"_s << u"echoes"_s;
        QTest::newRow("zero plural") << u"sheep"_s << u"pl"_s << u"sheep"_s;
        QTest::newRow("marked word keeps its own row") << u"rend"_s << u"sp"_s << u"rended|rent"_s;
    }
    void inflect()
    {
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QFETCH(QString, expected);
        QCOMPARE(m_dict->inflect(word, tag), expected);
    }

    void inflectList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty tag") << u"()<verb>stroll"_s << u"<verb>stroll"_s;
        QTest::newRow("sp verb only") << u"(sp:walk)<verb>stroll, march <noun>stroll"_s
                                      << u"<verb>strolled,marched<noun>stroll"_s;
        QTest::newRow("if unchanged") << u"(if:walk)<verb>stroll"_s << u"<verb>stroll"_s;
        QTest::newRow("pl noun") << u"(pl:fly)<verb>soar<noun>insect,child"_s
                                 << u"<verb>soars<noun>insects,children"_s;
        QTest::newRow("ip phrase")
            << u"(ip:look)<verb>look after,glance"_s << u"<verb>looking after,glancing"_s;
        QTest::newRow("combined tag untouched")
            << u"(sp|pp:lie|lie)<verb>rest"_s << u"<verb>rest"_s;
        QTest::newRow("no marker") << u"(sp:walk)stroll"_s << u"stroll"_s;
        QTest::newRow("first of several forms") << u"(sp:go)<verb>lie,go"_s << u"<verb>lay,went"_s;
        QTest::newRow("phrases keep their other words")
            << u"(sp:walk)<verb>burn up,spill the beans,light up"_s
            << u"<verb>burned up,spilled the beans,lit up"_s;
        QTest::newRow("pl bends verbs as third person")
            << u"(pl:walk)<verb>have,jazz,look after"_s << u"<verb>has,jazzes,looks after"_s;
        QTest::newRow("tp bends nouns as plurals")
            << u"(tp:have)<verb>have<noun>child"_s << u"<verb>has<noun>children"_s;
        QTest::newRow("no duplicates after bending")
            << u"(sp:walk)<verb>fulfil,fulfill,burn<noun>fulfil,fulfil"_s
            << u"<verb>fulfilled,burned<noun>fulfil,fulfil"_s;
    }
    void inflectList()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(m_dict->inflectList(text), expected);
    }

    void inflectPhrase()
    {
        // "look after": look is a verb, after is not in the dictionary.
        QCOMPARE(m_dict->inflectPhrase(u"look after"_s, u"sp"), u"looked after"_s);
        QCOMPARE(m_dict->inflectPhrase(u"look after"_s, u"tp"), u"looks after"_s);
        // pl tries nouns from the back first: walk is a noun too.
        QCOMPARE(m_dict->inflectPhrase(u"go walk"_s, u"pl"), u"go walks"_s);
        QCOMPARE(m_dict->inflectPhrase(u"xx yy"_s, u"sp"), u"xx yy"_s);
        QCOMPARE(m_dict->inflectPhrase(u"light up"_s, u"sp"), u"lit up"_s);
        QCOMPARE(m_dict->inflectPhrase(u"look after"_s, u"pl"), u"looks after"_s);
        // In a list segment the part of speech is known: the head is bent
        // whether or not the dictionary has a row for it.
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

    void listHelpers()
    {
        QCOMPARE(Lookup::stripMarkers(u"<verb>move,travel<noun>trip"_s), u"move,travel,trip"_s);
        QCOMPARE(Lookup::stripMarkers(u"a<x>b"_s), u"a,b"_s);
        QCOMPARE(Lookup::stripMarkers(u"a<b"_s), u"a<b"_s);
        QCOMPARE(Lookup::truncateList(u"a,b,c,d,e"_s, 3), u"a,b,c"_s);
        QCOMPARE(Lookup::truncateList(u"a,b"_s, 3), u"a,b"_s);
        QCOMPARE(Lookup::truncateList(u"a,b,c"_s, 1), u"a"_s);
        QCOMPARE(Lookup::capitaliseList(u"big,large,élan,3d"_s), u"Big,Large,élan,3d"_s);
        QCOMPARE(Lookup::capitaliseMarkedList(u"<adjective>big,large"_s),
                 u"<adjective>Big,Large"_s);
        QCOMPARE(Lookup::popupTypeFilter(u"sp"), u"verb,adjective,adverb"_s);
        QCOMPARE(Lookup::popupTypeFilter(u"pp"), u"verb,adjective,adverb"_s);
        QCOMPARE(Lookup::popupTypeFilter(u"ip"), u"verb,noun,adjective"_s);
        QCOMPARE(Lookup::popupTypeFilter(u"pl"), u"verb,noun,pronoun"_s);
        QCOMPARE(Lookup::popupTypeFilter(u"tp"), u"verb,noun,pronoun"_s);
        QCOMPARE(Lookup::popupTypeFilter(u"if"), QString());
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
