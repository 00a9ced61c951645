#include "app/articlefile.h"
#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/autorewritewaitdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QToolButton>

#include <atomic>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;
using GuiTest::RunEnd;
using GuiTest::tempArticleText;
using GuiTest::tempPath;

namespace {

QString engineArticle(const QString &name)
{
    return GuiTest::dataFile(u"engine"_s, name);
}

const QString Finished = u"Article Generation Finished!"_s;
const QString Busy = u"Previous Auto-Rewriting Not Finished, Please Try Again Later!"_s;

} // namespace

class TestAutoRewrite : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    MainWindow &openWindow(const QString &dictionary = {})
    {
        MainWindow &w = WindowTest::openWindow(dictionary.isEmpty() ? MainWindow::Environment{}
                                                                    : dictionaryAt(dictionary));
        w.setMode(MainWindowLogic::Mode::Auto);
        return w;
    }

    void start(const QString &article, int count, int degree)
    {
        m_window->articleEditor()->setPlainText(article);
        child<QComboBox>(m_window.get(), 1012)->setEditText(QString::number(count));
        child<QComboBox>(m_window.get(), 1075)->setCurrentIndex(degree);
        QTest::mouseClick(child<QPushButton>(m_window.get(), 1005), Qt::LeftButton);
    }

    // Starts Auto-rewrite (no article: again on the editor's) and waits for
    // the run to end.
    RunEnd runToEnd(const QString &article = {}, int count = 2, int degree = 5)
    {
        QSignalSpy finished(m_window.get(), &MainWindow::autoRewriteFinished);
        if (article.isEmpty())
            QTest::mouseClick(child<QPushButton>(m_window.get(), 1005), Qt::LeftButton);
        else
            start(article, count, degree);
        return GuiTest::nextEnd(finished);
    }

    QStringList rowNames() const { return GuiTest::rowNames(m_window->articleList()); }

    static QStringList numbers(int from, int to)
    {
        QStringList list;
        for (int i = from; i <= to; ++i)
            list.append(QString::number(i));
        return list;
    }

