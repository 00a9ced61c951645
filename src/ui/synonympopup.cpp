#include "ui/synonympopup.h"

#include "app/apppaths.h"
#include "app/articlesession.h"
#include "app/config.h"
#include "engine/indefinitearticle.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "ui/articleeditor.h"
#include "ui/mainwindow.h"
#include "ui/skin/skin.h"
#include "ui/skin/skinrowdelegate.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"
#include "ui/wordlibrarydialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// Template 106 is 124 by 146 dialog units of "MS Shell Dlg" 8.
constexpr QSize PopupSize(186, 238);
constexpr int PopupBand = 10; // the top slice of the skin's popup bitmap

bool isTyping(const QKeyEvent *key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete)
        return true;
    const QString text = key->text();
    return !text.isEmpty() && text.front().isPrint();
}

} // namespace

SynonymPopup::SynonymPopup(MainWindow *window)
    : QWidget(window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_window(window)
{
    withSpecId(this, 106, u"synonymPopup"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(PopupSize);
    buildControls();
    connectControls();
    // Before watchEditor(): the popup's own filter, installed later, sees a
    // press before the frame's drag takes it.
    SkinWindow::attach(this, SkinWindow::Options::borderless(u"popup"_s, PopupBand));

    m_editorEnabled = Config::optimizationEnabled();
    m_optButton->setVisible(m_editorEnabled);
    watchEditor();
    move(400, 300);
    hide();
}

void SynonymPopup::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(3);
    m_wordEdit = withSpecId(new QLineEdit(this), 1020);
    m_wordEdit->setReadOnly(true);
    m_typeTabs = withSpecId(new QTabBar(this), 1098);
    m_typeTabs->setExpanding(false);
    m_typeTabs->setDrawBase(false);
    m_typeTabs->setUsesScrollButtons(true);
    m_synonymList = withSpecId(new QListWidget(this), 1018);
    m_synonymList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_synonymList->setUniformItemSizes(true);
    m_synonymList->setItemDelegate(new SkinRowDelegate(m_synonymList));
    m_autoJumpCheck = withSpecId(new QCheckBox(u"Auto Jump"_s, this), 1019);
    m_optButton = withSpecId(new QPushButton(u"Opt"_s, this), 1163);
    m_previousButton = withSpecId(new QPushButton(u"<"_s, this), 1135);
    m_nextButton = withSpecId(new QPushButton(u">"_s, this), 1134);
    // Read out in place of the marks the popup shows.
    m_wordEdit->setAccessibleName(u"Word"_s);
    m_typeTabs->setAccessibleName(u"Part of speech"_s);
    m_synonymList->setAccessibleName(u"Synonyms"_s);
    m_previousButton->setAccessibleName(u"Previous word"_s);
    m_nextButton->setAccessibleName(u"Next word"_s);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(3);
    buttons->addWidget(m_optButton);
    buttons->addStretch(1);
    buttons->addWidget(m_previousButton);
    buttons->addWidget(m_nextButton);
    for (QPushButton *b : {m_optButton, m_previousButton, m_nextButton}) {
        b->setAutoDefault(false);
        b->setMaximumWidth(40);
    }
    layout->addWidget(m_wordEdit);
    layout->addWidget(m_typeTabs);
    layout->addWidget(m_synonymList, 1);
    layout->addWidget(m_autoJumpCheck);
    layout->addLayout(buttons);
}

void SynonymPopup::connectControls()
{
    connect(m_synonymList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> selected = m_synonymList->selectedItems();
        if (!selected.isEmpty())
            choose(m_synonymList->row(selected.first()));
    });
    // A click on the row the keys highlighted changes no selection.
    connect(m_synonymList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (m_keyboardChoice)
            choose(m_synonymList->row(item));
    });
    connect(m_typeTabs, &QTabBar::currentChanged, this, &SynonymPopup::tabChanged);
    connect(m_autoJumpCheck, &QCheckBox::clicked, this, [this](bool on) { m_autoJump = on; });
    connect(m_nextButton, &QPushButton::clicked, this, &SynonymPopup::goNext);
    connect(m_previousButton, &QPushButton::clicked, this, &SynonymPopup::goPrevious);
    connect(m_optButton, &QPushButton::clicked, this, &SynonymPopup::openLibraryEditor);
}

