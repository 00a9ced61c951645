#include "ui/skin/skintabbar.h"

SkinTabBar::SkinTabBar(QWidget *parent) : QTabBar(parent)
{
    connect(this, &QTabBar::currentChanged, this, &SkinTabBar::report);
}

void SkinTabBar::report(int current)
{
    const int previous = m_previous;
    m_previous = current;
    Q_EMIT tabSwitched(previous, current);
}

void SkinTabBar::mousePressEvent(QMouseEvent *event)
{
    m_previous = currentIndex();
    QTabBar::mousePressEvent(event);
}

void SkinTabBar::keyPressEvent(QKeyEvent *event)
{
    m_previous = currentIndex();
    QTabBar::keyPressEvent(event);
}

void SkinTabBar::wheelEvent(QWheelEvent *event)
{
    m_previous = currentIndex();
    QTabBar::wheelEvent(event);
}
