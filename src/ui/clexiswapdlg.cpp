#include "ui/clexiswapdlg.h"

#include "helpaddresses.h"

#include "app/apppaths.h"
#include "app/articlefile.h"
#include "app/articlelistlogic.h"
#include "app/config.h"
#include "app/language.h"
#include "engine/jobcontrol.h"
#include "engine/statistics.h"
#include "engine/wordcontext.h"
#include "rtf/rtfcharformat.h"
#include "rtf/rtftextdocument.h"
#include "ui/articlelist.h"
#include "ui/cautorewritemsgdlg.h"
#include "ui/cconfigdlg.h"
#include "ui/cdlgreplace.h"
#include "ui/cfindandreplacedlg.h"
#include "ui/cmyricheditctrl.h"
#include "ui/cprogressnewdlg.h"
#include "ui/filedropfilter.h"
#include "ui/uimessage.h"
#include "zip/zipwriter.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

using namespace Qt::Literals::StringLiterals;
using MainWindowLogic::Mode;


namespace {

// The built-in marks of the Language menu: a small badge with the language's
// own short name; an .ico beside the language file takes their place.
QIcon languageIcon(const Language::MenuItem &item)
{
    if (item.icon == Language::MenuIcon::IconFile)
        return QIcon(item.iconFile);
    QString badge;
    QColor colour;
    switch (item.icon) {
    case Language::MenuIcon::English:
        badge = u"EN"_s;
        colour = QColor(0x1f, 0x4e, 0x9a);
        break;
    case Language::MenuIcon::Chinese:
        badge = u"中"_s;
        colour = QColor(0xc6, 0x28, 0x28);
        break;
    case Language::MenuIcon::Japanese:
        badge = u"日"_s;
        colour = QColor(0xb7, 0x1c, 0x1c);
        break;
    case Language::MenuIcon::German:
        badge = u"DE"_s;
        colour = QColor(0x33, 0x33, 0x33);
        break;
    default:
        return {};
    }
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(1, 4, 30, 24), 5, 5);
    QFont font = painter.font();
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(1, 4, 30, 24), Qt::AlignCenter, badge);
    return QIcon(pixmap);
}

QString idName(int id)
{
    return u"ctl"_s + QString::number(id);
}

template<typename W> W *named(W *widget, int id)
{
    widget->setObjectName(idName(id));
    return widget;
}

QList<std::pair<int, int>> toRanges(const QList<TextSpan> &spans)
{
    QList<std::pair<int, int>> ranges;
    ranges.reserve(spans.size());
    for (const TextSpan &s : spans)
        ranges.append({int(s.start), int(s.end)});
    return ranges;
}

QColor colourOf(quint32 colorRef)
{
    return QColor::fromRgb(Rtf::rgbFromColorRef(colorRef));
}

const QString StyleSheet = uR"(
#topBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #24467c, stop:1 #1a3763); }
#appTitle { color: white; font-weight: bold; padding-right: 12px; }
#topBar QPushButton, #topBar QToolButton { color: #f2f6fc; background: transparent; border: none;
    padding: 5px 12px; border-radius: 4px; }
#topBar QPushButton:hover, #topBar QToolButton:hover { background: rgba(255, 255, 255, 40); }
#topBar QPushButton:pressed, #topBar QToolButton:pressed { background: rgba(255, 255, 255, 70); }
#sidePanel { background: #f2f5fa; border: 1px solid #d3dae6; border-radius: 6px; }
QPushButton#ctl1006, QPushButton#ctl1005, QPushButton#ctl1100 { background: #2d6cc9; color: white;
    border: 1px solid #255bab; border-radius: 4px; padding: 6px 14px; font-weight: bold; }
QPushButton#ctl1006:hover, QPushButton#ctl1005:hover, QPushButton#ctl1100:hover { background: #3a7bdb; }
QPushButton#ctl1006:disabled, QPushButton#ctl1005:disabled, QPushButton#ctl1100:disabled {
    background: #9fb3d1; border-color: #9fb3d1; }
QPushButton#ctl1142 { text-align: left; border: none; background: transparent; color: #2d4f80; }
QLabel#ctl1073, QLabel#ctl1069 { font-weight: bold; color: #24467c; }
)"_s;

} // namespace

CLexiswapDlg::CLexiswapDlg(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"dlg102"_s);
    setWindowTitle(u"Rewordix"_s);
    setStyleSheet(StyleSheet);
    buildControls();
    m_pActiveEdit = m_editArticle;
    m_fmtMarked = CMyRichEditCtrl::underlineFormat();
    m_dlgProgress = new CProgressNewDlg(this);
    m_dlgWait = new CAutoRewriteMsgDlg(this);
    connect(&m_analysisWatcher, &QFutureWatcher<AnalysisResult>::finished, this,
            [this] { applyAnalysis(m_analysisWatcher.result()); });
    m_dlgWait->setAbortFlag(&m_bAutoRewriteAbort);
    connect(m_dlgWait, &CAutoRewriteMsgDlg::aborted, this, &CLexiswapDlg::autoAbortPressed);
    m_dropFilter = new FileDropFilter(this);
    m_editArticle->viewport()->installEventFilter(m_dropFilter);
    connect(m_dropFilter, &FileDropFilter::filesDropped, this, &CLexiswapDlg::dropFiles);
    connect(m_editArticle, &QTextEdit::textChanged, this, &CLexiswapDlg::writeBackShownArticle);
    QTextDocument *document = m_editArticle->document();
    // A new edit ends what Redo could bring back; it is announced before the
    // edit's contentsChanged.
    connect(document, &QTextDocument::undoCommandAdded, this, [this] { m_undoneSteps.clear(); });
    connect(document, &QTextDocument::contentsChanged, this, &CLexiswapDlg::followUndoSteps);
    if (const QString icon = AppPaths::installDir() + u"/rewordix.svg"_s; QFileInfo::exists(icon))
        setWindowIcon(QIcon(icon));
    resize(1100, 720);
}

CLexiswapDlg::~CLexiswapDlg()
{
    qApp->removeEventFilter(this);
    if (m_analysing && m_job) {
        m_job->abort();
        m_job->setPaused(false);
        m_analysisWatcher.waitForFinished();
    }
    if (m_autoRewriting) {
        // The window goes away with its queued results; nothing else clears the flag.
        if (m_autoJob)
            m_autoJob->abort();
        m_autoFuture.waitForFinished();
        g_bAutoRewriting = false;
    }
}

Dictionary *CLexiswapDlg::dictionary() const
{
    return m_dictionary.dictionary.get();
}

// --- Construction of the controls ---

void CLexiswapDlg::buildControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(buildTopBar());
    auto *body = new QHBoxLayout;
    body->setContentsMargins(10, 10, 10, 10);
    body->setSpacing(10);
    body->addWidget(buildSidePanel());
    body->addWidget(buildEditorPane(), 1);
    root->addLayout(body, 1);
}

QWidget *CLexiswapDlg::buildTopBar()
{
    m_topBar = new QWidget(this);
    m_topBar->setObjectName(u"topBar"_s);
    m_topBar->setAttribute(Qt::WA_StyledBackground);
    auto *bar = new QHBoxLayout(m_topBar);
    bar->setContentsMargins(12, 4, 6, 4);
    bar->setSpacing(2);
    auto *title = new QLabel(u"Rewordix"_s, m_topBar);
    title->setObjectName(u"appTitle"_s);
    bar->addWidget(title);

    const auto menuButton = [&](int id, QPushButton *&button) {
        button = named(new QPushButton(m_topBar), id);
        button->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(button);
    };
    menuButton(1108, m_btnFile);
    menuButton(1109, m_btnEdit);
    menuButton(1110, m_btnSettings);
    menuButton(1111, m_btnHelp);
    menuButton(1112, m_btnLanguage);
    m_btnFile->setText(u"File"_s);
    m_btnEdit->setText(u"Edit"_s);
    m_btnSettings->setText(u"Settings"_s);
    m_btnHelp->setText(u"Help"_s);
    connect(m_btnFile, &QPushButton::clicked, this,
            [this] { popupMenu(MenuKind::File, m_btnFile); });
    connect(m_btnEdit, &QPushButton::clicked, this,
            [this] { popupMenu(MenuKind::Edit, m_btnEdit); });
    connect(m_btnSettings, &QPushButton::clicked, this, [this] { runCommand(CmdSettings); });
    connect(m_btnHelp, &QPushButton::clicked, this,
            [this] { popupMenu(MenuKind::Help, m_btnHelp); });
    connect(m_btnLanguage, &QPushButton::clicked, this,
            [this] { popupMenu(MenuKind::Language, m_btnLanguage); });
    bar->addStretch(1);

    m_btnMinimise = named(new QToolButton(m_topBar), 1101);
    m_btnMinimise->setText(u"\u2013"_s);
    m_btnClose = named(new QToolButton(m_topBar), 1102);
    m_btnClose->setText(u"\u2715"_s);
    for (QToolButton *b : {m_btnMinimise, m_btnClose}) {
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
    }
    connect(m_btnMinimise, &QToolButton::clicked, this, [this] { runCommand(CmdMinimise); });
    connect(m_btnClose, &QToolButton::clicked, this, [this] { runCommand(CmdExit); });
    return m_topBar;
}

