#include "ui/mainwindow.h"

#include "app/apppaths.h"
#include "app/articlesession.h"
#include "app/config.h"
#include "app/language.h"
#include "engine/jobcontrol.h"
#include "rtf/rtfcharformat.h"
#include "ui/accessiblenames.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/autorewritewaitdialog.h"
#include "ui/filedropfilter.h"
#include "ui/findreplacedialog.h"
#include "ui/progressdialog.h"
#include "ui/skin/colourbutton.h"
#include "ui/skin/skintabbar.h"
#include "ui/specid.h"
#include "ui/synonympopup.h"
#include "ui/uimessage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using MainWindowLogic::Mode;

namespace {

QColor colourOf(quint32 colorRef)
{
    return QColor::fromRgb(Rtf::rgbFromColorRef(colorRef));
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QWidget(parent), m_session(new ArticleSession(this))
{
    withSpecId(this, 102, u"mainWindow"_s);
    setWindowTitle(u"Rewordix"_s);
    buildActions();
    buildControls();
    m_activeEditor = m_articleEditor;
    m_markedFormat = ArticleEditor::underlineFormat();
    m_progressDialog = new ProgressDialog(this);
    m_waitDialog = new AutoRewriteWaitDialog(this);
    connect(m_waitDialog, &AutoRewriteWaitDialog::aborted, this, &MainWindow::autoAbortPressed);
    connectSession();
    m_dropFilter = new FileDropFilter(this);
    m_articleEditor->viewport()->installEventFilter(m_dropFilter);
    connect(m_dropFilter, &FileDropFilter::filesDropped, this, &MainWindow::dropFiles);
    connect(m_articleEditor, &QTextEdit::textChanged, this, &MainWindow::writeBackShownArticle);
    if (const QString icon = AppPaths::installDir() + u"/rewordix.svg"_s; QFileInfo::exists(icon))
        setWindowIcon(QIcon(icon));
    resize(1100, 720);
    updateActions();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The controls go after this body, the session first of them: what they
    // emit on their way out (focus, selection, text) must not reach the window.
    const auto children = findChildren<QObject *>();
    for (QObject *child : children)
        child->disconnect(this);
}

Dictionary *MainWindow::dictionary() const
{
    return m_dictionary.dictionary.get();
}

// --- The session's state, as the window shows it ---

bool MainWindow::isAnalysing() const
{
    return m_session->isAnalysing();
}

bool MainWindow::isAutoRewriting() const
{
    return m_session->isAutoRewriting();
}

bool MainWindow::isListReady() const
{
    return m_session->isListReady();
}

bool MainWindow::isListBusy() const
{
    return m_session->isListBusy();
}

bool MainWindow::isShowingArticle() const
{
    return m_session->isShowingArticle();
}

bool MainWindow::hasOriginalArticle() const
{
    return m_session->hasOriginal();
}

int MainWindow::saveAllFormat() const
{
    return m_session->saveAllFormat();
}

quint32 MainWindow::choiceCounter() const
{
    return m_session->choiceCounter();
}

int MainWindow::wordsAmount() const
{
    return m_session->wordsAmount();
}

bool MainWindow::scrambled() const
{
    return m_session->scrambled();
}

void MainWindow::setIgnoreWords(const QString &words)
{
    m_session->setIgnoreWords(words);
}

QString MainWindow::ignoreWords() const
{
    return m_session->ignoreWords();
}

// --- Initialisation ---

bool MainWindow::initialise()
{
    return initialise(Environment{});
}

bool MainWindow::initialise(const Environment &environment)
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
    m_session->setDictionary(m_dictionary.dictionary.get());
    m_session->setBeforeAnalysis(environment.beforeAnalysis);
    m_session->setAfterArticle(environment.afterArticle);
    if (!m_popup) {
        m_popup = new SynonymPopup(this);
        connect(m_popup, &SynonymPopup::replacementCounted, this, [this](int words) {
            m_session->countReplacement(words, m_articleEditor->document()->availableUndoSteps());
        });
        connect(m_articleEditor, &ArticleEditor::selectionNotified, this, &MainWindow::openPopup);
    }

    setWindowTitle(u"Rewordix"_s);
    m_modeTabs->setCurrentIndex(0);
    m_mode = 0;
    applyModeLayout();
    m_activeEditor = m_articleEditor;

    loadDefaults();
    showEntryCount();

    m_selectAllCheck->hide();
    setSaveAllEnabled(false);
    fillFontLists();
    qApp->installEventFilter(this);
    m_initialised = true;
    updateActions();
    return true;
}

void MainWindow::loadDefaults()
{
    m_articlesNumberCombo->setEditText(Config::articlesNumber());
    m_session->loadSettings();
    m_reservedEdit->setPlainText(Config::reservedWords());
    applyLanguage(Language::currentName());
    m_degreeCombo->setCurrentIndex(std::clamp(Config::replaceDegree(), -1, 5));
    const bool always = Config::alwaysDisplaySourceArticle();
    showSourceArticle(always);
    m_sourceCheck->setEnabled(!always);

    const QString face = Config::wordsFont();
    const int points = Config::wordsSize();
    const bool bold = Config::wordsBold();
    const bool italic = Config::wordsItalic();
    m_defaultFormat =
        ArticleEditor::makeFormat(face, points * 20, bold, italic, Config::wordsColor());
    m_replacedFormat = m_defaultFormat;
    m_replacedFormat.setForeground(colourOf(Config::replacedColor()));
    m_reservedFormat = m_defaultFormat;
    m_reservedFormat.setForeground(colourOf(Config::reservedColor()));
    m_markedFormat = ArticleEditor::underlineFormat();

    for (ArticleEditor *editor : {m_articleEditor, m_sourceEditor}) {
        QFont font = editor->document()->defaultFont();
        font.setFamilies({face});
        if (points > 0)
            font.setPointSize(points);
        font.setBold(bold);
        font.setItalic(italic);
        editor->document()->setDefaultFont(font);
        // The words' colours are chosen for a white page, whatever the scheme.
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, colourOf(Config::wordsColor()));
        editor->setPalette(palette);
        editor->setCurrentCharFormat(m_defaultFormat);
    }
    setColourButton(m_colorDefaultButton, Config::wordsColor());
    setColourButton(m_colorReplacedButton, Config::replacedColor());
    setColourButton(m_colorReservedButton, Config::reservedColor());
    {
        const QSignalBlocker b1(m_boldButton);
        const QSignalBlocker b2(m_italicButton);
        m_boldButton->setChecked(bold);
        m_italicButton->setChecked(italic);
    }
}

