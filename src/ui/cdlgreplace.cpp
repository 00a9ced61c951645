#include "ui/cdlgreplace.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "engine/indefinitearticle.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "ui/clexiswapdlg.h"
#include "ui/cmyricheditctrl.h"
#include "ui/cwordsoptimization.h"

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
const QColor Background(0xEF, 0xEF, 0xEF);
const QColor Frame(0x9A, 0xA3, 0xB0);

template<typename W> W *named(W *widget, int id)
{
    widget->setObjectName(u"ctl"_s + QString::number(id));
    return widget;
}

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

CDlgReplace::CDlgReplace(CLexiswapDlg *window)
    : QWidget(window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_window(window)
{
    setObjectName(u"dlg106"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(PopupSize);
    QPalette p = palette();
    p.setColor(QPalette::Window, Background);
    setPalette(p);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(3);
    m_editWord = named(new QLineEdit(this), 1020);
    m_editWord->setReadOnly(true);
    m_tabTypes = named(new QTabBar(this), 1098);
    m_tabTypes->setExpanding(false);
    m_tabTypes->setDrawBase(false);
    m_tabTypes->setUsesScrollButtons(true);
    m_listSynonyms = named(new QListWidget(this), 1018);
    m_listSynonyms->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listSynonyms->setUniformItemSizes(true);
    m_chkAutoJump = named(new QCheckBox(u"Auto Jump"_s, this), 1019);
    m_btnOpt = named(new QPushButton(u"Opt"_s, this), 1163);
    m_btnPrevious = named(new QPushButton(u"<"_s, this), 1135);
    m_btnNext = named(new QPushButton(u">"_s, this), 1134);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(3);
    buttons->addWidget(m_btnOpt);
    buttons->addStretch(1);
    buttons->addWidget(m_btnPrevious);
    buttons->addWidget(m_btnNext);
    for (QPushButton *b : {m_btnOpt, m_btnPrevious, m_btnNext}) {
        b->setAutoDefault(false);
        b->setMaximumWidth(40);
    }
    layout->addWidget(m_editWord);
    layout->addWidget(m_tabTypes);
    layout->addWidget(m_listSynonyms, 1);
    layout->addWidget(m_chkAutoJump);
    layout->addLayout(buttons);

    connect(m_listSynonyms, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> selected = m_listSynonyms->selectedItems();
        if (!selected.isEmpty())
            choose(m_listSynonyms->row(selected.first()));
    });
    // A click on the row the keys highlighted changes no selection.
    connect(m_listSynonyms, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (m_keyboardChoice)
            choose(m_listSynonyms->row(item));
    });
    connect(m_tabTypes, &QTabBar::currentChanged, this, &CDlgReplace::tabChanged);
    connect(m_chkAutoJump, &QCheckBox::clicked, this, [this](bool on) { m_bAutoJump = on; });
    connect(m_btnNext, &QPushButton::clicked, this, &CDlgReplace::goNext);
    connect(m_btnPrevious, &QPushButton::clicked, this, &CDlgReplace::goPrevious);
    connect(m_btnOpt, &QPushButton::clicked, this, &CDlgReplace::openLibraryEditor);

    m_bEditorEnabled = Config::optimizationEnabled();
    m_btnOpt->setVisible(m_bEditorEnabled);

    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    if (CMyRichEditCtrl *article = editor()) {
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
    move(400, 300);
    hide();
}

CDlgReplace::~CDlgReplace() = default;

CMyRichEditCtrl *CDlgReplace::editor() const
{
    return m_window ? m_window->articleEditor() : nullptr;
}

// --- Opening ---

void CDlgReplace::openFromEditor()
{
    CMyRichEditCtrl *article = editor();
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
        m_bMouseSelected = false;
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

void CDlgReplace::openOnce()
{
    QElapsedTimer clock;
    clock.start();
    CMyRichEditCtrl *article = editor();
    const int s = article->selectionStart();
    const int e = article->selectionEnd();
    article->setSelectionNotify(false);
    m_bEventsEnabled = false;
    const auto finish = [&] {
        m_bEventsEnabled = true;
        article->setSelectionNotify(true);
        m_lastOpeningMs = clock.nsecsElapsed() / 1e6;
    };

    m_keyboardChoice = false;
    // A selection the user did not make with the mouse is not looked up.
    const bool refused = s != e && !m_bMouseSelected;
    m_bMouseSelected = false;
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
    m_strPopupWord = article->formatAt(int(range.start)).foreground().color() == replaced
                         ? Store::originalOf(selected, AppPaths::replacedStoreFile())
                         : selected;
    m_strWordType = WordContext::typeAt(text, range.start, WordContext::sharedTagger());
    place(int(range.start));
    {
        const QSignalBlocker block(m_editWord);
        m_editWord->setText(m_strPopupWord);
        m_editWord->setCursorPosition(0);
    }
    show();
    raise();
    fill(selected);
    markChoice(selected);
    returnFocus();
    finish();
}

TextRange CDlgReplace::clickedRange(QStringView text, int start, int end)
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

bool CDlgReplace::isUnderlined(int position) const
{
    return editor()->formatAt(position).fontUnderline();
}

void CDlgReplace::place(int position)
{
    CMyRichEditCtrl *article = editor();
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
    if (m_bCursorFollowsPopup) {
        m_bCursorFollowsPopup = false;
        QCursor::setPos(QCursor::pos() + moved);
    }
}

// --- Filling ---

void CDlgReplace::fill(const QString &selected)
{
    m_listSynonyms->clear();
    {
        const QSignalBlocker block(m_tabTypes);
        while (m_tabTypes->count() > 0)
            m_tabTypes->removeTab(0);
    }
    const PopupFill found = PopupList::fill(m_strPopupWord, m_window->dictionary(),
                                            AppPaths::storeFile(), m_window->scrambled());
    if (found.hide)
        hide();
    m_strAlternatives = PopupList::preferType(found.alternatives, m_strWordType);
    const QList<PopupGroup> groups = PopupList::groups(m_strAlternatives);
    if (!groups.isEmpty()) {
        int shown = 0;
        if (selected != m_strPopupWord)
            shown = std::max(0, PopupList::groupContaining(m_strAlternatives, selected));
        // A long list opens on the word's own part of speech (placed second).
        else if (!m_strWordType.isEmpty() && groups.size() > 2 &&
                 groups[1].label.compare(m_strWordType, Qt::CaseInsensitive) == 0 &&
                 groups[0].items.size() >= PopupList::RowsForAllTabs)
            shown = 1;
        {
            const QSignalBlocker block(m_tabTypes);
            for (const PopupGroup &g : groups)
                m_tabTypes->addTab(g.label);
            m_tabTypes->setCurrentIndex(shown);
        }
        listGroup(groups[shown]);
        if (m_listSynonyms->count() < PopupList::RowsForAllTabs) {
            const QSignalBlocker block(m_tabTypes);
            while (m_tabTypes->count() > 1)
                m_tabTypes->removeTab(1);
        }
    }
    // Navigation asked for a word with alternatives: move on past this one.
    const bool skip = found.skippable && m_listSynonyms->count() == 0 && m_bForward;
    m_bForward = false;
    if (skip && navigate(true, true))
        m_reopen = true;
}

void CDlgReplace::listGroup(const PopupGroup &group)
{
    m_listSynonyms->clear();
    for (const QString &alternative : group.items) {
        auto *item = new QListWidgetItem(alternative, m_listSynonyms);
        // Checks are set by the program only; a click chooses, it never toggles.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
}

void CDlgReplace::markChoice(const QString &selected)
{
    QStringList rows;
    rows.reserve(m_listSynonyms->count());
    for (int i = 0; i < m_listSynonyms->count(); ++i)
        rows.append(m_listSynonyms->item(i)->text());
    const QList<int> checked = PopupList::checkedRows(rows, selected);
    for (int i = 0; i < m_listSynonyms->count(); ++i)
        m_listSynonyms->item(i)->setCheckState(checked.contains(i) ? Qt::Checked : Qt::Unchecked);
}

void CDlgReplace::tabChanged(int index)
{
    const bool enabled = m_bEventsEnabled;
    m_bEventsEnabled = false;
    const QList<PopupGroup> groups = PopupList::groups(m_strAlternatives);
    if (index >= 0 && index < groups.size())
        listGroup(groups[index]);
    else
        m_listSynonyms->clear();
    markChoice(editor()->selectedPlainText());
    m_bEventsEnabled = enabled;
}

// --- Choosing ---

void CDlgReplace::choose(int row)
{
    if (!m_bEventsEnabled || row < 0 || row >= m_listSynonyms->count())
        return;
    m_bEventsEnabled = false;
    CMyRichEditCtrl *article = editor();
    const QString word = m_editWord->text();
    article->setSelectionNotify(false);
    const int words = PopupList::wordCount(word);
    const QString replacedPath = AppPaths::replacedStoreFile();
    QString records = Store::readStore(replacedPath);
    QString newText = m_listSynonyms->item(row)->text();
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
        m_bEventsEnabled = true;
        return;
    }
    for (int i = 0; i < m_listSynonyms->count(); ++i)
        m_listSynonyms->item(i)->setCheckState(i == row ? Qt::Checked : Qt::Unchecked);

    // The replacement and its formats are one undo step.
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
    if (m_bAutoJump)
        navigate(true, true);
    returnFocus();
    m_bEventsEnabled = true;
}

// --- Navigation ---

bool CDlgReplace::navigate(bool forward, bool setForward)
{
    CMyRichEditCtrl *article = editor();
    if (!article)
        return false;
    const QString text = article->plainText();
    const WordSpan word = forward ? PopupList::nextWord(text, article->selectionEnd())
                                  : PopupList::previousWord(text, article->selectionStart());
    if (word.isEmpty())
        return false;
    if (setForward)
        m_bForward = true;
    m_bCursorFollowsPopup = true;
    m_followsEdit = false;
    // With notifications on, the caret move opens the popup there.
    article->setCaret(
        int(forward ? PopupList::caretIntoNext(word) : PopupList::caretIntoPrevious(word)));
    return true;
}

void CDlgReplace::goNext()
{
    navigate(true, true);
}

void CDlgReplace::goPrevious()
{
    navigate(false, false);
}

// --- Library editor ---

void CDlgReplace::openLibraryEditor()
{
    if (!m_bEditorEnabled)
        return;
    if (!m_dlgOptimization) {
        // Owned by the main window, so that it stays up while the popup hides.
        m_dlgOptimization = new CWordsOptimization(m_window);
        m_dlgOptimization->setObjectName(u"dlg192"_s);
    }
    m_dlgOptimization->setDictionary(m_window->dictionary());
    m_dlgOptimization->setStore(AppPaths::storeFile(), m_window->scrambled());
    m_dlgOptimization->show();
    m_dlgOptimization->raise();
    m_dlgOptimization->activateWindow();
    const QString store = Store::readStore(AppPaths::storeFile(), m_window->scrambled());
    m_dlgOptimization->setWord(PopupList::libraryWord(store, m_strPopupWord));
}

// --- Focus, keys and dragging ---

void CDlgReplace::returnFocus()
{
    CMyRichEditCtrl *article = editor();
    if (!article)
        return;
    if (QApplication::activeWindow() != m_window)
        m_window->activateWindow();
    if (!article->hasFocus())
        article->setFocus(Qt::OtherFocusReason);
}

bool CDlgReplace::ownsEditorSelection() const
{
    const QTextCursor cursor = editor()->textCursor();
    return isVisible() && cursor.hasSelection() &&
           TextRange{cursor.selectionStart(), cursor.selectionEnd()} == m_lastSelection;
}

void CDlgReplace::moveHighlight(int step)
{
    const int count = m_listSynonyms->count();
    if (count == 0)
        return;
    int row = m_listSynonyms->currentRow();
    row = row < 0 ? (step > 0 ? 0 : count - 1) : std::clamp(row + step, 0, count - 1);
    const QSignalBlocker block(m_listSynonyms);
    m_listSynonyms->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    m_listSynonyms->scrollToItem(m_listSynonyms->item(row));
    m_keyboardChoice = true;
}

bool CDlgReplace::handleEditorKey(QKeyEvent *key)
{
    if (!ownsEditorSelection() || key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        moveHighlight(key->key() == Qt::Key_Down ? 1 : -1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_keyboardChoice && m_listSynonyms->currentRow() >= 0) {
            choose(m_listSynonyms->currentRow());
            return true;
        }
        break;
    case Qt::Key_Tab:
        break;
    default:
        return false;
    }
    // A break goes after the word the popup selected, never in its place.
    CMyRichEditCtrl *article = editor();
    const int end = article->selectionEnd();
    article->setSelectionNotify(false);
    article->setCaret(end);
    article->setSelectionNotify(true);
    m_lastSelection = {-1, -1};
    m_keyboardChoice = false;
    hide();
    return false;
}

bool CDlgReplace::handleKey(QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        moveHighlight(key->key() == Qt::Key_Down ? 1 : -1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_listSynonyms->currentRow() >= 0)
            choose(m_listSynonyms->currentRow());
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        navigate(key->key() == Qt::Key_Right, false);
        return true;
    default:
        break;
    }
    if (!isTyping(key))
        return false;
    // Text typed while the popup has the focus belongs to the article.
    CMyRichEditCtrl *article = editor();
    returnFocus();
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   ushort(key->count()));
    QCoreApplication::sendEvent(article, &copy);
    return true;
}

bool CDlgReplace::eventFilter(QObject *watched, QEvent *event)
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
            CMyRichEditCtrl *article = editor();
            if (watched != m_watchedViewport || mouse->button() != Qt::LeftButton ||
                m_window->focusWidget() != article) {
                break;
            }
            if (article->textCursor().hasSelection() &&
                article->selectedPlainText() != m_strPopupWord) {
                m_bMouseSelected = true;
                openFromEditor();
                m_bMouseSelected = false;
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

void CDlgReplace::changeEvent(QEvent *event)
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

void CDlgReplace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Background);
    painter.setPen(Frame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CDlgReplace::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - pos();
    }
    QWidget::mousePressEvent(event);
}

void CDlgReplace::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void CDlgReplace::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
