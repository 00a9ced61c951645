// The command table of the main window: every command is built once into a
// QAction, which the menu bar, the buttons, the context menus and the
// shortcuts share.
#include "app/apppaths.h"
#include "app/articlesession.h"
#include "app/language.h"
#include "helpaddresses.h"
#include "ui/articleeditor.h"
#include "ui/findreplacedialog.h"
#include "ui/mainwindow.h"
#include "ui/settingsdialog.h"
#include "ui/skin/skin.h"
#include "ui/specid.h"
#include "ui/uimessage.h"

#include <QActionGroup>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where a command's text stands in the language file.
enum class TextSource
{
    Menu,       // a whole-file key such as ID_FILE_OPEN
    MainDialog, // a key of the main window's section (button captions)
    Tooltips,
};

constexpr int Separator = 0;

// The menus, by command numbers; Separator draws a line.
constexpr int FileMenu[] = {Command::New,     Command::Open, Separator,    Command::Save,
                            Command::SaveAll, Separator,     Command::Exit};
constexpr int EditMenu[] = {Command::Undo,       Command::Cut,    Command::Copy,
                            Command::Paste,      Command::Delete, Command::SelectAll,
                            Command::FindReplace};
constexpr int EditSeparatorsAfter[] = {Command::Undo, Command::Delete, Command::SelectAll};
constexpr int HelpMenu[] = {Command::Update,   Separator,        Command::Handbook,
                            Command::Faq,      Command::Support, Separator,
                            Command::Homepage, Separator,        Command::About};
constexpr int ListMenu[] = {Command::DeleteArticles, Command::Save, Command::SaveAll};

// The built-in marks of the Language menu: a small badge in the accent colour
// with the language's own short name; an .ico beside the language file takes their place.
QIcon languageIcon(const Language::MenuItem &item)
{
    if (item.icon == Language::MenuIcon::IconFile)
        return QIcon(item.iconFile);
    static const QHash<Language::MenuIcon, QString> badges = {
        {Language::MenuIcon::English, u"EN"_s},
        {Language::MenuIcon::Chinese, u"中"_s},
        {Language::MenuIcon::Japanese, u"日"_s},
        {Language::MenuIcon::German, u"DE"_s},
    };
    const auto badge = badges.find(item.icon);
    if (badge == badges.end())
        return {};
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Skin::instance().colour(Skin::Colour::Accent));
    painter.drawRoundedRect(QRectF(1, 4, 30, 24), 5, 5);
    QFont font = painter.font();
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Skin::instance().colour(Skin::Colour::AccentText));
    painter.drawText(QRectF(1, 4, 30, 24), Qt::AlignCenter, *badge);
    return QIcon(pixmap);
}

QString lookup(QStringView key, QStringView text)
{
    return LookupText(QString(u"\r\n" + key + u'='), text);
}

} // namespace

struct MainWindow::CommandRow
{
    Command::Id id;
    QStringView name;    // the action's object name
    QStringView textKey; // its text in the language file
    TextSource source;
    QKeyCombination shortcut; // Key_unknown: none
    QStringView icon;         // a freedesktop icon name, used where the theme has it
    void (MainWindow::*run)();
    bool (MainWindow::*enabled)() const; // null: always enabled
};

