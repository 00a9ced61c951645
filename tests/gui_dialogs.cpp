#include "engine/jobcontrol.h"
#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/autorewritewaitdialog.h"
#include "ui/findreplacedialog.h"
#include "ui/progressdialog.h"
#include "ui/settingsdialog.h"
#include "ui/splashscreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

namespace {

bool isLit(const QImage &image, int segment)
{
    const QColor c = image.pixelColor(ProgressDialog::segmentRect(segment).center());
    return c.blue() > c.red() + 60;
}

} // namespace

class TestDialogs : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    FindReplaceDialog &openFind(const QString &text)
    {
        MainWindow &w = openWindowWith(text);
        w.articleEditor()->setFocus();
        w.articleEditor()->setCaret(0);
        w.runCommand(Command::FindReplace);
        return *w.findDialog();
    }

    void setFindTexts(FindReplaceDialog &dlg, const QString &find, const QString &replacement)
    {
        child<QLineEdit>(&dlg, 1041)->setText(find);
        child<QLineEdit>(&dlg, 1042)->setText(replacement);
    }

    void click(QWidget *parent, int id)
    {
        auto *button = child<QAbstractButton>(parent, id);
        QVERIFY2(button, qPrintable(QString::number(id)));
        QTest::mouseClick(button, Qt::LeftButton);
    }