void MainWindow::showEntryCount()
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
    m_wordsButton->setText(MainWindowLogic::wordsButtonText(
        header.isEmpty() ? MainWindowLogic::captionPrefix(m_wordsButton->text()) : header, count));
}

void MainWindow::fillFontLists()
{
    const QSignalBlocker block(m_faceCombo);
    m_faceCombo->clear();
    const QStringList families = QFontDatabase::families();
    for (int i = 0; i < families.size(); ++i)
        m_faceCombo->addItem(families[i], i);
    const QString face = Config::wordsFont();
    // A face that is not installed stays unselected; the list still names it.
    m_faceCombo->setPlaceholderText(face);
    m_faceCombo->setCurrentIndex(
        m_faceCombo->findText(face, Qt::MatchExactly | Qt::MatchCaseSensitive));
    fillSizeList(face);
    const QSignalBlocker blockSize(m_sizeCombo);
    m_sizeCombo->setCurrentIndex(m_sizeCombo->findText(QString::number(Config::wordsSize())));
}

void MainWindow::fillSizeList(const QString &face)
{
    const QSignalBlocker block(m_sizeCombo);
    m_sizeCombo->clear();
    QList<int> sizes = QFontDatabase::pointSizes(face);
    if (sizes.isEmpty())
        sizes = QFontDatabase::standardSizes();
    // The stored size is offered even where the face does not list it.
    if (const int stored = Config::wordsSize(); stored > 0 && !sizes.contains(stored)) {
        sizes.append(stored);
        std::sort(sizes.begin(), sizes.end());
    }
    for (int size : std::as_const(sizes))
        m_sizeCombo->addItem(QString::number(size), size);
}