QWidget *CLexiswapDlg::buildSidePanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(u"sidePanel"_s);
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setMinimumWidth(250);
    panel->setMaximumWidth(340);
    m_sideLayout = new QVBoxLayout(panel);
    m_sideLayout->setContentsMargins(10, 8, 10, 10);
    m_sideLayout->setSpacing(6);

    m_tabMode = named(new QTabBar(panel), 1113);
    m_tabMode->addTab(u"Manual"_s);
    m_tabMode->addTab(u"Auto"_s);
    m_tabMode->setExpanding(true);
    m_tabMode->setDrawBase(false);
    connect(m_tabMode, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != m_nMode)
            setMode(Mode(index));
    });
    m_sideLayout->addWidget(m_tabMode);

    m_lblReserved = named(new QLabel(panel), 1078);
    m_editReserved = named(new QPlainTextEdit(panel), 1040);
    m_editReserved->setTabChangesFocus(true);
    m_lblReserved->setBuddy(m_editReserved);
    m_sideLayout->addWidget(m_lblReserved);
    m_sideLayout->addWidget(m_editReserved, 1);
    m_sideLayout->addSpacing(5);

    // Manual mode.
    m_chkSource = named(new QCheckBox(panel), 1074);
    connect(m_chkSource, &QCheckBox::clicked, this, [this](bool on) { showSourceArticle(on); });
    m_btnSearch = named(new QPushButton(panel), 1006);
    m_btnSearch->setAutoDefault(false);
    m_btnSearch->setMinimumHeight(32);
    connect(m_btnSearch, &QPushButton::clicked, this, [this] { runCommand(CmdSearchPhrase); });
    m_btnWords = named(new QPushButton(panel), 1142);
    m_btnWords->setFlat(true);
    m_btnWords->setAutoDefault(false);
    m_sideLayout->addWidget(m_chkSource);
    m_sideLayout->addWidget(m_btnSearch);
    m_sideLayout->addWidget(m_btnWords);

    // Auto mode.
    auto *grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    m_lblArticlesNumber = named(new QLabel(panel), 1044);
    m_cmbArticlesNumber = named(new QComboBox(panel), 1012);
    m_cmbArticlesNumber->setEditable(true);
    m_cmbArticlesNumber->setInsertPolicy(QComboBox::NoInsert);
    // Typing 8 must give 8, not the first listed amount that starts with 8.
    m_cmbArticlesNumber->setCompleter(nullptr);
    m_cmbArticlesNumber->addItems({u"1"_s, u"2"_s, u"5"_s, u"10"_s, u"20"_s, u"50"_s, u"100"_s,
                                   u"200"_s, u"500"_s, u"800"_s, u"1000"_s});
    connect(m_cmbArticlesNumber, &QComboBox::editTextChanged, this,
            [this](const QString &text) { m_strArticlesNumber = text; });
    m_lblDegree = named(new QLabel(panel), 1082);
    m_cmbDegree = named(new QComboBox(panel), 1075);
    m_cmbDegree->addItems(
        {u"Topmost"_s, u"Very High"_s, u"High"_s, u"General"_s, u"Low"_s, u"Very Low"_s});
    grid->addWidget(m_lblArticlesNumber, 0, 0);
    grid->addWidget(m_cmbArticlesNumber, 0, 1);
    grid->addWidget(m_lblDegree, 1, 0);
    grid->addWidget(m_cmbDegree, 1, 1);
    grid->setColumnStretch(1, 1);
    m_sideLayout->addLayout(grid);

    // One button a row: translated captions are long ("Magisch umschreiben").
    auto *runRow = new QVBoxLayout;
    m_btnAutoRewrite = named(new QPushButton(panel), 1005);
    m_btnMagic = named(new QPushButton(panel), 1100);
    for (QPushButton *b : {m_btnAutoRewrite, m_btnMagic}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(32);
        runRow->addWidget(b);
    }
    connect(m_btnAutoRewrite, &QPushButton::clicked, this, [this] { runCommand(CmdAutoRewrite); });
    connect(m_btnMagic, &QPushButton::clicked, this, [this] { runCommand(CmdMagicRewrite); });
    m_sideLayout->addLayout(runRow);

    m_lblArticlesList = named(new QLabel(panel), 1079);
    m_listArticles = named(new ArticleList(panel), 1068);
    m_listArticles->header()->setStretchLastSection(false);
    m_listArticles->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_listArticles->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(m_listArticles, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { showListArticle(current); });
    connect(m_listArticles, &ArticleList::rowMenuRequested, this, &CLexiswapDlg::showListMenu);
    connect(m_listArticles, &ArticleList::deletePressed, this,
            [this] { runCommand(CmdDeleteArticles); });
    m_sideLayout->addWidget(m_lblArticlesList);
    m_sideLayout->addWidget(m_listArticles, 0);

    auto *saveAllRow = new QHBoxLayout;
    m_chkSelectAll = named(new QCheckBox(panel), 1065);
    connect(m_chkSelectAll, &QCheckBox::clicked, this,
            [this](bool on) { m_listArticles->setAllChecked(on); });
    m_btnSaveAll = named(new QToolButton(panel), 1004);
    m_btnSaveAll->setPopupMode(QToolButton::MenuButtonPopup);
    m_btnSaveAll->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_btnSaveAll->setMinimumHeight(28);
    // The arrow offers the same menu as a click on the button's right fifth.
    auto *formatMenu = new QMenu(m_btnSaveAll);
    connect(formatMenu, &QMenu::aboutToShow, this, [this, formatMenu] {
        formatMenu->clear();
        addFormatActions(formatMenu);
    });
    m_btnSaveAll->setMenu(formatMenu);
    connect(m_btnSaveAll, &QToolButton::clicked, this, [this] { runCommand(CmdSaveAll); });
    saveAllRow->addWidget(m_chkSelectAll);
    saveAllRow->addStretch(1);
    saveAllRow->addWidget(m_btnSaveAll);
    m_sideLayout->addLayout(saveAllRow);

    // Both modes.
    auto *saveRow = new QHBoxLayout;
    m_lblSaveCurrent = named(new QLabel(panel), 1167);
    m_btnSave = named(new QPushButton(panel), 1057);
    m_btnSave->setAutoDefault(false);
    connect(m_btnSave, &QPushButton::clicked, this, [this] { runCommand(CmdSave); });
    saveRow->addWidget(m_lblSaveCurrent, 1);
    saveRow->addWidget(m_btnSave);
    m_sideLayout->addSpacing(4);
    m_sideLayout->addLayout(saveRow);
    return panel;
}

QWidget *CLexiswapDlg::buildEditorPane()
{
    auto *pane = new QWidget(this);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    m_lblArticle = named(new QLabel(pane), 1073);
    m_editArticle = named(new CMyRichEditCtrl(pane), 1002);
    m_editArticle->setAcceptDrops(true);
    m_lblSource = named(new QLabel(pane), 1069);
    m_editSource = named(new CMyRichEditCtrl(pane), 1003);
    layout->addWidget(m_lblArticle);
    layout->addWidget(m_editArticle, 3);
    layout->addSpacing(11);
    layout->addWidget(m_lblSource);
    layout->addWidget(m_editSource, 2);
    connect(m_editArticle, &CMyRichEditCtrl::focusReceived, this,
            [this] { m_pActiveEdit = m_editArticle; });
    connect(m_editSource, &CMyRichEditCtrl::focusReceived, this, [this] {
        m_pActiveEdit = m_editSource;
        hidePopup();
    });
    connect(m_editArticle, &CMyRichEditCtrl::scrolled, this, [this] { hidePopup(); });

    auto *stats = new QHBoxLayout;
    stats->setSpacing(8);
    m_lblStatistics = named(new QLabel(pane), 1083);
    m_cmbDensity = named(new QComboBox(pane), 1015);
    m_cmbDensity->setMinimumContentsLength(16);
    m_cmbDensity->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(m_cmbDensity, &QComboBox::activated, this,
            [this] { m_cmbDensity->setCurrentIndex(-1); });
    m_lblWordsNumber = named(new QLabel(pane), 1034);
    m_lblReplaced = named(new QLabel(pane), 1043);
    m_lblWordsNumber->hide();
    m_lblReplaced->hide();
    m_btnFont = named(new QToolButton(pane), 1133);
    m_btnFont->setText(u"Font"_s);
    m_btnFont->setCheckable(true);
    connect(m_btnFont, &QToolButton::clicked, this, [this] { toggleFontBar(); });
    stats->addWidget(m_lblStatistics);
    stats->addWidget(m_cmbDensity);
    stats->addSpacing(8);
    stats->addWidget(m_lblWordsNumber);
    stats->addSpacing(8);
    stats->addWidget(m_lblReplaced);
    stats->addStretch(1);
    stats->addWidget(m_btnFont);
    layout->addSpacing(2);
    layout->addLayout(stats);

    m_fontBar = new QWidget(pane);
    m_fontBar->setObjectName(u"fontBar"_s);
    auto *font = new QHBoxLayout(m_fontBar);
    font->setContentsMargins(0, 2, 0, 0);
    font->setSpacing(4);
    m_cmbFace = named(new QComboBox(m_fontBar), 1130);
    m_cmbFace->setMinimumContentsLength(18);
    m_cmbFace->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmbSize = named(new QComboBox(m_fontBar), 1126);
    m_cmbSize->setMinimumContentsLength(3);
    m_btnBold = named(new QToolButton(m_fontBar), 1131);
    m_btnBold->setText(u"B"_s);
    QFont boldFont = m_btnBold->font();
    boldFont.setBold(true);
    m_btnBold->setFont(boldFont);
    m_btnItalic = named(new QToolButton(m_fontBar), 1132);
    m_btnItalic->setText(u"I"_s);
    QFont italicFont = m_btnItalic->font();
    italicFont.setItalic(true);
    m_btnItalic->setFont(italicFont);
    for (QToolButton *b : {m_btnBold, m_btnItalic}) {
        b->setCheckable(true);
        b->setMinimumWidth(28);
    }
    connect(m_cmbFace, &QComboBox::activated, this, &CLexiswapDlg::faceChanged);
    connect(m_cmbSize, &QComboBox::activated, this, &CLexiswapDlg::sizeChanged);
    connect(m_btnBold, &QToolButton::toggled, this, [](bool on) { Config::setWordsBold(on); });
    connect(m_btnItalic, &QToolButton::toggled, this, [](bool on) { Config::setWordsItalic(on); });
    m_btnColorDefault = named(new QToolButton(m_fontBar), 1025);
    m_btnColorReplaced = named(new QToolButton(m_fontBar), 1026);
    m_btnColorReserved = named(new QToolButton(m_fontBar), 1028);
    connect(m_btnColorDefault, &QToolButton::clicked, this, [this] { chooseColour(1025); });
    connect(m_btnColorReplaced, &QToolButton::clicked, this, [this] { chooseColour(1026); });
    connect(m_btnColorReserved, &QToolButton::clicked, this, [this] { chooseColour(1028); });
    font->addWidget(m_cmbFace);
    font->addWidget(m_cmbSize);
    font->addWidget(m_btnBold);
    font->addWidget(m_btnItalic);
    font->addSpacing(10);
    font->addWidget(m_btnColorDefault);
    font->addWidget(m_btnColorReplaced);
    font->addWidget(m_btnColorReserved);
    font->addStretch(1);
    layout->addWidget(m_fontBar);
    return pane;
}

