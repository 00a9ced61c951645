#include "engine/store.h"
#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/synonympopup.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTextBlock>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

class TestPopup : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    MainWindow &openWindow(const QString &article, bool analyse, const QString &dictionary = {})
    {
        QString path = dictionary;
        if (path.isEmpty()) {
            path = m_folders->install() + u"/popup.db"_s;
            if (!QFile::exists(path))
                TestDictionary::create(path,
                                       GuiTest::dictionaryEntries(u"gui/popup-dictionary.tsv"_s),
                                       TestDictionary::standardIrregulars());
        }
        WindowTest::openWindow(dictionaryAt(path));
        editor()->setPlainText(article);
        if (analyse)
            runSearchPhrase();
        return *m_window;
    }

    void runSearchPhrase(int timeoutMs = 10000)
    {
        QCOMPARE(searchPhrase(timeoutMs), GuiTest::RunEnd::Finished);
    }

    SynonymPopup *popup() const { return m_window->replaceDialog(); }
    ArticleEditor *editor() const { return m_window->articleEditor(); }
    QLineEdit *wordBox() const { return child<QLineEdit>(popup(), 1020); }
    QListWidget *list() const { return child<QListWidget>(popup(), 1018); }
    QTabBar *tabBar() const { return child<QTabBar>(popup(), 1098); }

    QPoint pointOf(int position) const
    {
        QTextCursor cursor(editor()->document());
        cursor.setPosition(position);
        const QRect r = editor()->cursorRect(cursor);
        return {r.left() + 2, r.center().y()};
    }

    // A click on the character at position (its left half).
    void clickAt(int position)
    {
        QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, pointOf(position));
    }

    // A click one character into the n-th occurrence of word.
    void clickWord(const QString &word, int occurrence = 0)
    {
        const QString text = editor()->plainText();
        qsizetype at = -1;
        for (int i = 0; i <= occurrence; ++i)
            at = text.indexOf(word, at + 1);
        QVERIFY2(at >= 0, qPrintable(word));
        clickAt(int(at) + (word.size() > 1 ? 1 : 0));
    }

    QStringList rows() const
    {
        return GuiTest::itemTexts(list()->count(),
                                  [this](int i) { return list()->item(i)->text(); });
    }

    QStringList checkedRows() const
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i) {
            if (list()->item(i)->checkState() == Qt::Checked)
                texts << list()->item(i)->text();
        }
        return texts;
    }

    QStringList tabs() const
    {
        return GuiTest::itemTexts(tabBar()->count(),
                                  [this](int i) { return tabBar()->tabText(i); });
    }

    void chooseRow(const QString &text)
    {
        const QList<QListWidgetItem *> found = list()->findItems(text, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(found.first()).center());
    }

    QString store() const { return Store::readStore(AppPaths::storeFile(), true); }
    QString records() const { return Store::readStore(AppPaths::replacedStoreFile()); }
    QString selected() const { return editor()->selectedPlainText(); }
    QString replacedLabel() const { return child<QLabel>(m_window.get(), 1043)->text(); }

