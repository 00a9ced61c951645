#include "engine/store.h"
#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/progressdialog.h"

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;
using GuiTest::RunEnd;

namespace {

// Counts the paint events of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

qint64 residentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

class TestSearchPhrase : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    // holdWorker: the worker waits at its start until the test releases it.
    MainWindow &openWindow(bool holdWorker = false, const QString &dictionary = {})
    {
        m_holdAnalysis = holdWorker;
        return WindowTest::openWindow(dictionary.isEmpty() ? MainWindow::Environment{}
                                                           : dictionaryAt(dictionary));
    }

    void clickInDialog(int id)
    {
        QTest::mouseClick(child<QPushButton>(m_window->progressDialog(), id), Qt::LeftButton);
    }

private Q_SLOTS:
    void searchPhraseMarksAndCounts()
    {
        MainWindow &w = openWindow();
        child<QPlainTextEdit>(&w, 1040)->setPlainText(u"big"_s);
        QApplication::clipboard()->setText(u"the user's own text"_s);
        ArticleEditor *editor = w.articleEditor();
        editor->setPlainText(u"I look after him  and  walk the big child."_s);
        editor->setCaret(10);
        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        clickSearchPhrase();
        QVERIFY(w.progressDialog()->isVisible());
        QVERIFY(w.progressDialog()->isModal());
        QCOMPARE(GuiTest::nextEnd(finished, 5000), RunEnd::Finished);
        QVERIFY(!w.progressDialog()->isVisible());
        QCOMPARE(w.progressDialog()->position(), 10);

        const QString text = u"I look after him and walk the big child."_s;
        QCOMPARE(editor->plainText(), text);
        // "look after" is a phrase: underlined; "big" is reserved: coloured.
        QVERIFY(editor->formatAt(int(text.indexOf(u"look"))).fontUnderline());
        QVERIFY(editor->formatAt(int(text.indexOf(u"after"))).fontUnderline());
        QVERIFY(!editor->formatAt(int(text.indexOf(u"him"))).fontUnderline());
        QCOMPARE(editor->formatAt(int(text.indexOf(u"big"))).foreground().color(),
                 w.reservedFormat().foreground().color());
        QCOMPARE(editor->formatAt(int(text.indexOf(u"walk"))).foreground().color(),
                 w.defaultFormat().foreground().color());

        const int words = w.wordsAmount();
        QCOMPARE(words, 9);
        QCOMPARE(child<QLabel>(&w, 1034)->text(), u"Word Amount:9"_s);
        QCOMPARE(child<QLabel>(&w, 1043)->text(), u"Replaced:0/9=0.0%"_s);
        QVERIFY(child<QLabel>(&w, 1034)->isVisible());
        auto *density = child<QComboBox>(&w, 1015);
        QVERIFY(density->count() > 0);
        QVERIFY(density->itemText(0).startsWith(u'('));

        QCOMPARE(w.sourceEditor()->plainText(), text);
        QVERIFY(w.sourceEditor()->formatAt(int(text.indexOf(u"look"))).fontUnderline());
        QCOMPARE(editor->textCursor().position(), 0);
        QCOMPARE(w.sourceEditor()->textCursor().position(), 0);
        QVERIFY(editor->selectionNotify());
        QCOMPARE(QApplication::clipboard()->text(), u"the user's own text"_s);

        const QString store = Store::readStore(AppPaths::storeFile(), true);
        QVERIFY(store.contains(u"]look after("));
        QVERIFY(store.contains(u"big(reserved_words)"));
        QVERIFY(!store.contains(u"not_exist"));
    }

    void theOriginalPaneKeepsTheFirstArticle()
    {
        MainWindow &w = openWindowWith(u"walk the big child"_s);
        QCOMPARE(searchPhrase(5000), RunEnd::Finished);
        w.articleEditor()->setCaret(0);
        QTest::keyClicks(w.articleEditor(), u"We "_s);
        QCOMPARE(searchPhrase(5000), RunEnd::Finished);
        QCOMPARE(w.articleEditor()->plainText(), u"We walk the big child"_s);
        QCOMPARE(w.sourceEditor()->plainText(), u"walk the big child"_s);
        // New starts another article: no original, no figures.
        PromptAnswers replies(u"discard"_s);
        w.runCommand(Command::New);
        QVERIFY(!w.hasOriginalArticle());
        QCOMPARE(child<QLabel>(&w, 1043)->text(), u"Replaced:"_s);
        QCOMPARE(child<QLabel>(&w, 1034)->text(), u"Word Amount:"_s);
        QCOMPARE(child<QComboBox>(&w, 1015)->count(), 0);
    }

    void analysisOfTextWithoutWords()
    {
        MainWindow &w = openWindowWith(u"... !!!"_s);
        QCOMPARE(searchPhrase(5000), RunEnd::Stopped);
        QVERIFY(!w.progressDialog()->isVisible());
        QCOMPARE(child<QComboBox>(&w, 1015)->count(), 0);
    }

