// Construction of the main window's controls and the wiring of the session.
#include "app/articlesession.h"
#include "app/config.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/mainwindow.h"
#include "ui/progressdialog.h"
#include "ui/skin/colourbutton.h"
#include "ui/skin/skin.h"
#include "ui/skin/skintabbar.h"
#include "ui/skin/skintitlebar.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using MainWindowLogic::Mode;

namespace {

// A button that stands for a command: a click triggers its action and the
// action's enabled rule greys it.
void followAction(QAbstractButton *button, QAction *action)
{
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    button->setEnabled(action->isEnabled());
}

// With the system look the run buttons stand out in the palette's highlight
// colours, whatever the colour scheme; the skin draws them from its bitmaps.
const QString StyleSheet = uR"(
QPushButton[accent="true"] { background: palette(highlight); color: palette(highlighted-text);
    border: 1px solid palette(dark); border-radius: 4px; padding: 6px 14px; font-weight: bold; }
QPushButton[accent="true"]:disabled { background: palette(button); color: palette(mid); }
QPushButton[link="true"] { text-align: left; border: none; background: transparent;
    color: palette(link); }
)"_s;

} // namespace

void MainWindow::buildControls()
{
    if (!Skin::instance().isSkinned())
        setStyleSheet(StyleSheet);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    buildMenuBar();
    buildMenus();
    // The layout's menu-bar place ignores its margins: under the skin's title
    // band the menu bar is the first row instead.
    if (Skin::instance().isSkinned())
        root->addWidget(m_menuBar);
    else
        root->setMenuBar(m_menuBar);
    auto *body = new QHBoxLayout;
    body->setContentsMargins(10, 10, 10, 10);
    body->setSpacing(10);
    body->addWidget(buildSidePanel());
    body->addWidget(buildEditorPane(), 1);
    root->addLayout(body, 1);

    SkinWindow::Options frame;
    frame.background = u"window"_s;
    frame.slices = QMargins(10, 32, 10, 10);
    frame.minimise = true;
    if (SkinWindow *skin = SkinWindow::attach(this, frame)) {
        root->setContentsMargins(1, 32, 1, 1);
        withSpecId(skin->titleBar()->minimiseButton(), Command::Minimise, u"minimiseButton"_s);
        withSpecId(skin->titleBar()->closeButton(), Command::Exit, u"closeButton"_s);
    }
}

void MainWindow::buildMenuBar()
{
    m_menuBar = withSpecId(new QMenuBar(this), 0, u"menuBar"_s);
    const auto addMenu = [this](int id, const QString &name) {
        QMenu *menu = m_menuBar->addMenu(QString());
        menu->setObjectName(name);
        withSpecId(menu->menuAction(), id);
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateActions);
        return menu;
    };
    m_fileMenu = addMenu(1108, u"fileMenu"_s);
    m_editMenu = addMenu(1109, u"editMenu"_s);
    // Settings has no menu: choosing it runs the dialog at once.
    m_settingsItem = withSpecId(action(Command::Settings), 1110);
    m_menuBar->addAction(m_settingsItem);
    m_helpMenu = addMenu(1111, u"helpMenu"_s);
    m_languageMenu = addMenu(1112, u"languageMenu"_s);
    connect(m_languageMenu, &QMenu::aboutToShow, this, &MainWindow::fillLanguageMenu);
}

QWidget *MainWindow::buildSidePanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(u"sidePanel"_s);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumWidth(250);
    panel->setMaximumWidth(340);
    m_sideLayout = new QVBoxLayout(panel);
    m_sideLayout->setContentsMargins(10, 8, 10, 10);
    m_sideLayout->setSpacing(6);

    m_modeTabs = withSpecId(new SkinTabBar(panel), 1113, u"modeTabs"_s);
    m_modeTabs->addTab(u"Manual"_s);
    m_modeTabs->addTab(u"Auto"_s);
    m_modeTabs->setExpanding(true);
    m_modeTabs->setDrawBase(false);
    // Only a move away from the mode on show switches; setMode's own move of
    // the strip comes after the mode changed.
    connect(m_modeTabs, &SkinTabBar::tabSwitched, this, [this](int previous, int current) {
        if (current >= 0 && previous == m_mode && current != m_mode)
            setMode(Mode(current));
    });
    m_sideLayout->addWidget(m_modeTabs);

    m_reservedLabel = withSpecId(new QLabel(panel), 1078, u"reservedLabel"_s);
    m_reservedEdit = withSpecId(new QPlainTextEdit(panel), 1040, u"reservedWords"_s);
    m_reservedEdit->setTabChangesFocus(true);
    m_reservedLabel->setBuddy(m_reservedEdit);
    m_sideLayout->addWidget(m_reservedLabel);
    m_sideLayout->addWidget(m_reservedEdit, 1);
    m_sideLayout->addSpacing(5);

    buildManualControls(panel);
    buildAutoControls(panel);
    buildSaveControls(panel);
    return panel;
}

