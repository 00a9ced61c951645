#include "ui/findreplacedialog.h"

#include "app/language.h"
#include "ui/articleeditor.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"
#include "ui/uimessage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {} // namespace

FindReplaceDialog::FindReplaceDialog(TargetFn target, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_target(std::move(target))
{
    withSpecId(this, 108, u"findReplaceDialog"_s);
    setWindowTitle(u"Rewordix"_s);

    m_titleLabel = withSpecId(new QLabel(u"Find & Replace"_s, this), 1136);
    QFont titleFont(u"Arial"_s);
    titleFont.setBold(true);
    m_titleLabel->setFont(titleFont);
    m_closeButton = withSpecId(new QPushButton(u"\u2715"_s, this), 1102);
    m_closeButton->setFlat(true);
    m_closeButton->setFixedWidth(m_closeButton->sizeHint().height());
    m_findLabel = withSpecId(new QLabel(this), 1084);
    m_findEdit = withSpecId(new QLineEdit(this), 1041);
    m_replaceLabel = withSpecId(new QLabel(this), 1085);
    m_replaceEdit = withSpecId(new QLineEdit(this), 1042);
    m_findButton = withSpecId(new QPushButton(u"Find Next"_s, this), 1011);
    m_replaceButton = withSpecId(new QPushButton(u"Replace"_s, this), 1046);
    m_replaceAllButton = withSpecId(new QPushButton(u"Replace All"_s, this), 1047);
    m_cancelButton = withSpecId(new QPushButton(u"Cancel"_s, this), 2);
    for (QPushButton *b :
         {m_findButton, m_replaceButton, m_replaceAllButton, m_cancelButton, m_closeButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    m_findLabel->setBuddy(m_findEdit);
    m_replaceLabel->setBuddy(m_replaceEdit);
    connect(m_findButton, &QPushButton::clicked, this, &FindReplaceDialog::findNext);
    connect(m_replaceButton, &QPushButton::clicked, this, &FindReplaceDialog::replace);
    connect(m_replaceAllButton, &QPushButton::clicked, this, &FindReplaceDialog::replaceAll);
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::hide);

    QVBoxLayout *layout = SkinWindow::layoutUnderTitle(this, m_titleLabel, m_closeButton);
    layout->setContentsMargins(12, 8, 8, 12);
    auto *grid = new QGridLayout;
    grid->addWidget(m_findLabel, 0, 0);
    grid->addWidget(m_findEdit, 0, 1);
    grid->addWidget(m_findButton, 0, 2);
    grid->addWidget(m_replaceLabel, 1, 0);
    grid->addWidget(m_replaceEdit, 1, 1);
    grid->addWidget(m_replaceButton, 1, 2);
    grid->addWidget(m_replaceAllButton, 2, 2);
    grid->addWidget(m_cancelButton, 3, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 200);
    layout->addLayout(grid);

    SkinWindow::Options frame;
    frame.caption = m_titleLabel;
    frame.close = m_closeButton;
    // The window manager's frame carries the close box with the system look.
    if (!SkinWindow::attach(this, frame))
        m_closeButton->hide();
}

void FindReplaceDialog::applyLanguage()
{
    const Language::SectionTexts key(u"[Find & Replace Dialog]");
    // A label without a buddy shows "&&" as it stands.
    if (const QString title = key(u"Find and Replace"); !title.isEmpty())
        m_titleLabel->setText(QString(title).replace(u"&&"_s, u"&"_s));
    key.apply({{m_findLabel, u"Find Content"},
               {m_replaceLabel, u"Replaced By"},
               {m_replaceButton, u"Replace"},
               {m_replaceAllButton, u"Replace all"},
               {m_findButton, u"Find"},
               {m_cancelButton, u"Cancel"}});
    adjustSize();
}

void FindReplaceDialog::findNext()
{
    ArticleEditor *editor = m_target ? m_target() : nullptr;
    const QString find = m_findEdit->text();
    if (find.isEmpty()) {
        UiMessage::show(this, 9, QMessageBox::Warning);
        return;
    }
    if (!editor)
        return;
    const QTextCursor cursor = editor->textCursor();
    const int from = cursor.hasSelection() ? cursor.selectionEnd() + 1 : cursor.position();
    const int hit = editor->findWholeWord(find, from);
    if (hit >= 0) {
        editor->select(hit, hit + int(find.size()));
        return;
    }
    // Back to the top without waking the synonym popup, so the next search
    // starts there.
    const bool notify = editor->selectionNotify();
    editor->setSelectionNotify(false);
    editor->setCaret(0);
    editor->setSelectionNotify(notify);
    UiMessage::show(this, 11, QMessageBox::Information);
}

void FindReplaceDialog::replace()
{
    ArticleEditor *editor = m_target ? m_target() : nullptr;
    if (editor && editor->textCursor().hasSelection())
        editor->replaceSelection(m_replaceEdit->text());
}

void FindReplaceDialog::replaceAll()
{
    ArticleEditor *editor = m_target ? m_target() : nullptr;
    const QString find = m_findEdit->text();
    const QString replacement = m_replaceEdit->text();
    if (find.isEmpty()) {
        UiMessage::show(this, 9, QMessageBox::Warning);
        return;
    }
    if (editor) {
        int from = 0;
        for (int hit = editor->findWholeWord(find, from); hit >= 0;
             hit = editor->findWholeWord(find, from)) {
            editor->select(hit, hit + int(find.size()));
            editor->replaceSelection(replacement);
            // The search goes on after the inserted text, so a replacement
            // that contains the word is not searched again.
            from = hit + int(replacement.size());
        }
    }
    UiMessage::show(this, 10, QMessageBox::NoIcon);
}

void FindReplaceDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        findNext();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void FindReplaceDialog::focusFindBox()
{
    m_findEdit->setFocus(Qt::ActiveWindowFocusReason);
    m_findEdit->selectAll();
}
