#pragma once

#include "app/mainwindowlogic.h"
#include "dictionary/programdictionary.h"
#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "rtf/rtfdocument.h"
#include "update/updatecommand.h"

#include <QHash>
#include <QTextCharFormat>
#include <QWidget>

#include <functional>
#include <memory>
#include <span>

class ArticleEditor;
class ArticleList;
class ArticleSession;
class AutoRewriteWaitDialog;
class ColourButton;
class FileDropFilter;
class FindReplaceDialog;
class MagicRewrite;
class ProgressDialog;
class SkinTabBar;
class SynonymPopup;
class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeWidgetItem;
class QVBoxLayout;

// The commands of the main window by their numbers in the command table; each
// action carries its number as the property "commandId".
namespace Command {
enum Id : int
{
    New = 57600,
    Open = 32779,
    Save = 1057,
    SaveAll = 1004,
    SaveAsTxt = 32830,
    SaveAsZip = 32831,
    DeleteArticles = 32799,
    Exit = 1102,
    Minimise = 1101,
    SearchPhrase = 1006,
    AutoRewrite = 1005,
    MagicRewrite = 1100,
    Copy = 32785,
    Cut = 32786,
    Paste = 32787,
    Delete = 32792,
    Undo = 32791,
    SelectAll = 32793,
    FindReplace = 32794,
    Settings = 32777,
    Handbook = 32836,
    Faq = 32833,
    Support = 32834,
    Homepage = 32835,
    Update = 32837,
    About = 32838, // ours: the program's name and version
};
} // namespace Command