void MainWindow::buildManualControls(QWidget *panel)
{
    m_sourceCheck = withSpecId(new QCheckBox(panel), 1074, u"sourceCheck"_s);
    connect(m_sourceCheck, &QCheckBox::clicked, this, [this](bool on) { showSourceArticle(on); });
    m_searchButton = withSpecId(new QPushButton(panel), 1006, u"searchPhraseButton"_s);
    m_searchButton->setAutoDefault(false);
    m_searchButton->setMinimumHeight(32);
    m_searchButton->setProperty("accent", true);
    followAction(m_searchButton, action(Command::SearchPhrase));
    m_wordsButton = withSpecId(new QPushButton(panel), 1142, u"wordsButton"_s);
    m_wordsButton->setFlat(true);
    m_wordsButton->setAutoDefault(false);
    m_wordsButton->setProperty("link", true);
    m_sideLayout->addWidget(m_sourceCheck);
    m_sideLayout->addWidget(m_searchButton);
    m_sideLayout->addWidget(m_wordsButton);
}

void MainWindow::buildAutoControls(QWidget *panel)
{
    auto *grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    m_articlesNumberLabel = withSpecId(new QLabel(panel), 1044, u"articlesNumberLabel"_s);
    m_articlesNumberCombo = withSpecId(new QComboBox(panel), 1012, u"articlesNumber"_s);
    m_articlesNumberCombo->setEditable(true);
    m_articlesNumberCombo->setInsertPolicy(QComboBox::NoInsert);
    // Typing 8 must give 8, not the first listed amount that starts with 8.
    m_articlesNumberCombo->setCompleter(nullptr);
    m_articlesNumberCombo->addItems({u"1"_s, u"2"_s, u"5"_s, u"10"_s, u"20"_s, u"50"_s, u"100"_s,
                                     u"200"_s, u"500"_s, u"800"_s, u"1000"_s});
    m_articlesNumberLabel->setBuddy(m_articlesNumberCombo);
    m_degreeLabel = withSpecId(new QLabel(panel), 1082, u"degreeLabel"_s);
    m_degreeCombo = withSpecId(new QComboBox(panel), 1075, u"degree"_s);
    m_degreeCombo->addItems(
        {u"Topmost"_s, u"Very High"_s, u"High"_s, u"General"_s, u"Low"_s, u"Very Low"_s});
    m_degreeLabel->setBuddy(m_degreeCombo);
    grid->addWidget(m_articlesNumberLabel, 0, 0);
    grid->addWidget(m_articlesNumberCombo, 0, 1);
    grid->addWidget(m_degreeLabel, 1, 0);
    grid->addWidget(m_degreeCombo, 1, 1);
    grid->setColumnStretch(1, 1);
    m_sideLayout->addLayout(grid);

    // One button a row: translated captions are long ("Magisch umschreiben").
    m_autoRewriteButton = withSpecId(new QPushButton(panel), 1005, u"autoRewriteButton"_s);
    m_magicButton = withSpecId(new QPushButton(panel), 1100, u"magicRewriteButton"_s);
    for (QPushButton *b : {m_autoRewriteButton, m_magicButton}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(32);
        b->setProperty("accent", true);
        m_sideLayout->addWidget(b);
    }
    followAction(m_autoRewriteButton, action(Command::AutoRewrite));
    followAction(m_magicButton, action(Command::MagicRewrite));

    m_articlesListLabel = withSpecId(new QLabel(panel), 1079, u"articlesListLabel"_s);
    m_articleList = withSpecId(new ArticleList(panel), 1068, u"articleList"_s);
    m_articleList->header()->setStretchLastSection(false);
    m_articleList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_articleList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_articlesListLabel->setBuddy(m_articleList);
    connect(m_articleList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { showListArticle(current); });
    connect(m_articleList, &ArticleList::rowMenuRequested, this, &MainWindow::showListMenu);
    connect(m_articleList, &ArticleList::deletePressed, action(Command::DeleteArticles),
            &QAction::trigger);
    m_sideLayout->addWidget(m_articlesListLabel);
    m_sideLayout->addWidget(m_articleList, 0);
}

