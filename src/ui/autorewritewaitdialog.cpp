#include "ui/autorewritewaitdialog.h"

#include "app/language.h"
#include "ui/dialogkeys.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

AutoRewriteWaitDialog::AutoRewriteWaitDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    withSpecId(this, 279, u"autoRewriteWaitDialog"_s);
    setWindowTitle(u"Rewordix"_s);
    m_text = new QLabel(this);
    withSpecId(m_text, 1171);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    QFont bold(u"Arial"_s);
    bold.setWeight(QFont::Bold);
    m_text->setFont(bold);
    m_abortButton = new QPushButton(this);
    withSpecId(m_abortButton, 2);
    m_abortButton->setAutoDefault(false);
    connect(m_abortButton, &QPushButton::clicked, this, &AutoRewriteWaitDialog::abortRun);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_abortButton);
    row->addStretch();
    layout->addLayout(row);
    setMinimumSize(260, 110);
    applyTexts();
    // Skinned: the band's close button is the title bar's, an Abort as before.
    SkinWindow::attach(this, SkinWindow::Options{});
}

void AutoRewriteWaitDialog::applyTexts()
{
    m_text->setText(Language::messageText(27));
    const QString cancel = Language::text(u"Cancel");
    m_abortButton->setText(cancel.isEmpty() ? u"Abort"_s : cancel);
}

void AutoRewriteWaitDialog::closeFromWorker()
{
    abortRun();
}

void AutoRewriteWaitDialog::abortRun()
{
    Q_EMIT aborted();
    done(QDialog::Rejected);
}

void AutoRewriteWaitDialog::reject()
{
    abortRun();
}

void AutoRewriteWaitDialog::closeEvent(QCloseEvent *event)
{
    if (isVisible())
        abortRun();
    event->accept();
}

void AutoRewriteWaitDialog::keyPressEvent(QKeyEvent *event)
{
    if (!DialogKeys::swallow(event))
        QDialog::keyPressEvent(event);
}
