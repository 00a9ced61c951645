#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/findreplacedialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

// Takes the addresses the program hands to the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher()
    {
        for (const QString &scheme : {u"file"_s, u"https"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override
    {
        for (const QString &scheme : {u"file"_s, u"https"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

class TestMainWindow : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    QAction *menuAction(QMenu &menu, int command) { return GuiTest::commandAction(&menu, command); }

    void trigger(MainWindow::MenuKind kind, int command)
    {
        const auto menu = m_window->menu(kind);
        QAction *action = menuAction(*menu, command);
        QVERIFY(action);
        QVERIFY(action->isEnabled());
        action->trigger();
    }

private Q_SLOTS:
    void everyControlIsNamedByItsId()
    {
        MainWindow &w = openWindow();
        const int ids[] = {1002, 1003, 1069, 1073, 1078, 1040, 1113, 1006, 1074, 1142, 1044, 1012,
                           1082, 1075, 1005, 1100, 1079, 1068, 1065, 1004, 1167, 1057, 1083, 1015,
                           1034, 1043, 1133, 1130, 1126, 1131, 1132, 1025, 1026, 1028};
        for (int id : ids)
            QVERIFY2(child<QWidget>(&w, id), qPrintable(QString::number(id)));
        for (int id : {1108, 1109, 1110, 1111, 1112})
            QVERIFY2(GuiTest::menuBarItem(w, id), qPrintable(QString::number(id)));
        // Each command is one action that carries its number.
        for (int id : {57600, 32779, 1057,  1004,  32830, 32831, 32799, 1102,  1101,
                       1006,  1005,  1100,  32785, 32786, 32787, 32792, 32791, 32793,
                       32794, 32777, 32836, 32833, 32834, 32835, 32837}) {
            QAction *action = GuiTest::commandAction(&w, id);
            QVERIFY2(action && action == w.action(id), qPrintable(QString::number(id)));
        }
        QCOMPARE(w.windowTitle(), u"Rewordix"_s);
    }

    void initialStateIsTheManualMode()
    {
        MainWindow &w = openWindow();
        QCOMPARE(child<QTabBar>(&w, 1113)->currentIndex(), 0);
        QCOMPARE(child<QTabBar>(&w, 1113)->tabText(0), u"Manual"_s);
        for (int id : {1074, 1006, 1142, 1040, 1002, 1057})
            QVERIFY2(child<QWidget>(&w, id)->isVisible(), qPrintable(QString::number(id)));
        for (int id : {1044, 1082, 1012, 1075, 1005, 1100, 1079, 1068, 1004, 1065, 1003, 1069})
            QVERIFY2(!child<QWidget>(&w, id)->isVisible(), qPrintable(QString::number(id)));
        QVERIFY(!child<QWidget>(&w, 1004)->isEnabled());
        QCOMPARE(w.activeEditor(), w.articleEditor());
        // The default Config.ini: 10 articles, "Very Low", source pane hidden.
        QCOMPARE(child<QComboBox>(&w, 1012)->currentText(), u"10"_s);
        QCOMPARE(child<QComboBox>(&w, 1075)->currentIndex(), 5);
        QCOMPARE(child<QComboBox>(&w, 1075)->currentText(), u"Very Low"_s);
        QVERIFY(!child<QCheckBox>(&w, 1074)->isChecked());
        QVERIFY(child<QCheckBox>(&w, 1074)->isEnabled());
        QVERIFY(w.scrambled());
        QCOMPARE(child<QPushButton>(&w, 1006)->text(), u"Search Phrase"_s);
        QCOMPARE(child<QPushButton>(&w, 1006)->toolTip(),
                 u"Found Out All Phrases From Operating Article"_s);
        QCOMPARE(GuiTest::menuTitle(w, 1112), u"English"_s);
        QCOMPARE(GuiTest::menuTitle(w, 1111), u"Help"_s);
    }

    void emptyArticlesNumberShowsTwo()
    {
        Config::setArticlesNumber(QString());
        MainWindow &w = openWindow();
        QCOMPARE(child<QComboBox>(&w, 1012)->currentText(), u"2"_s);
    }

    void alwaysDisplaySourceArticle()
    {
        Config::setAlwaysDisplaySourceArticle(true);
        MainWindow &w = openWindow();
        QVERIFY(child<QWidget>(&w, 1003)->isVisible());
        QVERIFY(child<QWidget>(&w, 1069)->isVisible());
        QVERIFY(child<QCheckBox>(&w, 1074)->isChecked());
        QVERIFY(!child<QCheckBox>(&w, 1074)->isEnabled());
    }

    void sourceCheckBoxShowsAndHidesThePane()
    {
        MainWindow &w = openWindow();
        auto *box = child<QCheckBox>(&w, 1074);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->isChecked());
        QVERIFY(child<QWidget>(&w, 1003)->isVisible());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(!child<QWidget>(&w, 1003)->isVisible());
        QVERIFY(!child<QWidget>(&w, 1069)->isVisible());
    }

    void formatsComeFromConfig()
    {
        WriteConfigValue(u"Default Words Size="_s, u"16"_s); // the default text's value
        Config::setReplacedColor(0);
        MainWindow &w = openWindow();
        QCOMPARE(w.defaultFormat().fontPointSize(), 16.0);
        QVERIFY(w.defaultFormat().fontWeight() >= QFont::Bold);
        QCOMPARE(w.defaultFormat().fontFamilies().toStringList(),
                 QStringList{u"Times New Roman"_s});
        QCOMPARE(w.defaultFormat().foreground().color(), QColor(0, 0, 0x80));
        QCOMPARE(w.reservedFormat().foreground().color(), QColor(0xC0, 0xC0, 0xC0));
        // A stored 0 reads as blue.
        QCOMPARE(w.replacedFormat().foreground().color(), QColor(0, 0, 0xFF));
    }

    void firstStartLanguage_data() { TestUtil::addTableRows(u"gui/first-start-language.tsv"_s); }
    void firstStartLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, installed);
        QFETCH(QString, expected);
        m_folders =
            std::make_unique<GuiTest::Folders>(true, installed.split(u',', Qt::SkipEmptyParts));
        QCOMPARE(Config::language(), QString());
        MainWindow::Environment env = m_folders->environment();
        env.systemLocale = locale;
        MainWindow &w = openWindow(env);
        QCOMPARE(Config::language(), expected);
        QCOMPARE(Language::currentName(), expected);
        QCOMPARE(GuiTest::menuTitle(w, 1112), expected);
        if (expected == u"Deutsch -- German")
            QCOMPARE(child<QPushButton>(&w, 1006)->text(),
                     LookupText(u"\r\nAnalyze=",
                                Language::mainDialogSection(LoadLanguageText(expected))));
    }

    void entryCountIsCountedOnceAndCached()
    {
        QCOMPARE(Config::wordsNumber(), QString());
        {
            MainWindow &w = openWindow();
            QCOMPARE(Config::wordsNumber(), u"16"_s);
            QCOMPARE(child<QPushButton>(&w, 1142)->text(), u"Words:16"_s);
        }
        m_window.reset();
        // A stored number is shown as it is, without counting again.
        Config::setWordsNumber(u"523"_s);
        MainWindow &w = openWindow();
        QCOMPARE(child<QPushButton>(&w, 1142)->text(), u"Words:523"_s);
        QCOMPARE(Config::wordsNumber(), u"523"_s);
    }

    void dictionaryFailureEndsWithItsMessage()
    {
        MainWindow::Environment env = m_folders->environment(m_folders->work() + u"/none.dll"_s);
        env.openDictionary = [] {
            ProgramDictionary result;
            result.messageNumber = 1;
            return result;
        };
        GuiTest::MessageCatcher catcher;
        MainWindow w;
        QVERIFY(!w.initialise(env));
        QCOMPARE(catcher.texts, QStringList{u"Can not find Database,Please Reinstall!"_s});
        QCOMPARE(catcher.captions, QStringList{u"Rewordix"_s});
    }

    void escapeNeverClosesTheWindow()
    {
        MainWindow &w = openWindow();
        for (int id : {1002, 1040, 1012, 1006}) {
            auto *target = child<QWidget>(&w, id);
            target->setFocus();
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : target,
                            Qt::Key_Escape);
            QVERIFY(w.isVisible());
        }
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void enterBreaksLinesOnlyInTheTextBoxes()
    {
        MainWindow &w = openWindow();
        const auto typeTwoLines = [](QWidget *box) {
            box->setFocus();
            QTest::keyClicks(box, u"ab"_s);
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, u"cd"_s);
        };
        typeTwoLines(w.articleEditor());
        QCOMPARE(w.articleEditor()->plainText(), u"ab\ncd"_s);
        typeTwoLines(child<QPlainTextEdit>(&w, 1040));
        QCOMPARE(child<QPlainTextEdit>(&w, 1040)->toPlainText(), u"ab\ncd"_s);

        w.setMode(MainWindowLogic::Mode::Auto);
        auto *number = child<QComboBox>(&w, 1012);
        number->setFocus();
        QCOMPARE(QApplication::focusWidget(), number);
        QSignalSpy spy(number->lineEdit(), &QLineEdit::returnPressed);
        QTest::keyClick(number->lineEdit(), Qt::Key_Return);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(number->currentText(), u"10"_s);
    }

    void arrowKeysMoveTheCaretWordByWord()
    {
        MainWindow &w = openWindow();
        auto *article = child<ArticleEditor>(&w, 1002);
        article->setPlainText(u"It's 10:30, well-known $5 deal"_s);
        article->setFocus();
        article->setCaret(0);
        // Each arrow lands on the next or previous word; the synonym popup then
        // selects that word, so the selection's start tells where the caret went.
        const QList<int> forward = {5, 12, 23, 26, 26};
        for (int expected : forward) {
            QTest::keyClick(article, Qt::Key_Right);
            QCOMPARE(article->textCursor().selectionStart(), expected);
        }
        QTest::keyClick(article, Qt::Key_Left);
        QCOMPARE(article->textCursor().selectionStart(), 23);
        article->setCaret(25); // inside "$5"
        QTest::keyClick(article, Qt::Key_Left);
        QCOMPARE(article->textCursor().selectionStart(), 12);

        // The source editor moves by characters as usual.
        w.showSourceArticle(true);
        auto *source = child<ArticleEditor>(&w, 1003);
        source->setPlainText(u"It's 10:30"_s);
        source->setFocus();
        source->setCaret(0);
        QTest::keyClick(source, Qt::Key_Right);
        QCOMPARE(source->textCursor().position(), 1);
    }

    void undoLeavesNoSelection()
    {
        MainWindow &w = openWindow();
        auto *article = child<ArticleEditor>(&w, 1002);
        article->setFocus();
        QTest::keyClicks(article, u"one two"_s);
        article->select(4, 7);
        QTest::keyClicks(article, u"three"_s);
        QCOMPARE(article->plainText(), u"one three"_s);
        trigger(MainWindow::MenuKind::Edit, Command::Undo);
        QCOMPARE(article->plainText(), u"one two"_s);
        QVERIFY(!article->textCursor().hasSelection());
        QCOMPARE(article->textCursor().position(), 7);
    }

    void editMenuIsGreyedByTheActiveEditor()
    {
        MainWindow &w = openWindow();
        {
            const auto menu = w.menu(MainWindow::MenuKind::Edit);
            QVERIFY(!menuAction(*menu, Command::Undo)->isEnabled());
            for (int id : {Command::Cut, Command::Copy, Command::Delete})
                QVERIFY(!menuAction(*menu, id)->isEnabled());
            QVERIFY(menuAction(*menu, Command::SelectAll)->isEnabled());
            QCOMPARE(menuAction(*menu, Command::Undo)->text(), u"&Undo\tCtrl+Z"_s);
            QCOMPARE(menuAction(*menu, Command::FindReplace)->text(),
                     u"&Find && Replace\tCtrl+H"_s);
        }
        auto *article = child<ArticleEditor>(&w, 1002);
        article->setFocus();
        QTest::keyClicks(article, u"word"_s);
        article->selectAll();
        const auto menu = w.menu(MainWindow::MenuKind::Edit);
        for (int id : {Command::Undo, Command::Cut, Command::Copy, Command::Delete})
            QVERIFY(menuAction(*menu, id)->isEnabled());
    }

    void fileMenuGreying()
    {
        MainWindow &w = openWindow();
        auto menu = w.menu(MainWindow::MenuKind::File);
        QVERIFY(!menuAction(*menu, Command::Save)->isEnabled());
        QVERIFY(!menuAction(*menu, Command::SaveAll)->isEnabled());
        QVERIFY(menuAction(*menu, Command::New)->isEnabled());
        child<ArticleEditor>(&w, 1002)->setPlainText(u"text"_s);
        menu = w.menu(MainWindow::MenuKind::File);
        QVERIFY(menuAction(*menu, Command::Save)->isEnabled());
        QCOMPARE(menuAction(*menu, Command::Exit)->text(), u"E&xit"_s);
    }

    void editCommandsWorkOnTheEditorLastFocused()
    {
        MainWindow &w = openWindow();
        w.showSourceArticle(true);
        auto *article = child<ArticleEditor>(&w, 1002);
        auto *source = child<ArticleEditor>(&w, 1003);
        article->setPlainText(u"article"_s);
        source->setPlainText(u"source"_s);
        source->setFocus();
        QCOMPARE(w.activeEditor(), source);
        trigger(MainWindow::MenuKind::Edit, Command::SelectAll);
        QCOMPARE(source->selectedPlainText(), u"source"_s);
        QVERIFY(!article->textCursor().hasSelection());
        trigger(MainWindow::MenuKind::Edit, Command::Delete);
        QCOMPARE(source->plainText(), QString());
        QCOMPARE(article->plainText(), u"article"_s);
        article->setFocus();
        QCOMPARE(w.activeEditor(), article);
    }

    void rightButtonOnTheActiveEditorOpensTheEditMenu()
    {
        MainWindow &w = openWindow();
        auto *article = child<ArticleEditor>(&w, 1002);
        article->setFocus();
        QStringList seen;
        QTimer closer;
        closer.setInterval(5);
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *a : menu->actions())
                    seen.append(u"cmd"_s + a->property("commandId").toString());
                menu->close();
            }
        });
        closer.start();
        QTest::mousePress(article->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        QTRY_VERIFY(!seen.isEmpty());
        QVERIFY(seen.contains(u"cmd32791"_s));
        QVERIFY(seen.contains(u"cmd32794"_s));
    }

    void selectAllBoxFollowsTheRowCount()
    {
        MainWindow &w = openWindow();
        auto *list = child<QTreeWidget>(&w, 1068);
        for (int i = 0; i < 5; ++i)
            new QTreeWidgetItem(list, {QString::number(i + 1), u"0.00%"_s});
        auto *tab = child<QTabBar>(&w, 1113);
        QTest::mouseClick(tab, Qt::LeftButton, {}, tab->tabRect(1).center());
        QCOMPARE(w.mode(), MainWindowLogic::Mode::Auto);
        QVERIFY(child<QWidget>(&w, 1068)->isVisible());
        QVERIFY(!child<QWidget>(&w, 1065)->isVisible());
        QTest::mouseClick(tab, Qt::LeftButton, {}, tab->tabRect(0).center());
        new QTreeWidgetItem(list, {u"6"_s, u"0.00%"_s});
        QVERIFY(!child<QWidget>(&w, 1065)->isVisible());
        QTest::mouseClick(tab, Qt::LeftButton, {}, tab->tabRect(1).center());
        QVERIFY(child<QWidget>(&w, 1065)->isVisible());
    }

    void modeSwitchShowsEachModesControls()
    {
        MainWindow &w = openWindow();
        auto *tab = child<QTabBar>(&w, 1113);
        QTest::mouseClick(tab, Qt::LeftButton, {}, tab->tabRect(1).center());
        for (int id : {1044, 1082, 1079, 1012, 1075, 1005, 1068, 1004, 1100, 1057, 1040})
            QVERIFY2(child<QWidget>(&w, id)->isVisible(), qPrintable(QString::number(id)));
        for (int id : {1074, 1006, 1142})
            QVERIFY2(!child<QWidget>(&w, id)->isVisible(), qPrintable(QString::number(id)));
        QTest::mouseClick(tab, Qt::LeftButton, {}, tab->tabRect(0).center());
        QCOMPARE(w.mode(), MainWindowLogic::Mode::Manual);
        for (int id : {1074, 1006, 1142})
            QVERIFY(child<QWidget>(&w, id)->isVisible());
        QVERIFY(!child<QWidget>(&w, 1068)->isVisible());
    }

    void fontButtonTogglesTheFontBar()
    {
        MainWindow &w = openWindow();
        auto *font = child<QToolButton>(&w, 1133);
        auto *face = child<QComboBox>(&w, 1130);
        // Off at the start while the bar itself is shown.
        QVERIFY(!font->isChecked());
        QVERIFY(face->isVisible());
        QTest::mouseClick(font, Qt::LeftButton);
        QVERIFY(font->isChecked());
        QVERIFY(face->isVisible());
        QTest::mouseClick(font, Qt::LeftButton);
        QVERIFY(!font->isChecked());
        for (int id : {1130, 1126, 1131, 1132, 1025, 1026, 1028})
            QVERIFY(!child<QWidget>(&w, id)->isVisible());
    }

    void fontListsAndTheirKeys()
    {
        MainWindow &w = openWindow();
        auto *face = child<QComboBox>(&w, 1130);
        auto *size = child<QComboBox>(&w, 1126);
        QVERIFY(face->count() > 0);
        QVERIFY(size->count() > 0);
        QCOMPARE(size->currentText(), u"16"_s);
        // A face picked while the Font button is off is not stored.
        face->setFocus();
        const int other = face->currentIndex() == 0 ? 1 : 0;
        face->setCurrentIndex(other);
        Q_EMIT face->activated(other);
        QCOMPARE(Config::wordsFont(), u"Times New Roman"_s);
        QTest::mouseClick(child<QToolButton>(&w, 1133), Qt::LeftButton);
        Q_EMIT face->activated(other);
        QCOMPARE(Config::wordsFont(), face->itemText(other));
        QVERIFY(size->count() > 0);
        size->setCurrentIndex(0);
        Q_EMIT size->activated(0);
        QCOMPARE(ReadKeyValue(AppPaths::configFile(), u"Default Words Size="_s), size->itemText(0));
        // Another face still shows the stored size.
        Q_EMIT face->activated(other == 0 ? 1 : 0);
        QCOMPARE(size->currentText(), size->itemText(0));
        QCOMPARE(size->currentText(), QString::number(Config::wordsSize()));

        QTest::mouseClick(child<QToolButton>(&w, 1132), Qt::LeftButton);
        QVERIFY(Config::wordsItalic());
        QTest::mouseClick(child<QToolButton>(&w, 1131), Qt::LeftButton);
        QVERIFY(!Config::wordsBold());
    }

    void colourButtonsWriteTheirKeys()
    {
        MainWindow &w = openWindow();
        QColor offered;
        QColor answer = QColor(0, 0x80, 0);
        w.setColorChooser([&](const QColor &initial, QWidget *) {
            offered = initial;
            return answer;
        });
        QTest::mouseClick(child<QToolButton>(&w, 1025), Qt::LeftButton);
        QCOMPARE(offered, QColor(0, 0, 0x80));
        QCOMPARE(Config::wordsColor(), 0x008000u);
        QTest::mouseClick(child<QToolButton>(&w, 1028), Qt::LeftButton);
        QCOMPARE(Config::reservedColor(), 0x008000u);
        // Cancelling the dialog changes nothing.
        answer = QColor();
        QTest::mouseClick(child<QToolButton>(&w, 1026), Qt::LeftButton);
        QCOMPARE(Config::replacedColor(), 255u);
    }

    void languageMenuSwitchesEveryCaption()
    {
        MainWindow &w = openWindow();
        child<QLabel>(&w, 1034)->setText(u"Word Amount:523"_s);
        const auto menu = w.menu(MainWindow::MenuKind::Language);
        const QList<QAction *> actions = menu->actions();
        QVERIFY(actions.size() >= 2);
        QCOMPARE(actions.first()->text(), u"English"_s);
        QCOMPARE(actions.first()->property("commandId").toInt(), 32800);
        QAction *german = nullptr;
        for (QAction *a : actions) {
            if (a->text() == u"Deutsch -- German")
                german = a;
        }
        QVERIFY(german);
        german->trigger();
        QCOMPARE(Config::language(), u"Deutsch -- German"_s);
        QCOMPARE(GuiTest::menuTitle(w, 1112), u"Deutsch -- German"_s);
        const QString text = LoadLanguageText(u"Deutsch -- German"_s);
        const QStringView main = Language::mainDialogSection(text);
        QCOMPARE(child<QPushButton>(&w, 1006)->text(), LookupText(u"\r\nAnalyze=", main));
        QCOMPARE(GuiTest::menuTitle(w, 1108), LookupText(u"\r\nID_FILE=", text));
        QCOMPARE(child<QLabel>(&w, 1034)->text(),
                 LookupText(u"\r\nWords Number=", main) + u"523"_s);
        QVERIFY(child<QPushButton>(&w, 1142)->text().endsWith(u"16"_s));
        QCOMPARE(child<QComboBox>(&w, 1075)->currentIndex(), 5);
        QCOMPARE(child<QComboBox>(&w, 1075)->currentText(),
                 LookupText(u"\r\nReplace Degree Item5=", main));

        // Choosing the current language again writes nothing.
        const QByteArray before = TestUtil::fileBytes(AppPaths::configFile());
        german->trigger();
        QCOMPARE(TestUtil::fileBytes(AppPaths::configFile()), before);
    }

    void languageMenuWithoutTheLanguageFolder()
    {
        MainWindow &w = openWindow();
        QVERIFY(QDir(AppPaths::languageDir()).removeRecursively());
        GuiTest::MessageCatcher catcher;
        w.menuBar()->setActiveAction(GuiTest::menuBarItem(w, 1112));
        QTRY_COMPARE(catcher.texts, QStringList{u"No language file!"_s});
        QCOMPARE(Config::language(), u"English"_s);
    }

    void operatingArticleCaptionWithAFileNameIsKept()
    {
        MainWindow &w = openWindow();
        child<QLabel>(&w, 1073)->setText(u"story.txt"_s);
        w.applyLanguage(u"Deutsch -- German"_s);
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"story.txt"_s);
    }

    void acceleratorsAndFileCommands()
    {
        MainWindow &w = openWindow();
        child<ArticleEditor>(&w, 1002)->setFocus();
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        QTRY_VERIFY(w.findDialog() && w.findDialog()->isVisible());
        QCOMPARE(w.findDialog()->pos(), QPoint(400, 300));
        w.findDialog()->hide();
        w.activateWindow();
        child<ArticleEditor>(&w, 1002)->setFocus();

        {
            PromptAnswers answers; // Ctrl+S and Open ask their file dialogs; Cancel ends them.
            child<ArticleEditor>(&w, 1002)->setPlainText(u"to keep"_s);
            QTest::keyClick(child<ArticleEditor>(&w, 1002), Qt::Key_S, Qt::ControlModifier);
            QTRY_COMPARE(answers.dialogs,
                         QList<UiMessage::FileDialog>{UiMessage::FileDialog::Save});
            trigger(MainWindow::MenuKind::File, Command::Open);
            QCOMPARE(answers.dialogs.last(), UiMessage::FileDialog::Open);
            QVERIFY(answers.messages.isEmpty());
        }
    }

    void helpOpensTheShippedHandbook_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("Handbook") << int(Command::Handbook) << QString();
        QTest::newRow("FAQ") << int(Command::Faq) << u"faq"_s;
        QTest::newRow("Support") << int(Command::Support) << u"support"_s;
        QTest::newRow("Homepage") << int(Command::Homepage) << QString();
    }

    void helpOpensTheShippedHandbook()
    {
        QFETCH(int, command);
        QFETCH(QString, fragment);
        // The program runs from the build's bin/, where the handbook ships.
        const QString handbook = QStringLiteral(REWORDIX_BIN_DIR "/handbook/index.html");
        QVERIFY(QFileInfo::exists(handbook));
        AppPaths::initialise(QStringLiteral(REWORDIX_BIN_DIR), m_folders->work());
        openWindow();
        UrlCatcher catcher;
        PromptAnswers answers;
        trigger(MainWindow::MenuKind::Help, command);
        QVERIFY(answers.messages.isEmpty());
        QCOMPARE(catcher.urls.size(), 1);
        const QUrl url = catcher.urls.first();
        if (url.isLocalFile()) {
            QCOMPARE(QFileInfo(url.toLocalFile()).canonicalFilePath(),
                     QFileInfo(handbook).canonicalFilePath());
            QCOMPARE(url.fragment(), fragment);
            if (!fragment.isEmpty()) {
                QFile file(handbook);
                QVERIFY(file.open(QIODevice::ReadOnly));
                QVERIFY(file.readAll().contains(QByteArray("id=\"" + fragment.toUtf8() + '"')));
            }
        }
    }

    // Without an update folder (the default) the check is never made and the
    // command says so; no page opens.
    void updateWithoutAnAddressSaysSo()
    {
        openWindow();
        UrlCatcher catcher;
        PromptAnswers answers;
        trigger(MainWindow::MenuKind::Help, Command::Update);
        QTRY_COMPARE(answers.messages, QStringList{u"Internet Connection Error"_s});
        QCOMPARE(answers.icons.last(), QMessageBox::Warning);
        QVERIFY(catcher.urls.isEmpty());
        QVERIFY(m_window->isVisible());
    }

    void windowIconShipsBesideTheProgram()
    {
        const QIcon icon(QStringLiteral(REWORDIX_BIN_DIR "/rewordix.svg"));
        QVERIFY(!icon.pixmap(32).isNull());
        AppPaths::initialise(QStringLiteral(REWORDIX_BIN_DIR), m_folders->work());
        MainWindow window;
        QVERIFY(!window.windowIcon().pixmap(32).isNull());
    }

    void searchPhraseRefusals()
    {
        MainWindow &w = openWindow();
        GuiTest::MessageCatcher catcher;
        QTest::mouseClick(child<QPushButton>(&w, 1006), Qt::LeftButton);
        QCOMPARE(catcher.texts, QStringList{u"No Article!"_s});
        QCOMPARE(catcher.icons.last(), QMessageBox::Warning);

        child<ArticleEditor>(&w, 1002)->setPlainText(u"walk"_s);
        g_bAutoRewriting = true;
        QTest::mouseClick(child<QPushButton>(&w, 1006), Qt::LeftButton);
        g_bAutoRewriting = false;
        QCOMPARE(catcher.texts.last(),
                 u"Previous Auto-Rewriting Not Finished, Please Try Again Later!"_s);
        QCOMPARE(catcher.icons.last(), QMessageBox::Critical);
        QVERIFY(!w.isAnalysing());
    }

    void newClearsTheArticle()
    {
        MainWindow &w = openWindow();
        w.showSourceArticle(true);
        child<ArticleEditor>(&w, 1002)->setPlainText(u"a"_s);
        child<ArticleEditor>(&w, 1003)->setPlainText(u"b"_s);
        new QTreeWidgetItem(child<QTreeWidget>(&w, 1068), {u"1"_s, u"0.00%"_s});
        PromptAnswers replies(u"discard"_s);
        trigger(MainWindow::MenuKind::File, Command::New);
        QCOMPARE(child<ArticleEditor>(&w, 1002)->plainText(), QString());
        QCOMPARE(child<ArticleEditor>(&w, 1003)->plainText(), QString());
        QCOMPARE(child<QTreeWidget>(&w, 1068)->topLevelItemCount(), 0);
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"NewArticle"_s);
        QVERIFY(!child<QWidget>(&w, 1004)->isEnabled());
    }

    // What the accessibility bridge exports: a name on every control on show
    // that takes the focus, in either language.
    void everyControlHasAnAccessibleName_data() { TestUtil::addTableRows(u"gui/languages.tsv"_s); }

    void everyControlHasAnAccessibleName()
    {
        QFETCH(QString, language);
        MainWindow &w = openWindow();
        w.applyLanguage(language);
        w.setMode(MainWindowLogic::Mode::Auto);
        const QList<QWidget *> controls = w.findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *control : std::as_const(controls)) {
            if (control->focusPolicy() == Qt::NoFocus || !control->window()->isVisible())
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
            QVERIFY(node);
            const QString name = node->text(QAccessible::Name);
            QVERIFY2(!name.trimmed().isEmpty(),
                     qPrintable(QString::fromLatin1(control->metaObject()->className()) + u" "_s +
                                control->property(SpecIdProperty).toString()));
            ++checked;
        }
        QVERIFY(checked >= 25);
    }

    // A dark colour scheme: every caption stands out from what lies behind it.
    void captionsAreReadableInADarkScheme()
    {
        const QPalette light = QApplication::palette();
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::ButtonText, Qt::white);
        dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        dark.setColor(QPalette::HighlightedText, Qt::black);
        dark.setColor(QPalette::Link, QColor(0x6a, 0xb0, 0xf3));
        QApplication::setPalette(dark);
        MainWindow &w = openWindow();
        w.resize(1100, 720);
        w.setMode(MainWindowLogic::Mode::Auto); // the most captions on the side panel
        const QImage shot = w.grab().toImage();
        QApplication::setPalette(light);
        int checked = 0;
        for (const QLabel *label : w.findChildren<QLabel *>()) {
            if (!label->isVisibleTo(&w) || label->text().isEmpty())
                continue;
            const QRect area(label->mapTo(&w, QPoint(0, 0)), label->size());
            QVERIFY2(GuiTest::contrastIn(shot.copy(area)) >= 4.5,
                     qPrintable(label->property(SpecIdProperty).toString()));
            ++checked;
        }
        QVERIFY2(checked >= 6, qPrintable(QString::number(checked)));
    }

    void exitClosesTheWindow()
    {
        MainWindow &w = openWindow();
        menuAction(*w.menu(MainWindow::MenuKind::File), Command::Exit)->trigger();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "gui_mainwindow.moc"