void MainWindow::buildSaveControls(QWidget *panel)
{
    auto *saveAllRow = new QHBoxLayout;
    m_selectAllCheck = withSpecId(new QCheckBox(panel), 1065, u"selectAllCheck"_s);
    connect(m_selectAllCheck, &QCheckBox::clicked, this,
            [this](bool on) { m_articleList->setAllChecked(on); });
    m_saveAllButton = withSpecId(new QToolButton(panel), 1004, u"saveAllButton"_s);
    m_saveAllButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_saveAllButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_saveAllButton->setMinimumHeight(28);
    // The arrow offers the same menu as a click on the button's right fifth.
    m_saveAllButton->setMenu(formatMenu());
    followAction(m_saveAllButton, action(Command::SaveAll));
    saveAllRow->addWidget(m_selectAllCheck);
    saveAllRow->addStretch(1);
    saveAllRow->addWidget(m_saveAllButton);
    m_sideLayout->addLayout(saveAllRow);

    // Both modes.
    auto *saveRow = new QHBoxLayout;
    m_saveCurrentLabel = withSpecId(new QLabel(panel), 1167, u"saveCurrentLabel"_s);
    m_saveButton = withSpecId(new QPushButton(panel), 1057, u"saveButton"_s);
    m_saveButton->setAutoDefault(false);
    // The button stays usable on an empty article; only the menu item is greyed.
    connect(m_saveButton, &QPushButton::clicked, this, &MainWindow::saveCommand);
    m_saveCurrentLabel->setBuddy(m_saveButton);
    saveRow->addWidget(m_saveCurrentLabel, 1);
    saveRow->addWidget(m_saveButton);
    m_sideLayout->addSpacing(4);
    m_sideLayout->addLayout(saveRow);
}

QWidget *MainWindow::buildEditorPane()
{
    auto *pane = new QWidget(this);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    m_articleLabel = withSpecId(new QLabel(pane), 1073, u"articleLabel"_s);
    QFont headerFont = m_articleLabel->font();
    headerFont.setBold(true);
    m_articleLabel->setFont(headerFont);
    m_articleEditor = withSpecId(new ArticleEditor(pane), 1002, u"articleEditor"_s);
    m_articleEditor->setAcceptDrops(true);
    m_sourceLabel = withSpecId(new QLabel(pane), 1069, u"sourceLabel"_s);
    m_sourceLabel->setFont(headerFont);
    m_sourceEditor = withSpecId(new ArticleEditor(pane), 1003, u"sourceEditor"_s);
    m_articleLabel->setBuddy(m_articleEditor);
    m_sourceLabel->setBuddy(m_sourceEditor);
    layout->addWidget(m_articleLabel);
    layout->addWidget(m_articleEditor, 3);
    layout->addSpacing(11);
    layout->addWidget(m_sourceLabel);
    layout->addWidget(m_sourceEditor, 2);
    for (ArticleEditor *editor : {m_articleEditor, m_sourceEditor}) {
        connect(editor, &ArticleEditor::focusReceived, this, [this, editor] {
            m_activeEditor = editor;
            if (editor == m_sourceEditor)
                hidePopup();
            updateActions();
        });
        connect(editor, &QTextEdit::selectionChanged, this, &MainWindow::updateActions);
        connect(editor, &QTextEdit::undoAvailable, this, &MainWindow::updateActions);
    }
    connect(m_articleEditor, &QTextEdit::textChanged, this, &MainWindow::updateActions);
    connect(m_articleEditor, &ArticleEditor::scrolled, this, [this] { hidePopup(); });
    layout->addSpacing(2);
    layout->addWidget(buildStatisticsRow(pane));
    layout->addWidget(buildFontBar(pane));
    return pane;
}

QWidget *MainWindow::buildStatisticsRow(QWidget *pane)
{
    auto *row = new QWidget(pane);
    auto *stats = new QHBoxLayout(row);
    stats->setContentsMargins(0, 0, 0, 0);
    stats->setSpacing(8);
    m_statisticsLabel = withSpecId(new QLabel(row), 1083, u"statisticsLabel"_s);
    m_densityCombo = withSpecId(new QComboBox(row), 1015, u"densityList"_s);
    m_densityCombo->setMinimumContentsLength(16);
    m_densityCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_statisticsLabel->setBuddy(m_densityCombo);
    connect(m_densityCombo, &QComboBox::activated, this,
            [this] { m_densityCombo->setCurrentIndex(-1); });
    m_wordsNumberLabel = withSpecId(new QLabel(row), 1034, u"wordsNumberLabel"_s);
    m_replacedLabel = withSpecId(new QLabel(row), 1043, u"replacedLabel"_s);
    m_wordsNumberLabel->hide();
    m_replacedLabel->hide();
    m_fontButton = withSpecId(new QToolButton(row), 1133, u"fontButton"_s);
    m_fontButton->setText(u"Font"_s);
    m_fontButton->setCheckable(true);
    connect(m_fontButton, &QToolButton::clicked, this, [this] { toggleFontBar(); });
    stats->addWidget(m_statisticsLabel);
    stats->addWidget(m_densityCombo);
    stats->addSpacing(8);
    stats->addWidget(m_wordsNumberLabel);
    stats->addSpacing(8);
    stats->addWidget(m_replacedLabel);
    stats->addStretch(1);
    stats->addWidget(m_fontButton);
    return row;
}

