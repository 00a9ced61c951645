#include "dictionary/wordlibrary.h"
#include "engine/store.h"
#include "gui_testutil.h"
#include "ui/articleeditor.h"
#include "ui/synonympopup.h"
#include "ui/wordlibrarydialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

class TestWordLibraryEditor : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    std::unique_ptr<GuiTest::MessageCatcher> m_messages;
    QString m_sourceDb;

    // The window in maintenance mode on a plain, writable dictionary, with an
    // analysed article.
    MainWindow &openWindow(const QString &article)
    {
        m_sourceDb = m_folders->work() + u"/source.db"_s;
        TestDictionary::create(m_sourceDb,
                               GuiTest::dictionaryEntries(u"gui/library-dictionary.tsv"_s),
                               TestDictionary::standardIrregulars(), false);
        WriteConfigValue(u"Enable Optimization="_s, u"1"_s);
        MainWindow::Environment env;
        env.openDictionary = [path = m_sourceDb] {
            ProgramDictionary result;
            result.path = path;
            result.scrambled = false;
            result.dictionary = Dictionary::open(path, false, true, &result.error);
            return result;
        };
        WindowTest::openWindow(env);
        m_window->articleEditor()->setPlainText(article);
        if (searchPhrase() == GuiTest::RunEnd::NotEnded)
            qFatal("the analysis did not finish");
        return *m_window;
    }

    SynonymPopup *popup() const { return m_window->replaceDialog(); }
    WordLibraryDialog *editor() const { return popup()->wordsOptimization(); }
    QTreeWidget *list() const { return child<QTreeWidget>(editor(), 1158); }
    QComboBox *types() const { return child<QComboBox>(editor(), 1156); }

    // Clicks the word in the article and then Opt.
    void openEditorOn(const QString &word)
    {
        ArticleEditor *article = m_window->articleEditor();
        const qsizetype at = article->plainText().indexOf(word);
        QVERIFY(at >= 0);
        QTextCursor cursor(article->document());
        cursor.setPosition(int(at) + 1);
        const QRect r = article->cursorRect(cursor);
        QTest::mouseClick(article->viewport(), Qt::LeftButton, {}, {r.left() + 2, r.center().y()});
        QVERIFY(popup()->isVisible());
        auto *opt = child<QPushButton>(popup(), 1163);
        QVERIFY(opt->isVisible());
        QTest::mouseClick(opt, Qt::LeftButton);
        QVERIFY(editor());
        QVERIFY(editor()->isVisible());
    }

    QStringList rows(int column = 0) const
    {
        return GuiTest::itemTexts(list()->topLevelItemCount(), [this, column](int i) {
            return list()->topLevelItem(i)->text(column);
        });
    }

    QStringList typeItems() const
    {
        return GuiTest::itemTexts(types()->count(), [this](int i) { return types()->itemText(i); });
    }

    void addSynonyms(const QString &text)
    {
        auto *edit = child<QLineEdit>(editor(), 1161);
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::mouseClick(child<QPushButton>(editor(), 1164), Qt::LeftButton);
    }

    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTreeWidgetItem *item = list()->topLevelItem(row);
        QVERIFY(item);
        QTest::mouseClick(list()->viewport(), button, {}, list()->visualItemRect(item).center());
    }

    // Picks an item of a closed drop-down list with the keyboard, as a user can.
    void pick(QComboBox *box, const QString &text)
    {
        box->setFocus();
        const int target = box->findText(text);
        QVERIFY(target >= 0);
        while (box->currentIndex() < target)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > target)
            QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->currentText(), text);
    }

    QString senseOf(const QString &word, const QString &type) const
    {
        const WordLibrary::Rows found = WordLibrary::sense(*m_window->dictionary(), word, type);
        return found.rows.isEmpty() ? u"<none>"_s : found.rows.first().synonyms;
    }

    QString store() const { return Store::readStore(AppPaths::storeFile()); }