// --- Language ---

void MainWindow::applyLanguage(const QString &displayName)
{
    const QString text = LoadLanguageText(displayName);
    if (text.isEmpty())
        return;
    applyCommandTexts(text);
    applyMainTexts(Language::mainDialogSection(text));
    if (m_findDialog)
        m_findDialog->applyLanguage();
    applyTooltips(Language::sectionFrom(text, u"[Tooltips]"));
    applyAccessibleNames();
}

void MainWindow::applyMainTexts(QStringView main)
{
    if (main.isEmpty())
        return;
    const auto key = [&](QStringView name) {
        return LookupText(QString(u"\r\n" + name + u'='), main);
    };
    const auto set = [](auto *control, const QString &value) {
        if (!value.isEmpty())
            control->setText(value);
    };
    const std::pair<QStringView, QLabel *> labels[] = {
        {u"Reserved Words", m_reservedLabel}, {u"Articles Number", m_articlesNumberLabel},
        {u"Replace Degree", m_degreeLabel},   {u"Articles List", m_articlesListLabel},
        {u"Statistics", m_statisticsLabel},   {u"Save Current Article", m_saveCurrentLabel},
        {u"Source Article", m_sourceLabel},
    };
    for (const auto &[name, label] : labels)
        set(label, key(name));
    const std::pair<QStringView, QAbstractButton *> buttons[] = {
        {u"Analyze", m_searchButton},
        {u"Auto Generate", m_autoRewriteButton},
        {u"Display Source Article", m_sourceCheck},
        {u"Magic Generate", m_magicButton},
        {u"Save", m_saveButton},
        {u"Save all", m_saveAllButton},
        {u"Font", m_fontButton},
    };
    for (const auto &[name, button] : buttons)
        set(button, key(name));
    const int degree = m_degreeCombo->currentIndex();
    m_degreeCombo->clear();
    for (int i = 0; i < 6; ++i)
        m_degreeCombo->addItem(key(QString(u"Replace Degree Item"_s + QString::number(i))));
    m_degreeCombo->setCurrentIndex(degree);
    for (int column = 0; column < 2; ++column) {
        if (const QString caption =
                key(QString(u"Articles List Column"_s + QString::number(column)));
            !caption.isEmpty())
            m_articleList->headerItem()->setText(column, caption);
    }
    for (int tab = 0; tab < 2; ++tab) {
        if (const QString caption = key(QString(u"Replace Way"_s + QString::number(tab)));
            !caption.isEmpty())
            m_modeTabs->setTabText(tab, caption);
    }
    applyFigureTexts(main);
    if (!m_articleLabel->text().contains(u'.'))
        set(m_articleLabel, key(u"Operating Article"));
}

// The figures after the captions' colons survive a language switch.
void MainWindow::applyFigureTexts(QStringView main)
{
    const auto key = [&](QStringView name) {
        return LookupText(QString(u"\r\n" + name + u'='), main);
    };
    if (const QString header = key(u"Btn WordsInfo Header"); !header.isEmpty())
        m_wordsButton->setText(MainWindowLogic::keepFigures(header, m_wordsButton->text()));
    const std::pair<QStringView, QLabel *> labels[] = {{u"Words Number", m_wordsNumberLabel},
                                                       {u"Replaced", m_replacedLabel}};
    for (const auto &[name, label] : labels) {
        if (const QString caption = key(name); !caption.isEmpty())
            label->setText(MainWindowLogic::keepFigures(caption, label->text()));
    }
}

