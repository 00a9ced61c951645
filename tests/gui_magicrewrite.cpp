#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/progressdialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

namespace {

const QString Article = u"The council agreed that the new school would open in the autumn. "
                        u"Parents were told that the buses would run on time, and the teachers "
                        u"said that they were ready for the first day."_s;

} // namespace

// The Magic Rewrite button over the offline translator: the window shows what
// the chain reports and always ends with an article, rewritten or the original.
class TestMagicRewrite : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    MainWindow &openAutoWindow(const QString &article)
    {
        MainWindow &w = openWindow();
        w.setMode(MainWindowLogic::Mode::Auto);
        w.articleEditor()->setPlainText(article);
        return w;
    }

    static void press(MainWindow &w)
    {
        QTest::mouseClick(child<QPushButton>(&w, 1100), Qt::LeftButton);
    }

    static bool hasApertium() { return !QStandardPaths::findExecutable(u"apertium"_s).isEmpty(); }

    static bool statisticsHidden(MainWindow &w)
    {
        return !child<QLabel>(&w, 1034)->isVisible() && !child<QLabel>(&w, 1043)->isVisible();
    }

private Q_SLOTS:
    void refusals_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<bool>("autoRewriting");
        QTest::addColumn<QString>("message");
        QTest::newRow("auto-rewrite running")
            << Article << true
            << u"Previous Auto-Rewriting Not Finished, Please Try Again Later!"_s;
        QTest::newRow("no article") << u"  \n"_s << false << u"No Article!"_s;
    }
    void refusals()
    {
        QFETCH(QString, article);
        QFETCH(bool, autoRewriting);
        QFETCH(QString, message);
        MainWindow &w = openAutoWindow(article);
        PromptAnswers answers;
        g_bAutoRewriting = autoRewriting;
        press(w);
        QCOMPARE(answers.messages, QStringList{message});
        QCOMPARE(w.articleEditor()->toPlainText(), article);
        QVERIFY(statisticsHidden(w));
        QVERIFY(!w.progressDialog()->isVisible());
    }

    // An offline run ends with the rewritten article, or with the original
    // when it is aborted; the original also waits in the source editor.
    void offlineRun_data() { TestUtil::addTableRows(u"gui/offline-runs.tsv"_s); }
    void offlineRun()
    {
        QFETCH(QString, aborted);
        const bool abort = FileTest::isTrue(aborted);
        if (!hasApertium())
            QSKIP("apertium is not installed");
        MainWindow &w = openAutoWindow(Article);
        PromptAnswers answers;
        press(w);
        QTRY_VERIFY(w.progressDialog()->isVisible());
        if (abort) {
            const auto buttons = w.progressDialog()->findChildren<QPushButton *>();
            const auto shown = std::find_if(buttons.cbegin(), buttons.cend(),
                                            [](QPushButton *b) { return b->isVisible(); });
            QVERIFY(shown != buttons.cend());
            QTest::mouseClick(*shown, Qt::LeftButton);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!w.progressDialog()->isVisible(), 30000);
        if (abort)
            QTRY_COMPARE_WITH_TIMEOUT(w.articleEditor()->toPlainText(), Article, 10000);
        const QString result = w.articleEditor()->toPlainText();
        QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(u"; "_s)));
        QCOMPARE(w.sourceEditor()->toPlainText(), Article);
        QVERIFY(abort || (result != Article && result.contains(u"school"_s)));
        QVERIFY2(!result.contains(u"<<"_s) && !result.contains(u">>"_s), qPrintable(result));
        QVERIFY(statisticsHidden(w));
    }
};

QTEST_MAIN(TestMagicRewrite)
#include "gui_magicrewrite.moc"
