#include "ui/skin/quicktooltip.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

QuickToolTip *QuickToolTip::attach(QWidget *widget, int delayMs)
{
    return new QuickToolTip(widget, delayMs);
}

QuickToolTip::QuickToolTip(QWidget *widget, int delayMs) : QObject(widget), m_widget(widget)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(delayMs);
    connect(&m_timer, &QTimer::timeout, this, &QuickToolTip::show);
    widget->installEventFilter(this);
}

bool QuickToolTip::eventFilter(QObject *, QEvent *event)
{
    // Installed on m_widget alone.
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter) {
        m_timer.start();
    } else if (type == QEvent::Leave || type == QEvent::MouseButtonPress || type == QEvent::Hide) {
        m_timer.stop();
        QToolTip::hideText();
    }
    // Qt's own, later tooltip would only show the same text again.
    return type == QEvent::ToolTip;
}

void QuickToolTip::show()
{
    if (m_widget->toolTip().isEmpty() || !m_widget->isVisible())
        return;
    QPoint at = QCursor::pos();
    if (!m_widget->rect().contains(m_widget->mapFromGlobal(at)))
        at = m_widget->mapToGlobal(m_widget->rect().bottomLeft());
    QToolTip::showText(at, m_widget->toolTip(), m_widget);
}
