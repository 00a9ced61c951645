#include "ui/splashscreen.h"

#include "ui/specid.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

SplashScreen::SplashScreen(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    withSpecId(this, 272, u"splashScreen"_s);
    setFixedSize(456, 300);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().topLeft());
}

void SplashScreen::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0x1f, 0x3a, 0x68));
    background.setColorAt(1, QColor(0x0e, 0x1c, 0x36));
    p.fillRect(rect(), background);

    QFont title = font();
    title.setPointSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, u"Rewordix"_s);

    QFont small = font();
    small.setPointSize(10);
    p.setFont(small);
    p.setPen(QColor(0xc8, 0xd4, 0xe8));
    p.drawText(rect().adjusted(0, 60, 0, 0), Qt::AlignCenter,
               u"Version "_s + QCoreApplication::applicationVersion());
}

void SplashScreen::keyPressEvent(QKeyEvent *event)
{
    // Escape never closes a window of the program.
    event->accept();
}