// The main window: the two article editors, the controls of the manual and
// auto modes, the statistics line, the font bar and the menu bar. It shows the
// article session (src/app) and turns clicks and keys into its operations;
// every command is one QAction of the command table, shared by the menu bar,
// the buttons, the context menus and the shortcuts.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // What initialise() takes from outside; tests inject their own.
    struct Environment
    {
        std::function<ProgramDictionary()> openDictionary = openProgramDictionary;
        QString systemLocale; // empty: the system's
        // Runs on the worker before each analysis; tests hold the worker there.
        std::function<void()> beforeAnalysis;
        // Runs on the worker after each generated article is listed and
        // written; tests hold an auto-rewrite run there.
        std::function<void(int article)> afterArticle;
    };

    enum class MenuKind
    {
        File,
        Edit,
        Help,
        Language
    };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: language at the first start, language text, the
    // dictionary (false after the failure message when it cannot be opened),
    // controls, defaults from Config.ini, entry count, font lists.
    bool initialise();
    bool initialise(const Environment &environment);

    // Restores the window when minimised and raises it above other windows.
    void bringToFront();
    // The update routine (mainwindowupdate.cpp): at start-up silent unless a
    // newer version is published, from the Help menu with its notice. A Yes
    // that starts the updater closes the window, and the program ends with
    // UpdateCommand::QuitExitCode.
    void runUpdateCheck(UpdateCommand::Origin origin);

    // Reloads the language text and sets every caption, tooltip and
    // accessible name.
    void applyLanguage(const QString &displayName);
    // Check box 1074 and the source-article pane.
    void showSourceArticle(bool show);
    void setSourceCheckEnabled(bool enabled);
    void setIgnoreWords(const QString &words);
    [[nodiscard]] QString ignoreWords() const;

    void setMode(MainWindowLogic::Mode mode);
    [[nodiscard]] MainWindowLogic::Mode mode() const { return MainWindowLogic::Mode(m_mode); }

    // Triggers a command as its menu item or button would: the enabled rules
    // are brought up to date first, and a disabled command does nothing.
    void runCommand(int command);
    [[nodiscard]] QAction *action(int command) const { return m_actions.value(command); }
    // Evaluates every enabled rule of the command table.
    void updateActions();
    // A menu of the menu bar, its items' texts and enabled states up to date.
    [[nodiscard]] QMenu *menu(MenuKind kind);
    [[nodiscard]] QMenuBar *menuBar() const { return m_menuBar; }
    // The article list's context menu and the Save All format menu.
    [[nodiscard]] QMenu *listMenu();
    [[nodiscard]] QMenu *formatMenu();

    // Search Phrase: checks, then the analysis on a worker with the progress
    // dialog shown modally; returns at once.
    void startAnalysis();
    [[nodiscard]] bool isAnalysing() const;

    // Auto-rewrite: checks, then the generation on a worker with the wait
    // dialog shown modally; returns at once.
    void startAutoRewrite();
    [[nodiscard]] bool isAutoRewriting() const;

    // Open without the file dialog: loads path into the article editor.
    void openArticle(const QString &path);
    // A file drop on the article editor; only a single existing file is opened.
    void dropFiles(const QStringList &paths);

    [[nodiscard]] ArticleSession *session() const { return m_session; }
    [[nodiscard]] bool isListReady() const;
    [[nodiscard]] bool isListBusy() const;
    [[nodiscard]] bool isShowingArticle() const;
    // The article as the user brought it in (opened, dropped, typed), kept
    // from the first Search Phrase or Auto-rewrite until the next New, Open or
    // drop; runs start from it and the Original Article pane shows it.
    [[nodiscard]] bool hasOriginalArticle() const;
    [[nodiscard]] int saveAllFormat() const;
    [[nodiscard]] quint32 choiceCounter() const;

    [[nodiscard]] ArticleEditor *articleEditor() const { return m_articleEditor; }
    [[nodiscard]] ArticleEditor *sourceEditor() const { return m_sourceEditor; }
    [[nodiscard]] ArticleEditor *activeEditor() const { return m_activeEditor; }
    [[nodiscard]] ArticleList *articleList() const { return m_articleList; }
    [[nodiscard]] ProgressDialog *progressDialog() const { return m_progressDialog; }
    [[nodiscard]] AutoRewriteWaitDialog *waitDialog() const { return m_waitDialog; }
    [[nodiscard]] FindReplaceDialog *findDialog() const { return m_findDialog; }
    [[nodiscard]] SynonymPopup *replaceDialog() const { return m_popup; }
    [[nodiscard]] Dictionary *dictionary() const;
    [[nodiscard]] int wordsAmount() const;
    [[nodiscard]] bool scrambled() const;
    [[nodiscard]] QTextCharFormat defaultFormat() const { return m_defaultFormat; }
    [[nodiscard]] QTextCharFormat reservedFormat() const { return m_reservedFormat; }
    [[nodiscard]] QTextCharFormat replacedFormat() const { return m_replacedFormat; }

    // The colour dialog behind the colour buttons; tests answer it themselves.
    using ColorChooser = std::function<QColor(const QColor &initial, QWidget *parent)>;
    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }

Q_SIGNALS:
    // Search Phrase has ended; completed is false after Abort or when the
    // article held no word.
    void analysisFinished(bool completed);
    // An auto-rewrite run has ended and the window shows its outcome;
    // completed is false after Abort or an error.
    void autoRewriteFinished(bool completed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // One row of the command table (mainwindowcommands.cpp).
    struct CommandRow;
    static std::span<const CommandRow> commandTable();

    // Construction (mainwindowcontrols.cpp).
    void buildControls();
    void buildMenuBar();
    QWidget *buildSidePanel();
    void buildManualControls(QWidget *panel);
    void buildAutoControls(QWidget *panel);
    void buildSaveControls(QWidget *panel);
    QWidget *buildEditorPane();
    QWidget *buildStatisticsRow(QWidget *pane);
    QWidget *buildFontBar(QWidget *pane);
    void connectSession();

    // Commands (mainwindowcommands.cpp).
    void buildActions();
    void buildMenus();
    void applyCommandTexts(const QString &languageText);
    void fillLanguageMenu();
    void showEditorContextMenu(const QPoint &globalPos);
    void chooseLanguage(int command);
    void newArticle();
    void openCommand();
    void saveCommand();
    void saveAllCommand();
    void deleteArticlesCommand();
    void saveAsText();
    void saveAsZip();
    void closeWindow();
    void magicRewrite();
    void connectMagicRewrite(); // mainwindowmagic.cpp
    void copy();
    void cut();
    void paste();
    void deleteSelection();
    void undo();
    void selectAll();
    void showFindReplace();
    void showSettings();
    void openUpdate();
    void showAbout();
    void openHandbook();
    void openFaq();
    void openSupport();
    void openHomepage();
    void openHelpAddress(const QString &configured);
    [[nodiscard]] bool canSave() const;
    [[nodiscard]] bool canSaveAll() const;
    [[nodiscard]] bool hasSelection() const;
    [[nodiscard]] bool canPaste() const;
    [[nodiscard]] bool canUndo() const;
    [[nodiscard]] bool magicRewriteAvailable() const;

    // Settings and layout (mainwindow.cpp).
    void loadDefaults();
    void showEntryCount();
    void fillFontLists();
    void fillSizeList(const QString &face);
    void applyMainTexts(QStringView main);
    void applyFigureTexts(QStringView main);
    void applyTooltips(QStringView tooltips);
    void applyAccessibleNames();
    void applyModeLayout();
    void refreshSelectAllBox();
    void setColourButton(ColourButton *button, quint32 colorRef);
    void chooseColour(int id);
    void toggleFontBar();
    void faceChanged(int index);
    void sizeChanged(int index);
    void hidePopup();
    void openPopup();
    bool moveCaretByWord(bool forward, bool keepAnchor);
    bool filterKey(QWidget *widget, const QKeyEvent *key);
    void fitIntoScreen();

    // Runs (mainwindowruns.cpp).
    void applyAnalysis(const AnalysisResult &result);
    void showAnalysedArticle(const AnalysisResult &result);
    void fillDensityList(const QString &summary);
    void autoWordsAmount(int wordsAmount);
    void autoTemplateReady(const QString &templateText);
    void autoArticleAdded(const GeneratedArticle &row);
    void autoArticleCount(int count);
    void autoRewriteEnding(const AutoRewriteResult &result);
    void finishAutoRewrite(const AutoRewriteResult &result);
    void autoAbortPressed();
    void addReplaced(int delta);
    void showLookupError(const QString &message);

    // Article files and the article list (mainwindowarticles.cpp).
    // Every load of the article editor ends here: no undo across articles,
    // nothing unsaved, no replacements to count back.
    void settleLoadedArticle();
    // Before New, Open, drop and Exit: asks Save / Discard / Cancel when the
    // article changed since it was loaded or saved; false to stay.
    bool mayLeaveArticle();
    // New, Open and drop start a new article: its name, no original kept,
    // statistics reset.
    void startNewArticle(const QString &name);
    // Commands that would touch the editor, the list or temp/ wait for a
    // running or stopping auto-rewrite: message 16 and true then.
    bool refusedWhileRewriting();
    void captureOriginal();
    bool loadArticleFile(const QString &path);
    bool saveArticle();
    void saveAll();
    void showFormatMenu();
    QStringList prepareCheckedAsText(const QStringList &names);
    void saveAllAsZip(const QStringList &names);
    void saveAllAsText(const QStringList &names);
    void reportSaveFailures(const QStringList &failures);
    void showListArticle(QTreeWidgetItem *item);
    void loadListArticle(const QString &path);
    void writeBackShownArticle();
    void deleteSelectedArticles();
    void showListMenu(const QPoint &globalPos);
    void hideSelectAllBox();
    void setSaveAllEnabled(bool enabled);
    [[nodiscard]] QString articlePath(const QString &name, QStringView suffix) const;

    ArticleSession *m_session = nullptr;
    QHash<int, QAction *> m_actions;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_fileMenu = nullptr;       // 1108
    QMenu *m_editMenu = nullptr;       // 1109
    QAction *m_settingsItem = nullptr; // 1110
    QMenu *m_helpMenu = nullptr;       // 1111
    QMenu *m_languageMenu = nullptr;   // 1112
    QMenu *m_editorMenu = nullptr;
    QMenu *m_listMenu = nullptr;
    QMenu *m_formatMenu = nullptr;

    // Controls; their numbers are their "specId" properties.
    ArticleEditor *m_articleEditor = nullptr;   // 1002
    ArticleEditor *m_sourceEditor = nullptr;    // 1003
    QLabel *m_sourceLabel = nullptr;            // 1069
    QLabel *m_articleLabel = nullptr;           // 1073
    QLabel *m_reservedLabel = nullptr;          // 1078
    QPlainTextEdit *m_reservedEdit = nullptr;   // 1040
    SkinTabBar *m_modeTabs = nullptr;           // 1113
    QPushButton *m_searchButton = nullptr;      // 1006
    QCheckBox *m_sourceCheck = nullptr;         // 1074
    QPushButton *m_wordsButton = nullptr;       // 1142
    QLabel *m_articlesNumberLabel = nullptr;    // 1044
    QComboBox *m_articlesNumberCombo = nullptr; // 1012
    QLabel *m_degreeLabel = nullptr;            // 1082
    QComboBox *m_degreeCombo = nullptr;         // 1075
    QPushButton *m_autoRewriteButton = nullptr; // 1005
    QPushButton *m_magicButton = nullptr;       // 1100
    QLabel *m_articlesListLabel = nullptr;      // 1079
    ArticleList *m_articleList = nullptr;       // 1068
    QCheckBox *m_selectAllCheck = nullptr;      // 1065
    QToolButton *m_saveAllButton = nullptr;     // 1004
    QLabel *m_saveCurrentLabel = nullptr;       // 1167
    QPushButton *m_saveButton = nullptr;        // 1057
    QLabel *m_statisticsLabel = nullptr;        // 1083
    QComboBox *m_densityCombo = nullptr;        // 1015
    QLabel *m_wordsNumberLabel = nullptr;       // 1034
    QLabel *m_replacedLabel = nullptr;          // 1043
    QToolButton *m_fontButton = nullptr;        // 1133
    QWidget *m_fontBar = nullptr;
    QComboBox *m_faceCombo = nullptr;              // 1130
    QComboBox *m_sizeCombo = nullptr;              // 1126
    QToolButton *m_boldButton = nullptr;           // 1131
    QToolButton *m_italicButton = nullptr;         // 1132
    ColourButton *m_colorDefaultButton = nullptr;  // 1025
    ColourButton *m_colorReplacedButton = nullptr; // 1026
    ColourButton *m_colorReservedButton = nullptr; // 1028
    QVBoxLayout *m_sideLayout = nullptr;

    ArticleEditor *m_activeEditor = nullptr;
    ProgressDialog *m_progressDialog = nullptr;
    AutoRewriteWaitDialog *m_waitDialog = nullptr;
    MagicRewrite *m_magic = nullptr; // created on the first Magic Rewrite
    bool m_updateRunning = false;
    FindReplaceDialog *m_findDialog = nullptr; // created on first use
    SynonymPopup *m_popup = nullptr;           // created by initialise()
    FileDropFilter *m_dropFilter = nullptr;

    ProgramDictionary m_dictionary;
    QTextCharFormat m_defaultFormat;
    QTextCharFormat m_replacedFormat;
    QTextCharFormat m_markedFormat;
    QTextCharFormat m_reservedFormat;
    int m_mode = 0;
    bool m_saveAllEnabled = false;
    // The run's article, put back when a run that replaced the editor ends
    // without finishing.
    RtfDocument m_runArticle;
    bool m_runTookEditor = false;
    // Set while the program itself loads an editor: no write-back then.
    bool m_loadingArticle = false;
    bool m_fontBarOn = false;
    bool m_initialised = false;

    ColorChooser m_chooseColor;
};
