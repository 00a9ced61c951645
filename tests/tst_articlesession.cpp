#include "app/apppaths.h"
#include "app/articlesession.h"
#include "app/config.h"
#include "app/mainwindowlogic.h"
#include "app/startup.h"
#include "dictionary/dictionary.h"
#include "filetestutil.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

// The article session without a window: its refusals, its flags through a
// run, the Replaced figure across undo and redo, and the lookup errors.
class TestArticleSession : public QObject
{
    Q_OBJECT

private:
    FileTest::WorkFolder m_work;
    std::unique_ptr<Dictionary> m_dictionary;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        QVERIFY(m_work.createDictionary());
    }

    void init()
    {
        g_bAutoRewriting = false;
        QString error;
        m_dictionary = m_work.openDictionary(&error);
        QVERIFY2(m_dictionary, qPrintable(error));
    }

    void cleanup()
    {
        m_dictionary.reset();
        g_bAutoRewriting = false;
    }

    void refusals_data() { TestUtil::addTableRows(u"articlesession/refusals.tsv"_s); }

    void refusals()
    {
        QFETCH(QString, rewriting);
        QFETCH(QString, article);
        QFETCH(QString, amount);
        QFETCH(QString, searchPhrase);
        QFETCH(QString, autoRewrite);
        ArticleSession session;
        g_bAutoRewriting = FileTest::isTrue(rewriting);
        QCOMPARE(session.searchPhraseRefusal(article), searchPhrase.toInt());
        QCOMPARE(session.autoRewriteRefusal(article, amount), autoRewrite.toInt());
        session.setDictionary(m_dictionary.get());
        QCOMPARE(session.startAnalysis(article, {}), searchPhrase == u"0");
        if (searchPhrase == u"0") {
            QSignalSpy finished(&session, &ArticleSession::analysisFinished);
            QVERIFY(finished.wait(10000));
        }
    }

    void analysisRunsOnAWorker()
    {
        ArticleSession session;
        session.setDictionary(m_dictionary.get());
        QSignalSpy progress(&session, &ArticleSession::analysisProgress);
        QSignalSpy finished(&session, &ArticleSession::analysisFinished);
        QVERIFY(session.startAnalysis(u"We walk the big child home."_s, u"home"_s));
        QVERIFY(session.isAnalysing());
        QVERIFY(session.analysisJob());
        QVERIFY(!session.startAnalysis(u"again"_s, {}));
        QVERIFY(finished.wait(10000));
        QVERIFY(!session.isAnalysing());
        QVERIFY(!session.analysisJob());
        const auto result = finished.first().first().value<AnalysisResult>();
        QCOMPARE(result.status, AnalysisStatus::Finished);
        QVERIFY(session.wordsAmount() > 0);
        QCOMPARE(session.wordsAmount(), result.wordsAmount);
        QVERIFY(!progress.isEmpty());
    }

    void autoRewriteFlagsFollowTheRun()
    {
        ArticleSession session;
        session.setDictionary(m_dictionary.get());
        session.setShownArticle(true, u"old.rtf"_s);
        QSignalSpy rows(&session, &ArticleSession::articleAdded);
        QSignalSpy ending(&session, &ArticleSession::autoRewriteEnding);
        QSignalSpy finished(&session, &ArticleSession::autoRewriteFinished);
        bool busyWhileEnding = false;
        connect(&session, &ArticleSession::autoRewriteEnding, this,
                [&] { busyWhileEnding = session.isListBusy() && g_bAutoRewriting; });
        ArticleSession::RewriteRequest request;
        request.article = u"We walk and look after the big child."_s;
        request.amount = 3;
        request.degree = 0;
        QVERIFY(session.startAutoRewrite(request));
        QVERIFY(g_bAutoRewriting);
        QVERIFY(session.isListBusy() && !session.isListReady());
        QVERIFY(!session.isShowingArticle());
        QVERIFY(!session.startAutoRewrite(request));
        QVERIFY(finished.wait(20000));
        QCOMPARE(ending.size(), 1);
        QVERIFY(busyWhileEnding);
        QVERIFY(!g_bAutoRewriting);
        QVERIFY(session.isListReady() && !session.isListBusy());
        QVERIFY(session.isShowingArticle());
        QCOMPARE(rows.size(), 4); // the original and three copies
        QCOMPARE(finished.first().first().value<AutoRewriteResult>().status,
                 AutoRewriteStatus::Finished);
    }

    void runsFromTheOriginal_data() { TestUtil::addTableRows(u"articlesession/original.tsv"_s); }

    void runsFromTheOriginal()
    {
        QFETCH(QString, kept);
        QFETCH(QString, showing);
        QFETCH(QString, rows);
        QFETCH(QString, modified);
        QFETCH(QString, expected);
        ArticleSession session;
        if (FileTest::isTrue(kept))
            session.keepOriginal(RtfDocument{});
        session.setShownArticle(FileTest::isTrue(showing), u"1.rtf"_s);
        QCOMPARE(session.runsFromOriginal(FileTest::isTrue(rows), FileTest::isTrue(modified)),
                 FileTest::isTrue(expected));
        session.startNewArticle();
        QVERIFY(!session.hasOriginal() && !session.isShowingArticle());
        QVERIFY(session.shownPath().isEmpty());
    }

    void replacedFigureFollowsUndoAndRedo()
    {
        ArticleSession session;
        QSignalSpy changed(&session, &ArticleSession::replacedChanged);
        const auto deltas = [&] {
            QList<int> list;
            for (const QList<QVariant> &call : std::as_const(changed))
                list.append(call.first().toInt());
            changed.clear();
            return list;
        };
        session.countReplacement(1, 1);
        session.countReplacement(2, 2);
        QCOMPARE(deltas(), (QList<int>{1, 2}));
        session.followUndoSteps(1); // undo the second choice
        session.followUndoSteps(0); // and the first
        QCOMPARE(deltas(), (QList<int>{-2, -1}));
        session.followUndoSteps(2); // redo both at once
        QCOMPARE(deltas(), QList<int>{3});
        session.followUndoSteps(1);
        session.dropRedoSteps(); // a new edit: the undone choice cannot come back
        session.followUndoSteps(2);
        QCOMPARE(deltas(), QList<int>{-2});
        session.clearUndoSteps();
        session.followUndoSteps(0);
        QVERIFY(deltas().isEmpty());
    }

    void saveAllFormatIsWrittenOnAChange()
    {
        ArticleSession session;
        session.loadSettings();
        QCOMPARE(session.saveAllFormat(), Config::saveAllFormat());
        session.setSaveAllFormat(1);
        QCOMPARE(Config::saveAllFormat(), 1);
        const QByteArray written = TestUtil::fileBytes(AppPaths::configFile());
        session.setSaveAllFormat(1);
        QCOMPARE(TestUtil::fileBytes(AppPaths::configFile()), written);
        session.setSaveAllFormat(0);
        QCOMPARE(Config::saveAllFormat(), 0);
    }

    void aLookupErrorIsReportedOnceAndCleared()
    {
        ArticleSession session;
        session.setDictionary(m_dictionary.get());
        QSignalSpy failed(&session, &ArticleSession::lookupFailed);
        QVERIFY(!session.reportLookupError());
        // Another program takes a word table away under the open dictionary.
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(m_work.dictionaryPath().toUtf8().constData(), &db), SQLITE_OK);
        QVERIFY(TestDictionary::exec(db, u"ALTER TABLE W RENAME TO Wx"_s));
        (void)m_dictionary->existsExact(u"walk");
        QVERIFY(session.reportLookupError());
        QCOMPARE(failed.size(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
        QVERIFY(m_dictionary->lastError().isEmpty());
        QVERIFY(!session.reportLookupError());
        QCOMPARE(failed.size(), 1);
        // Once the table is back, lookups answer again.
        QVERIFY(TestDictionary::exec(db, u"ALTER TABLE Wx RENAME TO W"_s));
        sqlite3_close(db);
        QVERIFY(m_dictionary->existsExact(u"walk"));
        QVERIFY(!session.reportLookupError());
    }
};

QTEST_GUILESS_MAIN(TestArticleSession)
#include "tst_articlesession.moc"