// --- Initialisation ---

bool CLexiswapDlg::initialise()
{
    return initialise(Environment{});
}

bool CLexiswapDlg::initialise(const Environment &environment)
{
    // The language: the stored one, or at the first start the system's.
    if (QFileInfo::exists(AppPaths::configFile()))
        Language::setCurrentName(Config::language());
    if (Language::currentName().isEmpty()) {
        QList<QString> stems;
        const QDir dir(AppPaths::languageDir());
        for (const QFileInfo &file : dir.entryInfoList({u"*.ini"_s}, QDir::Files))
            stems.append(file.completeBaseName());
        const QString locale = environment.systemLocale.isEmpty() ? QLocale::system().name()
                                                                  : environment.systemLocale;
        const QString choice =
            MainWindowLogic::firstStartLanguage(MainWindowLogic::windowsLanguageId(locale), stems);
        Language::setCurrentName(choice);
        Config::setLanguage(choice);
    }
    // Loading settles the name when its file is missing, for the messages below.
    (void)LoadLanguageText(Language::currentName());

    m_dictionary = environment.openDictionary ? environment.openDictionary() : ProgramDictionary{};
    if (!m_dictionary.isOpen()) {
        UiMessage::show(nullptr, m_dictionary.failureText(), QMessageBox::Critical);
        return false;
    }
    m_strDbPath = m_dictionary.path;
    m_beforeAnalysis = environment.beforeAnalysis;
    m_afterArticle = environment.afterArticle;
    if (!m_dlgReplace) {
        m_dlgReplace = new CDlgReplace(this);
        connect(m_dlgReplace, &CDlgReplace::replacementCounted, this,
                &CLexiswapDlg::replacementsCounted);
        connect(m_editArticle, &CMyRichEditCtrl::selectionNotified, this, &CLexiswapDlg::openPopup);
    }

    setWindowTitle(u"Rewordix"_s);
    m_tabMode->setCurrentIndex(0);
    m_nMode = 0;
    applyModeLayout();
    m_pActiveEdit = m_editArticle;

    loadDefaults();
    showEntryCount();

    m_chkSelectAll->hide();
    m_btnSaveAll->setEnabled(false);
    // The translation chain is not part of this build.
    m_btnMagic->setEnabled(false);
    fillFontLists();
    const auto accelerator = [this](QKeySequence keys, int command) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, command] { runCommand(command); });
    };
    accelerator(QKeySequence(Qt::CTRL | Qt::Key_H), CmdFindReplace);
    accelerator(QKeySequence(Qt::CTRL | Qt::Key_O), CmdOpen);
    accelerator(QKeySequence(Qt::CTRL | Qt::Key_S), CmdSave);
    qApp->installEventFilter(this);
    m_initialised = true;
    return true;
}

void CLexiswapDlg::loadDefaults()
{
    m_strArticlesNumber = Config::articlesNumber();
    m_cmbArticlesNumber->setEditText(m_strArticlesNumber);
    m_strIgnoreWords = Config::ignoreWords();
    m_strReservedWords = Config::reservedWords();
    m_editReserved->setPlainText(m_strReservedWords);
    applyLanguage(Language::currentName());
    m_cmbDegree->setCurrentIndex(std::clamp(Config::replaceDegree(), -1, 5));
    const bool always = Config::alwaysDisplaySourceArticle();
    showSourceArticle(always);
    m_chkSource->setEnabled(!always);
    m_nSaveAllFormat = Config::saveAllFormat();
    m_bScrambled = !Config::optimizationEnabled();

    const QString face = Config::wordsFont();
    const int points = Config::wordsSize();
    const bool bold = Config::wordsBold();
    const bool italic = Config::wordsItalic();
    m_fmtDefault =
        CMyRichEditCtrl::makeFormat(face, points * 20, bold, italic, Config::wordsColor());
    m_fmtReplaced = m_fmtDefault;
    m_fmtReplaced.setForeground(colourOf(Config::replacedColor()));
    m_fmtReserved = m_fmtDefault;
    m_fmtReserved.setForeground(colourOf(Config::reservedColor()));
    m_fmtMarked = CMyRichEditCtrl::underlineFormat();

    for (CMyRichEditCtrl *editor : {m_editArticle, m_editSource}) {
        QFont font = editor->document()->defaultFont();
        font.setFamilies({face});
        if (points > 0)
            font.setPointSize(points);
        font.setBold(bold);
        font.setItalic(italic);
        editor->document()->setDefaultFont(font);
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Text, colourOf(Config::wordsColor()));
        editor->setPalette(palette);
        editor->setCurrentCharFormat(m_fmtDefault);
    }
    setColourButton(m_btnColorDefault, Config::wordsColor());
    setColourButton(m_btnColorReplaced, Config::replacedColor());
    setColourButton(m_btnColorReserved, Config::reservedColor());
    {
        const QSignalBlocker b1(m_btnBold);
        const QSignalBlocker b2(m_btnItalic);
        m_btnBold->setChecked(bold);
        m_btnItalic->setChecked(italic);
    }
}

void CLexiswapDlg::showEntryCount()
{
    QString count = Config::wordsNumber();
    if (count.isEmpty() && dictionary()) {
        const qint64 entries = dictionary()->countEntries();
        if (entries >= 0) {
            count = QString::number(entries);
            Config::setWordsNumber(count);
        }
    }
    const QString text = LoadLanguageText(Language::currentName());
    const QString header =
        LookupText(u"\r\nBtn WordsInfo Header=", Language::mainDialogSection(text));
    m_btnWords->setText(MainWindowLogic::wordsButtonText(
        header.isEmpty() ? MainWindowLogic::captionPrefix(m_btnWords->text()) : header, count));
}

void CLexiswapDlg::fillFontLists()
{
    const QSignalBlocker block(m_cmbFace);
    m_cmbFace->clear();
    const QStringList families = QFontDatabase::families();
    for (int i = 0; i < families.size(); ++i)
        m_cmbFace->addItem(families[i], i);
    const QString face = Config::wordsFont();
    // A face that is not installed stays unselected; the list still names it.
    m_cmbFace->setPlaceholderText(face);
    m_cmbFace->setCurrentIndex(
        m_cmbFace->findText(face, Qt::MatchExactly | Qt::MatchCaseSensitive));
    fillSizeList(face);
    const QSignalBlocker blockSize(m_cmbSize);
    m_cmbSize->setCurrentIndex(m_cmbSize->findText(QString::number(Config::wordsSize())));
}

void CLexiswapDlg::fillSizeList(const QString &face)
{
    const QSignalBlocker block(m_cmbSize);
    m_cmbSize->clear();
    QList<int> sizes = QFontDatabase::pointSizes(face);
    if (sizes.isEmpty())
        sizes = QFontDatabase::standardSizes();
    // The stored size is offered even where the face does not list it.
    if (const int stored = Config::wordsSize(); stored > 0 && !sizes.contains(stored)) {
        sizes.append(stored);
        std::sort(sizes.begin(), sizes.end());
    }
    for (int size : std::as_const(sizes))
        m_cmbSize->addItem(QString::number(size), size);
}

// --- Language ---