QWidget *MainWindow::buildFontBar(QWidget *pane)
{
    m_fontBar = new QWidget(pane);
    m_fontBar->setObjectName(u"fontBar"_s);
    auto *font = new QHBoxLayout(m_fontBar);
    font->setContentsMargins(0, 2, 0, 0);
    font->setSpacing(4);
    m_faceCombo = withSpecId(new QComboBox(m_fontBar), 1130, u"faceList"_s);
    m_faceCombo->setMinimumContentsLength(18);
    m_faceCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_sizeCombo = withSpecId(new QComboBox(m_fontBar), 1126, u"sizeList"_s);
    m_sizeCombo->setMinimumContentsLength(3);
    m_boldButton = withSpecId(new QToolButton(m_fontBar), 1131, u"boldButton"_s);
    m_italicButton = withSpecId(new QToolButton(m_fontBar), 1132, u"italicButton"_s);
    const std::pair<QToolButton *, QString> styles[] = {{m_boldButton, u"B"_s},
                                                        {m_italicButton, u"I"_s}};
    for (const auto &[button, text] : styles) {
        button->setText(text);
        QFont face = button->font();
        face.setBold(button == m_boldButton);
        face.setItalic(button == m_italicButton);
        button->setFont(face);
        button->setCheckable(true);
        button->setMinimumWidth(28);
    }
    connect(m_faceCombo, &QComboBox::activated, this, &MainWindow::faceChanged);
    connect(m_sizeCombo, &QComboBox::activated, this, &MainWindow::sizeChanged);
    connect(m_boldButton, &QToolButton::toggled, this, [](bool on) { Config::setWordsBold(on); });
    connect(m_italicButton, &QToolButton::toggled, this,
            [](bool on) { Config::setWordsItalic(on); });
    m_colorDefaultButton = withSpecId(new ColourButton(m_fontBar), 1025, u"defaultColour"_s);
    m_colorReplacedButton = withSpecId(new ColourButton(m_fontBar), 1026, u"replacedColour"_s);
    m_colorReservedButton = withSpecId(new ColourButton(m_fontBar), 1028, u"reservedColour"_s);
    for (ColourButton *b : {m_colorDefaultButton, m_colorReplacedButton, m_colorReservedButton}) {
        const int id = b->property(SpecIdProperty).toInt();
        connect(b, &QToolButton::clicked, this, [this, id] { chooseColour(id); });
    }
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_faceCombo, m_sizeCombo, m_boldButton, m_italicButton})
        font->addWidget(w);
    font->addSpacing(10);
    font->addWidget(m_colorDefaultButton);
    font->addWidget(m_colorReplacedButton);
    font->addWidget(m_colorReservedButton);
    font->addStretch(1);
    return m_fontBar;
}

void MainWindow::connectSession()
{
    ArticleSession *s = m_session;
    connect(s, &ArticleSession::analysisProgress, m_progressDialog, &ProgressDialog::setPosition);
    connect(s, &ArticleSession::analysisFinished, this, &MainWindow::applyAnalysis);
    connect(s, &ArticleSession::wordsAmountCounted, this, &MainWindow::autoWordsAmount);
    connect(s, &ArticleSession::frequencySummaryReady, this, &MainWindow::fillDensityList);
    connect(s, &ArticleSession::replacedAdded, this, &MainWindow::addReplaced);
    connect(s, &ArticleSession::templateReady, this, &MainWindow::autoTemplateReady);
    connect(s, &ArticleSession::articleCountChanged, this, &MainWindow::autoArticleCount);
    connect(s, &ArticleSession::articleAdded, this, &MainWindow::autoArticleAdded);
    connect(s, &ArticleSession::autoRewriteEnding, this, &MainWindow::autoRewriteEnding);
    connect(s, &ArticleSession::autoRewriteFinished, this, &MainWindow::finishAutoRewrite);
    connect(s, &ArticleSession::replacedChanged, this, &MainWindow::addReplaced);
    connect(s, &ArticleSession::lookupFailed, this, &MainWindow::showLookupError);
    QTextDocument *document = m_articleEditor->document();
    // A new edit ends what Redo could bring back; it is announced before the
    // edit's contentsChanged.
    connect(document, &QTextDocument::undoCommandAdded, s, &ArticleSession::dropRedoSteps);
    connect(document, &QTextDocument::contentsChanged, this, [this] {
        m_session->followUndoSteps(m_articleEditor->document()->availableUndoSteps());
    });
}