void SynonymPopup::watchEditor()
{
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    if (ArticleEditor *article = editor()) {
        m_watchedEditor = article;
        m_watchedViewport = article->viewport();
        article->installEventFilter(this);
        article->viewport()->installEventFilter(this);
        // A selection change that an edit caused (typing, pasting, undo) must
        // not select the word there: the next keystroke would replace it.
        connect(article->document(), &QTextDocument::contentsChange, this, [this] {
            if (editor()->selectionNotify()) {
                m_followsEdit = true;
                // The text the popup was opened for is no longer there as it was.
                m_lastSelection = {-1, -1};
            }
        });
    }
}

SynonymPopup::~SynonymPopup() = default;

ArticleEditor *SynonymPopup::editor() const
{
    return m_window ? m_window->articleEditor() : nullptr;
}

// --- Opening ---

void SynonymPopup::openFromEditor()
{
    ArticleEditor *article = editor();
    if (!article)
        return;
    if (m_followsEdit) {
        // Typing leaves a caret; a selection is some command's doing (Select
        // All, Find Next), which the popup must not act on.
        if (!article->textCursor().hasSelection())
            return;
        m_followsEdit = false;
    }
    if (m_opening) {
        m_reopen = true;
        return;
    }
    // The editor reports one click as a caret move and a selection change;
    // the second finds the popup already there.
    const TextRange selection{article->selectionStart(), article->selectionEnd()};
    if (isVisible() && selection == m_lastSelection) {
        m_mouseSelected = false;
        return;
    }
    // Navigation that skips words re-opens in this loop, not recursively.
    m_opening = true;
    do {
        m_reopen = false;
        openOnce();
    } while (m_reopen);
    m_opening = false;
}

void SynonymPopup::openOnce()
{
    QElapsedTimer clock;
    clock.start();
    ArticleEditor *article = editor();
    const int s = article->selectionStart();
    const int e = article->selectionEnd();
    article->setSelectionNotify(false);
    m_eventsEnabled = false;
    const auto finish = [&] {
        m_eventsEnabled = true;
        article->setSelectionNotify(true);
        m_lastOpeningMs = clock.nsecsElapsed() / 1e6;
    };

    m_keyboardChoice = false;
    // A selection the user did not make with the mouse is not looked up.
    const bool refused = s != e && !m_mouseSelected;
    m_mouseSelected = false;
    const QString text = article->plainText();
    const TextRange range = refused ? TextRange{} : clickedRange(text, s, e);
    if (range.isEmpty()) {
        hide();
        m_lastSelection = {-1, -1};
        finish();
        return;
    }

    article->select(int(range.start), int(range.end));
    article->ensureCursorVisible();
    m_lastSelection = range;
    const QString selected = text.mid(range.start, range.end - range.start);
    const QColor replaced = m_window->replacedFormat().foreground().color();
    m_popupWord = article->formatAt(int(range.start)).foreground().color() == replaced
                      ? Store::originalOf(selected, AppPaths::replacedStoreFile())
                      : selected;
    m_wordType = WordContext::typeAt(text, range.start, WordContext::sharedTagger());
    place(int(range.start));
    {
        const QSignalBlocker block(m_wordEdit);
        m_wordEdit->setText(m_popupWord);
        m_wordEdit->setCursorPosition(0);
    }
    show();
    raise();
    fill(selected);
    markChoice(selected);
    returnFocus();
    finish();
}

TextRange SynonymPopup::clickedRange(QStringView text, int start, int end)
{
    if (start != end)
        return PopupList::trimmed(text, {start, end});
    TextRange range = PopupList::trimmed(text, PopupList::wordAround(text, start));
    // A marked phrase or a replacement of several words is taken whole.
    if (!range.isEmpty() && isUnderlined(int(range.start))) {
        while (range.start > 0 && isUnderlined(int(range.start - 1)))
            --range.start;
        while (range.end < text.size() && isUnderlined(int(range.end)))
            ++range.end;
        range = PopupList::trimmed(text, range);
    }
    return range;
}

bool SynonymPopup::isUnderlined(int position) const
{
    return editor()->formatAt(position).fontUnderline();
}