void CLexiswapDlg::applyLanguage(const QString &displayName)
{
    const QString text = LoadLanguageText(displayName);
    if (text.isEmpty())
        return;
    const auto set = [](auto *control, const QString &value) {
        if (!value.isEmpty())
            control->setText(value);
    };
    const auto whole = [&](QStringView key) {
        return LookupText(QString(u"\r\n" + key + u'='), text);
    };
    set(m_btnFile, whole(u"ID_FILE"));
    set(m_btnEdit, whole(u"ID_EDIT"));
    set(m_btnSettings, whole(u"ID_CONFIG"));
    set(m_btnHelp, whole(u"ID_REGISTER"));
    set(m_btnLanguage, Language::currentName());

    const QStringView main = Language::mainDialogSection(text);
    if (!main.isEmpty()) {
        const auto key = [&](QStringView name) {
            return LookupText(QString(u"\r\n" + name + u'='), main);
        };
        set(m_lblReserved, key(u"Reserved Words"));
        set(m_lblArticlesNumber, key(u"Articles Number"));
        set(m_lblDegree, key(u"Replace Degree"));
        const int degree = m_cmbDegree->currentIndex();
        m_cmbDegree->clear();
        for (int i = 0; i < 6; ++i)
            m_cmbDegree->addItem(key(QString(u"Replace Degree Item"_s + QString::number(i))));
        m_cmbDegree->setCurrentIndex(degree);
        set(m_btnSearch, key(u"Analyze"));
        set(m_btnAutoRewrite, key(u"Auto Generate"));
        set(m_chkSource, key(u"Display Source Article"));
        set(m_lblArticlesList, key(u"Articles List"));
        for (int column = 0; column < 2; ++column) {
            const QString caption =
                key(QString(u"Articles List Column"_s + QString::number(column)));
            if (!caption.isEmpty())
                m_listArticles->headerItem()->setText(column, caption);
        }
        set(m_btnMagic, key(u"Magic Generate"));
        for (int tab = 0; tab < 2; ++tab) {
            const QString caption = key(QString(u"Replace Way"_s + QString::number(tab)));
            if (!caption.isEmpty())
                m_tabMode->setTabText(tab, caption);
        }
        const QString header = key(u"Btn WordsInfo Header");
        if (!header.isEmpty())
            m_btnWords->setText(MainWindowLogic::keepFigures(header, m_btnWords->text()));
        if (!m_lblArticle->text().contains(u'.'))
            set(m_lblArticle, key(u"Operating Article"));
        const QString words = key(u"Words Number");
        if (!words.isEmpty())
            m_lblWordsNumber->setText(
                MainWindowLogic::keepFigures(words, m_lblWordsNumber->text()));
        set(m_lblStatistics, key(u"Statistics"));
        const QString replaced = key(u"Replaced");
        if (!replaced.isEmpty())
            m_lblReplaced->setText(MainWindowLogic::keepFigures(replaced, m_lblReplaced->text()));
        set(m_lblSaveCurrent, key(u"Save Current Article"));
        set(m_lblSource, key(u"Source Article"));
        set(m_btnSave, key(u"Save"));
        set(m_btnSaveAll, key(u"Save all"));
        set(m_btnFont, key(u"Font"));
    }
    if (m_dlgFind)
        m_dlgFind->applyLanguage();
    applyTooltips(Language::sectionFrom(text, u"[Tooltips]"));
}

void CLexiswapDlg::applyTooltips(QStringView tooltips)
{
    const std::pair<QStringView, QWidget *> table[] = {
        {u"Tooltip_Main_Button_Search_Phrase", m_btnSearch},
        {u"Tooltip_Main_Button_Words_Info", m_btnWords},
        {u"Tooltip_Main_Button_Auto_Rewrite", m_btnAutoRewrite},
        {u"Tooltip_Main_Button_Save", m_btnSave},
        {u"Tooltip_Main_Button_Save_All", m_btnSaveAll},
        {u"Tooltip_Main_Button_Magic_Rewrite", m_btnMagic},
        {u"Tooltip_Main_Button_Font", m_btnFont},
        {u"Tooltip_Main_Button_Font_Bold", m_btnBold},
        {u"Tooltip_Main_Button_Font_Italic", m_btnItalic},
        {u"Tooltip_Main_Button_Font_Default_Color", m_btnColorDefault},
        {u"Tooltip_Main_Button_Font_Replaced_Color", m_btnColorReplaced},
        {u"Tooltip_Main_Button_Font_Reserved_Color", m_btnColorReserved},
        {u"Tooltip_Check_Select_All_Article", m_chkSelectAll},
        {u"Tooltip_Button_Close", m_btnClose},
        {u"Tooltip_Button_Minisize", m_btnMinimise},
    };
    for (const auto &[key, widget] : table) {
        const QString tip = LookupText(QString(u"\r\n" + key + u'='), tooltips);
        if (!tip.isEmpty())
            widget->setToolTip(tip);
    }
}

// --- Layout of the modes, the source pane and the font bar ---

void CLexiswapDlg::setMode(Mode mode)
{
    m_nMode = int(mode);
    if (m_tabMode->currentIndex() != m_nMode) {
        const QSignalBlocker block(m_tabMode);
        m_tabMode->setCurrentIndex(m_nMode);
    }
    applyModeLayout();
}

void CLexiswapDlg::applyModeLayout()
{
    const bool autoMode = m_nMode == int(Mode::Auto);
    for (QWidget *w : std::initializer_list<QWidget *>{m_chkSource, m_btnSearch, m_btnWords})
        w->setVisible(!autoMode);
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_lblArticlesNumber, m_lblDegree, m_lblArticlesList, m_cmbArticlesNumber, m_cmbDegree,
             m_btnAutoRewrite, m_listArticles, m_btnSaveAll, m_btnMagic})
        w->setVisible(autoMode);
    // The reserved-words box takes the free height in the manual mode, the
    // article list in the auto mode.
    m_sideLayout->setStretchFactor(m_editReserved, autoMode ? 0 : 1);
    m_sideLayout->setStretchFactor(m_listArticles, autoMode ? 1 : 0);
    m_editReserved->setMaximumHeight(autoMode ? m_editReserved->fontMetrics().lineSpacing() * 6
                                              : QWIDGETSIZE_MAX);
    refreshSelectAllBox();
}

void CLexiswapDlg::refreshSelectAllBox()
{
    m_chkSelectAll->setVisible(
        MainWindowLogic::selectAllBoxVisible(mode(), m_listArticles->topLevelItemCount()));
}

void CLexiswapDlg::showSourceArticle(bool show)
{
    m_chkSource->setChecked(show);
    m_lblSource->setVisible(show);
    m_editSource->setVisible(show);
}

void CLexiswapDlg::setSourceCheckEnabled(bool enabled)
{
    m_chkSource->setEnabled(enabled);
}

void CLexiswapDlg::toggleFontBar()
{
    m_bFontBarOn = !m_bFontBarOn;
    m_btnFont->setChecked(m_bFontBarOn);
    m_fontBar->setVisible(m_bFontBarOn);
}

void CLexiswapDlg::faceChanged(int index)
{
    const QString face = m_cmbFace->itemText(index);
    if (m_bFontBarOn)
        Config::setWordsFont(face);
    // Bold and italic are offered as far as the face has them or can be slanted
    // and emboldened by the renderer.
    const QStringList styles = QFontDatabase::styles(face);
    const bool scalable = QFontDatabase::isScalable(face);
    bool hasBold = scalable;
    bool hasItalic = scalable;
    for (const QString &style : styles) {
        hasBold = hasBold || QFontDatabase::bold(face, style);
        hasItalic = hasItalic || QFontDatabase::italic(face, style);
    }
    m_btnBold->setEnabled(hasBold);
    m_btnItalic->setEnabled(hasItalic);
    fillSizeList(face);
    const QSignalBlocker block(m_cmbSize);
    m_cmbSize->setCurrentIndex(m_cmbSize->findText(QString::number(Config::wordsSize())));
}

void CLexiswapDlg::sizeChanged(int index)
{
    if (index >= 0)
        Config::setWordsSize(m_cmbSize->itemText(index));
}

void CLexiswapDlg::setColourButton(QToolButton *button, quint32 colorRef)
{
    const qreal dpr = devicePixelRatioF();
    QPixmap swatch(QSize(18, 18) * dpr);
    swatch.setDevicePixelRatio(dpr);
    swatch.fill(Qt::transparent);
    QPainter p(&swatch);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.setBrush(colourOf(colorRef));
    p.drawRoundedRect(QRectF(1.5, 1.5, 15, 15), 3, 3);
    p.end();
    button->setIcon(QIcon(swatch));
    button->setProperty("colorRef", colorRef);
}

void CLexiswapDlg::chooseColour(int id)
{
    QToolButton *button = id == 1025   ? m_btnColorDefault
                          : id == 1026 ? m_btnColorReplaced
                                       : m_btnColorReserved;
    const quint32 current = button->property("colorRef").toUInt();
    const QColor initial = colourOf(current);
    const QColor chosen =
        m_chooseColor ? m_chooseColor(initial, this) : QColorDialog::getColor(initial, this);
    if (!chosen.isValid())
        return;
    const quint32 colorRef = Rtf::colorRefFromRgb(chosen.rgb() & 0xffffffu);
    if (colorRef == current)
        return;
    setColourButton(button, colorRef);
    if (id == 1025)
        Config::setWordsColor(colorRef);
    else if (id == 1026)
        Config::setReplacedColor(colorRef);
    else
        Config::setReservedColor(colorRef);
}

// --- Menus and commands ---