void MainWindow::applyTooltips(QStringView tooltips)
{
    const std::pair<QStringView, QWidget *> table[] = {
        {u"Tooltip_Main_Button_Search_Phrase", m_searchButton},
        {u"Tooltip_Main_Button_Words_Info", m_wordsButton},
        {u"Tooltip_Main_Button_Auto_Rewrite", m_autoRewriteButton},
        {u"Tooltip_Main_Button_Save", m_saveButton},
        {u"Tooltip_Main_Button_Save_All", m_saveAllButton},
        {u"Tooltip_Main_Button_Magic_Rewrite", m_magicButton},
        {u"Tooltip_Main_Button_Font", m_fontButton},
        {u"Tooltip_Main_Button_Font_Bold", m_boldButton},
        {u"Tooltip_Main_Button_Font_Italic", m_italicButton},
        {u"Tooltip_Main_Button_Font_Default_Color", m_colorDefaultButton},
        {u"Tooltip_Main_Button_Font_Replaced_Color", m_colorReplacedButton},
        {u"Tooltip_Main_Button_Font_Reserved_Color", m_colorReservedButton},
        {u"Tooltip_Check_Select_All_Article", m_selectAllCheck},
        {u"Tooltip_Button_Minisize", findBySpecId<QAbstractButton>(this, Command::Minimise)},
        {u"Tooltip_Button_Close", findBySpecId<QAbstractButton>(this, Command::Exit)},
    };
    for (const auto &[key, widget] : table) {
        const QString tip = LookupText(QString(u"\r\n" + key + u'='), tooltips);
        if (widget && !tip.isEmpty())
            widget->setToolTip(tip);
    }
}

void MainWindow::applyAccessibleNames()
{
    const QString font = AccessibleNames::spoken(m_fontButton->text());
    const QHash<QWidget *, QString> given = {
        {m_modeTabs,
         m_modeTabs->tabText(0).trimmed() + u" / "_s + m_modeTabs->tabText(1).trimmed()},
        {m_faceCombo, font},
        {m_sizeCombo, font + u" (pt)"_s},
    };
    AccessibleNames::apply(this, given);
}

// --- Layout of the modes, the source pane and the font bar ---

void MainWindow::setMode(Mode mode)
{
    m_mode = int(mode);
    m_modeTabs->setCurrentIndex(m_mode);
    applyModeLayout();
}

void MainWindow::applyModeLayout()
{
    const bool autoMode = m_mode == int(Mode::Auto);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_sourceCheck, m_searchButton, m_wordsButton})
        w->setVisible(!autoMode);
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_articlesNumberLabel, m_degreeLabel, m_articlesListLabel, m_articlesNumberCombo,
             m_degreeCombo, m_autoRewriteButton, m_articleList, m_saveAllButton, m_magicButton})
        w->setVisible(autoMode);
    // The reserved-words box takes the free height in the manual mode, the
    // article list in the auto mode.
    m_sideLayout->setStretchFactor(m_reservedEdit, autoMode ? 0 : 1);
    m_sideLayout->setStretchFactor(m_articleList, autoMode ? 1 : 0);
    m_reservedEdit->setMaximumHeight(autoMode ? m_reservedEdit->fontMetrics().lineSpacing() * 6
                                              : QWIDGETSIZE_MAX);
    refreshSelectAllBox();
}

void MainWindow::refreshSelectAllBox()
{
    m_selectAllCheck->setVisible(
        MainWindowLogic::selectAllBoxVisible(mode(), m_articleList->topLevelItemCount()));
}

void MainWindow::showSourceArticle(bool show)
{
    m_sourceCheck->setChecked(show);
    m_sourceLabel->setVisible(show);
    m_sourceEditor->setVisible(show);
}

