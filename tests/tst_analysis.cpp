#include "app/textfile.h"
#include "engine/analysis.h"
#include "engine/jobcontrol.h"
#include "engine/scanner.h"
#include "engine/statistics.h"
#include "engine/store.h"
#include "engine_testutil.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString sample(const QString &name)
{
    QFile file(QStringLiteral(REWORDIX_TEST_DATA) + u"/engine/"_s + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString cliPath()
{
    return QStringLiteral(REWORDIX_BIN_DIR) + u"/rewordix-cli"_s;
}

} // namespace

class TestAnalysis : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_dictionary = EngineTest::openDictionary(m_dir);
        QVERIFY(m_dictionary);
    }

    void scanner_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("edge case")
            << u"It's 10:30, well-known $5 deal"_s
            << QStringList{u"It's"_s, u"10:30"_s, u"well-known"_s, u"$5"_s, u"deal"_s};
        QTest::newRow("trailing hyphen") << u"done- next"_s << QStringList{u"done"_s, u"next"_s};
        QTest::newRow("trailing marks")
            << u"dogs'' x: y-:"_s << QStringList{u"dogs"_s, u"x"_s, u"y"_s};
        QTest::newRow("leading marks") << u"'tis -5 :x"_s << QStringList{u"tis"_s, u"5"_s, u"x"_s};
        QTest::newRow("inner marks")
            << u"a--b rock'n'roll"_s << QStringList{u"a--b"_s, u"rock'n'roll"_s};
        QTest::newRow("percent and dollar") << u"50% $x%y"_s << QStringList{u"50%"_s, u"$x%y"_s};
        QTest::newRow("non-ASCII separates")
            << u"caf\u00e9 na\u00efve"_s << QStringList{u"caf"_s, u"na"_s, u"ve"_s};
        QTest::newRow("punctuation")
            << u"http://a.b,c;d(e)"_s
            << QStringList{u"http"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
        QTest::newRow("lines") << u"one\r\ntwo\nthree"_s
                               << QStringList{u"one"_s, u"two"_s, u"three"_s};
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("no word") << u"!!! --- '''"_s << QStringList();
    }

    void scanner()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QStringList found;
        for (const WordSpan &w : Scanner::allWords(text)) {
            QCOMPARE(text.mid(w.start, w.end - w.start), w.text);
            found << w.text;
        }
        QCOMPARE(found, words);
    }

    void caret_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("start");
        QTest::newRow("at a word") << 0 << u"hello"_s << 0;
        QTest::newRow("inside a word") << 2 << u"world"_s << 6;
        QTest::newRow("after a word") << 5 << u"world"_s << 6;
        QTest::newRow("inside the last") << 8 << QString() << 0;
        QTest::newRow("end") << 11 << QString() << 0;
        QTest::newRow("beyond") << 40 << QString() << 0;
    }

    void caret()
    {
        QFETCH(int, caret);
        QFETCH(QString, word);
        QFETCH(int, start);
        const WordSpan w = Scanner::nextWordInEditor(u"hello world", caret);
        QCOMPARE(w.text, word);
        if (!word.isEmpty())
            QCOMPARE(w.start, start);
    }

    void normalise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("two") << u"a  b"_s << u"a b"_s;
        QTest::newRow("three") << u"a   b"_s << u"a  b"_s;
        QTest::newRow("four") << u"a    b"_s << u"a  b"_s;
        QTest::newRow("five") << u"a     b"_s << u"a   b"_s;
        QTest::newRow("indent kept") << u"    a  b"_s << u"    a b"_s;
        QTest::newRow("CR LF lines") << u"a  b\r\n  c  d"_s << u"a b\r\n  c d"_s;
        QTest::newRow("LF lines") << u"a  b\n\n  c    d  "_s << u"a b\n\n  c  d "_s;
        QTest::newRow("indent before punctuation") << u"  \"  x  \""_s << u"  \"  x \""_s;
        QTest::newRow("tabs untouched") << u"a\t\tb"_s << u"a\t\tb"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void normalise()
    {
        QFETCH(QString, text);
        QFETCH(QString, normalised);
        QCOMPARE(Analysis::normaliseArticleText(text), normalised);
    }

    void reservedSpans_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QList<TextSpan>>("spans");
        QTest::newRow("whole words only")
            << u"art article art. Art"_s << u"art"_s << QList<TextSpan>{{0, 3}, {12, 15}};
        QTest::newRow("phrase item")
            << u"New York, New Yorker"_s << u"New York"_s << QList<TextSpan>{{0, 8}};
        QTest::newRow("overlap merged")
            << u"New York"_s << u"York,New York"_s << QList<TextSpan>{{0, 8}};
        QTest::newRow("blanks around items")
            << u"cat and dog"_s << u"cat, dog ,,"_s << QList<TextSpan>{{0, 3}, {8, 11}};
        QTest::newRow("empty list") << u"cat"_s << QString() << QList<TextSpan>();
    }

    void reservedSpans()
    {
        QFETCH(QString, text);
        QFETCH(QString, list);
        QFETCH(QList<TextSpan>, spans);
        QCOMPARE(Analysis::reservedWordSpans(text, list), spans);
    }

    void analysis_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("reserved");
        QTest::addColumn<QString>("ignore");
        QTest::addColumn<QString>("store");
        QTest::addColumn<QList<TextSpan>>("underlines");
        QTest::addColumn<int>("words");
        QTest::newRow("hello") << u"Hello"_s << QString() << QString()
                               << u"[0,5]Hello(if:hello)\r\n"_s << QList<TextSpan>() << 1;
        QTest::newRow("phrase of status 2")
            << u"look after him"_s << QString() << QString()
            << u"[0,10]look after()\r\n[11,14]him()\r\n"_s << QList<TextSpan>{{0, 10}} << 3;
        QTest::newRow("inflected phrase")
            << u"He looked after him"_s << QString() << QString()
            << u"[0,2]He()\r\n[3,15]looked after(sp:look after)\r\n[16,19]him()\r\n"_s
            << QList<TextSpan>{{3, 15}} << 4;
        QTest::newRow("capitalised phrase")
            << u"Look after it"_s << QString() << QString()
            << u"[0,10]Look after(if:look after)\r\n[11,13]it()\r\n"_s << QList<TextSpan>{{0, 10}}
            << 3;
        QTest::newRow("status 3 then 0")
            << u"take care now"_s << QString() << QString()
            << u"[0,9]take care()\r\n[10,13]now()\r\n"_s << QList<TextSpan>{{0, 9}} << 3;
        QTest::newRow("open at the end")
            << u"please take care"_s << QString() << QString()
            << u"[0,6]please()\r\n[7,11]take()\r\n[12,16]care()\r\n"_s << QList<TextSpan>() << 3;
        QTest::newRow("comma breaks a phrase")
            << u"look, after"_s << QString() << QString() << u"[0,4]look()\r\n[6,11]after()\r\n"_s
            << QList<TextSpan>() << 2;
        QTest::newRow("second occurrence copies")
            << u"walked and walked"_s << QString() << QString()
            << u"[0,6]walked(sp:walk)\r\n[7,10]and()\r\n[11,17]walked(sp:walk)\r\n"_s
            << QList<TextSpan>() << 3;
        QTest::newRow("reserved beats ignore")
            << u"walk walked"_s << u"walk"_s << u"walk"_s
            << u"[0,4]walk(reserved_words)\r\n[5,11]walked(sp:walk)\r\n"_s << QList<TextSpan>()
            << 2;
        QTest::newRow("reserved phrase item")
            << u"New York is big"_s << u"New York"_s << QString()
            << u"[0,3]New(reserved_words)\r\n[4,8]York(reserved_words)\r\n[9,11]is()\r\n[12,15]big()\r\n"_s
            << QList<TextSpan>() << 4;
        QTest::newRow("uncoloured list word")
            << u"New big"_s << u"New York"_s << QString() << u"[0,3]New()\r\n[4,7]big()\r\n"_s
            << QList<TextSpan>() << 2;
        QTest::newRow("ignored words")
            << u"zork walked"_s << QString() << u"zork, walked"_s
            << u"[0,4]zork(ignore_words)\r\n[5,11]walked(ignore_words|sp:walk)\r\n"_s
            << QList<TextSpan>() << 2;
        QTest::newRow("irregular and be")
            << u"went was flies children"_s << QString() << QString()
            << u"[0,4]went(sp:go)\r\n[5,8]was(sp:be)\r\n[9,14]flies(pl:fly)\r\n[15,23]children(pl:child)\r\n"_s
            << QList<TextSpan>() << 4;
        QTest::newRow("normalised first")
            << u"big    deal"_s << QString() << QString() << u"[0,3]big()\r\n[5,9]deal()\r\n"_s
            << QList<TextSpan>() << 2;
    }

    void analysis()
    {
        QFETCH(QString, article);
        QFETCH(QString, reserved);
        QFETCH(QString, ignore);
        QFETCH(QString, store);
        QFETCH(QList<TextSpan>, underlines);
        QFETCH(int, words);

        QTemporaryDir work;
        AnalysisParams params = paramsIn(work, article);
        params.reservedWords = reserved;
        params.ignoreWords = ignore;
        QVERIFY(Store::writeStore(params.replacedStorePath, u"{a|b}=a\r\n"_s));
        QList<int> positions;
        JobControl control([&](int p) { positions << p; });
        const AnalysisResult result = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(result.status, AnalysisStatus::Finished);
        QCOMPARE(result.store, store);
        QCOMPARE(result.underlineSpans, underlines);
        QCOMPARE(result.wordsAmount, words);
        QCOMPARE(positions, (QList<int>{1, 3, 5, 6, 8}));
        QCOMPARE(Store::readStore(params.storePath, true), store);
        QCOMPARE(TestUtil::fileBytes(params.storePath),
                 TextFile::toUtf16Le(StoreScrambler::applied(store)));
        QCOMPARE(QFileInfo(params.replacedStorePath).size(), 0);
        QVERIFY(!result.store.contains(u"not_exist"));
        QCOMPARE(result.frequencySummary, Statistics::frequencySummary(store));
        for (const StoreEntry &e : Store::parseEntries(result.store))
            QCOMPARE(result.normalisedText.mid(e.start, e.end - e.start), e.text);
    }

    // The one-pass job that never holds the store leaves the temp.dat the
    // passes leave.
    void streamedStoreIsTheSame()
    {
        const QString article =
            u"He looked after  him and took care of the cat.\r\nA quick art, a red car, zzz."_s;
        QTemporaryDir whole;
        QTemporaryDir streamed;
        AnalysisParams params = paramsIn(whole, article);
        params.reservedWords = u"red"_s;
        JobControl control;
        const AnalysisResult expected = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(expected.status, AnalysisStatus::Finished);
        params.storePath = streamed.filePath(u"temp.dat"_s);
        params.replacedStorePath = streamed.filePath(u"replacedtemp.dat"_s);
        params.keepStore = false;
        const AnalysisResult result = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(result.status, AnalysisStatus::Finished);
        QVERIFY(result.store.isEmpty());
        QCOMPARE(Store::readStore(params.storePath, true), expected.store);
        QCOMPARE(result.underlineSpans, expected.underlineSpans);
        QCOMPARE(result.wordsAmount, expected.wordsAmount);
        QCOMPARE(QDir(streamed.path()).entryList(QDir::Files).size(), 2); // no part file left
    }

    void plainStore()
    {
        QTemporaryDir work;
        AnalysisParams params = paramsIn(work, u"Hello"_s);
        params.scrambled = false;
        JobControl control;
        QCOMPARE(Analysis::runAnalysis(params, *m_dictionary, control).status,
                 AnalysisStatus::Finished);
        QCOMPARE(TestUtil::fileBytes(params.storePath),
                 TextFile::toUtf16Le(u"[0,5]Hello(if:hello)\r\n"_s));
    }

    void reservedSpansInResult()
    {
        QTemporaryDir work;
        AnalysisParams params = paramsIn(work, u"An  art  article"_s);
        params.reservedWords = u"art"_s;
        JobControl control;
        const AnalysisResult result = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(result.normalisedText, u"An art article"_s);
        QCOMPARE(result.reservedSpans, (QList<TextSpan>{{3, 6}}));
    }

    void noWords()
    {
        QTemporaryDir work;
        AnalysisParams params = paramsIn(work, u"!!! ???"_s);
        QVERIFY(Store::writeStore(params.storePath, u"old"_s, true));
        JobControl control;
        const AnalysisResult result = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(result.status, AnalysisStatus::NoWords);
        QCOMPARE(QFileInfo(params.storePath).size(), 0);
    }

    void abortBeforeTagging()
    {
        QTemporaryDir work;
        AnalysisParams params = paramsIn(work, u"look after him"_s);
        QVERIFY(Store::writeStore(params.storePath, u"old"_s, true));
        QList<int> positions;
        JobControl control([&](int p) { positions << p; });
        control.setPaused(true);
        control.abort();
        const AnalysisResult result = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(result.status, AnalysisStatus::Aborted);
        QCOMPARE(positions, QList<int>{1});
        QCOMPARE(Store::readStore(params.storePath, true), u"old"_s);
    }

    void abortDuringMerge()
    {
        QTemporaryDir work;
        AnalysisParams params = paramsIn(work, u"look after him"_s);
        JobControl *controlPtr = nullptr;
        JobControl control([&](int p) {
            if (p == 3)
                controlPtr->abort();
        });
        controlPtr = &control;
        const AnalysisResult result = Analysis::runAnalysis(params, *m_dictionary, control);
        QCOMPARE(result.status, AnalysisStatus::Aborted);
        QCOMPARE(Store::readStore(params.storePath, true),
                 u"[0,4]look()\r\n[5,10]after(not_exist)\r\n[11,14]him(not_exist)\r\n"_s);
    }

    void taggingPassesStopOnAbort()
    {
        JobControl control;
        control.abort();
        const PassOutcome editor =
            Analysis::taggingPassEditor(u"walk"_s, {}, {}, {}, *m_dictionary, control);
        QVERIFY(editor.aborted);
        QVERIFY(editor.store.isEmpty());
        const PassOutcome text = Analysis::taggingPassText(u"walk"_s, {}, *m_dictionary, control);
        QVERIFY(text.aborted);
        const MergeOutcome merged =
            Analysis::phraseMergePass(u"[0,4]look()\r\n"_s, u"look", *m_dictionary, control, false);
        QVERIFY(merged.aborted);
    }

    void taggingPassText()
    {
        JobControl control;
        const PassOutcome pass = Analysis::taggingPassText(
            u"reservedwords:1 zork walked zork walked"_s, u"zork"_s, *m_dictionary, control);
        QVERIFY(!pass.aborted);
        QCOMPARE(pass.store, u"[0,15]reservedwords:1(not_exist)\r\n[16,20]zork(ignore_words)\r\n"
                             u"[21,27]walked(sp:walk)\r\n[28,32]zork(ignore_words)\r\n"
                             u"[33,39]walked(sp:walk)\r\n"_s);
    }

    void removeNotExist_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("plain") << u"[0,1]x(not_exist)\r\n"_s << u"[0,1]x()\r\n"_s;
        QTest::newRow("ignored") << u"[0,1]x(ignore_words|not_exist)\r\n"_s
                                 << u"[0,1]x(ignore_words)\r\n"_s;
        QTest::newRow("first") << u"[0,1]x(not_exist|y)\r\n"_s << u"[0,1]x(y)\r\n"_s;
        QTest::newRow("none") << u"[0,1]x(sp:y)\r\n"_s << u"[0,1]x(sp:y)\r\n"_s;
        QTest::newRow("twice in a line")
            << u"[0,1]x(not_exist|not_exist)\r\n"_s << u"[0,1]x()\r\n"_s;
        QTest::newRow("many lines") << u"[0,1]a(not_exist)\r\n[2,3]b(if:b)\r\n[4,5]c(not_exist)"_s
                                    << u"[0,1]a()\r\n[2,3]b(if:b)\r\n[4,5]c()"_s;
    }

    void removeNotExist()
    {
        QFETCH(QString, store);
        QFETCH(QString, cleaned);
        QCOMPARE(Analysis::removeNotExist(store), cleaned);
    }

    // A dictionary locked by a writer after it was opened: the job ends with
    // SQLite's message (once, not a wait per word), and runs again once free.
    void lookupErrorEndsTheJob()
    {
        QTemporaryDir work;
        auto dictionary = EngineTest::openDictionary(work);
        QVERIFY(dictionary);
        sqlite3 *writer = nullptr;
        QVERIFY(sqlite3_open(QFile::encodeName(dictionary->path()).constData(), &writer) ==
                SQLITE_OK);
        QVERIFY(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK);
        JobControl control;
        const QString article = u"walk and talk and look after the big child"_s;
        const AnalysisResult locked =
            Analysis::runAnalysis(paramsIn(work, article), *dictionary, control);
        QCOMPARE(locked.status, AnalysisStatus::Failed);
        QVERIFY2(locked.error.contains(u"locked"_s), qPrintable(locked.error));
        sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(writer);
        const AnalysisResult freed =
            Analysis::runAnalysis(paramsIn(work, article), *dictionary, control);
        QCOMPARE(freed.status, AnalysisStatus::Finished);
    }

    void realDictionary()
    {
        const QString path = EngineTest::realDictionaryPath();
        if (!QFile::exists(path))
            QSKIP("the build made no SysFuns.dll");
        QString error;
        auto dictionary = Dictionary::open(path, true, false, &error);
        QVERIFY2(dictionary, qPrintable(error));
        QTemporaryDir work;
        const QString article = sample(u"garden.txt"_s);
        QVERIFY(!article.isEmpty());
        JobControl control;
        const AnalysisResult result =
            Analysis::runAnalysis(paramsIn(work, article), *dictionary, control);
        QCOMPARE(result.status, AnalysisStatus::Finished);
        QCOMPARE(result.wordsAmount, Scanner::allWords(result.normalisedText).size());
        QVERIFY(!result.underlineSpans.isEmpty());
        qint64 previousEnd = 0;
        for (const StoreEntry &e : Store::parseEntries(result.store)) {
            QVERIFY(e.start >= previousEnd);
            QCOMPARE(result.normalisedText.mid(e.start, e.end - e.start), e.text);
            QVERIFY(!e.tag.contains(u"not_exist"));
            previousEnd = e.end;
        }
        QVERIFY(result.store.contains(u"(pl:"));
        QVERIFY(result.store.contains(u"(sp:"));
    }

    void commandLine()
    {
        if (!QFile::exists(cliPath()))
            QSKIP("rewordix-cli is not built");
        QTemporaryDir work;
        const QString article = work.filePath(u"article.txt"_s);
        // UTF-16 with mark and CR LF, as the program saves text articles.
        QVERIFY(TextFile::writeUtf16(article, u"\uFEFFHe looked after  him.\r\nHello"_s));
        QProcess cli;
        cli.start(cliPath(),
                  {u"analyse"_s, article, u"--dictionary"_s, m_dir.filePath(u"dictionary.db"_s)});
        QVERIFY(cli.waitForFinished(60000));
        const QString errors = QString::fromUtf8(cli.readAllStandardError());
        if (cli.exitCode() == 2 && errors.contains(u"unknown command"))
            QSKIP("rewordix-cli has no analyse command");
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()),
                 u"[0,2]He()\n[3,15]looked after(sp:look after)\n[16,19]him()\n"
                 u"[21,26]Hello(if:hello)\n"
                 u"Statistics: Word Amount:5 Replaced:0/5=0.0%\n"_s);

        cli.start(cliPath(), {u"analyse"_s, work.filePath(u"missing.txt"_s), u"--dictionary"_s,
                              m_dir.filePath(u"dictionary.db"_s)});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(!cli.readAllStandardError().isEmpty());
        cli.start(cliPath(), {u"analyse"_s});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 2);
    }

private:
    AnalysisParams paramsIn(const QTemporaryDir &work, const QString &article) const
    {
        AnalysisParams params;
        params.article = article;
        params.storePath = work.filePath(u"temp.dat"_s);
        params.replacedStorePath = work.filePath(u"replacedtemp.dat"_s);
        params.scrambled = true;
        return params;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Dictionary> m_dictionary;
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "tst_analysis.moc"
