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
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Spans as "start,end" items, as the data tables write them.
QStringList spanTexts(const QList<TextSpan> &spans)
{
    QStringList items;
    for (const TextSpan &span : spans)
        items.append(u"%1,%2"_s.arg(span.start).arg(span.end));
    return items;
}

} // namespace

class TestAnalysis : public EngineTest::DictionaryTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dictionary); }

    void rules_data() { TestUtil::addTableRows(u"analysis/rules.tsv"_s); }

    void rules()
    {
        TestUtil::checkRule({
            {u"allWords"_s,
             [](auto &in, auto &) {
                 QStringList found;
                 for (const WordSpan &w : Scanner::allWords(in))
                     found << (in.mid(w.start, w.end - w.start) == w.text ? w.text : u"?"_s);
                 return found.join(u'|');
             }},
            {u"nextWordInEditor"_s,
             [](auto &in, auto &) {
                 const WordSpan w = Scanner::nextWordInEditor(u"hello world", in.toInt());
                 return w.text.isEmpty() ? QString() : w.text + u'@' + QString::number(w.start);
             }},
            {u"normaliseArticleText"_s,
             [](auto &in, auto &) {
                 return Analysis::normaliseArticleText(in);
             }},
            {u"removeNotExist"_s,
             [](auto &in, auto &) {
                 return Analysis::removeNotExist(in);
             }},
            {u"reservedWordSpans"_s,
             [](auto &in, auto &arg) {
                 return spanTexts(Analysis::reservedWordSpans(in, arg)).join(u'|');
             }},
        });
    }

    void analysis_data() { TestUtil::addTableRows(u"analysis/analysis.tsv"_s); }

    void analysis()
    {
        QFETCH(QString, article);
        QFETCH(QString, reserved);
        QFETCH(QString, ignore);
        QFETCH(QString, store);
        QFETCH(QStringList, underlines);
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
        QCOMPARE(spanTexts(result.underlineSpans), underlines);
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
        const QString article = TestUtil::dataText(u"engine/garden.txt"_s);
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
        QTemporaryDir work;
        const QString article = work.filePath(u"article.txt"_s);
        const QString dictionary = m_dir.filePath(u"dictionary.db"_s);
        // UTF-16 with mark and CR LF, as the program saves text articles.
        QVERIFY(TextFile::writeUtf16(article, u"\uFEFFHe looked after  him.\r\nHello"_s));
        const TestUtil::ProcessRun cli =
            TestUtil::runCli({u"analyse"_s, article, u"--dictionary"_s, dictionary});
        QVERIFY2(cli.exitCode == 0, qPrintable(cli.errors));
        QCOMPARE(cli.output, u"[0,2]He()\n[3,15]looked after(sp:look after)\n[16,19]him()\n"
                             u"[21,26]Hello(if:hello)\n"
                             u"Statistics: Word Amount:5 Replaced:0/5=0.0%\n"_s);

        const TestUtil::ProcessRun missing = TestUtil::runCli(
            {u"analyse"_s, work.filePath(u"missing.txt"_s), u"--dictionary"_s, dictionary});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(!missing.errors.isEmpty());
        QCOMPARE(TestUtil::runCli({u"analyse"_s}).exitCode, 2);
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
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "tst_analysis.moc"
