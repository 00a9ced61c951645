#include "ui/clexiswapdlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CLexiswapDlg::CLexiswapDlg(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"dlg102"_s);
    setWindowTitle(u"Rewordix"_s);
    resize(960, 640);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(u"Rewordix"_s, this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void CLexiswapDlg::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void CLexiswapDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