private Q_SLOTS:
    void oneGroupShowsOneTabAndBlankFirst()
    {
        openWindow(u"a child plays"_s, true);
        QVERIFY(!popup()->isVisible());
        clickWord(u"child"_s);
        QVERIFY(popup()->isVisible());
        QCOMPARE(wordBox()->text(), u"child"_s);
        QCOMPARE(selected(), u"child"_s);
        QCOMPARE(tabs(), QStringList{u"noun"_s});
        QCOMPARE(rows(), (QStringList{u"(blank)"_s, u"kid"_s, u"youngster"_s}));
        QCOMPARE(checkedRows(), QStringList{});
        QTRY_VERIFY(editor()->hasFocus());
        // The list is cached in the word's entry.
        QVERIFY(store().contains(u"]child()<noun>(blank),kid,youngster\r\n"));
    }

    void roundRobinAllGroupKeepsOnlyItsTab()
    {
        openWindow(u"the zed"_s, true);
        clickWord(u"zed"_s);
        QCOMPARE(rows(), (QStringList{u"(blank)"_s, u"alpha"_s, u"gamma"_s, u"beta"_s}));
        QCOMPARE(tabs(), QStringList{u"All"_s});
        QVERIFY(store().contains(
            u"]zed()<All>(blank),alpha,gamma,beta<noun>alpha,beta<verb>gamma,alpha\r\n"));
    }

    void longListsKeepEveryTab()
    {
        openWindow(u"so many"_s, true);
        clickWord(u"many"_s);
        QCOMPARE(tabs(), (QStringList{u"All"_s, u"noun"_s, u"verb"_s}));
        QCOMPARE(rows().size(), 12);
        QCOMPARE(rows().mid(0, 4), (QStringList{u"(blank)"_s, u"n1"_s, u"v1"_s, u"n2"_s}));
        QTest::mouseClick(tabBar(), Qt::LeftButton, {}, tabBar()->tabRect(2).center());
        QCOMPARE(tabBar()->currentIndex(), 2);
        QCOMPARE(rows(), (QStringList{u"v1"_s, u"v2"_s, u"v3"_s, u"v4"_s, u"v5"_s}));
        // Changing the tab replaces nothing.
        QCOMPARE(editor()->plainText(), u"so many"_s);
        QCOMPARE(records(), QString());
    }

    void capitalisedWordsGetCapitalisedAlternatives()
    {
        openWindow(u"Walk or WALK"_s, true);
        clickWord(u"Walk"_s);
        QCOMPARE(wordBox()->text(), u"Walk"_s);
        QCOMPARE(rows(),
                 (QStringList{u"(blank)"_s, u"Stroll"_s, u"March"_s, u"Promenade"_s, u"Hike"_s}));
        clickWord(u"WALK"_s);
        QCOMPARE(wordBox()->text(), u"WALK"_s);
        QCOMPARE(rows(),
                 (QStringList{u"(blank)"_s, u"stroll"_s, u"march"_s, u"promenade"_s, u"hike"_s}));
        // A choice puts the capitalised alternative in.
        clickWord(u"Walk"_s);
        chooseRow(u"March"_s);
        QCOMPARE(editor()->plainText(), u"March or WALK"_s);
    }

    void blankDeletesTheWordAndStillCounts()
    {
        openWindow(u"the big child"_s, true);
        QCOMPARE(replacedLabel(), u"Replaced:0/3=0.0%"_s);
        clickWord(u"big"_s);
        chooseRow(u"(blank)"_s);
        QCOMPARE(editor()->plainText(), u"the  child"_s);
        QCOMPARE(records(), QString());
        QCOMPARE(replacedLabel(), u"Replaced:1/3=33.33%"_s);
        QTRY_VERIFY(editor()->hasFocus());
    }

    void undoAndRedoMoveTheReplacedFigure()
    {
        openWindow(u"the big child"_s, true);
        clickWord(u"big"_s);
        chooseRow(u"huge"_s);
        QCOMPARE(replacedLabel(), u"Replaced:1/3=33.33%"_s);
        m_window->runCommand(Command::Undo);
        QCOMPARE(replacedLabel(), u"Replaced:0/3=0.00%"_s);
        editor()->redo();
        QCOMPARE(replacedLabel(), u"Replaced:1/3=33.33%"_s);
    }

    void choicesActOnlyOnThePopupsOwnWord()
    {
        openWindow(u"the big child"_s, true);
        clickWord(u"big"_s);
        QTest::keyClicks(editor(), u"tall"_s);
        QVERIFY(popup()->isVisible());
        // A command's selection is not the popup's: it hides, and a choice
        // made anyway changes nothing.
        m_window->runCommand(Command::SelectAll);
        QVERIFY(!popup()->isVisible());
        popup()->show();
        chooseRow(u"huge"_s);
        QCOMPARE(editor()->plainText(), u"the tall child"_s);
        QCOMPARE(records(), QString());
    }

    void tabAndEnterGoAfterTheWord_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << u"the big\t child"_s;
        QTest::newRow("Enter") << int(Qt::Key_Return) << u"the big\n child"_s;
        QTest::newRow("Space") << int(Qt::Key_Space) << u"the big  child"_s;
    }

    void tabAndEnterGoAfterTheWord()
    {
        QFETCH(int, key);
        QFETCH(QString, expected);
        openWindow(u"the big child"_s, true);
        clickWord(u"big"_s);
        QTest::keyClick(editor(), Qt::Key(key));
        QCOMPARE(editor()->plainText(), expected);
        QVERIFY(!popup()->isVisible());
    }

    void keyboardChoosesAnAlternative()
    {
        openWindow(u"a child plays"_s, true);
        clickWord(u"child"_s);
        QTest::keyClick(editor(), Qt::Key_Down); // (blank)
        QTest::keyClick(editor(), Qt::Key_Down); // kid
        QTest::keyClick(editor(), Qt::Key_Down); // youngster
        QTest::keyClick(editor(), Qt::Key_Up);
        QCOMPARE(editor()->plainText(), u"a child plays"_s);
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(editor()->plainText(), u"a kid plays"_s);
        QCOMPARE(checkedRows(), QStringList{u"kid"_s});
        QVERIFY(popup()->isVisible());
        // From the popup's own list: Down, then Space.
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Down);
        QTest::keyClick(list(), Qt::Key_Space);
        QCOMPARE(editor()->plainText(), u"a youngster plays"_s);
        QTest::keyClick(list(), Qt::Key_Escape);
        QTest::keyClick(list(), Qt::Key_Return);
        QVERIFY(popup()->isVisible());
    }

    void sameAlternativeTwiceLeavesOneRecord()
    {
        openWindow(u"the big child"_s, true);
        clickWord(u"big"_s);
        chooseRow(u"huge"_s);
        QCOMPARE(editor()->plainText(), u"the huge child"_s);
        QCOMPARE(records(), u"[huge]=big\r\n"_s);
        QCOMPARE(replacedLabel(), u"Replaced:1/3=33.33%"_s);
        const int at = int(editor()->plainText().indexOf(u"huge"));
        QCOMPARE(editor()->formatAt(at).foreground().color(),
                 m_window->replacedFormat().foreground().color());
        QVERIFY(!editor()->formatAt(at).fontUnderline());

        // Clicking the replacement shows the original word, the choice checked.
        clickWord(u"child"_s);
        clickWord(u"huge"_s);
        QCOMPARE(wordBox()->text(), u"big"_s);
        QCOMPARE(selected(), u"huge"_s);
        QCOMPARE(checkedRows(), QStringList{u"huge"_s});
        chooseRow(u"huge"_s);
        QCOMPARE(editor()->plainText(), u"the huge child"_s);
        QCOMPARE(records(), u"[huge]=big\r\n"_s);
        QCOMPARE(replacedLabel(), u"Replaced:1/3=33.33%"_s);
    }

    void twoWordReplacementIsUnderlinedAndReopensWhole()
    {
        openWindow(u"the big child"_s, true);
        clickWord(u"big"_s);
        chooseRow(u"very large"_s);
        const QString text = editor()->plainText();
        QCOMPARE(text, u"the very large child"_s);
        for (int i = 4; i < 14; ++i)
            QVERIFY(editor()->formatAt(i).fontUnderline());
        QVERIFY(!editor()->formatAt(15).fontUnderline());
        QCOMPARE(records(), u"[very large]=big\r\n"_s);

        clickWord(u"the"_s);
        QCOMPARE(wordBox()->text(), u"the"_s);
        clickWord(u"large"_s);
        QCOMPARE(selected(), u"very large"_s);
        QCOMPARE(wordBox()->text(), u"big"_s);
        QCOMPARE(checkedRows(), QStringList{u"very large"_s});
        // Back to one word: the underline goes.
        chooseRow(u"large"_s);
        QCOMPARE(editor()->plainText(), u"the large child"_s);
        QVERIFY(!editor()->formatAt(4).fontUnderline());
    }

    void undoRestoresTheOriginalWord()
    {
        openWindow(u"the big child"_s, true);
        const QColor plain = editor()->formatAt(4).foreground().color();
        clickWord(u"big"_s);
        chooseRow(u"very large"_s);
        QCOMPARE(editor()->plainText(), u"the very large child"_s);
        m_window->runCommand(Command::Undo);
        QCOMPARE(editor()->plainText(), u"the big child"_s);
        QCOMPARE(editor()->formatAt(4).foreground().color(), plain);
        QVERIFY(!editor()->formatAt(4).fontUnderline());

        // Ctrl+Z in the editor does the same, and the caret is not turned into
        // a selection that the next keystroke would overwrite.
        clickWord(u"child"_s);
        chooseRow(u"kid"_s);
        QCOMPARE(editor()->plainText(), u"the big kid"_s);
        QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor()->plainText(), u"the big child"_s);
        QVERIFY(!editor()->textCursor().hasSelection());
    }

    void autoJumpMovesToTheNextWordWithAlternatives()
    {
        openWindow(u"big qzx, the child"_s, true);
        clickWord(u"big"_s);
        auto *autoJump = child<QCheckBox>(popup(), 1019);
        QTest::mouseClick(autoJump, Qt::LeftButton, {}, QPoint(6, autoJump->height() / 2));
        QVERIFY(autoJump->isChecked());
        const QPoint popupBefore = popup()->pos();
        QCursor::setPos(popupBefore + QPoint(20, 20));
        const QPoint cursorBefore = QCursor::pos();
        QCOMPARE(cursorBefore, popupBefore + QPoint(20, 20));
        chooseRow(u"huge"_s);
        // qzx has nothing to offer: the popup moves on to "the".
        QCOMPARE(editor()->plainText(), u"huge qzx, the child"_s);
        QCOMPARE(wordBox()->text(), u"the"_s);
        QCOMPARE(selected(), u"the"_s);
        QCOMPARE(rows(), (QStringList{u"(blank)"_s, u"this"_s}));
        QVERIFY(popup()->isVisible());
        // The mouse cursor keeps its place over the popup.
        QCOMPARE(QCursor::pos() - cursorBefore, popup()->pos() - popupBefore);
        QVERIFY(popup()->pos() != popupBefore);
        chooseRow(u"this"_s);
        QCOMPARE(wordBox()->text(), u"child"_s);
        QCOMPARE(records(), u"[huge]=big\r\n[this]=the\r\n"_s);
        // A word without alternatives clicked later is shown, not skipped.
        clickWord(u"qzx"_s);
        QCOMPARE(wordBox()->text(), u"qzx"_s);
        QCOMPARE(rows(), QStringList{});
        QVERIFY(popup()->isVisible());
    }

    void navigationButtonsAndArrowKeys()
    {
        openWindow(u"the big qzx child"_s, true);
        clickWord(u"big"_s);
        auto *next = child<QPushButton>(popup(), 1134);
        auto *previous = child<QPushButton>(popup(), 1135);
        QTest::mouseClick(next, Qt::LeftButton);
        // ">" skips qzx, which has no alternatives.
        QCOMPARE(wordBox()->text(), u"child"_s);
        QTest::mouseClick(previous, Qt::LeftButton);
        QCOMPARE(wordBox()->text(), u"qzx"_s);
        QCOMPARE(rows(), QStringList{});
        QTest::mouseClick(previous, Qt::LeftButton);
        QCOMPARE(wordBox()->text(), u"big"_s);
        // Arrow keys in the popup move without skipping.
        QTest::keyClick(list(), Qt::Key_Right);
        QCOMPARE(wordBox()->text(), u"qzx"_s);
        QTest::keyClick(list(), Qt::Key_Left);
        QCOMPARE(wordBox()->text(), u"big"_s);
        // The editor's own arrow keys step from word to word too.
        editor()->setFocus();
        QTest::keyClick(editor(), Qt::Key_Left);
        QCOMPARE(wordBox()->text(), u"the"_s);
        QTest::keyClick(editor(), Qt::Key_Right);
        QCOMPARE(wordBox()->text(), u"big"_s);
        // Enter and Escape do not close it.
        QTest::keyClick(list(), Qt::Key_Escape);
        QTest::keyClick(list(), Qt::Key_Return);
        QVERIFY(popup()->isVisible());
        QCOMPARE(editor()->plainText(), u"the big qzx child"_s);
    }

    void hidesOnClicksOutsideWordsScrollAndSourceFocus()
    {
        openWindow(u"the big   child"_s + QString(u"\nline"_s).repeated(200), true);
        m_window->showSourceArticle(true);
        clickWord(u"big"_s);
        QVERIFY(popup()->isVisible());
        clickAt(8);
        QVERIFY(!popup()->isVisible());
        clickWord(u"big"_s);
        QVERIFY(popup()->isVisible());
        editor()->verticalScrollBar()->setValue(editor()->verticalScrollBar()->maximum());
        QVERIFY(!popup()->isVisible());
        editor()->verticalScrollBar()->setValue(0);
        clickWord(u"child"_s);
        QVERIFY(popup()->isVisible());
        m_window->sourceEditor()->setFocus();
        QTRY_VERIFY(m_window->sourceEditor()->hasFocus());
        QVERIFY(!popup()->isVisible());
    }

    void selectionsByKeyboardHideAndMouseDragsOpen()
    {
        openWindow(u"the big child plays"_s, true);
        clickWord(u"big"_s);
        QVERIFY(popup()->isVisible());
        QTest::keyClick(editor(), Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(!popup()->isVisible());
        clickWord(u"the"_s);

        // A drag from "big" into "child": hidden while it goes on, opened for
        // the selection when the button is released.
        const QPoint from = pointOf(5);
        const QPoint to = pointOf(12);
        QTest::mousePress(editor()->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to),
                         editor()->viewport()->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor()->viewport(), &move);
        QVERIFY(!popup()->isVisible());
        QTest::mouseRelease(editor()->viewport(), Qt::LeftButton, {}, to);
        QVERIFY(popup()->isVisible());
        QVERIFY2(selected().endsWith(u"g chil"), qPrintable(selected()));
        QCOMPARE(wordBox()->text(), selected());
        QCOMPARE(rows(), QStringList{});
    }

    void typingGoesOnWhileThePopupIsUp()
    {
        openWindow(u"the big child"_s, true);
        clickWord(u"big"_s);
        QVERIFY(popup()->isVisible());
        // The clicked word is selected: typing replaces it, letter by letter,
        // without selecting the new word again.
        QTest::keyClicks(editor(), u"tall"_s);
        QCOMPARE(editor()->plainText(), u"the tall child"_s);
        QTRY_VERIFY(editor()->hasFocus());
        QVERIFY(popup()->isVisible());
        // Keys typed while the popup's list has the focus reach the article.
        list()->setFocus();
        QTest::keyClicks(list(), u"er"_s);
        QCOMPARE(editor()->plainText(), u"the taller child"_s);
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(editor()->plainText(), u"the talle child"_s);
        // A choice with no selection changes nothing.
        chooseRow(u"huge"_s);
        QCOMPARE(editor()->plainText(), u"the talle child"_s);
        QCOMPARE(records(), QString());
    }

    void reservedWordsHideThePopup()
    {
        openWindow(u"the big child"_s, false);
        child<QPlainTextEdit>(m_window.get(), 1040)->setPlainText(u"big"_s);
        runSearchPhrase();
        clickWord(u"child"_s);
        QVERIFY(popup()->isVisible());
        clickWord(u"big"_s);
        QVERIFY(!popup()->isVisible());
    }

    void unseenWordsGetAnUnplacedEntry()
    {
        openWindow(u"a child"_s, false);
        clickWord(u"child"_s);
        QCOMPARE(rows(), (QStringList{u"(blank)"_s, u"kid"_s, u"youngster"_s}));
        QCOMPARE(store(), u"[x,x]child()<noun>(blank),kid,youngster\r\n"_s);
        QVERIFY(!popup()->editorEnabled());
        QVERIFY(!child<QPushButton>(popup(), 1163)->isVisible());
    }

    void placedBelowTheWordWithinTheEditor()
    {
        const QString line = u"a big home "_s.repeated(30);
        openWindow(line, true);
        QWidget *client = editor()->viewport();
        const QRect clientRect(client->mapToGlobal(QPoint(0, 0)), client->size());

        clickWord(u"big"_s);
        QTextCursor cursor(editor()->document());
        cursor.setPosition(2);
        const QRect charRect = editor()->cursorRect(cursor);
        const int fontHeight = qRound(m_window->defaultFormat().fontPointSize());
        QCOMPARE(popup()->pos(), QPoint(clientRect.x() + charRect.x(),
                                        clientRect.y() + charRect.y() + fontHeight + 9));

        // The last "home" of the first visual line stands at the right edge.
        int rightmost = -1;
        for (qsizetype at = line.indexOf(u"home"); at >= 0; at = line.indexOf(u"home", at + 1)) {
            QTextCursor c(editor()->document());
            c.setPosition(int(at));
            if (editor()->cursorRect(c).y() != charRect.y())
                break;
            rightmost = int(at);
        }
        QVERIFY(rightmost > 0);
        clickAt(rightmost + 1);
        QCOMPARE(wordBox()->text(), u"home"_s);
        QCOMPARE(popup()->pos().x(), clientRect.x() + clientRect.width() - 190);
    }

    void placedAboveTheLineNearTheScreenBottom()
    {
        openWindow(u"home\n"_s.repeated(80), true);
        QWidget *client = editor()->viewport();
        const QRect clientRect(client->mapToGlobal(QPoint(0, 0)), client->size());
        const QScreen *screen = editor()->screen();
        const int screenBottom = screen->geometry().y() + screen->geometry().height();
        const int popupHeight = popup()->height();
        const int fontHeight = qRound(m_window->defaultFormat().fontPointSize());
        // A fully visible line low enough for the popup not to fit below it.
        int position = -1;
        int lineTop = 0;
        for (QTextBlock b = editor()->document()->begin(); b.isValid(); b = b.next()) {
            QTextCursor c(b);
            const QRect r = editor()->cursorRect(c);
            const int top = clientRect.y() + r.y();
            if (r.bottom() >= clientRect.height())
                break;
            if (top + fontHeight + popupHeight + 5 > screenBottom - 20) {
                position = b.position();
                lineTop = top;
                break;
            }
        }
        if (position < 0)
            QSKIP("no line of the editor comes near the bottom of this screen");
        clickAt(position + 1);
        QVERIFY(popup()->isVisible());
        QCOMPARE(popup()->pos().y(), lineTop - popupHeight - 5 + 9);
        QVERIFY(popup()->geometry().bottom() < lineTop + fontHeight);
    }

    void openingOnALongAnalysedArticle()
    {
        const QString dictionary =
            QFileInfo::exists(GuiTest::realDictionary()) ? GuiTest::realDictionary() : QString();
        openWindow(TestUtil::generatedArticle(5000, 4242), false, dictionary);
        runSearchPhrase(60000);
        QVERIFY(m_window->wordsAmount() > 4500);
        // Words near the middle of the article, each opened twice: the first
        // opening looks up and caches, the second reads the cache.
        const QString text = editor()->plainText();
        // Pasting set the text; a click puts the user's hand on the editor.
        clickAt(0);
        QList<int> positions;
        for (const QString &word : {u"weather"_s, u"teachers"_s, u"important"_s, u"walked"_s}) {
            const qsizetype at = text.indexOf(u' ' + word + u' ', text.size() / 2);
            if (at >= 0)
                positions << int(at) + 2;
        }
        QVERIFY(positions.size() >= 3);
        double slowest = 0;
        double total = 0;
        int openings = 0;
        for (int round = 0; round < 2; ++round) {
            for (int position : std::as_const(positions)) {
                QElapsedTimer clock;
                clock.start();
                editor()->setCaret(position);
                const double ms = clock.nsecsElapsed() / 1e6;
                QVERIFY(popup()->isVisible());
                QVERIFY(!wordBox()->text().isEmpty());
                slowest = std::max(slowest, ms);
                total += ms;
                ++openings;
                QVERIFY(popup()->lastOpeningMs() <= ms);
            }
        }
        qInfo("Popup opening on a 5,000-word analysed article (%s dictionary): %.2f ms on "
              "average, %.2f ms at most over %d openings",
              dictionary.isEmpty() ? "small" : "shipped", total / openings, slowest, openings);
        QVERIFY2(slowest < 50, qPrintable(QString::number(slowest)));
    }
};

QTEST_MAIN(TestPopup)
#include "gui_popup.moc"