private Q_SLOTS:
    // --- Progress dialog ---

    void progressSegments_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("none") << 0;
        QTest::newRow("four") << 4;
        QTest::newRow("all") << 10;
    }

    void progressSegments()
    {
        QFETCH(int, position);
        ProgressDialog dlg;
        JobControl control;
        dlg.begin(&control, false);
        dlg.show();
        dlg.setPosition(position);
        const QImage image = dlg.grab().toImage();
        for (int i = 0; i < ProgressDialog::Segments; ++i)
            QCOMPARE(isLit(image, i), i < position);
        QCOMPARE(ProgressDialog::segmentRect(9), QRect(17 + 24 * 9, 40, 24, 11));
    }

    void pauseTogglesAndAbortDoesNotClose()
    {
        ProgressDialog dlg;
        JobControl control;
        dlg.begin(&control, false);
        dlg.showModal();
        auto *pause = child<QPushButton>(&dlg, 1106);
        QCOMPARE(pause->text(), u"Pause"_s);
        QCOMPARE(child<QPushButton>(&dlg, 1107)->text(), u"Abort"_s);
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), u"Continue"_s);
        QVERIFY(control.isPaused());
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), u"Pause"_s);
        QVERIFY(!control.isPaused());

        QTest::mouseClick(child<QPushButton>(&dlg, 1107), Qt::LeftButton);
        QVERIFY(control.isAborted());
        QVERIFY(dlg.isAborted());
        QVERIFY(dlg.isVisible());
        dlg.finish();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.position(), 10);
        QVERIFY(!dlg.isAborted());
        QVERIFY(!control.isAborted());
    }

    void progressKeysNeverClose()
    {
        ProgressDialog dlg;
        JobControl control;
        dlg.begin(&control, false);
        dlg.showModal();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QVERIFY(!control.isAborted());
        // The window system's close request is an Abort; the owner still ends it.
        dlg.close();
        QVERIFY(dlg.isVisible());
        QVERIFY(control.isAborted());
        QVERIFY(dlg.isAborted());
        dlg.finish();
    }

    void abortOnlyModeCentresAbort()
    {
        ProgressDialog dlg;
        JobControl control;
        dlg.begin(&control, true);
        dlg.show();
        auto *abort = child<QPushButton>(&dlg, 1107);
        QVERIFY(!child<QPushButton>(&dlg, 1106)->isVisible());
        QVERIFY(abort->isVisible());
        QCOMPARE(abort->x(), dlg.width() / 2 - abort->width() / 2);
        dlg.begin(&control, false);
        QVERIFY(child<QPushButton>(&dlg, 1106)->isVisible());
        QVERIFY(abort->x() > dlg.width() / 2);
    }

    void progressDialogIsDraggable()
    {
        ProgressDialog dlg;
        dlg.show();
        dlg.move(100, 100);
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QPoint before = dlg.pos();
        QTest::mousePress(&dlg, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(&dlg, QPoint(35, 25));
        QTest::mouseRelease(&dlg, Qt::LeftButton, {}, QPoint(35, 25));
        QTRY_COMPARE(dlg.pos(), before + QPoint(30, 20));
    }

    // --- Wait dialog and splash ---

    void waitDialog()
    {
        AutoRewriteWaitDialog dlg;
        QSignalSpy aborted(&dlg, &AutoRewriteWaitDialog::aborted);
        dlg.open();
        QCOMPARE(child<QLabel>(&dlg, 1171)->text(), u"Auto-rewriting,Please wait..."_s);
        QCOMPARE(child<QPushButton>(&dlg, 2)->text(), u"Abort"_s);
        QVERIFY(child<QLabel>(&dlg, 1171)->font().bold());
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QVERIFY(aborted.isEmpty());
        QTest::mouseClick(child<QPushButton>(&dlg, 2), Qt::LeftButton);
        QCOMPARE(aborted.size(), 1);
        QVERIFY(!dlg.isVisible());
    }

    void splash()
    {
        SplashScreen splash;
        splash.show();
        QCOMPARE(splash.size(), QSize(456, 300));
        QCOMPARE(splash.pos(), QGuiApplication::primaryScreen()->geometry().topLeft());
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
    }

    // --- Settings ---

    void settingsOpenWithTheDefaults()
    {
        MainWindow &w = openWindow();
        SettingsDialog dlg(&w);
        QCOMPARE(child<QComboBox>(&dlg, 1012)->currentText(), u"10"_s);
        QCOMPARE(child<QComboBox>(&dlg, 1096)->currentIndex(), 5);
        QCOMPARE(child<QComboBox>(&dlg, 1096)->currentText(), u"Very Low"_s);
        QVERIFY(!child<QCheckBox>(&dlg, 1087)->isChecked());
        QCOMPARE(child<QPlainTextEdit>(&dlg, 1055)->toPlainText(), QString());
        QCOMPARE(child<QPlainTextEdit>(&dlg, 1056)->toPlainText(), QString());
        QCOMPARE(child<QPushButton>(&dlg, 2)->text(), u"Cancel"_s);
        QCOMPARE(child<QPushButton>(&dlg, 1)->text(), u"OK"_s);
        QCOMPARE(child<QLabel>(&dlg, 1137)->text(), u"Settings"_s);
        auto *languages = child<QComboBox>(&dlg, 1088);
        QCOMPARE(languages->itemText(0), u"English"_s);
        QCOMPARE(languages->count(), 5);
        QCOMPARE(languages->currentText(), u"English"_s);
        // The first field has the focus, and the amount is never completed.
        dlg.show();
        QTRY_COMPARE(dlg.focusWidget(), languages);
        QVERIFY(!child<QComboBox>(&dlg, 1012)->completer());
        QCOMPARE(child<QPushButton>(&dlg, 1109)->focusPolicy(), Qt::NoFocus);
    }

    void okWithoutChangesRewritesThreeKeys()
    {
        MainWindow &w = openWindow();
        WriteConfigValue(u"Default Replace Degree="_s, u"05"_s);
        WriteConfigValue(u"Always Display Source Article="_s, u"00"_s);
        const QString ignoreBefore =
            ReadKeyValue(AppPaths::configFile(), u"Default Ignore Words="_s);
        SettingsDialog dlg(&w);
        dlg.show();
        click(&dlg, 1);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(ReadKeyValue(AppPaths::configFile(), u"Default Replace Degree="_s), u"5"_s);
        QCOMPARE(ReadKeyValue(AppPaths::configFile(), u"Always Display Source Article="_s), u"0"_s);
        QCOMPARE(ReadKeyValue(AppPaths::configFile(), u"Default Articles Number="_s), u"10"_s);
        QCOMPARE(ReadKeyValue(AppPaths::configFile(), u"Default Ignore Words="_s), ignoreBefore);
        QVERIFY(!TextFile::readUtf16(AppPaths::configFile())
                     .contains(u"Default Reserved Words=\r\n\r\n"));
    }

    void okWithGermanSwitchesTheCaptionsAtOnce()
    {
        MainWindow &w = openWindow();
        SettingsDialog dlg(&w);
        dlg.show();
        auto *languages = child<QComboBox>(&dlg, 1088);
        const int german = languages->findText(u"Deutsch -- German"_s);
        QVERIFY(german > 0);
        languages->setCurrentIndex(german);
        click(&dlg, 1);
        QCOMPARE(Config::language(), u"Deutsch -- German"_s);
        QCOMPARE(Language::currentName(), u"Deutsch -- German"_s);
        const QString text = LoadLanguageText(u"Deutsch -- German"_s);
        QCOMPARE(child<QPushButton>(&w, 1006)->text(),
                 LookupText(u"\r\nAnalyze=", Language::mainDialogSection(text)));
        QVERIFY(child<QPushButton>(&w, 1006)->text() != u"Search Phrase"_s);
        QCOMPARE(child<QToolButton>(&w, 1133)->text(), u"Schrift"_s);
        // The next opening shows the German texts.
        SettingsDialog again(&w);
        QCOMPARE(child<QPushButton>(&again, 2)->text(),
                 LookupText(u"\r\nCancel=", Language::sectionFrom(text, u"[Config Dialog]")));
    }

    void alwaysDisplaySourceArticleAppliesAtOnce()
    {
        MainWindow &w = openWindow();
        {
            SettingsDialog dlg(&w);
            dlg.show();
            child<QCheckBox>(&dlg, 1087)->setChecked(true);
            click(&dlg, 1);
        }
        QVERIFY(w.sourceEditor()->isVisible());
        QVERIFY(!child<QCheckBox>(&w, 1074)->isEnabled());
        QVERIFY(child<QCheckBox>(&w, 1074)->isChecked());
        QVERIFY(Config::alwaysDisplaySourceArticle());
        {
            SettingsDialog dlg(&w);
            dlg.show();
            QVERIFY(child<QCheckBox>(&dlg, 1087)->isChecked());
            child<QCheckBox>(&dlg, 1087)->setChecked(false);
            click(&dlg, 1);
        }
        QVERIFY(!w.sourceEditor()->isVisible());
        QVERIFY(child<QCheckBox>(&w, 1074)->isEnabled());
        QVERIFY(!Config::alwaysDisplaySourceArticle());
    }

    void wordBoxesAreWrittenOnlyWhenEdited()
    {
        MainWindow &w = openWindow();
        SettingsDialog dlg(&w);
        dlg.show();
        auto *reserved = child<QPlainTextEdit>(&dlg, 1056);
        reserved->setFocus();
        QTest::keyClicks(reserved, u"a,b"_s);
        QTest::keyClick(reserved, Qt::Key_Return);
        QTest::keyClicks(reserved, u"c"_s);
        auto *ignore = child<QPlainTextEdit>(&dlg, 1055);
        ignore->setFocus();
        QTest::keyClicks(ignore, u"the,a"_s);
        click(&dlg, 1);
        QVERIFY(TextFile::readUtf16(AppPaths::configFile())
                    .contains(u"Default Reserved Words=a,b\r\nc\r\n"));
        QCOMPARE(Config::reservedWords(), u"a,b"_s);
        QCOMPARE(Config::ignoreWords(), u"the,a"_s);
        QCOMPARE(w.ignoreWords(), u"the,a"_s);
        // The main window's reserved-words box is not changed.
        QCOMPARE(child<QPlainTextEdit>(&w, 1040)->toPlainText(), QString());
    }

    void settingsKeysAndCancel()
    {
        MainWindow &w = openWindow();
        const QByteArray before = TestUtil::fileBytes(AppPaths::configFile());
        SettingsDialog dlg(&w);
        dlg.open();
        QApplication::setActiveWindow(&dlg);
        child<QComboBox>(&dlg, 1012)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        child<QComboBox>(&dlg, 1012)->setEditText(u"77"_s);
        click(&dlg, 2);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(TestUtil::fileBytes(AppPaths::configFile()), before);
    }

    void settingsButtonRunsTheDialogModally()
    {
        MainWindow &w = openWindow();
        GuiTest::ModalHandler<SettingsDialog> handler([](SettingsDialog *dlg) {
            QTest::mouseClick(child<QPushButton>(dlg, 1109), Qt::LeftButton);
        });
        GuiTest::menuBarItem(w, 1110)->trigger();
        QVERIFY(handler.handled());
    }

    void settingsWithoutLanguageFiles()
    {
        m_folders = std::make_unique<GuiTest::Folders>(true, QStringList{u"none"_s});
        MainWindow &w = openWindow();
        SettingsDialog dlg(&w);
        dlg.show();
        QCOMPARE(child<QComboBox>(&dlg, 1088)->count(), 0);
        const QString before = Language::currentName();
        click(&dlg, 1);
        QCOMPARE(Language::currentName(), before);
    }

    // --- Find and replace ---

    void findNextFindsWholeWordsOnly()
    {
        FindReplaceDialog &dlg = openFind(u"cat concat cat's"_s);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.focusWidget(), child<QLineEdit>(&dlg, 1041));
        QCOMPARE(dlg.pos(), QPoint(400, 300));
        QCOMPARE(child<QPushButton>(&dlg, 1011)->text(), u"Find Next"_s);
        QCOMPARE(child<QLabel>(&dlg, 1136)->text(), u"Find & Replace"_s);
        setFindTexts(dlg, u"cat"_s, QString());
        ArticleEditor *editor = m_window->articleEditor();
        GuiTest::MessageCatcher catcher;
        click(&dlg, 1011);
        QCOMPARE(editor->selectionStart(), 0);
        QCOMPARE(editor->selectionEnd(), 3);
        QVERIFY(catcher.texts.isEmpty());
        click(&dlg, 1011);
        QCOMPARE(catcher.texts, QStringList{u"Not Found!"_s});
        QCOMPARE(catcher.icons.last(), QMessageBox::Information);
        QVERIFY(!editor->textCursor().hasSelection());
        QCOMPARE(editor->textCursor().position(), 0);
        click(&dlg, 1011);
        QCOMPARE(editor->selectionStart(), 0);
        QCOMPARE(editor->selectionEnd(), 3);
    }

    void findMatchesCase()
    {
        FindReplaceDialog &dlg = openFind(u"cat"_s);
        setFindTexts(dlg, u"Cat"_s, QString());
        GuiTest::MessageCatcher catcher;
        click(&dlg, 1011);
        QCOMPARE(catcher.texts, QStringList{u"Not Found!"_s});
    }

    void enterInTheFindBoxFindsNext()
    {
        FindReplaceDialog &dlg = openFind(u"a cat"_s);
        setFindTexts(dlg, u"cat"_s, QString());
        QTest::keyClick(child<QLineEdit>(&dlg, 1041), Qt::Key_Return);
        QCOMPARE(m_window->articleEditor()->selectionStart(), 2);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
    }

    void replaceAll_data() { TestUtil::addTableRows(u"gui/replace-all.tsv"_s); }

    void replaceAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        FindReplaceDialog &dlg = openFind(text);
        setFindTexts(dlg, find, replacement);
        GuiTest::MessageCatcher catcher;
        click(&dlg, 1047);
        QCOMPARE(m_window->articleEditor()->plainText(), expected);
        QCOMPARE(catcher.texts, QStringList{u"Replace Finished!"_s});
        QCOMPARE(catcher.icons.last(), QMessageBox::NoIcon);
    }

    void emptyFindTextIsRefused()
    {
        FindReplaceDialog &dlg = openFind(u"cat"_s);
        GuiTest::MessageCatcher catcher;
        click(&dlg, 1011);
        click(&dlg, 1047);
        QCOMPARE(catcher.texts,
                 (QStringList{u"Text Can Not Be Empty!"_s, u"Text Can Not Be Empty!"_s}));
        QCOMPARE(catcher.icons.last(), QMessageBox::Warning);
        QCOMPARE(m_window->articleEditor()->plainText(), u"cat"_s);
    }

    void replaceReplacesTheSelectionOnly()
    {
        FindReplaceDialog &dlg = openFind(u"one two"_s);
        setFindTexts(dlg, u"zzz"_s, u"three"_s);
        ArticleEditor *editor = m_window->articleEditor();
        GuiTest::MessageCatcher catcher;
        click(&dlg, 1046);
        QCOMPARE(editor->plainText(), u"one two"_s);
        editor->select(4, 7);
        click(&dlg, 1046);
        QCOMPARE(editor->plainText(), u"one three"_s);
        QVERIFY(catcher.texts.isEmpty());
        editor->undo();
        QCOMPARE(editor->plainText(), u"one two"_s);
    }

    void searchFollowsTheLastFocusedEditor()
    {
        FindReplaceDialog &dlg = openFind(u"cat"_s);
        m_window->showSourceArticle(true);
        m_window->sourceEditor()->setPlainText(u"a cat"_s);
        m_window->activateWindow();
        QApplication::setActiveWindow(m_window.get());
        m_window->sourceEditor()->setFocus();
        QCOMPARE(m_window->activeEditor(), m_window->sourceEditor());
        setFindTexts(dlg, u"cat"_s, u"dog"_s);
        GuiTest::MessageCatcher catcher;
        click(&dlg, 1047);
        QCOMPARE(m_window->sourceEditor()->plainText(), u"a dog"_s);
        QCOMPARE(m_window->articleEditor()->plainText(), u"cat"_s);
    }

    void cancelHidesAndTheTextsStay()
    {
        FindReplaceDialog &dlg = openFind(u"cat"_s);
        setFindTexts(dlg, u"cat"_s, u"dog"_s);
        click(&dlg, 2);
        QVERIFY(!dlg.isVisible());
        m_window->runCommand(Command::FindReplace);
        QVERIFY(dlg.isVisible());
        QCOMPARE(child<QLineEdit>(&dlg, 1041)->text(), u"cat"_s);
        click(&dlg, 1102);
        QVERIFY(!dlg.isVisible());
    }

    void findDialogFollowsTheLanguage()
    {
        FindReplaceDialog &dlg = openFind(u"cat"_s);
        Language::setCurrentName(u"Deutsch -- German"_s);
        m_window->applyLanguage(u"Deutsch -- German"_s);
        const QString text = LoadLanguageText(u"Deutsch -- German"_s);
        const QStringView section = Language::sectionFrom(text, u"[Find & Replace Dialog]");
        QCOMPARE(child<QPushButton>(&dlg, 1011)->text(), LookupText(u"\r\nFind=", section));
        QCOMPARE(child<QPushButton>(&dlg, 2)->text(), LookupText(u"\r\nCancel=", section));
    }
};

QTEST_MAIN(TestDialogs)
#include "gui_dialogs.moc"
