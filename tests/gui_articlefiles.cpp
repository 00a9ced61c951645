#include "app/articlefile.h"
#include "app/articlesession.h"
#include "gui_testutil.h"
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"

#include <QCheckBox>
#include <QCursor>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QToolButton>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;
using GuiTest::tempArticleText;
using GuiTest::tempPath;
using Dialog = UiMessage::FileDialog;

namespace {

QString articleData(const QString &name)
{
    return GuiTest::dataFile(u"articles"_s, name);
}

const QString SampleText = u"Café naïve – “quoted” words.\nSecond line ends here.\n"_s;

QString articleText(const QString &name)
{
    return u"Article "_s + name + u" text with café.\nIts second paragraph."_s;
}

// Runs action on the first popup menu that opens while it lives and records
// the object names of its actions.
class MenuWatcher : public QObject
{
public:
    explicit MenuWatcher(std::function<void(QMenu *)> action = {}) : m_action(std::move(action))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || opened)
                return;
            opened = true;
            for (QAction *a : menu->actions())
                actions.append(u"cmd"_s + a->property("commandId").toString());
            if (m_action)
                m_action(menu);
            menu->close();
        });
        m_timer.start();
    }
    bool opened = false;
    QStringList actions;

private:
    std::function<void(QMenu *)> m_action;
    QTimer m_timer;
};

} // namespace

