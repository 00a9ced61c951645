#include "ui/cautorewritemsgdlg.h"

#include "app/language.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CAutoRewriteMsgDlg::CAutoRewriteMsgDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(u"dlg279"_s);
    setWindowTitle(u"Rewordix"_s);
    m_text = new QLabel(this);
    m_text->setObjectName(u"ctl1171"_s);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    QFont bold(u"Arial"_s);
    bold.setWeight(QFont::Bold);
    m_text->setFont(bold);
    m_btnAbort = new QPushButton(this);
    m_btnAbort->setObjectName(u"ctl2"_s);
    m_btnAbort->setAutoDefault(false);
    connect(m_btnAbort, &QPushButton::clicked, this, &CAutoRewriteMsgDlg::abortRun);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_btnAbort);
    row->addStretch();
    layout->addLayout(row);
    setMinimumSize(260, 110);
    applyTexts();
}

void CAutoRewriteMsgDlg::applyTexts()
{
    m_text->setText(Language::messageText(27));
    const QString cancel = Language::text(u"Cancel");
    m_btnAbort->setText(cancel.isEmpty() ? u"Abort"_s : cancel);
}

void CAutoRewriteMsgDlg::closeFromWorker()
{
    abortRun();
}

void CAutoRewriteMsgDlg::abortRun()
{
    if (m_abortFlag)
        m_abortFlag->store(true);
    Q_EMIT aborted();
    done(QDialog::Rejected);
}

void CAutoRewriteMsgDlg::reject()
{
    abortRun();
}

void CAutoRewriteMsgDlg::closeEvent(QCloseEvent *event)
{
    if (isVisible())
        abortRun();
    event->accept();
}

void CAutoRewriteMsgDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