void SynonymPopup::place(int position)
{
    ArticleEditor *article = editor();
    QTextCursor cursor(article->document());
    cursor.setPosition(position);
    QWidget *client = article->viewport();
    PopupList::PlacementInput input;
    input.charPos = article->cursorRect(cursor).topLeft();
    input.editorRect = QRect(client->mapToGlobal(QPoint(0, 0)), client->size());
    const qreal points = m_window->defaultFormat().fontPointSize();
    input.fontHeight = points > 0 ? qRound(points) : 12;
    input.popupHeight = height();
    const QScreen *screen = article->screen();
    input.screenBottom = screen ? screen->geometry().y() + screen->geometry().height()
                                : std::numeric_limits<int>::max() / 2;
    const QPoint target = PopupList::placement(input);
    const QPoint moved = target - pos();
    move(target);
    if (m_cursorFollowsPopup) {
        m_cursorFollowsPopup = false;
        QCursor::setPos(QCursor::pos() + moved);
    }
}

// --- Filling ---

void SynonymPopup::fill(const QString &selected)
{
    m_synonymList->clear();
    {
        const QSignalBlocker block(m_typeTabs);
        while (m_typeTabs->count() > 0)
            m_typeTabs->removeTab(0);
    }
    const PopupFill found = PopupList::fill(m_popupWord, m_window->dictionary(),
                                            AppPaths::storeFile(), m_window->scrambled());
    // A failed lookup reads as "no alternatives"; the window says why, once.
    m_window->session()->reportLookupError();
    if (found.hide)
        hide();
    m_alternatives = PopupList::preferType(found.alternatives, m_wordType);
    const QList<PopupGroup> groups = PopupList::groups(m_alternatives);
    if (!groups.isEmpty()) {
        int shown = 0;
        if (selected != m_popupWord)
            shown = std::max(0, PopupList::groupContaining(m_alternatives, selected));
        // A long list opens on the word's own part of speech (placed second).
        else if (!m_wordType.isEmpty() && groups.size() > 2 &&
                 groups[1].label.compare(m_wordType, Qt::CaseInsensitive) == 0 &&
                 groups[0].items.size() >= PopupList::RowsForAllTabs)
            shown = 1;
        {
            const QSignalBlocker block(m_typeTabs);
            for (const PopupGroup &g : groups)
                m_typeTabs->addTab(g.label);
            m_typeTabs->setCurrentIndex(shown);
        }
        listGroup(groups[shown]);
        if (m_synonymList->count() < PopupList::RowsForAllTabs) {
            const QSignalBlocker block(m_typeTabs);
            while (m_typeTabs->count() > 1)
                m_typeTabs->removeTab(1);
        }
    }
    // Navigation asked for a word with alternatives: move on past this one.
    const bool skip = found.skippable && m_synonymList->count() == 0 && m_forward;
    m_forward = false;
    if (skip && navigate(true, true))
        m_reopen = true;
}

