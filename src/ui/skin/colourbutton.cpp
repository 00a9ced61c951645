#include "ui/skin/colourbutton.h"

#include "ui/skin/quicktooltip.h"

#include <QPainter>

ColourButton::ColourButton(QWidget *parent) : QToolButton(parent)
{
    QuickToolTip::attach(this);
}

void ColourButton::setColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void ColourButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
    if (hasFocus()) {
        // Keyboard users see where they are on any colour.
        const QColor frame = m_colour.lightness() > 128 ? Qt::black : Qt::white;
        painter.setPen(QPen(frame, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}