std::unique_ptr<QMenu> CLexiswapDlg::buildMenu(MenuKind kind)
{
    auto menu = std::make_unique<QMenu>(this);
    const QString text = LoadLanguageText(Language::currentName());
    const auto add = [&](int id, QStringView key) {
        QAction *action = menu->addAction(
            MainWindowLogic::menuText(LookupText(QString(u"\r\n" + key + u'='), text)));
        action->setObjectName(u"cmd"_s + QString::number(id));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        return action;
    };
    switch (kind) {
    case MenuKind::File:
        add(CmdNew, u"ID_FILE_NEW");
        add(CmdOpen, u"ID_FILE_OPEN");
        menu->addSeparator();
        add(CmdSave, u"ID_FILE_SAVE")->setEnabled(m_editArticle->textLength() > 0);
        add(CmdSaveAll, u"ID_FILE_SAVEALL")->setEnabled(m_btnSaveAll->isEnabled());
        menu->addSeparator();
        add(CmdExit, u"ID_FILE_EXIT");
        break;
    case MenuKind::Edit: {
        const bool selected = m_pActiveEdit->textCursor().hasSelection();
        add(CmdUndo, u"ID_EDIT_UNDO")->setEnabled(m_pActiveEdit->document()->isUndoAvailable());
        menu->addSeparator();
        add(CmdCut, u"ID_EDIT_CUT")->setEnabled(selected);
        add(CmdCopy, u"ID_EDIT_COPY")->setEnabled(selected);
        add(CmdPaste, u"ID_EDIT_PASTE")->setEnabled(m_pActiveEdit->canPaste());
        add(CmdDelete, u"ID_EDIT_DELETE")->setEnabled(selected);
        menu->addSeparator();
        add(CmdSelectAll, u"ID_EDIT_SELECTALL");
        menu->addSeparator();
        add(CmdFindReplace, u"ID_EDIT_FINDANDREPLACE");
        break;
    }
    case MenuKind::Help:
        add(CmdUpdate, u"ID_REGISTER_UPDATE");
        menu->addSeparator();
        add(CmdHandbook, u"ID_REGISTER_HANDBOOK");
        add(CmdFaq, u"ID_REGISTER_FAQ");
        add(CmdSupport, u"ID_REGISTER_TECHNICALSUPPORT");
        menu->addSeparator();
        add(CmdHomepage, u"ID_REGISTER_HOMEPAGE");
        break;
    case MenuKind::Language: {
        const auto items = Language::menuItems();
        for (const Language::MenuItem &item : items.value_or(QList<Language::MenuItem>{})) {
            QAction *action = menu->addAction(item.displayName);
            action->setObjectName(u"cmd"_s + QString::number(item.command));
            action->setData(item.command);
            action->setCheckable(true);
            action->setChecked(item.displayName == Language::currentName());
            action->setIcon(languageIcon(item));
            const int command = item.command;
            connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        }
        break;
    }
    }
    return menu;
}

void CLexiswapDlg::popupMenu(MenuKind kind, QAbstractButton *button)
{
    if (kind == MenuKind::Language && !Language::menuItems()) {
        UiMessage::show(this, u"No language file!"_s);
        return;
    }
    const std::unique_ptr<QMenu> menu = buildMenu(kind);
    menu->exec(button->mapToGlobal(QPoint(-18, button->height())));
}

void CLexiswapDlg::showEditorContextMenu(const QPoint &globalPos)
{
    const std::unique_ptr<QMenu> menu = buildMenu(MenuKind::Edit);
    menu->exec(globalPos);
}

void CLexiswapDlg::runCommand(int command)
{
    if (command >= Language::FirstCommand && command <= Language::LastCommand) {
        if (Language::chooseLanguage(command))
            applyLanguage(Language::currentName());
        return;
    }
    switch (command) {
    case CmdNew: {
        if (refusedWhileRewriting() || !mayLeaveArticle())
            break;
        hidePopup();
        {
            // Emptying the editor must not empty the shown article's file.
            const QScopedValueRollback loading(m_bLoadingArticle, true);
            m_bShownArticle = false;
            m_editArticle->clear();
            m_editArticle->setCurrentCharFormat(m_fmtDefault);
        }
        startNewArticle(u"NewArticle"_s);
        setWindowTitle(u"Rewordix"_s);
        break;
    }
    case CmdOpen:
        if (!refusedWhileRewriting())
            openArticleCommand();
        break;
    case CmdSave:
        if (!refusedWhileRewriting())
            (void)saveArticle();
        break;
    case CmdSaveAll:
        if (!refusedWhileRewriting())
            saveAll();
        break;
    case CmdDeleteArticles:
        if (!refusedWhileRewriting())
            deleteSelectedArticles();
        break;
    case CmdSaveAsTxt:
    case CmdSaveAsZip: {
        const int format = command == CmdSaveAsZip ? 1 : 0;
        if (format != m_nSaveAllFormat) {
            m_nSaveAllFormat = format;
            Config::setSaveAllFormat(format);
        }
        break;
    }
    case CmdExit:
        close();
        break;
    case CmdMinimise:
        showMinimized();
        break;
    case CmdSearchPhrase:
        startAnalysis();
        break;
    case CmdAutoRewrite:
        startAutoRewrite();
        break;
    case CmdMagicRewrite:
        if (g_bAutoRewriting) {
            UiMessage::show(this, 16, QMessageBox::Critical);
            break;
        }
        break;
    case CmdCopy:
        m_pActiveEdit->copy();
        break;
    case CmdCut:
        m_pActiveEdit->cut();
        break;
    case CmdPaste:
        m_pActiveEdit->paste();
        break;
    case CmdDelete:
        m_pActiveEdit->clearSelection();
        break;
    case CmdUndo:
        if (!m_pActiveEdit->isReadOnly())
            m_pActiveEdit->undoCollapsed();
        break;
    case CmdSelectAll:
        m_pActiveEdit->selectAll();
        break;
    case CmdFindReplace:
        if (!m_dlgFind) {
            m_dlgFind = new CFindAndReplaceDlg([this] { return m_pActiveEdit; }, this);
            m_dlgFind->move(400, 300);
            m_dlgFind->applyLanguage();
        }
        m_dlgFind->show();
        m_dlgFind->raise();
        m_dlgFind->activateWindow();
        m_dlgFind->focusFindBox();
        break;
    case CmdSettings: {
        CConfigDlg dialog(this);
        dialog.exec();
        break;
    }
    case CmdUpdate:
        openHelpAddress(QStringLiteral(REWORDIX_UPDATE_URL));
        break;
    case CmdHandbook:
        openHelpAddress(QStringLiteral(REWORDIX_HANDBOOK_URL));
        break;
    case CmdFaq:
        openHelpAddress(QStringLiteral(REWORDIX_FAQ_URL));
        break;
    case CmdSupport:
        openHelpAddress(QStringLiteral(REWORDIX_SUPPORT_URL));
        break;
    case CmdHomepage:
        openHelpAddress(QStringLiteral(REWORDIX_HOMEPAGE_URL));
        break;
    default:
        break;
    }
}

// --- Search Phrase ---

void CLexiswapDlg::startAnalysis()
{
    if (g_bAutoRewriting) {
        UiMessage::show(this, 16, QMessageBox::Critical);
        return;
    }
    if (m_analysing || !dictionary())
        return;
    m_strArticle = m_editArticle->plainText();
    if (m_strArticle.isEmpty()) {
        UiMessage::show(this, 12, QMessageBox::Warning);
        return;
    }
    m_strReservedWords = m_editReserved->toPlainText();
    m_lblWordsNumber->show();
    m_lblReplaced->show();
    m_editArticle->setSelectionNotify(false);
    hidePopup();

    AnalysisParams params;
    params.article = m_strArticle;
    params.reservedWords = m_strReservedWords;
    params.ignoreWords = m_strIgnoreWords;
    params.scrambled = m_bScrambled;

    // Positions reach the dialog as queued calls on the user-interface thread.
    CProgressNewDlg *dialog = m_dlgProgress;
    m_job = std::make_shared<JobControl>([dialog](int position) {
        QMetaObject::invokeMethod(
            dialog, [dialog, position] { dialog->setPosition(position); }, Qt::QueuedConnection);
    });
    m_dlgProgress->begin(m_job.get(), false);
    m_analysing = true;
    Dictionary &dict = *dictionary();
    m_analysisWatcher.setFuture(
        QtConcurrent::run([params, &dict, job = m_job, hook = m_beforeAnalysis] {
            if (hook)
                hook();
            return Analysis::runAnalysis(params, dict, *job);
        }));
    m_dlgProgress->showModal();
}

void CLexiswapDlg::applyAnalysis(const AnalysisResult &result)
{
    const bool completed = result.status == AnalysisStatus::Finished;
    // The analysed text is the same article: its unsaved state stays, and
    // the marks are no edit to undo.
    const bool modified = m_editArticle->document()->isModified();
    const QScopedValueRollback loading(m_bLoadingArticle, true);
    m_editArticle->setPlainTextIn(result.normalisedText, m_fmtDefault);
    m_editArticle->mergeFormats(toRanges(result.reservedSpans), m_fmtReserved);
    m_strArticle = result.normalisedText;
    if (result.wordsAmount > 0)
        m_nWordsAmount = result.wordsAmount;
    if (completed) {
        m_editArticle->mergeFormats(toRanges(result.underlineSpans), m_fmtMarked);
        // The source pane gets a copy of the first analysis of the article the
        // user brought in (the clipboard is left alone); later analyses of
        // the edited article keep it.
        if (m_original)
            Rtf::toTextDocument(*m_original, m_editSource->document());
        else
            m_editSource->copyContentFrom(*m_editArticle);
        captureOriginal();
        m_editSource->document()->clearUndoRedoStacks();
        m_strSource = m_editSource->plainText();
        fillDensityList(result.frequencySummary);
        m_lblReplaced->setText(
            Statistics::resetStatisticsText(m_lblReplaced->text(), m_nWordsAmount));
        m_lblWordsNumber->setText(
            Statistics::wordsAmountText(m_lblWordsNumber->text(), m_nWordsAmount));
        m_editSource->setCaret(0);
        m_editArticle->setCaret(0);
        m_editArticle->setFocus();
        m_lblWordsNumber->show();
    }
    settleLoadedArticle();
    m_editArticle->document()->setModified(modified);
    m_editArticle->setSelectionNotify(true);
    m_dlgProgress->finish();
    m_job.reset();
    m_analysing = false;
    fitIntoScreen();
    if (result.status == AnalysisStatus::Failed && !result.error.isEmpty())
        UiMessage::show(this, result.error, QMessageBox::Warning);
    Q_EMIT analysisFinished(completed);
}

