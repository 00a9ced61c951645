// What only a real window manager shows: title-bar close and Alt+F4 on the
// dialogs of the long operations, and where the focus lands when a dialog
// opens. Runs on a virtual X screen under openbox (run-under-openbox.sh); keys
// are typed through the X server with xdotool, as a person types them.
#include "gui_testutil.h"
#include "ui/articlelist.h"
#include "ui/cautorewritemsgdlg.h"
#include "ui/cconfigdlg.h"
#include "ui/cfindandreplacedlg.h"
#include "ui/cprogressnewdlg.h"

#include <QComboBox>
#include <QLineEdit>
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

class TestWindowManager : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GuiTest::Folders> m_folders;
    std::unique_ptr<CLexiswapDlg> m_window;
    QSemaphore m_gate;
    QSemaphore m_reached;

    CLexiswapDlg &openWindow()
    {
        CLexiswapDlg::Environment env = m_folders->environment();
        // Both workers wait at their first stop until the test lets them go.
        env.beforeAnalysis = [this] {
            m_reached.release();
            (void)m_gate.tryAcquire(1, 20000);
        };
        env.afterArticle = [this](int article) {
            if (article == 1) {
                m_reached.release();
                (void)m_gate.tryAcquire(1, 20000);
            }
        };
        m_window = std::make_unique<CLexiswapDlg>();
        if (!m_window->initialise(env))
            qFatal("main window did not initialise");
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            qWarning("main window not active");
        return *m_window;
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

    void init()
    {
        g_bAutoRewriting = false;
        m_folders = std::make_unique<GuiTest::Folders>();
        QVERIFY(m_folders->isValid());
    }

    void cleanup()
    {
        m_gate.release(4);
        m_window.reset();
        m_gate.acquire(m_gate.available());
        m_reached.acquire(m_reached.available());
        m_folders.reset();
        g_bAutoRewriting = false;
    }

    void altF4OnTheWaitDialogAborts()
    {
        CLexiswapDlg &w = openWindow();
        w.setMode(MainWindowLogic::Mode::Auto);
        GuiTest::Replies replies{QString()};
        QSignalSpy finished(&w, &CLexiswapDlg::autoRewriteFinished);
        w.articleEditor()->setPlainText(u"I walk the big child."_s);
        child<QComboBox>(&w, 1012)->setEditText(u"10"_s);
        QTest::mouseClick(child<QPushButton>(&w, 1005), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_reached.available() > 0, 10000);
        QVERIFY(activate(w.waitDialog()));
        QVERIFY(typeKeys(u"alt+F4"_s));
        QTRY_VERIFY(!w.waitDialog()->isVisible());

        // The run is stopping: the window refuses what would touch its results.
        w.runCommand(CLexiswapDlg::CmdNew);
        w.runCommand(CLexiswapDlg::CmdDeleteArticles);
        QCOMPARE(replies.messages, QStringList(2, Busy));
        m_gate.release();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(w.articleEditor()->plainText(), u"I walk the big child."_s);
        QCOMPARE(w.articleList()->topLevelItemCount(), 2);
    }

    void altF4OnTheProgressDialogAborts()
    {
        CLexiswapDlg &w = openWindow();
        QSignalSpy finished(&w, &CLexiswapDlg::analysisFinished);
        w.articleEditor()->setPlainText(u"walk the big child"_s);
        QTest::mouseClick(child<QPushButton>(&w, 1006), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_reached.available() > 0, 10000);
        QVERIFY(activate(w.progressDialog()));
        QVERIFY(typeKeys(u"alt+F4"_s));
        // Like Abort: the flag is set and the dialog waits for the worker.
        QTRY_VERIFY(w.progressDialog()->isAborted());
        QVERIFY(w.progressDialog()->isVisible());
        m_gate.release();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), false);
        QVERIFY(!w.progressDialog()->isVisible());
    }

    void findAndReplaceOpensInTheFindBox()
    {
        CLexiswapDlg &w = openWindow();
        w.articleEditor()->setFocus();
        QVERIFY(typeKeys(u"ctrl+h"_s));
        QTRY_VERIFY(w.findDialog() && w.findDialog()->isActiveWindow());
        QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(w.findDialog(), 1041));
    }

    void spaceInTheSettingsDialogClosesNothing()
    {
        CLexiswapDlg &w = openWindow();
        QWidget *focused = nullptr;
        bool openAfterSpace = false;
        GuiTest::ModalHandler<CConfigDlg> handler([&](CConfigDlg *dlg) {
            if (QTest::qWaitFor([dlg] { return QApplication::activeWindow() == dlg; }, 5000)) {
                focused = QApplication::focusWidget();
                (void)typeKeys(u"space"_s);
                QTest::qWait(300);
                openAfterSpace = dlg->isVisible();
            }
            dlg->reject();
        });
        w.runCommand(CLexiswapDlg::CmdSettings);
        QVERIFY(handler.handled());
        QVERIFY(focused);
        QCOMPARE(focused->objectName(), u"ctl1088"_s);
        QVERIFY(openAfterSpace);
    }

    void altF4AsksAboutUnsavedText()
    {
        CLexiswapDlg &w = openWindow();
        w.articleEditor()->setFocus();
        QVERIFY(typeKeys(u"T y p e d"_s));
        QTRY_COMPARE(w.articleEditor()->plainText(), u"Typed"_s);
        {
            GuiTest::Replies cancel{QString()};
            QVERIFY(typeKeys(u"alt+F4"_s));
            QTRY_COMPARE(cancel.questions.size(), 1);
            QTest::qWait(200);
            QVERIFY(w.isVisible());
        }
        GuiTest::Replies discard(u"discard"_s);
        QVERIFY(activate(&w));
        QVERIFY(typeKeys(u"alt+F4"_s));
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(discard.questions.size(), 1);
    }
};

QTEST_MAIN(TestWindowManager)
#include "gui_windowmanager.moc"