void SynonymPopup::listGroup(const PopupGroup &group)
{
    m_synonymList->clear();
    for (const QString &alternative : group.items) {
        auto *item = new QListWidgetItem(alternative, m_synonymList);
        // Checks are set by the program only; a click chooses, it never toggles.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
}

void SynonymPopup::markChoice(const QString &selected)
{
    QStringList rows;
    rows.reserve(m_synonymList->count());
    for (int i = 0; i < m_synonymList->count(); ++i)
        rows.append(m_synonymList->item(i)->text());
    const QList<int> checked = PopupList::checkedRows(rows, selected);
    for (int i = 0; i < m_synonymList->count(); ++i)
        m_synonymList->item(i)->setCheckState(checked.contains(i) ? Qt::Checked : Qt::Unchecked);
}

void SynonymPopup::tabChanged(int index)
{
    const bool enabled = m_eventsEnabled;
    m_eventsEnabled = false;
    const QList<PopupGroup> groups = PopupList::groups(m_alternatives);
    if (index >= 0 && index < groups.size())
        listGroup(groups[index]);
    else
        m_synonymList->clear();
    markChoice(editor()->selectedPlainText());
    m_eventsEnabled = enabled;
}

// --- Choosing ---

// The replacement, its format and the agreeing "a"/"an" are one undo step;
// cursor ends selecting the new text.
void SynonymPopup::replaceSelection(QTextCursor &cursor, const QString &newText)
{
    ArticleEditor *article = editor();
    const int start = cursor.selectionStart();
    cursor.beginEditBlock();
    cursor.insertText(newText);
    if (!newText.isEmpty()) {
        cursor.setPosition(start);
        cursor.setPosition(start + int(newText.size()), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(m_window->replacedFormat().foreground());
        format.setFontUnderline(newText.mid(1).contains(u' '));
        cursor.mergeCharFormat(format);
        // "a"/"an" before the word agrees with the new one ("an owl" -> "a bird").
        const QString plain = article->plainText();
        if (const auto range = IndefiniteArticle::articleBefore(plain, start)) {
            const auto [from, to] = *range;
            const QString agreeing =
                IndefiniteArticle::agreeing(QStringView(plain).mid(from, to - from), newText);
            if (agreeing != QStringView(plain).mid(from, to - from)) {
                QTextCursor fix(article->document());
                fix.setPosition(int(from));
                fix.setPosition(int(to), QTextCursor::KeepAnchor);
                fix.insertText(agreeing);
            }
        }
    }
    cursor.endEditBlock();
}

void SynonymPopup::choose(int row)
{
    if (!m_eventsEnabled || row < 0 || row >= m_synonymList->count())
        return;
    m_eventsEnabled = false;
    ArticleEditor *article = editor();
    const QString word = m_wordEdit->text();
    article->setSelectionNotify(false);
    const int words = PopupList::wordCount(word);
    const QString replacedPath = AppPaths::replacedStoreFile();
    QString records = Store::readStore(replacedPath);
    QString newText = m_synonymList->item(row)->text();
    if (newText == PopupList::Blank)
        newText.clear();

    m_keyboardChoice = false;
    QTextCursor cursor = article->textCursor();
    if (!cursor.hasSelection() ||
        TextRange{cursor.selectionStart(), cursor.selectionEnd()} != m_lastSelection) {
        // Only the span the popup was opened for is replaced.
        if (cursor.hasSelection())
            hide();
        article->setSelectionNotify(true);
        m_eventsEnabled = true;
        return;
    }
    for (int i = 0; i < m_synonymList->count(); ++i)
        m_synonymList->item(i)->setCheckState(i == row ? Qt::Checked : Qt::Unchecked);

    replaceSelection(cursor, newText);
    article->setTextCursor(cursor);
    m_lastSelection = {cursor.selectionStart(), cursor.selectionEnd()};

    if (!newText.isEmpty()) {
        const QString record = PopupList::record(newText, word);
        if (!PopupList::hasRecord(records, record)) {
            records += record + Store::LineEnd;
            Store::writeStore(replacedPath, records);
            Q_EMIT replacementCounted(words);
        }
    } else {
        Q_EMIT replacementCounted(words);
    }

    article->setSelectionNotify(true);
    if (m_autoJump)
        navigate(true, true);
    returnFocus();
    m_eventsEnabled = true;
}

// --- Navigation ---

bool SynonymPopup::navigate(bool forward, bool setForward)
{
    ArticleEditor *article = editor();
    if (!article)
        return false;
    const QString text = article->plainText();
    const WordSpan word = forward ? PopupList::nextWord(text, article->selectionEnd())
                                  : PopupList::previousWord(text, article->selectionStart());
    if (word.isEmpty())
        return false;
    if (setForward)
        m_forward = true;
    m_cursorFollowsPopup = true;
    m_followsEdit = false;
    // With notifications on, the caret move opens the popup there.
    article->setCaret(
        int(forward ? PopupList::caretIntoNext(word) : PopupList::caretIntoPrevious(word)));
    return true;
}

void SynonymPopup::goNext()
{
    navigate(true, true);
}

void SynonymPopup::goPrevious()
{
    navigate(false, false);
}

// --- Library editor ---

void SynonymPopup::openLibraryEditor()
{
    if (!m_editorEnabled)
        return;
    if (!m_libraryDialog) {
        // Owned by the main window, so that it stays up while the popup hides.
        m_libraryDialog = new WordLibraryDialog(m_window);
        withSpecId(m_libraryDialog, 192, u"wordLibraryDialog"_s);
    }
    m_libraryDialog->setDictionary(m_window->dictionary());
    m_libraryDialog->setStore(AppPaths::storeFile(), m_window->scrambled());
    m_libraryDialog->show();
    m_libraryDialog->raise();
    m_libraryDialog->activateWindow();
    const QString store = Store::readStore(AppPaths::storeFile(), m_window->scrambled());
    m_libraryDialog->setWord(PopupList::libraryWord(store, m_popupWord));
}

// --- Focus, keys and dragging ---

void SynonymPopup::returnFocus()
{
    ArticleEditor *article = editor();
    if (!article)
        return;
    if (QApplication::activeWindow() != m_window)
        m_window->activateWindow();
    if (!article->hasFocus())
        article->setFocus(Qt::OtherFocusReason);
}

bool SynonymPopup::ownsEditorSelection() const
{
    const QTextCursor cursor = editor()->textCursor();
    return isVisible() && cursor.hasSelection() &&
           TextRange{cursor.selectionStart(), cursor.selectionEnd()} == m_lastSelection;
}

void SynonymPopup::moveHighlight(int step)
{
    const int count = m_synonymList->count();
    if (count == 0)
        return;
    int row = m_synonymList->currentRow();
    row = row < 0 ? (step > 0 ? 0 : count - 1) : std::clamp(row + step, 0, count - 1);
    const QSignalBlocker block(m_synonymList);
    m_synonymList->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    m_synonymList->scrollToItem(m_synonymList->item(row));
    m_keyboardChoice = true;
}

namespace {

bool isChooseKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

} // namespace

bool SynonymPopup::useListKey(int key, bool mayChoose)
{
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        moveHighlight(key == Qt::Key_Down ? 1 : -1);
        return true;
    }
    if (!isChooseKey(key) || !mayChoose || m_synonymList->currentRow() < 0)
        return false;
    choose(m_synonymList->currentRow());
    return true;
}

bool SynonymPopup::handleEditorKey(QKeyEvent *key)
{
    if (!ownsEditorSelection() || key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    if (useListKey(key->key(), m_keyboardChoice))
        return true;
    // Return, Enter, Space and Tab then go to the article and close the popup;
    // other keys go there with the popup left open.
    if (!isChooseKey(key->key()) && key->key() != Qt::Key_Tab)
        return false;
    // A break goes after the word the popup selected, never in its place.
    ArticleEditor *article = editor();
    const int end = article->selectionEnd();
    article->setSelectionNotify(false);
    article->setCaret(end);
    article->setSelectionNotify(true);
    m_lastSelection = {-1, -1};
    m_keyboardChoice = false;
    hide();
    return false;
}

bool SynonymPopup::handleKey(QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        navigate(key->key() == Qt::Key_Right, false);
        return true;
    default:
        // Return, Enter and Space are the popup's even with no row to choose.
        if (useListKey(key->key(), true) || isChooseKey(key->key()))
            return true;
        break;
    }
    if (!isTyping(key))
        return false;
    // Text typed while the popup has the focus belongs to the article.
    ArticleEditor *article = editor();
    returnFocus();
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   ushort(key->count()));
    QCoreApplication::sendEvent(article, &copy);
    return true;
}