void CLexiswapDlg::fillDensityList(const QString &summary)
{
    m_cmbDensity->clear();
    m_cmbDensity->addItems(Statistics::densityItems(summary));
    m_cmbDensity->setCurrentIndex(-1);
}

// --- Auto-rewrite ---

void CLexiswapDlg::startAutoRewrite()
{
    if (g_bAutoRewriting) {
        UiMessage::show(this, 16, QMessageBox::Warning);
        return;
    }
    if (m_analysing || m_autoRewriting || !dictionary())
        return;
    g_bAutoRewriting = true;
    m_strArticlesNumber = m_cmbArticlesNumber->currentText();
    // A run started while a generated article is shown rewrites the article
    // the user brought in, not one of the last run's copies.
    const bool fromOriginal =
        m_original && (m_bShownArticle || (m_listArticles->topLevelItemCount() > 0 &&
                                           !m_editArticle->document()->isModified()));
    m_strArticle = fromOriginal ? Rtf::plainText(*m_original) : m_editArticle->plainText();
    const std::optional<int> amount = MainWindowLogic::parseArticleAmount(m_strArticlesNumber);
    if (m_strArticle.isEmpty() || !amount) {
        // Refused before anything changes: the last run's articles stay.
        UiMessage::show(this, m_strArticle.isEmpty() ? 12 : 7, QMessageBox::Warning);
        g_bAutoRewriting = false;
        return;
    }
    if (!fromOriginal)
        captureOriginal();
    m_bAutoRewriteAbort = false;
    m_bListBusy = true;
    m_bListReady = false;
    m_bShownArticle = false;
    m_strShownPath.clear();
    hidePopup();
    m_editArticle->setSelectionNotify(false);
    m_editArticle->setReadOnly(true);
    m_strReservedWords = m_editReserved->toPlainText();
    m_runArticle = fromOriginal ? *m_original : Rtf::fromTextDocument(*m_editArticle->document());
    m_runTookEditor = false;
    {
        const QScopedValueRollback loading(m_bLoadingArticle, true);
        Rtf::toTextDocument(m_runArticle, m_editSource->document());
        m_editSource->document()->clearUndoRedoStacks();
    }

    AutoRewriteParams params;
    params.article = m_strArticle;
    params.originalDocument = m_runArticle;
    params.reservedWords = m_strReservedWords;
    params.ignoreWords = m_strIgnoreWords;
    const int degree = m_cmbDegree->currentIndex();
    params.degree = degree < 0 ? AutoRewrite::VeryLow : degree;
    params.requestedCount = *amount;
    params.format.face = Config::wordsFont();
    params.format.pointSize = Config::wordsSize();
    params.format.bold = Config::wordsBold();
    params.format.italic = Config::wordsItalic();
    params.format.wordsColor = Config::wordsColor();
    params.format.replacedColor = Config::replacedColor();
    params.scrambled = m_bScrambled;
    params.choiceCounter = m_nChoiceCounter;
    params.tagger = WordContext::sharedTagger();
    params.protectNames = Config::protectNames();

    // Everything the run shows reaches this window as queued calls, applied in
    // the order the worker made them.
    const auto post = [this](auto call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    AutoRewriteCallbacks callbacks;
    callbacks.wordsAmount = [this, post](int n) {
        post([this, n] { autoWordsAmount(n); });
    };
    callbacks.frequencySummary = [this, post](const QString &summary) {
        post([this, summary] { fillDensityList(summary); });
    };
    callbacks.replacedAdded = [this, post](int delta) {
        post([this, delta] {
            m_lblReplaced->setText(Statistics::addReplacedText(m_lblReplaced->text(), delta));
        });
    };
    callbacks.templateReady = [this, post](const QString &text) {
        post([this, text] { autoTemplateReady(text); });
    };
    callbacks.articleCount = [this, post](int count) {
        post([this, count] { autoArticleCount(count); });
    };
    callbacks.articleAdded = [this, post](const GeneratedArticle &row) {
        post([this, row] { autoArticleAdded(row); });
    };

    m_autoJob = std::make_shared<JobControl>([hook = m_afterArticle](int article) {
        if (hook)
            hook(article);
    });
    m_autoRewriting = true;
    Dictionary &dict = *dictionary();
    m_autoFuture = QtConcurrent::run([this, post, params, callbacks, &dict, job = m_autoJob] {
        const AutoRewriteResult result = AutoRewrite::runAutoRewrite(params, dict, *job, callbacks);
        post([this, result] { finishAutoRewrite(result); });
    });

    m_dlgWait->applyTexts();
    m_dlgWait->setWindowModality(Qt::ApplicationModal);
    m_dlgWait->adjustSize();
    m_dlgWait->move(window()->geometry().center() - m_dlgWait->rect().center());
    m_dlgWait->show();
    m_dlgWait->raise();
    m_dlgWait->activateWindow();
}

void CLexiswapDlg::autoWordsAmount(int wordsAmount)
{
    m_nWordsAmount = wordsAmount;
    m_lblReplaced->setText(Statistics::resetStatisticsText(m_lblReplaced->text(), wordsAmount));
    m_lblWordsNumber->setText(Statistics::wordsAmountText(m_lblWordsNumber->text(), wordsAmount));
    m_editSource->setCaret(0);
    m_editArticle->setFocus();
    m_lblWordsNumber->show();
    m_lblReplaced->show();
}

void CLexiswapDlg::autoTemplateReady(const QString &templateText)
{
    {
        const QScopedValueRollback loading(m_bLoadingArticle, true);
        m_editArticle->setPlainTextIn(templateText, m_fmtDefault);
        settleLoadedArticle();
    }
    m_runTookEditor = true;
    hidePopup();
    hideSelectAllBox();
    m_listArticles->clear();
}

void CLexiswapDlg::autoArticleAdded(const GeneratedArticle &row)
{
    QTreeWidgetItem *item = m_listArticles->addArticle(row.name, row.rate);
    m_btnSaveAll->setEnabled(true);
    if (row.index > 0) {
        m_listArticles->scrollToItem(item);
        return;
    }
    // The original article, as written, goes back into the editor while the
    // articles are generated.
    const ArticleFile::ReadResult original = ArticleFile::readRichText(row.path);
    if (original.ok) {
        const QScopedValueRollback loading(m_bLoadingArticle, true);
        Rtf::toTextDocument(original.document, m_editArticle->document());
        settleLoadedArticle();
        m_runTookEditor = false;
    }
    m_strArticle.clear();
}

void CLexiswapDlg::autoArticleCount(int count)
{
    m_strArticlesNumber = QString::number(count);
    m_cmbArticlesNumber->setEditText(m_strArticlesNumber);
}

void CLexiswapDlg::autoAbortPressed()
{
    if (m_autoJob)
        m_autoJob->abort();
    m_editArticle->setSelectionNotify(true);
}

void CLexiswapDlg::finishAutoRewrite(const AutoRewriteResult &result)
{
    m_autoJob.reset();
    m_autoFuture = {};
    m_autoRewriting = false;
    m_editArticle->setReadOnly(false);
    m_nChoiceCounter = result.choiceCounter;
    const bool completed = result.status == AutoRewriteStatus::Finished;
    if (!completed && m_runTookEditor) {
        // Stopped while the template was on show: the article comes back.
        const QScopedValueRollback loading(m_bLoadingArticle, true);
        Rtf::toTextDocument(m_runArticle, m_editArticle->document());
        m_editArticle->setCaret(0);
        settleLoadedArticle();
    }
    m_runTookEditor = false;
    if (completed) {
        if (m_listArticles->topLevelItemCount() > 5)
            refreshSelectAllBox();
        const ArticleFile::ReadResult original =
            ArticleFile::readRichText(articlePath(m_listArticles->nameAt(0), u".rtf"));
        if (original.ok) {
            const QScopedValueRollback loading(m_bLoadingArticle, true);
            Rtf::toTextDocument(original.document, m_editSource->document());
        }
    }
    if (m_dlgWait->isVisible())
        m_dlgWait->closeFromWorker();
    if (completed)
        UiMessage::show(this, 6, QMessageBox::Information);
    else if (result.status == AutoRewriteStatus::Error)
        UiMessage::show(this, result.error.isEmpty() ? u"Error"_s : result.error,
                        QMessageBox::Critical);
    m_editArticle->setSelectionNotify(true);
    m_bListReady = true;
    m_bListBusy = false;
    if (completed)
        m_bShownArticle = true;
    g_bAutoRewriting = false;
    if (completed && m_listArticles->topLevelItemCount() > 1) {
        QTreeWidgetItem *first = m_listArticles->topLevelItem(1);
        m_listArticles->setCurrentItem(first);
        m_listArticles->scrollToItem(first);
    }
    Q_EMIT autoRewriteFinished(completed);
}

// --- Article files ---

namespace {

const QString OpenFilter = u"Text Files(*.txt);;Formated Files(*.rtf);;All Files (*)"_s;
const QString SaveFilter = u"Text Files(*.txt);;Formated Files(*.rtf)"_s;
const QString ZipFilter = u"Compressed File(*.zip)"_s;

} // namespace

QString CLexiswapDlg::articlePath(const QString &name, QStringView suffix) const
{
    return AppPaths::articlesDir() + u'/' + name + suffix;
}

void CLexiswapDlg::openArticleCommand()
{
    hidePopup();
    if (!mayLeaveArticle())
        return;
    const QString path = UiMessage::askFile(this, UiMessage::FileDialog::Open, OpenFilter);
    if (!path.isEmpty())
        openArticle(path);
}

void CLexiswapDlg::openArticle(const QString &path)
{
    hidePopup();
    if (!loadArticleFile(path))
        return;
    startNewArticle(QFileInfo(path).fileName());
}

void CLexiswapDlg::dropFiles(const QStringList &paths)
{
    if (paths.size() != 1 || !QFileInfo(paths.first()).isFile())
        return;
    if (refusedWhileRewriting() || !mayLeaveArticle())
        return;
    hidePopup();
    const QString &path = paths.first();
    if (!loadArticleFile(path))
        return;
    startNewArticle(QFileInfo(path).fileName());
    const bool notify = m_editArticle->selectionNotify();
    m_editArticle->setSelectionNotify(false);
    m_editArticle->setCaret(0);
    m_editArticle->setSelectionNotify(notify);
}

bool CLexiswapDlg::loadArticleFile(const QString &path)
{
    const QScopedValueRollback loading(m_bLoadingArticle, true);
    const bool notify = m_editArticle->selectionNotify();
    m_editArticle->setSelectionNotify(false);
    if (ArticleFile::isRichTextPath(path)) {
        const ArticleFile::ReadResult rich = ArticleFile::readRichText(path);
        if (!rich.ok) {
            m_editArticle->setSelectionNotify(notify);
            UiMessage::show(this, rich.error, QMessageBox::Critical);
            return false;
        }
        // The editor no longer shows a generated article: nothing is
        // written back into temp/ from here on.
        m_bShownArticle = false;
        Rtf::toTextDocument(rich.document, m_editArticle->document());
        m_editArticle->setCaret(0);
    } else {
        const ArticleFile::ReadResult text = ArticleFile::readText(path);
        if (!text.ok) {
            m_editArticle->setSelectionNotify(notify);
            UiMessage::show(this, text.error, QMessageBox::Critical);
            return false;
        }
        m_bShownArticle = false;
        m_editArticle->setPlainTextIn(text.text, m_fmtDefault);
    }
    settleLoadedArticle();
    m_editArticle->setSelectionNotify(notify);
    return true;
}

void CLexiswapDlg::startNewArticle(const QString &name)
{
    m_bShownArticle = false;
    m_strShownPath.clear();
    m_original.reset();
    {
        const QScopedValueRollback loading(m_bLoadingArticle, true);
        m_editSource->clear();
        m_editSource->setCurrentCharFormat(m_fmtDefault);
        m_editSource->document()->clearUndoRedoStacks();
    }
    m_listArticles->clear();
    hideSelectAllBox();
    m_btnSaveAll->setEnabled(false);
    settleLoadedArticle();
    if (name != u"NewArticle")
        setWindowTitle(name + u" - Rewordix"_s);
    m_lblArticle->setText(name);
    // The figures belong to the article that is gone.
    m_nWordsAmount = 0;
    m_cmbDensity->clear();
    m_lblWordsNumber->setText(Statistics::labelPrefix(m_lblWordsNumber->text()));
    m_lblReplaced->setText(Statistics::labelPrefix(m_lblReplaced->text()));
    m_lblWordsNumber->show();
    m_lblReplaced->show();
}

void CLexiswapDlg::settleLoadedArticle()
{
    QTextDocument *document = m_editArticle->document();
    document->clearUndoRedoStacks();
    document->setModified(false);
    m_countedSteps.clear();
    m_undoneSteps.clear();
}

bool CLexiswapDlg::mayLeaveArticle()
{
    if (!MainWindowLogic::needsSaveQuestion(m_editArticle->document()->isModified(),
                                            m_editArticle->textLength() == 0, m_bShownArticle))
        return true;
    switch (UiMessage::askSaveChanges(this, 28)) {
    case UiMessage::SaveChoice::Save:
        return saveArticle();
    case UiMessage::SaveChoice::Discard:
        return true;
    case UiMessage::SaveChoice::Cancel:
        break;
    }
    return false;
}

bool CLexiswapDlg::refusedWhileRewriting()
{
    if (!m_autoRewriting)
        return false;
    UiMessage::show(this, 16, QMessageBox::Critical);
    return true;
}

void CLexiswapDlg::captureOriginal()
{
    if (!m_original)
        m_original = Rtf::fromTextDocument(*m_editArticle->document());
}

void CLexiswapDlg::replacementsCounted(int words)
{
    m_lblReplaced->setText(Statistics::addReplacedText(m_lblReplaced->text(), words));
    m_countedSteps.append({m_editArticle->document()->availableUndoSteps(), words});
}

void CLexiswapDlg::followUndoSteps()
{
    const int steps = m_editArticle->document()->availableUndoSteps();
    int delta = 0;
    while (!m_countedSteps.isEmpty() && m_countedSteps.last().first > steps) {
        delta -= m_countedSteps.last().second;
        m_undoneSteps.append(m_countedSteps.takeLast());
    }
    while (!m_undoneSteps.isEmpty() && m_undoneSteps.last().first <= steps) {
        delta += m_undoneSteps.last().second;
        m_countedSteps.append(m_undoneSteps.takeLast());
    }
    if (delta != 0)
        m_lblReplaced->setText(Statistics::addReplacedText(m_lblReplaced->text(), delta));
}

void CLexiswapDlg::openHelpAddress(const QString &configured)
{
    const QUrl url = MainWindowLogic::helpAddress(configured, AppPaths::installDir());
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        UiMessage::show(this, url.toLocalFile(), QMessageBox::Warning);
        return;
    }
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        UiMessage::show(this, url.toString(), QMessageBox::Warning);
}

