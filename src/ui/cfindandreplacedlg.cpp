#include "ui/cfindandreplacedlg.h"

#include "app/language.h"
#include "ui/cmyricheditctrl.h"
#include "ui/uimessage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

template<typename W> W *named(W *widget, int id)
{
    widget->setObjectName(u"ctl"_s + QString::number(id));
    return widget;
}

} // namespace

CFindAndReplaceDlg::CFindAndReplaceDlg(TargetFn target, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint), m_target(std::move(target))
{
    setObjectName(u"dlg108"_s);
    setWindowTitle(u"Rewordix"_s);

    m_lblTitle = named(new QLabel(u"Find & Replace"_s, this), 1136);
    QFont titleFont(u"Arial"_s);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_btnClose = named(new QPushButton(u"\u2715"_s, this), 1102);
    m_btnClose->setFlat(true);
    m_btnClose->setFixedWidth(m_btnClose->sizeHint().height());
    m_lblFind = named(new QLabel(this), 1084);
    m_editFind = named(new QLineEdit(this), 1041);
    m_lblReplace = named(new QLabel(this), 1085);
    m_editReplace = named(new QLineEdit(this), 1042);
    m_btnFind = named(new QPushButton(u"Find Next"_s, this), 1011);
    m_btnReplace = named(new QPushButton(u"Replace"_s, this), 1046);
    m_btnReplaceAll = named(new QPushButton(u"Replace All"_s, this), 1047);
    m_btnCancel = named(new QPushButton(u"Cancel"_s, this), 2);
    for (QPushButton *b : {m_btnFind, m_btnReplace, m_btnReplaceAll, m_btnCancel, m_btnClose}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    m_lblFind->setBuddy(m_editFind);
    m_lblReplace->setBuddy(m_editReplace);
    connect(m_btnFind, &QPushButton::clicked, this, &CFindAndReplaceDlg::findNext);
    connect(m_btnReplace, &QPushButton::clicked, this, &CFindAndReplaceDlg::replace);
    connect(m_btnReplaceAll, &QPushButton::clicked, this, &CFindAndReplaceDlg::replaceAll);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::hide);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 8, 12);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(m_lblTitle, 1);
    titleRow->addWidget(m_btnClose);
    layout->addLayout(titleRow);
    auto *grid = new QGridLayout;
    grid->addWidget(m_lblFind, 0, 0);
    grid->addWidget(m_editFind, 0, 1);
    grid->addWidget(m_btnFind, 0, 2);
    grid->addWidget(m_lblReplace, 1, 0);
    grid->addWidget(m_editReplace, 1, 1);
    grid->addWidget(m_btnReplace, 1, 2);
    grid->addWidget(m_btnReplaceAll, 2, 2);
    grid->addWidget(m_btnCancel, 3, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 200);
    layout->addLayout(grid);
}

void CFindAndReplaceDlg::applyLanguage()
{
    const QString text = LoadLanguageText(Language::currentName());
    const QStringView section = Language::sectionFrom(text, u"[Find & Replace Dialog]");
    const auto key = [&](QStringView name) {
        return LookupText(QString(u"\r\n" + name + u'='), section);
    };
    const auto set = [](auto *control, const QString &value) {
        if (!value.isEmpty())
            control->setText(value);
    };
    // A label without a buddy shows "&&" as it stands.
    set(m_lblTitle, key(u"Find and Replace").replace(u"&&"_s, u"&"_s));
    set(m_lblFind, key(u"Find Content"));
    set(m_lblReplace, key(u"Replaced By"));
    set(m_btnReplace, key(u"Replace"));
    set(m_btnReplaceAll, key(u"Replace all"));
    set(m_btnFind, key(u"Find"));
    set(m_btnCancel, key(u"Cancel"));
    adjustSize();
}

void CFindAndReplaceDlg::findNext()
{
    CMyRichEditCtrl *editor = m_target ? m_target() : nullptr;
    const QString find = m_editFind->text();
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

void CFindAndReplaceDlg::replace()
{
    CMyRichEditCtrl *editor = m_target ? m_target() : nullptr;
    if (editor && editor->textCursor().hasSelection())
        editor->replaceSelection(m_editReplace->text());
}

void CFindAndReplaceDlg::replaceAll()
{
    CMyRichEditCtrl *editor = m_target ? m_target() : nullptr;
    const QString find = m_editFind->text();
    const QString replacement = m_editReplace->text();
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

void CFindAndReplaceDlg::keyPressEvent(QKeyEvent *event)
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

void CFindAndReplaceDlg::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_grab = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void CFindAndReplaceDlg::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_grab);
    QDialog::mouseMoveEvent(event);
}

void CFindAndReplaceDlg::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void CFindAndReplaceDlg::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(QColor(0x7a, 0x88, 0x9c));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CFindAndReplaceDlg::focusFindBox()
{
    m_editFind->setFocus(Qt::ActiveWindowFocusReason);
    m_editFind->selectAll();
}