bool SynonymPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedEditor || watched == m_watchedViewport) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (handleEditorKey(static_cast<QKeyEvent *>(event)))
                return true;
            m_followsEdit = false;
            break;
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
            // New input: what it does to the selection is the user's move.
            m_followsEdit = false;
            break;
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            ArticleEditor *article = editor();
            if (watched != m_watchedViewport || mouse->button() != Qt::LeftButton ||
                m_window->focusWidget() != article) {
                break;
            }
            if (article->textCursor().hasSelection() &&
                article->selectedPlainText() != m_popupWord) {
                m_mouseSelected = true;
                openFromEditor();
                m_mouseSelected = false;
            }
            break;
        }
        default:
            break;
        }
        return false;
    }
    if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this) {
        if (event->type() == QEvent::MouseButtonPress)
            m_pressedByUser = true;
        else if (event->type() == QEvent::KeyPress)
            return handleKey(static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

void SynonymPopup::changeEvent(QEvent *event)
{
    // Platforms that activate every window they show get the activation
    // handed back: only a click on the popup may take it from the editor.
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow())
            m_pressedByUser = false;
        else if (!m_pressedByUser && m_window)
            m_window->activateWindow();
    }
    QWidget::changeEvent(event);
}

void SynonymPopup::paintEvent(QPaintEvent *)
{
    // Skinned, the frame has drawn the popup's bitmap.
    QPainter painter(this);
    Skin::instance().drawPlainBackground(&painter, *this);
}