std::span<const MainWindow::CommandRow> MainWindow::commandTable()
{
    using W = MainWindow;
    using S = TextSource;
    constexpr QKeyCombination none;
    static const CommandRow rows[] = {
        {Command::New, u"newAction", u"ID_FILE_NEW", S::Menu, none, u"document-new", &W::newArticle,
         nullptr},
        {Command::Open, u"openAction", u"ID_FILE_OPEN", S::Menu, Qt::CTRL | Qt::Key_O,
         u"document-open", &W::openCommand, nullptr},
        {Command::Save, u"saveAction", u"ID_FILE_SAVE", S::Menu, Qt::CTRL | Qt::Key_S,
         u"document-save", &W::saveCommand, &W::canSave},
        {Command::SaveAll, u"saveAllAction", u"ID_FILE_SAVEALL", S::Menu, none,
         u"document-save-all", &W::saveAllCommand, &W::canSaveAll},
        {Command::SaveAsTxt, u"saveAsTxtAction", u"ID_SAVEAS_TXT", S::Menu, none, u"",
         &W::saveAsText, nullptr},
        {Command::SaveAsZip, u"saveAsZipAction", u"ID_SAVEAS_ZIP", S::Menu, none, u"",
         &W::saveAsZip, nullptr},
        {Command::DeleteArticles, u"deleteArticlesAction", u"ID_EDIT_DELETE", S::Menu, none,
         u"edit-delete", &W::deleteArticlesCommand, nullptr},
        {Command::Exit, u"exitAction", u"ID_FILE_EXIT", S::Menu, none, u"application-exit",
         &W::closeWindow, nullptr},
        {Command::Minimise, u"minimiseAction", u"Tooltip_Button_Minisize", S::Tooltips, none, u"",
         &W::showMinimized, nullptr},
        {Command::SearchPhrase, u"searchPhraseAction", u"Analyze", S::MainDialog, none,
         u"edit-find", &W::startAnalysis, nullptr},
        {Command::AutoRewrite, u"autoRewriteAction", u"Auto Generate", S::MainDialog, none, u"",
         &W::startAutoRewrite, nullptr},
        {Command::MagicRewrite, u"magicRewrite", u"Magic Generate", S::MainDialog, none, u"",
         &W::magicRewrite, &W::magicRewriteAvailable},
        {Command::Undo, u"undoAction", u"ID_EDIT_UNDO", S::Menu, none, u"edit-undo", &W::undo,
         &W::canUndo},
        {Command::Cut, u"cutAction", u"ID_EDIT_CUT", S::Menu, none, u"edit-cut", &W::cut,
         &W::hasSelection},
        {Command::Copy, u"copyAction", u"ID_EDIT_COPY", S::Menu, none, u"edit-copy", &W::copy,
         &W::hasSelection},
        {Command::Paste, u"pasteAction", u"ID_EDIT_PASTE", S::Menu, none, u"edit-paste", &W::paste,
         &W::canPaste},
        {Command::Delete, u"deleteAction", u"ID_EDIT_DELETE", S::Menu, none, u"edit-delete",
         &W::deleteSelection, &W::hasSelection},
        {Command::SelectAll, u"selectAllAction", u"ID_EDIT_SELECTALL", S::Menu, none,
         u"edit-select-all", &W::selectAll, nullptr},
        {Command::FindReplace, u"findReplaceAction", u"ID_EDIT_FINDANDREPLACE", S::Menu,
         Qt::CTRL | Qt::Key_H, u"edit-find-replace", &W::showFindReplace, nullptr},
        {Command::Settings, u"settingsAction", u"ID_CONFIG", S::Menu, none, u"configure",
         &W::showSettings, nullptr},
        {Command::Update, u"updateAction", u"ID_REGISTER_UPDATE", S::Menu, none,
         u"system-software-update", &W::openUpdate, nullptr},
        {Command::Handbook, u"handbookAction", u"ID_REGISTER_HANDBOOK", S::Menu, none,
         u"help-contents", &W::openHandbook, nullptr},
        {Command::Faq, u"faqAction", u"ID_REGISTER_FAQ", S::Menu, none, u"help-faq", &W::openFaq,
         nullptr},
        {Command::Support, u"supportAction", u"ID_REGISTER_TECHNICALSUPPORT", S::Menu, none, u"",
         &W::openSupport, nullptr},
        {Command::Homepage, u"homepageAction", u"ID_REGISTER_HOMEPAGE", S::Menu, none, u"go-home",
         &W::openHomepage, nullptr},
        {Command::About, u"aboutAction", u"ID_HELP_ABOUT", S::Menu, none, u"help-about",
         &W::showAbout, nullptr},
    };
    return rows;
}

void MainWindow::buildActions()
{
    for (const CommandRow &row : commandTable()) {
        auto *action = new QAction(this);
        action->setObjectName(row.name.toString());
        action->setProperty("commandId", int(row.id));
        if (row.shortcut.key() != Qt::Key_unknown) {
            action->setShortcut(QKeySequence(row.shortcut));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        if (!row.icon.isEmpty())
            action->setIcon(QIcon::fromTheme(row.icon.toString()));
        connect(action, &QAction::triggered, this, [this, run = row.run] { (this->*run)(); });
        m_actions.insert(row.id, action);
        addAction(action);
    }
    auto *formats = new QActionGroup(this);
    for (int id : {Command::SaveAsTxt, Command::SaveAsZip}) {
        m_actions[id]->setCheckable(true);
        formats->addAction(m_actions[id]);
    }
    // F10 opens the menu bar, as on the desktops the program came from.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this,
            [this] { m_menuBar->setActiveAction(m_fileMenu->menuAction()); });
}