private Q_SLOTS:
    void init()
    {
        setUpFolders();
        m_messages = std::make_unique<GuiTest::MessageCatcher>();
    }

    void cleanup()
    {
        m_messages.reset();
        tearDown();
    }

    void optOpensTheEditorOnTheLookupKey()
    {
        openWindow(u"we walked home"_s);
        openEditorOn(u"walked"_s);
        QCOMPARE(editor()->windowTitle(), u"WordsLib Optimization"_s);
        QCOMPARE(child<QLineEdit>(editor(), 1159)->text(), u"walk"_s);
        QCOMPARE(typeItems(), (QStringList{u"verb"_s, u"noun"_s}));
        QCOMPARE(types()->currentText(), u"verb"_s);
        QCOMPARE(rows(), (QStringList{u"stroll"_s, u"march"_s}));
        QCOMPARE(rows(1), (QStringList{u"verb"_s, u"verb"_s}));
        QCOMPARE(list()->headerItem()->text(0), u"同义词#"_s);
        QCOMPARE(list()->headerItem()->text(1), u"词性"_s);
        QCOMPARE(list()->columnWidth(0), 100);
        QCOMPARE(child<QPushButton>(editor(), 1166)->toolTip(), u"删除该词性及其所有同义词"_s);
        QCOMPARE(child<QPushButton>(editor(), 1162)->toolTip(), u"为词汇添加新词性"_s);
        QCOMPARE(child<QPushButton>(editor(), 1164)->toolTip(), u"添加同义词"_s);
        pick(types(), u"noun"_s);
        QCOMPARE(rows(), QStringList{u"hike"_s});
        // The editor stays up when the popup hides.
        popup()->hide();
        QVERIFY(editor()->isVisible());
        QCOMPARE(m_messages->texts, QStringList{});
    }

    void addingCleansDeduplicatesAndLinksBack()
    {
        openWindow(u"a great walk"_s);
        // Cache alternatives in temp.dat, which every change must drop.
        m_window->articleEditor()->setFocus();
        openEditorOn(u"walk"_s);
        openEditorOn(u"great"_s);
        QVERIFY(store().contains(u"great()<adjective>(blank),large"));
        QCOMPARE(rows(), QStringList{u"large"_s});
        addSynonyms(u" big|large, huge"_s);
        QCOMPARE(rows(), (QStringList{u"large"_s, u"big"_s, u"huge"_s}));
        QCOMPARE(rows(1), (QStringList{u"adjective"_s, u"adjective"_s, u"adjective"_s}));
        QCOMPARE(list()->currentItem(), list()->topLevelItem(1));
        QVERIFY(child<QLineEdit>(editor(), 1161)->text().isEmpty());
        QCOMPARE(senseOf(u"great"_s, u"adjective"_s), u"large,big,huge"_s);
        // big had no adjective row: one is made in table B; huge already
        // listed great and is left alone.
        QCOMPARE(senseOf(u"big"_s, u"adjective"_s), u"great"_s);
        QCOMPARE(senseOf(u"big"_s, u"noun"_s), u"giant"_s);
        QCOMPARE(senseOf(u"huge"_s, u"adjective"_s), u"vast,great"_s);
        QVERIFY(!store().contains(u")<"));
        QCOMPARE(m_messages->texts, QStringList{});

        // The popup looks the word up again.
        openEditorOn(u"great"_s);
        QStringList shown;
        auto *popupList = child<QListWidget>(popup(), 1018);
        for (int i = 0; i < popupList->count(); ++i)
            shown << popupList->item(i)->text();
        QCOMPARE(shown, (QStringList{u"(blank)"_s, u"large"_s, u"big"_s, u"huge"_s}));
    }

    void emptyAndExistingSynonymsAreRefused()
    {
        openWindow(u"a great day"_s);
        openEditorOn(u"great"_s);
        addSynonyms(u"large"_s);
        addSynonyms(u"   "_s);
        addSynonyms(u"{}"_s);
        QCOMPARE(m_messages->texts,
                 (QStringList{u"同义词已存在!"_s, u"同义词不能添加空"_s, u"同义词已存在!"_s}));
        QCOMPARE(rows(), QStringList{u"large"_s});
        QCOMPARE(senseOf(u"great"_s, u"adjective"_s), u"large"_s);
    }

    void synonymsWithDoubleQuotes()
    {
        openWindow(u"a great day"_s);
        openEditorOn(u"great"_s);
        addSynonyms(u"6\" tall"_s);
        QCOMPARE(m_messages->texts, QStringList{});
        QCOMPARE(rows(), (QStringList{u"large"_s, u"6\" tall"_s}));
        QCOMPARE(senseOf(u"great"_s, u"adjective"_s), u"large,6\" tall"_s);
        QCOMPARE(senseOf(u"6\" tall"_s, u"adjective"_s), u"great"_s);
    }

    void moveUpAndDown()
    {
        openWindow(u"a great day"_s);
        openEditorOn(u"great"_s);
        addSynonyms(u"big,huge"_s);
        QCOMPARE(rows(), (QStringList{u"large"_s, u"big"_s, u"huge"_s}));
        auto *up = child<QPushButton>(editor(), 1167);
        auto *down = child<QPushButton>(editor(), 1172);
        clickRow(0);
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(rows(), (QStringList{u"large"_s, u"big"_s, u"huge"_s}));
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(rows(), (QStringList{u"big"_s, u"large"_s, u"huge"_s}));
        QCOMPARE(list()->currentItem(), list()->topLevelItem(1));
        QCOMPARE(senseOf(u"great"_s, u"adjective"_s), u"big,large,huge"_s);
        clickRow(2);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(senseOf(u"great"_s, u"adjective"_s), u"big,large,huge"_s);
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(senseOf(u"great"_s, u"adjective"_s), u"big,huge,large"_s);
        QCOMPARE(list()->currentItem(), list()->topLevelItem(1));
    }

    void deletingSynonymsFromTheMenu()
    {
        openWindow(u"a lone wolf"_s);
        openEditorOn(u"lone"_s);
        addSynonyms(u"single"_s);
        QCOMPARE(rows(), (QStringList{u"solitary"_s, u"single"_s}));
        const auto deleteByMenu = [this](int row) {
            bool shown = false;
            QTimer::singleShot(0, this, [&shown] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                if (!menu)
                    return;
                shown = true;
                QCOMPARE(menu->actions().size(), 1);
                QAction *remove = menu->actions().first();
                QCOMPARE(remove->text(), u"删除"_s);
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(remove).center());
            });
            clickRow(row);
            const QRect rect = list()->visualItemRect(list()->topLevelItem(row));
            QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(),
                                    list()->viewport()->mapToGlobal(rect.center()));
            QApplication::sendEvent(list()->viewport(), &event);
            QVERIFY(shown);
        };
        deleteByMenu(1);
        QCOMPARE(rows(), QStringList{u"solitary"_s});
        QCOMPARE(list()->currentItem(), list()->topLevelItem(0));
        QCOMPARE(senseOf(u"lone"_s, u"adjective"_s), u"solitary"_s);
        // The only synonym gone, the sense's row goes; the box keeps the type.
        deleteByMenu(0);
        QCOMPARE(rows(), QStringList{});
        QCOMPARE(senseOf(u"lone"_s, u"adjective"_s), u"<none>"_s);
        QCOMPARE(typeItems(), QStringList{u"adjective"_s});
        QCOMPARE(m_messages->texts, QStringList{});
    }

    void addingATypeAndDeletingASense()
    {
        openWindow(u"a lone wolf"_s);
        openEditorOn(u"lone"_s);
        auto *newType = child<QComboBox>(editor(), 1160);
        QCOMPARE(newType->count(), 11);
        QCOMPARE(newType->currentIndex(), -1);
        // Nothing chosen: nothing happens.
        QTest::mouseClick(child<QPushButton>(editor(), 1162), Qt::LeftButton);
        QCOMPARE(typeItems(), QStringList{u"adjective"_s});
        pick(newType, u"adjective"_s);
        QTest::mouseClick(child<QPushButton>(editor(), 1162), Qt::LeftButton);
        QCOMPARE(m_messages->texts, QStringList{u"词性已存在!"_s});
        pick(newType, u"noun"_s);
        QTest::mouseClick(child<QPushButton>(editor(), 1162), Qt::LeftButton);
        QCOMPARE(typeItems(), (QStringList{u"adjective"_s, u"noun"_s}));
        QCOMPARE(types()->currentText(), u"noun"_s);
        QCOMPARE(rows(), QStringList{});
        QCOMPARE(senseOf(u"lone"_s, u"noun"_s), u"<none>"_s);
        addSynonyms(u"loner"_s);
        QCOMPARE(senseOf(u"lone"_s, u"noun"_s), u"loner"_s);
        QCOMPARE(senseOf(u"loner"_s, u"noun"_s), u"lone"_s);

        pick(types(), u"adjective"_s);
        QCOMPARE(rows(), QStringList{u"solitary"_s});
        QTest::mouseClick(child<QPushButton>(editor(), 1166), Qt::LeftButton);
        QCOMPARE(senseOf(u"lone"_s, u"adjective"_s), u"<none>"_s);
        QCOMPARE(senseOf(u"lone"_s, u"noun"_s), u"loner"_s);
        QCOMPARE(typeItems(), QStringList{u"noun"_s});
        QCOMPARE(types()->currentIndex(), -1);
        QCOMPARE(rows(), QStringList{});

        // Without a part of speech nothing is stored.
        addSynonyms(u"alone"_s);
        QCOMPARE(senseOf(u"lone"_s, u"noun"_s), u"loner"_s);
        QCOMPARE(senseOf(u"alone"_s, u"noun"_s), u"<none>"_s);
        QCOMPARE(m_messages->texts.size(), 1);
    }

    void theWordBoxChecksTheWord()
    {
        openWindow(u"a great day"_s);
        openEditorOn(u"great"_s);
        auto *word = child<QLineEdit>(editor(), 1159);
        word->setText(u"a,b"_s);
        QCOMPARE(m_messages->texts, QStringList{u"词中含非法字符"_s});
        // A refused word changes nothing else.
        QCOMPARE(rows(), QStringList{u"large"_s});
        word->clear();
        QCOMPARE(m_messages->texts, (QStringList{u"词中含非法字符"_s, u"词不能为空"_s}));
        word->setText(u"it's"_s);
        QCOMPARE(typeItems(), QStringList{u"pronoun"_s});
        QCOMPARE(rows(), QStringList{u"it is"_s});
        QCOMPARE(m_messages->texts.size(), 2);
        // Escape and Enter leave the window up.
        QTest::keyClick(word, Qt::Key_Escape);
        QTest::keyClick(word, Qt::Key_Return);
        QVERIFY(editor()->isVisible());
    }
};

QTEST_MAIN(TestWordLibraryEditor)
#include "gui_wordlibrary.moc"