    void pauseTwiceLetsTheWorkerGoOn()
    {
        MainWindow &w = openWindow(true);
        w.articleEditor()->setPlainText(u"walk the big child"_s);
        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        clickSearchPhrase();
        QVERIFY(w.progressDialog()->isVisible());
        clickInDialog(1106);
        QCOMPARE(child<QPushButton>(w.progressDialog(), 1106)->text(), u"Continue"_s);
        m_gate.release();
        // Paused: nothing ends while the worker naps.
        QVERIFY(!finished.wait(1300));
        QVERIFY(w.progressDialog()->isVisible());
        QCOMPARE(w.progressDialog()->position(), 1);
        QElapsedTimer clock;
        clock.start();
        clickInDialog(1106);
        QCOMPARE(child<QPushButton>(w.progressDialog(), 1106)->text(), u"Pause"_s);
        QVERIFY(finished.wait(3000));
        QVERIFY2(clock.elapsed() <= 1250, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(finished.first().first().toBool(), true);
    }

    void abortDoesNotCloseTheDialogByItself()
    {
        MainWindow &w = openWindow(true);
        TestUtil::writeUtf16(AppPaths::storeFile(), u"left alone"_s);
        child<QPlainTextEdit>(&w, 1040)->setPlainText(u"big"_s);
        w.articleEditor()->setPlainText(u"walk  the big child"_s);
        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        clickSearchPhrase();
        clickInDialog(1107);
        QCoreApplication::processEvents();
        QVERIFY(w.progressDialog()->isVisible());
        QVERIFY(w.progressDialog()->isAborted());
        m_gate.release();
        QCOMPARE(GuiTest::nextEnd(finished, 5000), RunEnd::Stopped);
        QVERIFY(!w.progressDialog()->isVisible());
        // The editor keeps the normalised text with the reserved words coloured;
        // the store and the statistics are as they were.
        QCOMPARE(w.articleEditor()->plainText(), u"walk the big child"_s);
        QCOMPARE(w.articleEditor()->formatAt(9).foreground().color(),
                 w.reservedFormat().foreground().color());
        QCOMPARE(TextFile::readUtf16(AppPaths::storeFile()), u"left alone"_s);
        QCOMPARE(child<QComboBox>(&w, 1015)->count(), 0);
        QCOMPARE(child<QLabel>(&w, 1034)->text(), u"Word Amount:"_s);
        QCOMPARE(w.sourceEditor()->plainText(), QString());
    }

    void abortWhilePausedEndsWithinASecond()
    {
        MainWindow &w = openWindow(true);
        w.articleEditor()->setPlainText(u"walk the big child"_s);
        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        clickSearchPhrase();
        clickInDialog(1106);
        m_gate.release();
        QVERIFY(!finished.wait(300));
        QElapsedTimer clock;
        clock.start();
        clickInDialog(1107);
        QVERIFY(finished.wait(3000));
        QVERIFY2(clock.elapsed() <= 1250, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(finished.first().first().toBool(), false);
    }

    void realDictionaryTwoThousandWords()
    {
        if (!QFileInfo::exists(GuiTest::realDictionary()))
            QSKIP("the built dictionary is not there");
        MainWindow &w = openWindow(false, GuiTest::realDictionary());
        w.articleEditor()->setPlainText(TestUtil::generatedArticle(2000, 2011));
        PaintCounter painter;
        w.progressDialog()->installEventFilter(&painter);
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(2);
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start();

        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        QElapsedTimer clock;
        clock.start();
        clickSearchPhrase();
        QVERIFY(finished.wait(10000));
        const qint64 elapsed = clock.elapsed();
        qInfo("Search Phrase on 2,000 words: %lld ms, %d timer ticks, %d paints of the dialog",
              elapsed, ticks, painter.paints);
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(w.wordsAmount() > 1800);
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        // The window went on handling events while the worker ran.
        QVERIFY(ticks > 0);
        QVERIFY(painter.paints > 0);

        // Abort pressed as soon as the dialog is up ends the run early.
        w.articleEditor()->setPlainText(TestUtil::generatedArticle(2000, 2011));
        finished.clear();
        clickSearchPhrase();
        clickInDialog(1107);
        QCOMPARE(GuiTest::nextEnd(finished, 3000), RunEnd::Stopped);
    }

    void residentMemoryAfterTenThousandWords()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer's shadow memory inflates the resident size");
#endif
        if (!QFileInfo::exists(GuiTest::realDictionary()))
            QSKIP("the built dictionary is not there");
        MainWindow &w = openWindow(false, GuiTest::realDictionary());
        w.articleEditor()->setPlainText(TestUtil::generatedArticle(10000, 2011));
        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        QElapsedTimer clock;
        clock.start();
        clickSearchPhrase();
        QCOMPARE(GuiTest::nextEnd(finished, 30000), RunEnd::Finished);
        const qint64 elapsed = clock.elapsed();
        const qint64 rss = residentKiB();
        qInfo("Search Phrase on 10,000 words: %lld ms; resident memory afterwards: %lld KiB",
              elapsed, rss);
        QVERIFY(rss > 0);
        QVERIFY(rss < 150 * 1024);
    }
};

QTEST_MAIN(TestSearchPhrase)
#include "gui_searchphrase.moc"