void MainWindow::buildMenus()
{
    const auto fill = [this](QMenu *menu, std::span<const int> ids) {
        for (int id : ids) {
            if (id == Separator)
                menu->addSeparator();
            else
                menu->addAction(action(id));
        }
    };
    fill(m_fileMenu, FileMenu);
    m_editorMenu = new QMenu(this);
    m_editorMenu->setObjectName(u"editorMenu"_s);
    for (QMenu *menu : {m_editMenu, m_editorMenu}) {
        for (int id : EditMenu) {
            menu->addAction(action(id));
            if (std::ranges::find(EditSeparatorsAfter, id) != std::end(EditSeparatorsAfter))
                menu->addSeparator();
        }
    }
    fill(m_helpMenu, HelpMenu);
    m_listMenu = new QMenu(this);
    m_listMenu->setObjectName(u"listMenu"_s);
    fill(m_listMenu, ListMenu);
    m_formatMenu = new QMenu(this);
    m_formatMenu->setObjectName(u"formatMenu"_s);
    fill(m_formatMenu, std::array{int(Command::SaveAsTxt), int(Command::SaveAsZip)});
    for (QMenu *menu : {m_editorMenu, m_listMenu, m_formatMenu})
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateActions);
}

void MainWindow::applyCommandTexts(const QString &languageText)
{
    const QStringView main = Language::mainDialogSection(languageText);
    const QStringView tooltips = Language::sectionFrom(languageText, u"[Tooltips]");
    for (const CommandRow &row : commandTable()) {
        const QStringView section = row.source == TextSource::Menu ? QStringView(languageText)
                                    : row.source == TextSource::MainDialog ? main
                                                                           : tooltips;
        const QString text = lookup(row.textKey, section);
        if (!text.isEmpty())
            action(row.id)->setText(row.source == TextSource::Menu ? MainWindowLogic::menuText(text)
                                                                   : text);
    }
    // The menu bar's titles, each with an access key of its own for Alt.
    const std::pair<QAction *, QString> titles[] = {
        {m_fileMenu->menuAction(), lookup(u"ID_FILE", languageText)},
        {m_editMenu->menuAction(), lookup(u"ID_EDIT", languageText)},
        {m_settingsItem, lookup(u"ID_CONFIG", languageText)},
        {m_helpMenu->menuAction(), lookup(u"ID_REGISTER", languageText)},
        {m_languageMenu->menuAction(), Language::currentName()},
    };
    QString taken;
    for (const auto &[item, title] : titles) {
        if (!title.isEmpty())
            item->setText(MainWindowLogic::withAccessKey(title, &taken));
    }
}

QMenu *MainWindow::menu(MenuKind kind)
{
    updateActions();
    switch (kind) {
    case MenuKind::File:
        return m_fileMenu;
    case MenuKind::Edit:
        return m_editMenu;
    case MenuKind::Help:
        return m_helpMenu;
    case MenuKind::Language:
        fillLanguageMenu();
        return m_languageMenu;
    }
    return nullptr;
}

QMenu *MainWindow::listMenu()
{
    updateActions();
    return m_listMenu;
}

QMenu *MainWindow::formatMenu()
{
    updateActions();
    return m_formatMenu;
}

void MainWindow::fillLanguageMenu()
{
    m_languageMenu->clear();
    const auto items = Language::menuItems();
    if (!items) {
        // Shown once the menu has closed; the menu itself stays empty.
        QTimer::singleShot(0, this, [this] {
            m_languageMenu->close();
            UiMessage::show(this, u"No language file!"_s);
        });
        return;
    }
    for (const Language::MenuItem &item : *items) {
        QAction *choice = m_languageMenu->addAction(languageIcon(item), item.displayName);
        choice->setObjectName(u"language"_s + QString::number(item.command));
        choice->setProperty("commandId", item.command);
        choice->setCheckable(true);
        choice->setChecked(item.displayName == Language::currentName());
        connect(choice, &QAction::triggered, this,
                [this, command = item.command] { chooseLanguage(command); });
    }
}

void MainWindow::updateActions()
{
    if (!m_activeEditor)
        return;
    for (const CommandRow &row : commandTable()) {
        if (row.enabled)
            action(row.id)->setEnabled((this->*row.enabled)());
    }
    action(Command::SaveAsTxt)->setChecked(m_session->saveAllFormat() == 0);
    action(Command::SaveAsZip)->setChecked(m_session->saveAllFormat() == 1);
}