bool CLexiswapDlg::saveArticle()
{
    const QString chosen = UiMessage::askFile(this, UiMessage::FileDialog::Save, SaveFilter);
    if (chosen.isEmpty())
        return false;
    const bool rich = ArticleFile::isRichTextPath(chosen);
    // The question is about the file that would be overwritten, so it is asked
    // after ".txt" has been added.
    const QString path = ArticleFile::withDefaultExtension(chosen, u".txt");
    if (QFileInfo::exists(path) && !UiMessage::askYesNo(this, 3))
        return false;
    QString error;
    const bool saved = rich ? ArticleFile::writeRtfFile(path, m_editArticle->rtf(), &error)
                            : ArticleFile::writeText(path, m_editArticle->plainText(), &error);
    if (!saved) {
        reportSaveFailures({error});
        return false;
    }
    m_editArticle->document()->setModified(false);
    UiMessage::show(this, 4, QMessageBox::Information);
    return true;
}

void CLexiswapDlg::saveAll()
{
    // The button's right fifth is the format menu, wherever Save All came from.
    const QPoint topLeft = m_btnSaveAll->mapToGlobal(QPoint(0, 0));
    if (ArticleListLogic::opensFormatMenu(QCursor::pos().x(), topLeft.x(),
                                          topLeft.x() + m_btnSaveAll->width())) {
        showFormatMenu();
        return;
    }
    if (m_listArticles->topLevelItemCount() == 0) {
        saveArticle();
        return;
    }
    const QStringList names = m_listArticles->checkedNames();
    if (names.isEmpty()) {
        UiMessage::show(this, 17, QMessageBox::Critical);
        return;
    }
    QDir temp(AppPaths::articlesDir());
    if (temp.exists()) {
        for (const QString &file : temp.entryList({u"*.txt"_s}, QDir::Files | QDir::Hidden))
            temp.remove(file);
    }
    if (m_nSaveAllFormat == 1)
        saveAllAsZip(names);
    else
        saveAllAsText(names);
}

QStringList CLexiswapDlg::prepareCheckedAsText(const QStringList &names)
{
    QStringList failures;
    for (const QString &name : names) {
        const ArticleFile::ReadResult rich = ArticleFile::readRichText(articlePath(name, u".rtf"));
        QString error;
        if (!rich.ok)
            failures.append(rich.error);
        else if (!ArticleFile::writeText(articlePath(name, u".txt"), Rtf::plainText(rich.document),
                                         &error))
            failures.append(error);
    }
    return failures;
}

void CLexiswapDlg::saveAllAsZip(const QStringList &names)
{
    const QString chosen = UiMessage::askFile(this, UiMessage::FileDialog::Save, ZipFilter);
    if (chosen.isEmpty())
        return;
    QStringList failures = prepareCheckedAsText(names);
    const QString path = ArticleFile::withDefaultExtension(chosen, u".zip");
    if (QFileInfo::exists(path) && !UiMessage::askYesNo(this, 3))
        return;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        reportSaveFailures({u"%1: the folder cannot be created"_s.arg(folder)});
        return;
    }
    // The archive replaces an existing file only once it is complete.
    ZipWriter zip;
    if (zip.Create(path) != ZipWriter::Status::Ok) {
        reportSaveFailures({zip.errorString()});
        return;
    }
    for (const QString &name : names) {
        const QString source = articlePath(name, u".txt");
        if (!QFileInfo::exists(source))
            continue; // its failure is already listed
        if (zip.AddFile(name + u".txt"_s, source) != ZipWriter::Status::Ok)
            failures.append(zip.errorString());
    }
    if (zip.Close() != ZipWriter::Status::Ok)
        failures.append(zip.errorString());
    if (!failures.isEmpty()) {
        reportSaveFailures(failures);
        return;
    }
    UiMessage::show(this, 4, QMessageBox::Information);
}