class TestArticleFiles : public GuiTest::WindowTest
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_out;

    QString out(const QString &name) const { return m_out->filePath(name); }

    // Rows as a generation run leaves them: "original article", then 1..count,
    // each with its rich-text file in temp/.
    ArticleList *fillList(int count, const QStringList &rates = {})
    {
        ArticleList *list = m_window->articleList();
        QStringList names{u"original article"_s};
        for (int i = 1; i <= count; ++i)
            names.append(QString::number(i));
        for (int i = 0; i < names.size(); ++i) {
            RtfCharFormat format;
            format.bold = i % 2 == 1;
            const QByteArray rtf = Rtf::write(Rtf::fromPlainText(articleText(names[i]), format));
            if (!ArticleFile::writeRichText(tempPath(names[i] + u".rtf"_s), rtf))
                qFatal("cannot write a test article");
            // Listed the way a run lists them; index 0 would load the editor.
            GeneratedArticle row;
            row.index = i + 1;
            row.name = names[i];
            row.rate = i < rates.size() ? rates[i] : u"%1.00%"_s.arg(i * 10);
            Q_EMIT m_window->session()->articleAdded(row);
        }
        m_window->setMode(MainWindowLogic::Mode::Auto);
        return list;
    }

    // The cursor where a click on Save All lands: at the fraction of its width.
    void putCursorOnSaveAll(double fraction)
    {
        auto *button = child<QToolButton>(m_window.get(), 1004);
        const QPoint local(int(button->width() * fraction), button->height() / 2);
        QCursor::setPos(button->mapToGlobal(local));
        QCOMPARE(QCursor::pos(), button->mapToGlobal(local));
    }

    // The window ready for Save All in format (0 text, 1 zip), with count
    // generated rows and the rows checked, the cursor off the format arrow.
    MainWindow &openForSaveAll(int count, const QList<int> &checked, int format = 0)
    {
        MainWindow &w = openWindow();
        putCursorOnSaveAll(0.1);
        if (format == 1)
            w.runCommand(Command::SaveAsZip);
        ArticleList *list = fillList(count);
        for (int row : checked)
            list->setChecked(row, true);
        return w;
    }

    void clickRow(ArticleList *list, int row)
    {
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    QRect checkBoxRect(ArticleList *list, int row)
    {
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = list->visualItemRect(list->topLevelItem(row));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    }

    static QString readTextFile(const QString &path) { return ArticleFile::readText(path).text; }

private Q_SLOTS:
    void init()
    {
        setUpFolders();
        m_out = std::make_unique<QTemporaryDir>();
        QVERIFY(m_out->isValid());
    }

    void cleanup()
    {
        tearDown();
        m_out.reset();
    }

    // --- Open and drop ---

    void openTextFiles_data() { TestUtil::addTableRows(u"gui/open-text-files.tsv"_s); }

    void openTextFiles()
    {
        QFETCH(QString, file);
        MainWindow &w = openWindow();
        ArticleList *list = fillList(6);
        list->setCurrentItem(list->topLevelItem(2));
        QVERIFY(w.isShowingArticle());
        QVERIFY(child<QCheckBox>(&w, 1065)->isVisible());
        child<QWidget>(&w, 1004)->setEnabled(true);
        w.sourceEditor()->setPlainText(u"old source"_s);

        PromptAnswers answers;
        answers.files << articleData(file);
        w.runCommand(Command::Open);
        QCOMPARE(answers.dialogs, QList<Dialog>{Dialog::Open});
        QVERIFY(answers.filters.first().contains(u"Text Files(*.txt)"));
        QVERIFY(answers.filters.first().contains(u"Formated Files(*.rtf)"));
        QCOMPARE(w.articleEditor()->plainText(), SampleText);
        QCOMPARE(w.windowTitle(), file + u" - Rewordix"_s);
        QCOMPARE(child<QLabel>(&w, 1073)->text(), file);
        QCOMPARE(w.sourceEditor()->plainText(), QString());
        QCOMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!child<QCheckBox>(&w, 1065)->isVisible());
        QVERIFY(!child<QWidget>(&w, 1004)->isEnabled());
        QVERIFY(!w.isShowingArticle());
        QVERIFY(child<QLabel>(&w, 1034)->isVisible());
        QVERIFY(child<QLabel>(&w, 1043)->isVisible());
        QCOMPARE(w.wordsAmount(), 0);
        QVERIFY(answers.messages.isEmpty());
        // The shown article's file was not touched by loading another one.
        QCOMPARE(tempArticleText(u"2.rtf"_s), articleText(u"2"_s));
    }

    void openRichTextOfOtherEditors_data() { TestUtil::addTableRows(u"gui/rich-text-files.tsv"_s); }

    void openRichTextOfOtherEditors()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        MainWindow &w = openWindow();
        const QString path =
            file.startsWith(u"own") ? articleData(file) : GuiTest::dataFile(u"rtf"_s, file);
        PromptAnswers answers;
        answers.files << path;
        w.runCommand(Command::Open);
        const QString text = w.articleEditor()->plainText();
        QVERIFY2(text.contains(expected), qPrintable(text));
        QCOMPARE(w.windowTitle(), file + u" - Rewordix"_s);
        // The file's own formats, not the editor's default (bold in this set-up).
        QCOMPARE(w.articleEditor()->formatAt(0).fontWeight(), int(QFont::Normal));
        const qsizetype bold = text.indexOf(u"bold");
        if (bold >= 0)
            QCOMPARE(w.articleEditor()->formatAt(int(bold)).fontWeight(), int(QFont::Bold));
        QVERIFY(answers.messages.isEmpty());
    }

    void upperCaseRtfIsReadAsText()
    {
        MainWindow &w = openWindow();
        const QString path = out(u"NOTES.RTF"_s);
        QVERIFY(QFile::copy(GuiTest::dataFile(u"rtf"_s, u"wordpad-basic.rtf"_s), path));
        PromptAnswers answers;
        answers.files << path;
        w.runCommand(Command::Open);
        QVERIFY(w.articleEditor()->plainText().startsWith(u"{\\rtf1\\ansi"));
    }

    void openCancelledChangesNothing()
    {
        MainWindow &w = openWindowWith(u"kept"_s);
        PromptAnswers answers;
        w.runCommand(Command::Open);
        QCOMPARE(answers.dialogs.size(), 1);
        QCOMPARE(w.articleEditor()->plainText(), u"kept"_s);
        QCOMPARE(w.windowTitle(), u"Rewordix"_s);
    }

    void brokenRichTextKeepsTheArticle()
    {
        MainWindow &w = openWindowWith(u"kept"_s);
        const QString path = out(u"broken.rtf"_s);
        QVERIFY(ArticleFile::writeText(path, u"no rich text here"_s));
        PromptAnswers answers;
        answers.files << path;
        w.runCommand(Command::Open);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages.first().contains(u"broken.rtf"));
        QCOMPARE(answers.icons.first(), QMessageBox::Critical);
        QCOMPARE(w.articleEditor()->plainText(), u"kept"_s);
        QCOMPARE(w.windowTitle(), u"Rewordix"_s);
    }

    void unreadableTextKeepsTheArticle()
    {
        MainWindow &w = openWindowWith(u"old"_s);
        PromptAnswers answers;
        answers.files << out(u"gone.txt"_s);
        w.runCommand(Command::Open);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages.first().contains(u"gone.txt"));
        QCOMPARE(w.articleEditor()->plainText(), u"old"_s);
        QCOMPARE(w.windowTitle(), u"Rewordix"_s);
    }

    void dropOneFile()
    {
        MainWindow &w = openWindow();
        fillList(2);
        child<QLabel>(&w, 1073)->setText(u"Operating"_s);
        const auto drop = [&](const QStringList &paths) {
            QVERIFY(GuiTest::dropOnEditor(w, paths));
        };
        drop({articleData(u"utf8.txt"_s), articleData(u"utf8-bom.txt"_s)});
        QCOMPARE(w.articleEditor()->plainText(), QString());
        drop({out(u"missing.txt"_s)});
        QCOMPARE(w.articleEditor()->plainText(), QString());
        QCOMPARE(w.articleList()->topLevelItemCount(), 3);

        drop({articleData(u"utf8.txt"_s)});
        QCOMPARE(w.articleEditor()->plainText(), SampleText);
        QCOMPARE(w.windowTitle(), u"utf8.txt - Rewordix"_s);
        QCOMPARE(w.articleEditor()->textCursor().position(), 0);
        QCOMPARE(w.articleList()->topLevelItemCount(), 0);
        // As Open does, a drop names the new article.
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"utf8.txt"_s);
        QVERIFY(child<QLabel>(&w, 1043)->isVisible());
    }

    // --- Save ---

    void saveDotRules_data() { TestUtil::addTableRows(u"gui/save-dot-rules.tsv"_s); }

    void saveDotRules()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QString, rich);
        MainWindow &w = openWindow();
        QVERIFY(QDir().mkpath(out(u"my.docs"_s)));
        const QString text = u"First € line\nsecond line"_s;
        w.articleEditor()->setPlainText(text);
        w.articleEditor()->mergeFormat(6, 7, ArticleEditor::makeFormat({}, 0, false, true, {}));

        PromptAnswers answers;
        answers.files << out(chosen);
        w.runCommand(Command::Save);
        QCOMPARE(answers.dialogs, QList<Dialog>{Dialog::Save});
        QCOMPARE(answers.filters.first(), u"Text Files(*.txt);;Formated Files(*.rtf)"_s);
        QVERIFY(answers.questions.isEmpty());
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
        QCOMPARE(answers.icons.first(), QMessageBox::Information);
        const QDir dir(m_out->path());
        QVERIFY(dir.exists(written));
        if (chosen != written)
            QVERIFY(!dir.exists(chosen));

        const QByteArray bytes = TestUtil::fileBytes(out(written));
        if (FileTest::isTrue(rich)) {
            // Saved for other editors: the 7-bit stream itself, not the UTF-16 form.
            QVERIFY(bytes.startsWith("{\\rtf1"));
            QVERIFY(Rtf::isRtf(bytes));
            const ArticleFile::ReadResult read = ArticleFile::readRichText(out(written));
            QVERIFY(read.ok);
            QCOMPARE(Rtf::plainText(read.document), text);
            bool italicEuro = false;
            for (const RtfRun &run : read.document.runs)
                italicEuro = italicEuro || (run.text == u"€" && run.format.italic);
            QVERIFY(italicEuro);
        } else {
            QVERIFY(bytes.startsWith("\xFF\xFE"));
            QCOMPARE(ArticleFile::decodeText(bytes).text, u"First € line\r\nsecond line"_s);
        }
    }

    void saveAsksBeforeOverwriting()
    {
        MainWindow &w = openWindowWith(u"new"_s);
        QVERIFY(ArticleFile::writeText(out(u"notes.txt"_s), u"old"_s));
        PromptAnswers answers;
        // "notes" would overwrite notes.txt: asked, and No keeps it.
        answers.files << out(u"notes"_s);
        answers.answers << false;
        w.runCommand(Command::Save);
        QCOMPARE(answers.questions, QStringList{u"File Exists, Overwrite It?"_s});
        QVERIFY(answers.messages.isEmpty());
        QCOMPARE(readTextFile(out(u"notes.txt"_s)), u"old"_s);

        answers.files << out(u"notes.txt"_s);
        answers.answers << true;
        w.runCommand(Command::Save);
        QCOMPARE(answers.questions.size(), 2);
        QCOMPARE(readTextFile(out(u"notes.txt"_s)), u"new"_s);
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
    }

    void failedSaveSaysSo()
    {
        MainWindow &w = openWindowWith(u"text"_s);
        QVERIFY(ArticleFile::writeText(out(u"file"_s), u"x"_s));
        PromptAnswers answers;
        answers.files << out(u"file/notes.txt"_s);
        w.runCommand(Command::Save);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(!answers.messages.contains(u"Save File Succeed!"_s));
        QVERIFY(answers.messages.first().contains(u"notes.txt"));
        QCOMPARE(answers.icons.first(), QMessageBox::Critical);
    }

    // --- Save All ---

    void saveAllRightFifthOpensTheFormatMenu()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(3);
        list->setAllChecked(true);
        PromptAnswers answers;
        answers.files << out(u"folder"_s);
        {
            putCursorOnSaveAll(0.9);
            MenuWatcher menu;
            w.runCommand(Command::SaveAll);
            QVERIFY(menu.opened);
            QCOMPARE(menu.actions, (QStringList{u"cmd32830"_s, u"cmd32831"_s}));
            QVERIFY(answers.dialogs.isEmpty());
        }
        {
            // The menu chooses a format and saves nothing.
            putCursorOnSaveAll(0.99);
            MenuWatcher menu([](QMenu *m) { m->actions().at(1)->trigger(); });
            w.runCommand(Command::SaveAll);
            QVERIFY(menu.opened);
            QCOMPARE(w.saveAllFormat(), 1);
            QCOMPARE(Config::saveAllFormat(), 1);
            QVERIFY(answers.dialogs.isEmpty());
            w.runCommand(Command::SaveAsTxt);
        }
        {
            putCursorOnSaveAll(0.75);
            MenuWatcher menu;
            w.runCommand(Command::SaveAll);
            QVERIFY(!menu.opened);
            QCOMPARE(answers.dialogs, QList<Dialog>{Dialog::Folder});
            QVERIFY(QFile::exists(out(u"folder/1.txt"_s)));
        }
    }

    void saveAllOnAnEmptyListIsSave()
    {
        MainWindow &w = openWindow();
        // Every row deleted: Save All stays usable and saves the editor's article.
        fillList(1)->clear();
        putCursorOnSaveAll(0.1);
        w.articleEditor()->setPlainText(u"single"_s);
        PromptAnswers answers;
        answers.files << out(u"single"_s);
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.dialogs, QList<Dialog>{Dialog::Save});
        QCOMPARE(answers.filters.first(), u"Text Files(*.txt);;Formated Files(*.rtf)"_s);
        QCOMPARE(readTextFile(out(u"single.txt"_s)), u"single"_s);
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
    }

    void saveAllWithNothingChecked()
    {
        MainWindow &w = openForSaveAll(2, {});
        PromptAnswers answers;
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.messages, QStringList{u"Please Select Articles to Save"_s});
        QCOMPARE(answers.icons.first(), QMessageBox::Critical);
        QVERIFY(answers.dialogs.isEmpty());
    }

    void textSaveAllMovesAndRecreates()
    {
        MainWindow &w = openForSaveAll(3, {1, 3});
        QVERIFY(ArticleFile::writeText(tempPath(u"stale.txt"_s), u"x"_s));
        w.articleEditor()->setPlainText(u"the editor's article"_s);

        PromptAnswers answers;
        answers.files << out(u"first/new"_s);
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.dialogs, QList<Dialog>{Dialog::Folder});
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
        QCOMPARE(readTextFile(out(u"first/new/1.txt"_s)), articleText(u"1"_s));
        QCOMPARE(readTextFile(out(u"first/new/3.txt"_s)), articleText(u"3"_s));
        QVERIFY(TestUtil::fileBytes(out(u"first/new/3.txt"_s)).startsWith("\xFF\xFE"));
        QVERIFY(!QFile::exists(out(u"first/new/2.txt"_s)));
        QVERIFY(!QFile::exists(tempPath(u"1.txt"_s)));
        QVERIFY(!QFile::exists(tempPath(u"stale.txt"_s)));
        QVERIFY(QFile::exists(tempPath(u"1.rtf"_s)));
        QCOMPARE(w.articleEditor()->plainText(), u"the editor's article"_s);

        // The moved files are made again from the .rtf files.
        answers.clear();
        answers.files << out(u"second"_s);
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
        QCOMPARE(readTextFile(out(u"second/1.txt"_s)), articleText(u"1"_s));
        QCOMPARE(readTextFile(out(u"second/3.txt"_s)), articleText(u"3"_s));
    }

    void textSaveAllAsksBeforeReplacing()
    {
        MainWindow &w = openForSaveAll(2, {1, 2});
        QVERIFY(QDir().mkpath(out(u"target"_s)));
        QVERIFY(ArticleFile::writeText(out(u"target/1.txt"_s), u"user's own file"_s));
        QVERIFY(ArticleFile::writeText(out(u"target/2.txt"_s), u"replace me"_s));

        PromptAnswers answers;
        answers.files << out(u"target"_s);
        answers.answers << false << true;
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.questions.size(), 2);
        QCOMPARE(readTextFile(out(u"target/1.txt"_s)), u"user's own file"_s);
        QCOMPARE(readTextFile(out(u"target/2.txt"_s)), articleText(u"2"_s));
        QVERIFY(QFile::exists(tempPath(u"1.txt"_s)));
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
    }

    // Save All into a path under a file, in either format.
    void saveAllIntoAnUnusableFolderSaysSo_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("target");
        QTest::newRow("text") << 0 << u"file/sub"_s;
        QTest::newRow("zip") << 1 << u"file/a.zip"_s;
    }

    void saveAllIntoAnUnusableFolderSaysSo()
    {
        QFETCH(int, format);
        QFETCH(QString, target);
        MainWindow &w = openForSaveAll(1, {1}, format);
        QVERIFY(ArticleFile::writeText(out(u"file"_s), u"x"_s));
        PromptAnswers answers;
        answers.files << out(target);
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages.first().startsWith(u"Save failed"));
        QCOMPARE(answers.icons.first(), QMessageBox::Critical);
    }

    void zipSaveAll()
    {
        const GuiTest::Unzip unzip;
        MainWindow &w = openForSaveAll(3, {3, 1}, 1);
        ArticleList *list = w.articleList();
        PromptAnswers answers;
        answers.files << out(u"archive"_s);
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.dialogs, QList<Dialog>{Dialog::Save});
        QCOMPARE(answers.filters.first(), u"Compressed File(*.zip)"_s);
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
        const QString archive = out(u"archive.zip"_s);
        QVERIFY(QFile::exists(archive));
        if (!unzip.isInstalled())
            QSKIP("unzip is not installed");
        QCOMPARE(unzip.test(archive), 0);
        QCOMPARE(unzip.names(archive), (QStringList{u"1.txt"_s, u"3.txt"_s}));
        QCOMPARE(unzip.entry(archive, u"3.txt"_s), ArticleFile::encodeText(articleText(u"3"_s)));

        // An existing archive: No leaves it, Yes replaces it.
        const QByteArray before = TestUtil::fileBytes(archive);
        list->setChecked(2, true);
        answers.clear();
        answers.files << archive;
        answers.answers << false;
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.questions, QStringList{u"File Exists, Overwrite It?"_s});
        QVERIFY(answers.messages.isEmpty());
        QCOMPARE(TestUtil::fileBytes(archive), before);
        answers.files << archive;
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.messages, QStringList{u"Save File Succeed!"_s});
        QCOMPARE(unzip.test(archive), 0);
        QVERIFY(TestUtil::fileBytes(archive) != before);
    }

    void zipSaveAllWithAMissingArticleSaysSo()
    {
        MainWindow &w = openForSaveAll(1, {1}, 1);
        // An older archive at the same place must not make a failure look like success.
        QVERIFY(QDir().mkpath(out(u"ro"_s)));
        QVERIFY(ArticleFile::writeText(out(u"ro/old.zip"_s), u"older archive"_s));
        QFile::remove(tempPath(u"1.rtf"_s));
        PromptAnswers answers;
        answers.files << out(u"ro/old.zip"_s);
        w.runCommand(Command::SaveAll);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages.first().startsWith(u"Save failed"));
        QVERIFY(answers.messages.first().contains(u"1.rtf"));
    }

    void formatMenuItems()
    {
        MainWindow &w = openWindow();
        QMenu *menu = w.formatMenu();
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions().at(0)->text(), u"Save as .txt"_s);
        QCOMPARE(menu->actions().at(1)->text(), u"Save as .zip"_s);
        QVERIFY(menu->actions().at(0)->isChecked());
        menu->actions().at(1)->trigger();
        QCOMPARE(Config::saveAllFormat(), 1);
        menu = w.formatMenu();
        QVERIFY(menu->actions().at(1)->isChecked());
        // The same format again, from the menu or as a command, writes nothing.
        const QByteArray config = TestUtil::fileBytes(AppPaths::configFile());
        menu->actions().at(1)->trigger();
        w.runCommand(Command::SaveAsZip);
        QCOMPARE(TestUtil::fileBytes(AppPaths::configFile()), config);
        w.runCommand(Command::SaveAsTxt);
        QCOMPARE(Config::saveAllFormat(), 0);
    }

    // --- The list ---

    void showAnArticle()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(3, {u"0.00%"_s, u"10.00%"_s, u"22.50%"_s, u"30.00%"_s});
        child<QLabel>(&w, 1043)->setText(u"Replaced:3/9=33.33%"_s);
        PromptAnswers answers;
        clickRow(list, 2);
        QCOMPARE(list->currentItem(), list->topLevelItem(2));
        QCOMPARE(w.articleEditor()->plainText(), articleText(u"2"_s));
        QCOMPARE(w.articleEditor()->formatAt(0).fontWeight(), int(QFont::Normal));
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"2.rtf"_s);
        QCOMPARE(child<QLabel>(&w, 1043)->text(), u"Replaced:22.50%"_s);
        QVERIFY(child<QLabel>(&w, 1043)->isVisible());
        QVERIFY(!child<QLabel>(&w, 1034)->isVisible());
        QCOMPARE(w.articleEditor()->textCursor().position(), 0);
        QVERIFY(w.isShowingArticle());
        QVERIFY(answers.messages.isEmpty());

        QVERIFY(QFile::remove(tempPath(u"3.rtf"_s)));
        clickRow(list, 3);
        QCOMPARE(answers.messages, QStringList{u"The Article Not Exists!"_s});
        QCOMPARE(answers.icons.first(), QMessageBox::Critical);
        QCOMPARE(w.articleEditor()->plainText(), articleText(u"2"_s));
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"3.rtf"_s);
    }

    void editsOfAShownArticleAreWrittenBack()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(2);
        clickRow(list, 1);
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"1.rtf"_s);
        w.articleEditor()->setFocus();
        w.articleEditor()->setCaret(0);
        QTest::keyClicks(w.articleEditor(), u"Edited "_s);
        QCOMPARE(tempArticleText(u"1.rtf"_s), u"Edited "_s + articleText(u"1"_s));
        QCOMPARE(tempArticleText(u"2.rtf"_s), articleText(u"2"_s));

        // After New no edit reaches a file, and New itself empties none.
        w.runCommand(Command::New);
        QVERIFY(!w.isShowingArticle());
        QCOMPARE(tempArticleText(u"1.rtf"_s), u"Edited "_s + articleText(u"1"_s));
        fillList(2);
        clickRow(w.articleList(), 2);
        PromptAnswers answers;
        answers.files << articleData(u"utf8.txt"_s);
        w.runCommand(Command::Open);
        QTest::keyClicks(w.articleEditor(), u"more"_s);
        QCOMPARE(tempArticleText(u"2.rtf"_s), articleText(u"2"_s));
    }

    void loadsStartAFreshUndoHistory()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(3);
        clickRow(list, 2);
        clickRow(list, 3);
        w.runCommand(Command::Undo);
        QCOMPARE(w.articleEditor()->plainText(), articleText(u"3"_s));
        QCOMPARE(tempArticleText(u"3.rtf"_s), articleText(u"3"_s));
        // Nor does Undo bring back the list's article after an Open.
        PromptAnswers answers;
        answers.files << articleData(u"utf8.txt"_s);
        w.runCommand(Command::Open);
        QVERIFY(!w.articleEditor()->document()->isUndoAvailable());
        w.runCommand(Command::Undo);
        QCOMPARE(w.articleEditor()->plainText(), SampleText);
        QCOMPARE(tempArticleText(u"3.rtf"_s), articleText(u"3"_s));
    }

    void dropOnAShownArticleWritesNoFile()
    {
        MainWindow &w = openWindow();
        clickRow(fillList(2), 1);
        QVERIFY(w.isShowingArticle());
        QVERIFY(GuiTest::dropOnEditor(w, {articleData(u"utf8.txt"_s)}));
        QVERIFY(!w.isShowingArticle());
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"utf8.txt"_s);
        QTest::keyClicks(w.articleEditor(), u"typed"_s);
        QCOMPARE(tempArticleText(u"1.rtf"_s), articleText(u"1"_s));
    }

    void unsavedEditsAreAskedAbout_data()
    {
        QTest::addColumn<int>("command"); // 0: a drop
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("left");
        const int newCmd = Command::New;
        const int open = Command::Open;
        const int exit = Command::Exit;
        QTest::newRow("New, Save") << newCmd << u"yes"_s << true;
        QTest::newRow("New, Discard") << newCmd << u"discard"_s << true;
        QTest::newRow("New, Cancel") << newCmd << QString() << false;
        QTest::newRow("Open, Save") << open << u"yes"_s << true;
        QTest::newRow("Open, Cancel") << open << QString() << false;
        QTest::newRow("drop, Discard") << 0 << u"discard"_s << true;
        QTest::newRow("drop, Cancel") << 0 << QString() << false;
        QTest::newRow("Exit, Discard") << exit << u"discard"_s << true;
        QTest::newRow("Exit, Cancel") << exit << QString() << false;
    }

    void unsavedEditsAreAskedAbout()
    {
        QFETCH(int, command);
        QFETCH(QString, reply);
        QFETCH(bool, left);
        MainWindow &w = openWindow();
        w.articleEditor()->setFocus();
        QTest::keyClicks(w.articleEditor(), u"typed"_s);
        PromptAnswers replies(reply, {out(u"saved.txt"_s), articleData(u"utf8.txt"_s)});
        if (command == 0)
            QVERIFY(GuiTest::dropOnEditor(w, {articleData(u"utf8.txt"_s)}));
        else
            w.runCommand(command);
        QCOMPARE(replies.questions,
                 QStringList{u"The article has changed. Save it before you go on?"_s});
        if (command == Command::Exit)
            QCOMPARE(w.isVisible(), !left);
        else
            QCOMPARE(w.articleEditor()->plainText() == u"typed", !left);
        if (reply == u"yes")
            QCOMPARE(readTextFile(out(u"saved.txt"_s)), u"typed"_s);
        // Once saved or loaded anew, nothing is asked.
        if (left && command != Command::Exit) {
            w.runCommand(Command::New);
            QCOMPARE(replies.questions.size(), 1);
        }
    }

    void clickTogglesTheCheckMark()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(3);
        QSignalSpy changed(list, &QTreeWidget::itemChanged);
        clickRow(list, 1);
        QVERIFY(list->isChecked(1));
        QVERIFY(list->topLevelItem(1)->isSelected());
        QCOMPARE(changed.count(), 0);
        clickRow(list, 1);
        QVERIFY(!list->isChecked(1));

        // On the box itself the list toggles once, and selects the row.
        const QRect box = checkBoxRect(list, 2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
        QVERIFY(list->isChecked(2));
        QCOMPARE(list->currentItem(), list->topLevelItem(2));
        QCOMPARE(child<QLabel>(&w, 1073)->text(), u"2.rtf"_s);
    }

    void contextMenuOnRowsOnly()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(2);
        const auto rightClick = [&](const QPoint &pos) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos,
                                    list->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(list->viewport(), &event);
        };
        {
            MenuWatcher menu;
            rightClick(list->visualItemRect(list->topLevelItem(1)).center());
            QVERIFY(menu.opened);
            QCOMPARE(menu.actions, (QStringList{u"cmd32799"_s, u"cmd1057"_s, u"cmd1004"_s}));
        }
        {
            MenuWatcher menu;
            rightClick(QPoint(5, list->viewport()->height() - 3));
            QCoreApplication::processEvents();
            QVERIFY(!menu.opened);
        }
        const QMenu *menu = w.listMenu();
        QCOMPARE(menu->actions().at(0)->text(), u"&Delete\tDelete"_s);
        QCOMPARE(menu->actions().at(1)->text(), u"&Save"_s);
        QCOMPARE(menu->actions().at(2)->text(), u"Save &All"_s);
    }

    void sortingTheRateColumnTwiceReverses()
    {
        MainWindow &w = openWindow();
        ArticleList *list =
            fillList(4, {u"0.00%"_s, u"12.349%"_s, u"30.00%"_s, u"12.345%"_s, u"5.00%"_s});
        QHeaderView *header = list->header();
        const auto clickHeader = [&](int column) {
            const QPoint pos(header->sectionViewportPosition(column) +
                                 header->sectionSize(column) / 2,
                             header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, pos);
        };
        const auto names = [list] {
            return GuiTest::rowNames(list);
        };
        clickHeader(1);
        // 12.349% and 12.345% compare equal and keep their order.
        QCOMPARE(names(), (QStringList{u"original article"_s, u"4"_s, u"1"_s, u"3"_s, u"2"_s}));
        clickHeader(1);
        QCOMPARE(names(), (QStringList{u"2"_s, u"1"_s, u"3"_s, u"4"_s, u"original article"_s}));
        // The direction flag is shared: the name column now sorts ascending.
        clickHeader(0);
        QCOMPARE(names(), (QStringList{u"original article"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
        clickHeader(0);
        QCOMPARE(names(), (QStringList{u"4"_s, u"3"_s, u"2"_s, u"1"_s, u"original article"_s}));
        QVERIFY(!w.isShowingArticle());
    }

    void selectAllChecksEveryRow()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(6);
        auto *box = child<QCheckBox>(&w, 1065);
        QVERIFY(box->isVisible());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QCOMPARE(list->checkedNames().size(), 7);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(list->checkedNames().isEmpty());
    }

    void deletingDownToFiveRowsHidesSelectAll()
    {
        MainWindow &w = openWindow();
        ArticleList *list = fillList(6);
        auto *box = child<QCheckBox>(&w, 1065);
        QVERIFY(box->isVisible());
        box->setChecked(true);
        clickRow(list, 3);
        QCOMPARE(w.articleEditor()->plainText(), articleText(u"3"_s));
        QVERIFY(ArticleFile::writeText(tempPath(u"1.txt"_s), u"x"_s));
        list->topLevelItem(1)->setSelected(true);
        QCOMPARE(list->selectedItems().size(), 2);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(list->topLevelItemCount(), 5);
        QVERIFY(!box->isVisible());
        QVERIFY(!box->isChecked());
        for (const QString &gone : {u"1.rtf"_s, u"1.txt"_s, u"3.rtf"_s})
            QVERIFY2(!QFile::exists(tempPath(gone)), qPrintable(gone));
        QVERIFY(QFile::exists(tempPath(u"2.rtf"_s)));
        QCOMPARE(w.articleEditor()->plainText(), articleText(u"3"_s));

        // Delete from the context menu takes the selected row too.
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(list->nameAt(1), u"2"_s);
        w.listMenu()->actions().at(0)->trigger();
        QCOMPARE(list->topLevelItemCount(), 4);
        QVERIFY(!QFile::exists(tempPath(u"2.rtf"_s)));
        QCOMPARE(w.articleEditor()->plainText(), articleText(u"2"_s));
    }
};

QTEST_MAIN(TestArticleFiles)
#include "gui_articlefiles.moc"
