#include "ui/splashscreen.h"

#include "ui/skin/skin.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"

#include <QGuiApplication>
#include <QKeyEvent>
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
    SkinWindow::attach(this, SkinWindow::Options::borderless(u"splash"_s, 10));
}

void SplashScreen::paintEvent(QPaintEvent *)
{
    // Skinned, the frame has drawn the splash bitmap.
    const Skin &skin = Skin::instance();
    QPainter p(this);
    skin.drawPlainBackground(&p, *this);
    QFont title = font();
    title.setPointSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(skin.colour(Skin::Colour::SplashText));
    p.drawText(rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, u"Rewordix"_s);

    QFont small = font();
    small.setPointSize(10);
    p.setFont(small);
    p.setPen(skin.colour(Skin::Colour::SplashSubtext));
    p.drawText(rect().adjusted(0, 60, 0, 0), Qt::AlignCenter,
               u"Version "_s + QCoreApplication::applicationVersion());
}

void SplashScreen::keyPressEvent(QKeyEvent *event)
{
    // Escape never closes a window of the program.
    event->accept();
}