void MainWindow::setSourceCheckEnabled(bool enabled)
{
    m_sourceCheck->setEnabled(enabled);
}

void MainWindow::toggleFontBar()
{
    m_fontBarOn = !m_fontBarOn;
    m_fontButton->setChecked(m_fontBarOn);
    m_fontBar->setVisible(m_fontBarOn);
}

void MainWindow::faceChanged(int index)
{
    const QString face = m_faceCombo->itemText(index);
    if (m_fontBarOn)
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
    m_boldButton->setEnabled(hasBold);
    m_italicButton->setEnabled(hasItalic);
    fillSizeList(face);
    const QSignalBlocker block(m_sizeCombo);
    m_sizeCombo->setCurrentIndex(m_sizeCombo->findText(QString::number(Config::wordsSize())));
}

void MainWindow::sizeChanged(int index)
{
    if (index >= 0)
        Config::setWordsSize(m_sizeCombo->itemText(index));
}

void MainWindow::setColourButton(ColourButton *button, quint32 colorRef)
{
    button->setColour(colourOf(colorRef));
    button->setProperty("colorRef", colorRef);
}

void MainWindow::chooseColour(int id)
{
    ColourButton *button = id == 1025   ? m_colorDefaultButton
                           : id == 1026 ? m_colorReplacedButton
                                        : m_colorReservedButton;
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

// --- Keyboard and mouse ---

void MainWindow::hidePopup()
{
    if (m_popup)
        m_popup->hide();
}

void MainWindow::openPopup()
{
    if (m_popup)
        m_popup->openFromEditor();
}

bool MainWindow::moveCaretByWord(bool forward, bool keepAnchor)
{
    QTextCursor cursor = m_articleEditor->textCursor();
    // A word the popup selected is left from the side the key points to.
    const int from = keepAnchor ? cursor.position()
                                : (forward ? cursor.selectionEnd() : cursor.selectionStart());
    const auto target =
        MainWindowLogic::neighbouringWordStart(m_articleEditor->plainText(), from, forward);
    if (!target)
        return false;
    cursor.setPosition(*target, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_articleEditor->setTextCursor(cursor);
    return true;
}

bool MainWindow::filterKey(QWidget *widget, const QKeyEvent *key)
{
    // The menu bar keeps Escape and Enter: they leave it and open its menus.
    if (widget == m_menuBar)
        return false;
    if (key->key() == Qt::Key_Escape)
        return true;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return widget != m_reservedEdit && widget != m_articleEditor && widget != m_sourceEditor;
    if ((key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) && widget == m_articleEditor) {
        moveCaretByWord(key->key() == Qt::Key_Right, key->modifiers().testFlag(Qt::ShiftModifier));
        return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress:
        if (filterKey(widget, static_cast<QKeyEvent *>(event)))
            return true;
        break;
    case QEvent::Wheel:
        if (widget == m_articleEditor->viewport())
            hidePopup();
        break;
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton)
            break;
        ArticleEditor *editor = widget == m_articleEditor->viewport()  ? m_articleEditor
                                : widget == m_sourceEditor->viewport() ? m_sourceEditor
                                                                       : nullptr;
        if (!editor)
            break;
        if (editor == m_activeEditor)
            showEditorContextMenu(mouse->globalPosition().toPoint());
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!mayLeaveArticle()) {
        event->ignore();
        return;
    }
    // A running analysis holds the dictionary; the progress dialog is modal, so
    // this only happens when the window system closes the program.
    if (JobControl *job = m_session->analysisJob()) {
        job->abort();
        job->setPaused(false);
    }
    if (m_session->isAutoRewriting())
        m_session->abortAutoRewrite();
    event->accept();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitIntoScreen();
    // The window manager's frame is known only once the window is mapped.
    QTimer::singleShot(200, this, &MainWindow::fitIntoScreen);
}

void MainWindow::fitIntoScreen()
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

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