void CLexiswapDlg::saveAllAsText(const QStringList &names)
{
    QStringList failures = prepareCheckedAsText(names);
    const QString folder = UiMessage::askFile(this, UiMessage::FileDialog::Folder);
    if (folder.isEmpty())
        return;
    if (!QDir().mkpath(folder)) {
        reportSaveFailures({u"%1: the folder cannot be created"_s.arg(folder)});
        return;
    }
    const QDir target(folder);
    for (const QString &name : names) {
        const QString source = articlePath(name, u".txt");
        if (!QFileInfo::exists(source))
            continue;
        const QString destination = target.filePath(name + u".txt"_s);
        // As Save does: an existing file is replaced only when the user agrees.
        if (QFileInfo::exists(destination) && !UiMessage::askYesNo(this, 3))
            continue;
        QString error;
        if (!ArticleFile::moveReplacing(source, destination, &error))
            failures.append(error);
    }
    if (!failures.isEmpty()) {
        reportSaveFailures(failures);
        return;
    }
    UiMessage::show(this, 4, QMessageBox::Information);
}

void CLexiswapDlg::reportSaveFailures(const QStringList &failures)
{
    UiMessage::show(this, u"Save failed:\n"_s + failures.join(u'\n'), QMessageBox::Critical);
}

std::unique_ptr<QMenu> CLexiswapDlg::buildFormatMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    addFormatActions(menu.get());
    return menu;
}

void CLexiswapDlg::addFormatActions(QMenu *menu)
{
    const QString text = LoadLanguageText(Language::currentName());
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    const auto add = [&](int id, QStringView key, int format) {
        QAction *action = menu->addAction(
            MainWindowLogic::menuText(LookupText(QString(u"\r\n" + key + u'='), text)));
        action->setObjectName(u"cmd"_s + QString::number(id));
        action->setData(id);
        action->setCheckable(true);
        action->setChecked(m_nSaveAllFormat == format);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    };
    add(CmdSaveAsTxt, u"ID_SAVEAS_TXT", 0);
    add(CmdSaveAsZip, u"ID_SAVEAS_ZIP", 1);
}

void CLexiswapDlg::showFormatMenu()
{
    const std::unique_ptr<QMenu> menu = buildFormatMenu();
    const QPoint corner =
        m_btnSaveAll->mapToGlobal(QPoint(m_btnSaveAll->width(), m_btnSaveAll->height()));
    menu->exec(corner - QPoint(menu->sizeHint().width(), 0));
}

// --- The article list ---

void CLexiswapDlg::showListArticle(QTreeWidgetItem *item)
{
    if (!m_bListReady || m_bListBusy || !item)
        return;
    m_bShownArticle = false;
    m_strShownPath.clear();
    m_lblWordsNumber->hide();
    const QString name = item->text(0);
    m_lblArticle->setText(name + u".rtf"_s);
    m_lblArticle->repaint();
    m_lblReplaced->setText(
        ArticleListLogic::replacedLabelText(m_lblReplaced->text(), item->text(1)));
    m_lblReplaced->repaint();
    const QString path = articlePath(name, u".rtf");
    bool loaded = true;
    if (QFileInfo::exists(path)) {
        const ArticleFile::ReadResult rich = ArticleFile::readRichText(path);
        if (rich.ok) {
            const QScopedValueRollback loading(m_bLoadingArticle, true);
            const bool notify = m_editArticle->selectionNotify();
            m_editArticle->setSelectionNotify(false);
            Rtf::toTextDocument(rich.document, m_editArticle->document());
            m_editArticle->setCaret(0);
            settleLoadedArticle();
            m_editArticle->setSelectionNotify(notify);
            hidePopup();
        } else {
            // An unreadable file is not the editor's content: edits must not replace it.
            loaded = false;
            UiMessage::show(this, rich.error, QMessageBox::Critical);
        }
    } else {
        UiMessage::show(this, 5, QMessageBox::Critical);
    }
    m_lblWordsNumber->hide();
    m_lblReplaced->show();
    m_bShownArticle = loaded;
    if (loaded)
        m_strShownPath = path;
}

void CLexiswapDlg::writeBackShownArticle()
{
    if (!m_bShownArticle || m_bLoadingArticle || m_strShownPath.isEmpty())
        return;
    if (QFileInfo(m_strShownPath).isFile() &&
        ArticleFile::writeRichText(m_strShownPath, m_editArticle->rtf()))
        m_editArticle->document()->setModified(false);
}

void CLexiswapDlg::deleteSelectedArticles()
{
    // Notifications are off: the row that becomes current is not shown, the
    // editor keeps the article it has.
    const QSignalBlocker block(m_listArticles);
    while (QTreeWidgetItem *item = m_listArticles->firstSelected()) {
        const QString name = item->text(0);
        delete item;
        if (m_listArticles->topLevelItemCount() <= 5)
            hideSelectAllBox();
        for (QStringView suffix : {u".rtf", u".txt"}) {
            const QString path = articlePath(name, suffix);
            if (QFileInfo::exists(path))
                QFile::remove(path);
        }
    }
    m_listArticles->setCurrentItem(nullptr);
}

std::unique_ptr<QMenu> CLexiswapDlg::buildListMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const QString text = LoadLanguageText(Language::currentName());
    const auto add = [&](int id, QStringView key) {
        QAction *action = menu->addAction(
            MainWindowLogic::menuText(LookupText(QString(u"\r\n" + key + u'='), text)));
        action->setObjectName(u"cmd"_s + QString::number(id));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    };
    add(CmdDeleteArticles, u"ID_EDIT_DELETE");
    add(CmdSave, u"ID_FILE_SAVE");
    add(CmdSaveAll, u"ID_FILE_SAVEALL");
    return menu;
}

void CLexiswapDlg::showListMenu(const QPoint &globalPos)
{
    const std::unique_ptr<QMenu> menu = buildListMenu();
    menu->exec(globalPos);
}

void CLexiswapDlg::hideSelectAllBox()
{
    m_chkSelectAll->setChecked(false);
    m_chkSelectAll->hide();
}

// --- Keyboard and mouse ---

void CLexiswapDlg::hidePopup()
{
    if (m_dlgReplace)
        m_dlgReplace->hide();
}

void CLexiswapDlg::openPopup()
{
    if (m_dlgReplace)
        m_dlgReplace->openFromEditor();
}

bool CLexiswapDlg::moveCaretByWord(bool forward, bool keepAnchor)
{
    QTextCursor cursor = m_editArticle->textCursor();
    // A word the popup selected is left from the side the key points to.
    const int from = keepAnchor ? cursor.position()
                                : (forward ? cursor.selectionEnd() : cursor.selectionStart());
    const auto target =
        MainWindowLogic::neighbouringWordStart(m_editArticle->plainText(), from, forward);
    if (!target)
        return false;
    cursor.setPosition(*target, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_editArticle->setTextCursor(cursor);
    return true;
}

bool CLexiswapDlg::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape)
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            return widget != m_editReserved && widget != m_editArticle && widget != m_editSource;
        }
        if ((key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) &&
            widget == m_editArticle) {
            moveCaretByWord(key->key() == Qt::Key_Right,
                            key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        break;
    }
    case QEvent::Wheel:
        if (widget == m_editArticle->viewport())
            hidePopup();
        break;
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton)
            break;
        CMyRichEditCtrl *editor = widget == m_editArticle->viewport()  ? m_editArticle
                                  : widget == m_editSource->viewport() ? m_editSource
                                                                       : nullptr;
        if (!editor)
            break;
        if (editor == m_pActiveEdit)
            showEditorContextMenu(mouse->globalPosition().toPoint());
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CLexiswapDlg::closeEvent(QCloseEvent *event)
{
    if (!mayLeaveArticle()) {
        event->ignore();
        return;
    }
    // A running analysis holds the dictionary; the progress dialog is modal, so
    // this only happens when the window system closes the program.
    if (m_analysing && m_job) {
        m_job->abort();
        m_job->setPaused(false);
    }
    if (m_autoRewriting && m_autoJob)
        m_autoJob->abort();
    m_strReservedWords = m_editReserved->toPlainText();
    m_strArticlesNumber = m_cmbArticlesNumber->currentText();
    event->accept();
}

void CLexiswapDlg::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitIntoScreen();
    // The window manager's frame is known only once the window is mapped.
    QTimer::singleShot(200, this, &CLexiswapDlg::fitIntoScreen);
}

void CLexiswapDlg::fitIntoScreen()
{
    if (isMaximized() || isFullScreen())
        return;
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // The window manager's frame is not part of size(); leave room for it.
    const QSize frame = frameGeometry().size() - size();
    const QSize room = available.size() - frame;
    const QSize fitted = size().boundedTo(room);
    if (fitted != size())
        resize(fitted.expandedTo(minimumSizeHint().boundedTo(room)));
    QRect outer = frameGeometry();
    outer.moveLeft(std::clamp(outer.left(), available.left(),
                              std::max(available.left(), available.right() - outer.width() + 1)));
    outer.moveTop(std::clamp(outer.top(), available.top(),
                             std::max(available.top(), available.bottom() - outer.height() + 1)));
    if (outer.topLeft() != frameGeometry().topLeft())
        move(outer.topLeft());
}

void CLexiswapDlg::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
