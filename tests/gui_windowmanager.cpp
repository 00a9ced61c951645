// What only a real window manager shows: title-bar close and Alt+F4 on the
// dialogs of the long operations, and where the focus lands when a dialog
// opens. Runs on a virtual X screen under openbox (run-under-openbox.sh); keys
// are typed through the X server with xdotool, as a person types them.
#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/autorewritewaitdialog.h"
#include "ui/findreplacedialog.h"
#include "ui/progressdialog.h"
#include "ui/settingsdialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>

#include <atomic>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

namespace {

const QString Busy = u"Previous Auto-Rewriting Not Finished, Please Try Again Later!"_s;

// Types keys (keysyms separated by blanks) into the window that has the X
// input focus.
bool typeKeys(const QString &keys)
{
    return QProcess::execute(u"xdotool"_s,
                             QStringList{u"key"_s, u"--clearmodifiers"_s} + keys.split(u' ')) == 0;
}

} // namespace

class TestWindowManager : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    // Both workers wait at their first stop until the test lets them go.
    MainWindow &openWindow()
    {
        m_holdAnalysis = true;
        m_holdAt = 1;
        return WindowTest::openWindow();
    }

    // Activates window through the window manager and waits until it has the focus.
    static bool activate(QWidget *window)
    {
        window->raise();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window, 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X screen with a window manager (run-under-openbox.sh)");
    }

    void altF4OnTheWaitDialogAborts()
    {
        MainWindow &w = openWindow();
        w.setMode(MainWindowLogic::Mode::Auto);
        PromptAnswers replies{QString()};
        QSignalSpy finished(&w, &MainWindow::autoRewriteFinished);
        w.articleEditor()->setPlainText(u"I walk the big child."_s);
        child<QComboBox>(&w, 1012)->setEditText(u"10"_s);
        QTest::mouseClick(child<QPushButton>(&w, 1005), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_reached.available() > 0, 10000);
        QVERIFY(activate(w.waitDialog()));
        QVERIFY(typeKeys(u"alt+F4"_s));
        QTRY_VERIFY(!w.waitDialog()->isVisible());

        // The run is stopping: the window refuses what would touch its results.
        w.runCommand(Command::New);
        w.runCommand(Command::DeleteArticles);
        QCOMPARE(replies.messages, QStringList(2, Busy));
        m_gate.release();
        QCOMPARE(GuiTest::nextEnd(finished), GuiTest::RunEnd::Stopped);
        QCOMPARE(w.articleEditor()->plainText(), u"I walk the big child."_s);
        QCOMPARE(w.articleList()->topLevelItemCount(), 2);
    }

    void altF4OnTheProgressDialogAborts()
    {
        MainWindow &w = openWindow();
        QSignalSpy finished(&w, &MainWindow::analysisFinished);
        w.articleEditor()->setPlainText(u"walk the big child"_s);
        QTest::mouseClick(child<QPushButton>(&w, 1006), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_reached.available() > 0, 10000);
        QVERIFY(activate(w.progressDialog()));
        QVERIFY(typeKeys(u"alt+F4"_s));
        // Like Abort: the flag is set and the dialog waits for the worker.
        QTRY_VERIFY(w.progressDialog()->isAborted());
        QVERIFY(w.progressDialog()->isVisible());
        m_gate.release();
        QCOMPARE(GuiTest::nextEnd(finished), GuiTest::RunEnd::Stopped);
        QVERIFY(!w.progressDialog()->isVisible());
    }

    void findAndReplaceOpensInTheFindBox()
    {
        MainWindow &w = openWindow();
        w.articleEditor()->setFocus();
        QVERIFY(typeKeys(u"ctrl+h"_s));
        QTRY_VERIFY(w.findDialog() && w.findDialog()->isActiveWindow());
        QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(w.findDialog(), 1041));
    }

    void spaceInTheSettingsDialogClosesNothing()
    {
        MainWindow &w = openWindow();
        int focused = 0; // the focused control's number; the dialog is gone afterwards
        bool openAfterSpace = false;
        GuiTest::ModalHandler<SettingsDialog> handler([&](SettingsDialog *dlg) {
            if (QTest::qWaitFor([dlg] { return QApplication::activeWindow() == dlg; }, 5000)) {
                if (QWidget *widget = QApplication::focusWidget())
                    focused = widget->property(SpecIdProperty).toInt();
                (void)typeKeys(u"space"_s);
                QTest::qWait(300);
                openAfterSpace = dlg->isVisible();
            }
            dlg->reject();
        });
        w.runCommand(Command::Settings);
        QVERIFY(handler.handled());
        QCOMPARE(focused, 1088);
        QVERIFY(openAfterSpace);
    }

    // Every menu opens from the keyboard, and Down reaches each enabled item.
    void menusOpenFromTheKeyboard_data() { TestUtil::addTableRows(u"gui/menu-keys.tsv"_s); }

    void menusOpenFromTheKeyboard()
    {
        QFETCH(QString, keys);
        QFETCH(QString, menu);
        MainWindow &w = openWindow();
        w.articleEditor()->setPlainText(u"walk"_s);
        w.articleEditor()->setFocus();
        QVERIFY(typeKeys(keys));
        QMenu *open = nullptr;
        QTRY_VERIFY((open = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QCOMPARE(open->menuAction(), GuiTest::menuBarItem(w, menu.toInt()));
        QSet<QAction *> enabled;
        for (QAction *a : open->actions()) {
            if (!a->isSeparator() && a->isEnabled())
                enabled.insert(a);
        }
        QVERIFY(!enabled.isEmpty());
        QSet<QAction *> reached;
        for (qsizetype i = 0; i <= open->actions().size(); ++i) {
            const QAction *before = open->activeAction();
            QVERIFY(typeKeys(u"Down"_s));
            QTRY_VERIFY(open->activeAction() != before || open->actions().size() == 1);
            reached.insert(open->activeAction());
        }
        QVERIFY(reached.contains(enabled));
        QVERIFY(typeKeys(u"Escape Escape"_s));
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(w.isVisible());
    }

    // Enter chooses the highlighted item; Alt+S runs the settings at once.
    void enterRunsTheHighlightedItem()
    {
        MainWindow &w = openWindow();
        w.articleEditor()->setPlainText(u"walk home"_s);
        w.articleEditor()->setFocus();
        QVERIFY(typeKeys(u"alt+e"_s));
        QMenu *edit = nullptr;
        QTRY_VERIFY((edit = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        for (int i = 0; i < 10 && edit->activeAction() != w.action(Command::SelectAll); ++i) {
            const QAction *before = edit->activeAction();
            QVERIFY(typeKeys(u"Down"_s));
            QTRY_VERIFY(edit->activeAction() != before);
        }
        QCOMPARE(edit->activeAction(), w.action(Command::SelectAll));
        QVERIFY(typeKeys(u"Return"_s));
        QTRY_COMPARE(w.articleEditor()->textCursor().selectedText(), u"walk home"_s);

        bool settingsShown = false;
        GuiTest::ModalHandler<SettingsDialog> handler([&](SettingsDialog *dlg) {
            settingsShown = true;
            dlg->reject();
        });
        QVERIFY(typeKeys(u"alt+s"_s));
        QTRY_VERIFY(settingsShown);
    }

    void altF4AsksAboutUnsavedText()
    {
        MainWindow &w = openWindow();
        w.articleEditor()->setFocus();
        QVERIFY(typeKeys(u"T y p e d"_s));
        QTRY_COMPARE(w.articleEditor()->plainText(), u"Typed"_s);
        {
            PromptAnswers cancel{QString()};
            QVERIFY(typeKeys(u"alt+F4"_s));
            QTRY_COMPARE(cancel.questions.size(), 1);
            QTest::qWait(200);
            QVERIFY(w.isVisible());
        }
        PromptAnswers discard(u"discard"_s);
        QVERIFY(activate(&w));
        QVERIFY(typeKeys(u"alt+F4"_s));
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(discard.questions.size(), 1);
    }
};

QTEST_MAIN(TestWindowManager)
#include "gui_windowmanager.moc"
