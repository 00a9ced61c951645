#include "ui/skin/skintitlebar.h"

#include "app/language.h"
#include "ui/skin/skin.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

SkinTitleButton::SkinTitleButton(Glyph glyph, QWidget *parent)
    : QAbstractButton(parent), m_glyph(glyph)
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
    setObjectName(glyph == Glyph::Close ? u"skinClose"_s : u"skinMinimise"_s);
}

namespace {

QString buttonName(bool close)
{
    const QString name =
        Language::text(close ? u"Tooltip_Button_Close" : u"Tooltip_Button_Minisize");
    if (!name.isEmpty())
        return name;
    return close ? u"Close"_s : u"Minimize"_s;
}

} // namespace

void SkinTitleButton::showEvent(QShowEvent *event)
{
    // Named in the current language each time it shows, as the captions are.
    const QString name = buttonName(m_glyph == Glyph::Close);
    setToolTip(name);
    setAccessibleName(name);
    QAbstractButton::showEvent(event);
}

void SkinTitleButton::enterEvent(QEnterEvent *event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SkinTitleButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SkinTitleButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    const bool close = m_glyph == Glyph::Close;
    if (isDown() || m_hover) {
        QColor fill = close ? QColor(0xd9, 0x45, 0x3b) : QColor(255, 255, 255, 48);
        if (isDown())
            fill = close ? QColor(0xa8, 0x2e, 0x26) : QColor(255, 255, 255, 24);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(box, 4, 4);
    }
    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    p.setPen(
        QPen(Skin::instance().colour(Skin::Colour::TitleText), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = box.center();
    if (close) {
        p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
        p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
    } else {
        p.drawLine(c + QPointF(-5, 3.5), c + QPointF(5, 3.5));
    }
}

SkinTitleBar::SkinTitleBar(QWidget *window, QLabel *caption, QAbstractButton *close, bool minimise)
    : QWidget(window)
{
    setObjectName(u"skinTitleBar"_s);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 4, 0);
    row->setSpacing(2);
    m_ownCaption = caption == nullptr;
    m_caption = caption ? caption : new QLabel(window->windowTitle(), this);
    m_caption->setFont(Skin::instance().font(Skin::Font::Title));
    m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette onBand = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
        onBand.setColor(role, Skin::instance().colour(Skin::Colour::TitleText));
    setPalette(onBand);
    m_caption->setPalette(onBand);
    row->addWidget(m_caption, 1);
    if (minimise) {
        m_minimise = new SkinTitleButton(SkinTitleButton::Glyph::Minimise, this);
        connect(m_minimise, &QAbstractButton::clicked, window, &QWidget::showMinimized);
        row->addWidget(m_minimise);
    }
    if (close) {
        close->setParent(this);
        close->setPalette(onBand);
        close->setProperty("titleButton", true);
        // A cross says nothing to a screen reader.
        if (close->accessibleName().isEmpty())
            close->setAccessibleName(buttonName(true));
        close->show();
        m_close = close;
    } else {
        m_close = new SkinTitleButton(SkinTitleButton::Glyph::Close, this);
        // Exactly the window manager's close: the window's closeEvent decides.
        connect(m_close, &QAbstractButton::clicked, window, &QWidget::close);
    }
    row->addWidget(m_close);
}

void SkinTitleBar::followTitle()
{
    if (m_ownCaption)
        m_caption->setText(parentWidget()->windowTitle());
}