private Q_SLOTS:
    void refusals()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        g_bAutoRewriting = true;
        start(u"walk"_s, 2, 5);
        QCOMPARE(answers.messages, QStringList{Busy});
        QCOMPARE(answers.icons.last(), QMessageBox::Warning);
        QVERIFY(g_bAutoRewriting);
        g_bAutoRewriting = false;

        start(QString(), 2, 5);
        QCOMPARE(answers.messages.last(), u"No Article!"_s);
        QCOMPARE(answers.icons.last(), QMessageBox::Warning);
        QVERIFY(!g_bAutoRewriting);

        w.articleEditor()->setPlainText(u"walk"_s);
        child<QComboBox>(&w, 1012)->setEditText(QString());
        QTest::mouseClick(child<QPushButton>(&w, 1005), Qt::LeftButton);
        QCOMPARE(answers.messages.last(), u"Please Select or Enter Article Amount!"_s);
        QCOMPARE(answers.icons.last(), QMessageBox::Warning);
        QVERIFY(!g_bAutoRewriting);
        QVERIFY(!w.isAutoRewriting());
        QVERIFY(!w.waitDialog()->isVisible());
        QCOMPARE(w.articleList()->topLevelItemCount(), 0);
    }

    void generatesTheArticles()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        QStringList editorTexts;
        connect(w.articleEditor(), &QTextEdit::textChanged, this,
                [&] { editorTexts.append(w.articleEditor()->plainText()); });
        QSignalSpy finished(&w, &MainWindow::autoRewriteFinished);
        const QString article = u"I walk the big child."_s;
        start(article, 5, 5);
        QVERIFY(w.waitDialog()->isVisible());
        QVERIFY(w.waitDialog()->isModal());
        QVERIFY(g_bAutoRewriting);
        QVERIFY(w.isListBusy());
        QCOMPARE(GuiTest::nextEnd(finished), RunEnd::Finished);

        QCOMPARE(answers.messages, QStringList{Finished});
        QCOMPARE(answers.icons, QList<QMessageBox::Icon>{QMessageBox::Information});
        QVERIFY(!w.waitDialog()->isVisible());
        QVERIFY(!g_bAutoRewriting);
        QVERIFY(!w.isListBusy());
        QVERIFY(w.isListReady());
        QVERIFY(w.articleEditor()->selectionNotify());
        QVERIFY(w.choiceCounter() > 0);

        // The template was in the editor while the run went on.
        const QRegularExpression group(uR"(\{walk\|[a-z]+\})"_s);
        QVERIFY(std::any_of(editorTexts.begin(), editorTexts.end(),
                            [&](const QString &t) { return t.contains(group); }));

        ArticleList *list = w.articleList();
        QCOMPARE(rowNames(), QStringList{u"original article"_s} + numbers(1, 5));
        QCOMPARE(list->rateAt(0), u"0.00%"_s);
        const QRegularExpression rate(uR"(^\d+\.\d\d%$)"_s);
        QStringList texts;
        for (int i = 1; i <= 5; ++i) {
            QVERIFY2(rate.match(list->rateAt(i)).hasMatch(), qPrintable(list->rateAt(i)));
            const QString text = tempArticleText(QString::number(i) + u".rtf"_s);
            QVERIFY(!text.isEmpty());
            QVERIFY(!texts.contains(text));
            texts.append(text);
        }
        QCOMPARE(tempArticleText(u"original article.rtf"_s), article);
        QCOMPARE(child<QComboBox>(&w, 1012)->currentText(), u"5"_s);
        QCOMPARE(QFileInfo(AppPaths::storeFile()).size(), 0);
        QCOMPARE(QFileInfo(AppPaths::replacedStoreFile()).size(), 0);

        // Row 1 is shown; the source pane holds the original.
        QCOMPARE(list->currentItem(), list->topLevelItem(1));
        QVERIFY(list->topLevelItem(1)->isSelected());
        QCOMPARE(w.articleEditor()->plainText(), texts.first());
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"1.rtf"_s);
        QCOMPARE(child<QLabel>(&w, 1043)->text(), u"Replaced:"_s + list->rateAt(1));
        QVERIFY(w.isShowingArticle());
        QCOMPARE(w.sourceEditor()->plainText(), article);
        QCOMPARE(w.wordsAmount(), 5);
        QCOMPARE(child<QLabel>(&w, 1034)->text(), u"Word Amount:5"_s);
        QVERIFY(child<QComboBox>(&w, 1015)->count() > 0);
        // Six rows: the select-all box is back.
        QVERIFY(child<QCheckBox>(&w, 1065)->isVisible());
        QVERIFY(child<QToolButton>(&w, 1004)->isEnabled());

        // Another row shows its own file.
        list->setCurrentItem(list->topLevelItem(4));
        QCOMPARE(w.articleEditor()->plainText(), texts[3]);
    }

    void countLoweredToTheDistinctArticles()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        // Two groups of two alternatives: four distinct articles.
        QCOMPARE(runToEnd(u"walk big"_s, 10), RunEnd::Finished);
        QCOMPARE(child<QComboBox>(&w, 1012)->currentText(), u"4"_s);
        QCOMPARE(rowNames(), QStringList{u"original article"_s} + numbers(1, 4));
        QSet<QString> texts;
        for (int i = 1; i <= 4; ++i)
            texts.insert(tempArticleText(QString::number(i) + u".rtf"_s));
        QCOMPARE(texts.size(), 4);
        QVERIFY(!QFile::exists(tempPath(u"5.rtf"_s)));
        // Five rows: the select-all box stays hidden.
        QVERIFY(!child<QCheckBox>(&w, 1065)->isVisible());
    }

    void abortKeepsWhatWasGenerated()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        QVERIFY(ArticleFile::writeText(tempPath(u"old.rtf"_s), u"earlier run"_s));
        QSignalSpy finished(&w, &MainWindow::autoRewriteFinished);
        m_holdAt = 2;
        start(u"I walk the big child."_s, 10, 5);
        QTRY_VERIFY_WITH_TIMEOUT(m_reached.available() > 0, 10000);

        // While the worker holds: busy, rows not shown, a second start refused.
        QVERIFY(w.isListBusy());
        QVERIFY(!QFile::exists(tempPath(u"old.rtf"_s)));
        QTRY_COMPARE(w.articleList()->topLevelItemCount(), 3);
        w.articleList()->setCurrentItem(w.articleList()->topLevelItem(1));
        QVERIFY(!w.isShowingArticle());
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"Operating Article"_s);
        w.runCommand(Command::AutoRewrite);
        QCOMPARE(answers.messages, QStringList{Busy});

        QTest::mouseClick(child<QPushButton>(w.waitDialog(), 2), Qt::LeftButton);
        QVERIFY(!w.waitDialog()->isVisible());
        m_gate.release();
        QCOMPARE(GuiTest::nextEnd(finished), RunEnd::Stopped);

        QCOMPARE(rowNames(), (QStringList{u"original article"_s, u"1"_s, u"2"_s}));
        QVERIFY(QFile::exists(tempPath(u"1.rtf"_s)));
        QVERIFY(QFile::exists(tempPath(u"2.rtf"_s)));
        QVERIFY(!QFile::exists(tempPath(u"3.rtf"_s)));
        QCOMPARE(QFileInfo(AppPaths::storeFile()).size(), 0);
        QCOMPARE(QFileInfo(AppPaths::replacedStoreFile()).size(), 0);
        QCOMPARE(answers.messages, QStringList{Busy});
        QVERIFY(!g_bAutoRewriting);
        QVERIFY(!w.isAutoRewriting());
        QVERIFY(w.isListReady());
        QVERIFY(!w.isListBusy());
        QVERIFY(!w.isShowingArticle());
        QVERIFY(w.articleEditor()->selectionNotify());

        // The list works again: the rows kept can be shown and a new run starts.
        w.articleList()->setCurrentItem(w.articleList()->topLevelItem(2));
        QCOMPARE(w.articleEditor()->plainText(), tempArticleText(u"2.rtf"_s));
        m_holdAt = -1;
        QCOMPARE(runToEnd(u"walk big"_s), RunEnd::Finished);
    }

    void aFailedRunSaysSo()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        // temp/ is a file: no article can be written.
        QVERIFY(QDir(AppPaths::articlesDir()).removeRecursively());
        QVERIFY(ArticleFile::writeText(AppPaths::articlesDir(), u"in the way"_s));
        QCOMPARE(runToEnd(u"walk big"_s), RunEnd::Stopped);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages.first() != Finished);
        QCOMPARE(answers.icons.first(), QMessageBox::Critical);
        QVERIFY(!w.waitDialog()->isVisible());
        QVERIFY(!g_bAutoRewriting);
        QVERIFY(w.isListReady());
        QVERIFY(!w.isListBusy());
    }

    void badAmountsKeepTheLastRun()
    {
        MainWindow &w = openWindow();
        // Typed amounts are taken as typed, never completed from the list.
        QVERIFY(!child<QComboBox>(&w, 1012)->completer());
        PromptAnswers answers;
        QCOMPARE(runToEnd(u"walk big"_s), RunEnd::Finished);
        answers.clear();
        for (const QString &amount : {u"abc"_s, u"0"_s, u"-3"_s, u"l0"_s}) {
            child<QComboBox>(&w, 1012)->setEditText(amount);
            QTest::mouseClick(child<QPushButton>(&w, 1005), Qt::LeftButton);
            QCOMPARE(answers.messages.last(), u"Please Select or Enter Article Amount!"_s);
        }
        QCOMPARE(answers.messages.size(), 4);
        QCOMPARE(rowNames(), (QStringList{u"original article"_s, u"1"_s, u"2"_s}));
        QVERIFY(QFile::exists(tempPath(u"2.rtf"_s)));
        QVERIFY(!g_bAutoRewriting);
    }

    void secondRunStartsFromTheOriginal()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        // Topmost drops the original words, so the copy on show always differs.
        QCOMPARE(runToEnd(u"I walk the big child."_s, 2, 0), RunEnd::Finished);
        QVERIFY(w.isShowingArticle());
        QVERIFY(w.articleEditor()->plainText() != u"I walk the big child.");
        QCOMPARE(runToEnd(), RunEnd::Finished);
        QCOMPARE(tempArticleText(u"original article.rtf"_s), u"I walk the big child."_s);
        QCOMPARE(w.sourceEditor()->plainText(), u"I walk the big child."_s);
    }

    void closingTheWaitDialogAborts()
    {
        MainWindow &w = openWindow();
        PromptAnswers answers;
        QSignalSpy finished(&w, &MainWindow::autoRewriteFinished);
        m_holdAt = 1;
        start(u"I walk the big child."_s, 10, 5);
        QTRY_VERIFY_WITH_TIMEOUT(m_reached.available() > 0, 10000);
        QTRY_COMPARE(w.articleList()->topLevelItemCount(), 2);
        QVERIFY(w.waitDialog()->close());
        QVERIFY(!w.waitDialog()->isVisible());

        // Until the run has stopped, nothing touches the editor, list or files.
        answers.clear();
        for (int command : {Command::New, Command::Open, Command::SaveAll, Command::DeleteArticles})
            w.runCommand(command);
        QVERIFY(GuiTest::dropOnEditor(w, {engineArticle(u"citywalk.txt"_s)}));
        QCOMPARE(answers.messages, QStringList(5, Busy));
        QVERIFY(answers.dialogs.isEmpty());
        QVERIFY(w.articleEditor()->isReadOnly());
        m_gate.release();
        QCOMPARE(GuiTest::nextEnd(finished), RunEnd::Stopped);
        // The article is in the editor, with nothing to undo.
        QCOMPARE(w.articleEditor()->plainText(), u"I walk the big child."_s);
        QVERIFY(!w.articleEditor()->isReadOnly());
        QVERIFY(!w.articleEditor()->document()->isUndoAvailable());
    }

    void realArticleToZip()
    {
        if (!QFileInfo::exists(GuiTest::realDictionary()))
            QSKIP("the built dictionary is not there");
        const GuiTest::Unzip unzip;
        if (!unzip.isInstalled())
            QSKIP("unzip is not installed");
        MainWindow &w = openWindow(GuiTest::realDictionary());
        QTemporaryDir out;
        PromptAnswers answers;
        answers.files << engineArticle(u"citywalk.txt"_s);
        w.runCommand(Command::Open);
        QVERIFY(w.articleEditor()->plainText().size() > 1000);

        child<QComboBox>(&w, 1012)->setEditText(u"20"_s);
        child<QComboBox>(&w, 1075)->setCurrentIndex(2); // High
        QSignalSpy finished(&w, &MainWindow::autoRewriteFinished);
        QTest::mouseClick(child<QPushButton>(&w, 1005), Qt::LeftButton);
        QCOMPARE(GuiTest::nextEnd(finished, 30000), RunEnd::Finished);
        QCOMPARE(answers.messages, QStringList{Finished});
        ArticleList *list = w.articleList();
        const int count = child<QComboBox>(&w, 1012)->currentText().toInt();
        qInfo("%d articles of %d words at High", count, w.wordsAmount());
        QVERIFY(count > 0 && count <= 20);
        QCOMPARE(list->topLevelItemCount(), count + 1);

        for (int i = 1; i <= count; ++i)
            list->setChecked(i, true);
        w.runCommand(Command::SaveAsZip);
        QCursor::setPos(child<QToolButton>(&w, 1004)->mapToGlobal(QPoint(2, 2)));
        const QString archive = out.filePath(u"articles.zip"_s);
        answers.files << archive;
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.messages.last(), u"Save File Succeed!"_s);

        QCOMPARE(unzip.test(archive), 0);
        QStringList expected;
        for (int i = 1; i <= count; ++i)
            expected.append(QString::number(i) + u".txt"_s);
        QCOMPARE(unzip.names(archive), expected);

        // Each entry is the UTF-16 text the list shows for its row.
        for (int i = 1; i <= count; ++i) {
            list->setCurrentItem(list->topLevelItem(i));
            const QString shown = w.articleEditor()->plainText();
            const QByteArray bytes = unzip.entry(archive, QString::number(i) + u".txt"_s);
            QVERIFY(bytes.startsWith("\xFF\xFE"));
            QCOMPARE(ArticleFile::toEditorText(ArticleFile::decodeText(bytes).text), shown);
            QCOMPARE(bytes, ArticleFile::encodeText(shown));
        }
    }

    void twoHundredArticlesKeepTheWindowResponsive()
    {
        if (!QFileInfo::exists(GuiTest::realDictionary()))
            QSKIP("the built dictionary is not there");
        MainWindow &w = openWindow(GuiTest::realDictionary());
        PromptAnswers answers;
        QString article;
        for (const QString &name : {u"citywalk.txt"_s, u"garden.txt"_s, u"remote.txt"_s})
            article += ArticleFile::readText(engineArticle(name)).text + u'\n';
        QVERIFY(article.split(u' ', Qt::SkipEmptyParts).size() > 950);

        int ticks = 0;
        qint64 longestGap = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(5);
        connect(&ticker, &QTimer::timeout, this, [&] {
            if (ticks++ > 0)
                longestGap = std::max(longestGap, sinceTick.elapsed());
            sinceTick.restart();
        });
        QSignalSpy finished(&w, &MainWindow::autoRewriteFinished);
        QElapsedTimer clock;
        clock.start();
        ticker.start();
        start(article, 200, 2);
        QVERIFY(finished.wait(60000));
        const qint64 elapsed = clock.elapsed();
        ticker.stop();
        qInfo("Auto-rewrite of %d words into %d articles: %lld ms; %d timer ticks, longest gap "
              "%lld ms",
              w.wordsAmount(), w.articleList()->topLevelItemCount() - 1, elapsed, ticks,
              longestGap);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(w.articleList()->topLevelItemCount(), 201);
        QVERIFY(w.wordsAmount() > 900);
        QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
        // The event loop turned all along: about a tick each 5 ms, at least one each 100 ms,
        // however fast the run.
        QVERIFY2(ticks > 0 && ticks >= elapsed / 100, qPrintable(QString::number(ticks)));
        QVERIFY2(longestGap < 500, qPrintable(QString::number(longestGap)));
    }
};

QTEST_MAIN(TestAutoRewrite)
#include "gui_autorewrite.moc"