void MainWindow::runCommand(int command)
{
    if (command >= Language::FirstCommand && command <= Language::LastCommand) {
        chooseLanguage(command);
        return;
    }
    updateActions();
    if (QAction *a = action(command))
        a->trigger();
}

void MainWindow::showEditorContextMenu(const QPoint &globalPos)
{
    updateActions();
    m_editorMenu->exec(globalPos);
}

void MainWindow::chooseLanguage(int command)
{
    if (Language::chooseLanguage(command))
        applyLanguage(Language::currentName());
}

// --- Enabled rules ---

bool MainWindow::canSave() const
{
    return m_articleEditor->textLength() > 0;
}

bool MainWindow::canSaveAll() const
{
    return m_saveAllEnabled;
}

bool MainWindow::hasSelection() const
{
    return m_activeEditor->textCursor().hasSelection();
}

bool MainWindow::canPaste() const
{
    return m_activeEditor->canPaste();
}

bool MainWindow::canUndo() const
{
    return m_activeEditor->document()->isUndoAvailable();
}

bool MainWindow::magicRewriteAvailable() const
{
    // A press while a run is busy is answered by the chain itself.
    return true;
}

// --- Commands ---

void MainWindow::newArticle()
{
    if (refusedWhileRewriting() || !mayLeaveArticle())
        return;
    hidePopup();
    {
        // Emptying the editor must not empty the shown article's file.
        const QScopedValueRollback loading(m_loadingArticle, true);
        m_session->setShownArticle(false);
        m_articleEditor->clear();
        m_articleEditor->setCurrentCharFormat(m_defaultFormat);
    }
    startNewArticle(u"NewArticle"_s);
    setWindowTitle(u"Rewordix"_s);
}

void MainWindow::openCommand()
{
    if (refusedWhileRewriting())
        return;
    hidePopup();
    if (!mayLeaveArticle())
        return;
    const QString path =
        UiMessage::askFile(this, UiMessage::FileDialog::Open,
                           u"Text Files(*.txt);;Formated Files(*.rtf);;All Files (*)"_s);
    if (!path.isEmpty())
        openArticle(path);
}

void MainWindow::saveCommand()
{
    if (!refusedWhileRewriting())
        (void)saveArticle();
}

void MainWindow::saveAllCommand()
{
    if (!refusedWhileRewriting())
        saveAll();
}

void MainWindow::deleteArticlesCommand()
{
    if (!refusedWhileRewriting())
        deleteSelectedArticles();
}

void MainWindow::saveAsText()
{
    m_session->setSaveAllFormat(0);
}

void MainWindow::saveAsZip()
{
    m_session->setSaveAllFormat(1);
}

void MainWindow::closeWindow()
{
    close();
}

void MainWindow::copy()
{
    m_activeEditor->copy();
}

void MainWindow::cut()
{
    m_activeEditor->cut();
}

void MainWindow::paste()
{
    m_activeEditor->paste();
}

void MainWindow::deleteSelection()
{
    m_activeEditor->clearSelection();
}

void MainWindow::undo()
{
    if (!m_activeEditor->isReadOnly())
        m_activeEditor->undoCollapsed();
}

void MainWindow::selectAll()
{
    m_activeEditor->selectAll();
}

void MainWindow::showFindReplace()
{
    if (!m_findDialog) {
        m_findDialog = new FindReplaceDialog([this] { return m_activeEditor; }, this);
        m_findDialog->move(400, 300);
        m_findDialog->applyLanguage();
    }
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
    m_findDialog->focusFindBox();
}

void MainWindow::showSettings()
{
    SettingsDialog dialog(this);
    dialog.exec();
}

void MainWindow::openUpdate()
{
    runUpdateCheck(UpdateCommand::Origin::Command);
}

void MainWindow::openHandbook()
{
    openHelpAddress(QStringLiteral(REWORDIX_HANDBOOK_URL));
}

void MainWindow::openFaq()
{
    openHelpAddress(QStringLiteral(REWORDIX_FAQ_URL));
}

void MainWindow::openSupport()
{
    openHelpAddress(QStringLiteral(REWORDIX_SUPPORT_URL));
}

void MainWindow::openHomepage()
{
    openHelpAddress(QStringLiteral(REWORDIX_HOMEPAGE_URL));
}

void MainWindow::openHelpAddress(const QString &configured)
{
    const QUrl url = MainWindowLogic::helpAddress(configured, AppPaths::installDir());
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        UiMessage::show(this, url.toLocalFile(), QMessageBox::Warning);
        return;
    }
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        UiMessage::show(this, url.toString(), QMessageBox::Warning);
}
