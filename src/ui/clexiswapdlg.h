#pragma once

#include "app/mainwindowlogic.h"
#include "dictionary/programdictionary.h"
#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "rtf/rtfdocument.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QTextCharFormat>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class ArticleList;
class CAutoRewriteMsgDlg;
class CDlgReplace;
class CFindAndReplaceDlg;
class CMyRichEditCtrl;
class CProgressNewDlg;
class FileDropFilter;
class JobControl;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QToolButton;
class QTreeWidgetItem;
class QVBoxLayout;

// The main window: the two article editors, the controls of the manual and
// auto modes, the statistics line, the font bar and the bar of menu buttons.
// It owns the dictionary and the dialogs, dispatches every command and applies
// the interface language to itself.
class CLexiswapDlg : public QWidget
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

    // Command ids of the menus, buttons and accelerators.
    enum Command
    {
        CmdNew = 57600,
        CmdOpen = 32779,
        CmdSave = 1057,
        CmdSaveAll = 1004,
        CmdSaveAsTxt = 32830,
        CmdSaveAsZip = 32831,
        CmdDeleteArticles = 32799,
        CmdExit = 1102,
        CmdMinimise = 1101,
        CmdSearchPhrase = 1006,
        CmdAutoRewrite = 1005,
        CmdMagicRewrite = 1100,
        CmdCopy = 32785,
        CmdCut = 32786,
        CmdPaste = 32787,
        CmdDelete = 32792,
        CmdUndo = 32791,
        CmdSelectAll = 32793,
        CmdFindReplace = 32794,
        CmdSettings = 32777,
        CmdHandbook = 32836,
        CmdFaq = 32833,
        CmdSupport = 32834,
        CmdHomepage = 32835,
        CmdUpdate = 32837,
    };

    enum class MenuKind
    {
        File,
        Edit,
        Help,
        Language
    };

    explicit CLexiswapDlg(QWidget *parent = nullptr);
    ~CLexiswapDlg() override;

    // The start-up sequence: language at the first start, language text, the
    // dictionary (false after the failure message when it cannot be opened),
    // controls, defaults from Config.ini, entry count, font lists.
    bool initialise();
    bool initialise(const Environment &environment);

    // Restores the window when minimised and raises it above other windows.
    void bringToFront();

    // Reloads the language text and sets every caption and tooltip.
    void applyLanguage(const QString &displayName);
    // Check box 1074 and the source-article pane.
    void showSourceArticle(bool show);
    void setSourceCheckEnabled(bool enabled);
    void setIgnoreWords(const QString &words) { m_strIgnoreWords = words; }
    [[nodiscard]] QString ignoreWords() const { return m_strIgnoreWords; }

    void setMode(MainWindowLogic::Mode mode);
    [[nodiscard]] MainWindowLogic::Mode mode() const { return MainWindowLogic::Mode(m_nMode); }

    // Dispatches a command of the command table.
    void runCommand(int command);
    // A popup menu built afresh from the current language text, greyed as the
    // state of the window says.
    [[nodiscard]] std::unique_ptr<QMenu> buildMenu(MenuKind kind);

    // Search Phrase: checks, then the analysis on a worker with the progress
    // dialog shown modally; returns at once.
    void startAnalysis();
    [[nodiscard]] bool isAnalysing() const { return m_analysing; }

    // Auto-rewrite: checks, then the generation on a worker with the wait
    // dialog shown modally; returns at once.
    void startAutoRewrite();
    [[nodiscard]] bool isAutoRewriting() const { return m_autoRewriting; }

    // Open without the file dialog: loads path into the article editor.
    void openArticle(const QString &path);
    // A file drop on the article editor; only a single existing file is opened.
    void dropFiles(const QStringList &paths);

    // State of the article list and of the shown generated article.
    [[nodiscard]] bool isListReady() const { return m_bListReady; }
    [[nodiscard]] bool isListBusy() const { return m_bListBusy; }
    [[nodiscard]] bool isShowingArticle() const { return m_bShownArticle; }
    // The article as the user brought it in (opened, dropped, typed), kept
    // from the first Search Phrase or Auto-rewrite until the next New, Open or
    // drop; runs start from it and the Original Article pane shows it.
    [[nodiscard]] bool hasOriginalArticle() const { return m_original.has_value(); }
    [[nodiscard]] int saveAllFormat() const { return m_nSaveAllFormat; }
    [[nodiscard]] quint32 choiceCounter() const { return m_nChoiceCounter; }
    // The article list's context menu and the Save All format menu, built
    // afresh from the current language text.
    [[nodiscard]] std::unique_ptr<QMenu> buildListMenu();
    [[nodiscard]] std::unique_ptr<QMenu> buildFormatMenu();

    [[nodiscard]] CMyRichEditCtrl *articleEditor() const { return m_editArticle; }
    [[nodiscard]] CMyRichEditCtrl *sourceEditor() const { return m_editSource; }
    [[nodiscard]] CMyRichEditCtrl *activeEditor() const { return m_pActiveEdit; }
    [[nodiscard]] ArticleList *articleList() const { return m_listArticles; }
    [[nodiscard]] CProgressNewDlg *progressDialog() const { return m_dlgProgress; }
    [[nodiscard]] CAutoRewriteMsgDlg *waitDialog() const { return m_dlgWait; }
    [[nodiscard]] CFindAndReplaceDlg *findDialog() const { return m_dlgFind; }
    [[nodiscard]] CDlgReplace *replaceDialog() const { return m_dlgReplace; }
    [[nodiscard]] Dictionary *dictionary() const;
    [[nodiscard]] int wordsAmount() const { return m_nWordsAmount; }
    [[nodiscard]] bool scrambled() const { return m_bScrambled; }
    [[nodiscard]] QTextCharFormat defaultFormat() const { return m_fmtDefault; }
    [[nodiscard]] QTextCharFormat reservedFormat() const { return m_fmtReserved; }
    [[nodiscard]] QTextCharFormat replacedFormat() const { return m_fmtReplaced; }

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
    void buildControls();
    QWidget *buildTopBar();
    QWidget *buildSidePanel();
    QWidget *buildEditorPane();
    void loadDefaults();
    void showEntryCount();
    void fillFontLists();
    void fillSizeList(const QString &face);
    void applyModeLayout();
    void refreshSelectAllBox();
    void popupMenu(MenuKind kind, QAbstractButton *button);
    void showEditorContextMenu(const QPoint &globalPos);
    void applyTooltips(QStringView tooltips);
    void setColourButton(QToolButton *button, quint32 colorRef);
    void chooseColour(int id);
    void toggleFontBar();
    void faceChanged(int index);
    void sizeChanged(int index);
    void hidePopup();
    void openPopup();
    void applyAnalysis(const AnalysisResult &result);
    void fillDensityList(const QString &summary);
    bool moveCaretByWord(bool forward, bool keepAnchor);

    // Auto-rewrite, applied on the user-interface thread in the worker's order.
    void autoWordsAmount(int wordsAmount);
    void autoTemplateReady(const QString &templateText);
    void autoArticleAdded(const GeneratedArticle &row);
    void autoArticleCount(int count);
    void finishAutoRewrite(const AutoRewriteResult &result);
    void autoAbortPressed();

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
    void replacementsCounted(int words);
    void followUndoSteps();
    void openHelpAddress(const QString &configured);
    void fitIntoScreen();

    // Article files and the article list.
    void openArticleCommand();
    bool loadArticleFile(const QString &path);
    bool saveArticle();
    void saveAll();
    void showFormatMenu();
    void addFormatActions(QMenu *menu);
    QStringList prepareCheckedAsText(const QStringList &names);
    void saveAllAsZip(const QStringList &names);
    void saveAllAsText(const QStringList &names);
    void reportSaveFailures(const QStringList &failures);
    void showListArticle(QTreeWidgetItem *item);
    void writeBackShownArticle();
    void deleteSelectedArticles();
    void showListMenu(const QPoint &globalPos);
    void hideSelectAllBox();
    [[nodiscard]] QString articlePath(const QString &name, QStringView suffix) const;

    // Controls, named by their ids.
    QWidget *m_topBar = nullptr;
    QPushButton *m_btnFile = nullptr;         // 1108
    QPushButton *m_btnEdit = nullptr;         // 1109
    QPushButton *m_btnSettings = nullptr;     // 1110
    QPushButton *m_btnHelp = nullptr;         // 1111
    QPushButton *m_btnLanguage = nullptr;     // 1112
    QToolButton *m_btnMinimise = nullptr;     // 1101
    QToolButton *m_btnClose = nullptr;        // 1102
    CMyRichEditCtrl *m_editArticle = nullptr; // 1002
    CMyRichEditCtrl *m_editSource = nullptr;  // 1003
    QLabel *m_lblSource = nullptr;            // 1069
    QLabel *m_lblArticle = nullptr;           // 1073
    QLabel *m_lblReserved = nullptr;          // 1078
    QPlainTextEdit *m_editReserved = nullptr; // 1040
    QTabBar *m_tabMode = nullptr;             // 1113
    QPushButton *m_btnSearch = nullptr;       // 1006
    QCheckBox *m_chkSource = nullptr;         // 1074
    QPushButton *m_btnWords = nullptr;        // 1142
    QLabel *m_lblArticlesNumber = nullptr;    // 1044
    QComboBox *m_cmbArticlesNumber = nullptr; // 1012
    QLabel *m_lblDegree = nullptr;            // 1082
    QComboBox *m_cmbDegree = nullptr;         // 1075
    QPushButton *m_btnAutoRewrite = nullptr;  // 1005
    QPushButton *m_btnMagic = nullptr;        // 1100
    QLabel *m_lblArticlesList = nullptr;      // 1079
    ArticleList *m_listArticles = nullptr;    // 1068
    QCheckBox *m_chkSelectAll = nullptr;      // 1065
    QToolButton *m_btnSaveAll = nullptr;      // 1004
    QLabel *m_lblSaveCurrent = nullptr;       // 1167
    QPushButton *m_btnSave = nullptr;         // 1057
    QLabel *m_lblStatistics = nullptr;        // 1083
    QComboBox *m_cmbDensity = nullptr;        // 1015
    QLabel *m_lblWordsNumber = nullptr;       // 1034
    QLabel *m_lblReplaced = nullptr;          // 1043
    QToolButton *m_btnFont = nullptr;         // 1133
    QWidget *m_fontBar = nullptr;
    QComboBox *m_cmbFace = nullptr;            // 1130
    QComboBox *m_cmbSize = nullptr;            // 1126
    QToolButton *m_btnBold = nullptr;          // 1131
    QToolButton *m_btnItalic = nullptr;        // 1132
    QToolButton *m_btnColorDefault = nullptr;  // 1025
    QToolButton *m_btnColorReplaced = nullptr; // 1026
    QToolButton *m_btnColorReserved = nullptr; // 1028
    QVBoxLayout *m_sideLayout = nullptr;

    CMyRichEditCtrl *m_pActiveEdit = nullptr;
    CProgressNewDlg *m_dlgProgress = nullptr;
    CAutoRewriteMsgDlg *m_dlgWait = nullptr;
    CFindAndReplaceDlg *m_dlgFind = nullptr; // created on first use
    CDlgReplace *m_dlgReplace = nullptr;     // created by initialise()

    ProgramDictionary m_dictionary;
    QString m_strArticle;
    QString m_strSource;
    QString m_strReservedWords;
    QString m_strArticlesNumber;
    QString m_strIgnoreWords;
    QString m_strDbPath;
    int m_nSaveAllFormat = 0;
    bool m_bScrambled = true;
    QTextCharFormat m_fmtDefault;
    QTextCharFormat m_fmtReplaced;
    QTextCharFormat m_fmtMarked;
    QTextCharFormat m_fmtReserved;
    int m_nMode = 0;
    int m_nWordsAmount = 0;
    bool m_bShownArticle = false;
    QString m_strShownPath; // the temp/ file the shown generated article is written back to
    std::optional<RtfDocument> m_original;
    // The run's article, put back when a run that replaced the editor ends
    // without finishing.
    RtfDocument m_runArticle;
    bool m_runTookEditor = false;
    // Replacements the popup counted, by the undo step they ended, so that
    // Undo and Redo move the Replaced figure with the text.
    QList<std::pair<int, int>> m_countedSteps;
    QList<std::pair<int, int>> m_undoneSteps;
    bool m_bListBusy = false;
    bool m_bListReady = true;
    // Set while the program itself loads an editor: no write-back then.
    bool m_bLoadingArticle = false;
    bool m_bFontBarOn = false;
    bool m_initialised = false;

    bool m_analysing = false;
    std::shared_ptr<JobControl> m_job;
    QFutureWatcher<AnalysisResult> m_analysisWatcher;

    std::atomic<bool> m_bAutoRewriteAbort{false};
    quint32 m_nChoiceCounter = 0;
    bool m_autoRewriting = false;
    std::shared_ptr<JobControl> m_autoJob;
    QFuture<void> m_autoFuture;
    FileDropFilter *m_dropFilter = nullptr;

    ColorChooser m_chooseColor;
    std::function<void()> m_beforeAnalysis;
    std::function<void(int)> m_afterArticle;
};
