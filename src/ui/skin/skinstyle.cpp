#include "ui/skin/skinstyle.h"

#include "ui/skin/skin.h"

#include <QAbstractItemView>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QMargins ButtonSlices(6, 6, 6, 6);
constexpr QMargins TabSlices(7, 7, 7, 3);
constexpr int CheckFrameSize = 16;

bool isLink(const QWidget *widget)
{
    return widget && widget->property("link").toBool();
}

bool isAccent(const QWidget *widget)
{
    return widget && widget->property("accent").toBool();
}

} // namespace

SkinStyle::SkinStyle() : QProxyStyle(QStyleFactory::create(u"Fusion"_s)) {}

void SkinStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    if (isLink(widget))
        widget->setCursor(Qt::PointingHandCursor);
    if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QTabBar *>(widget))
        widget->setAttribute(Qt::WA_Hover);
    if (auto *tabs = qobject_cast<QTabBar *>(widget))
        tabs->setFont(Skin::instance().font(Skin::Font::Tab));
    // Report lists mark the selected row in a light tint, as the skin's lists do.
    if (auto *view = qobject_cast<QAbstractItemView *>(widget);
        view && !view->inherits("QComboBoxListView")) {
        QPalette p = view->palette();
        p.setColor(QPalette::Highlight, QColor(235, 248, 254));
        p.setColor(QPalette::HighlightedText, p.color(QPalette::Text));
        view->setPalette(p);
    }
}

QString SkinStyle::buttonImage(const QStyleOption *option, const QWidget *widget)
{
    if (isLink(widget))
        return {};
    const QString base = isAccent(widget) ? u"accent"_s : u"button"_s;
    const QStyle::State state = option->state;
    if (!(state & QStyle::State_Enabled))
        return base + u"-disabled"_s;
    if (state & (QStyle::State_Sunken | QStyle::State_On))
        return base + u"-pressed"_s;
    if (state & QStyle::State_MouseOver)
        return base + u"-hover"_s;
    return base;
}

int SkinStyle::checkFrame(const QStyleOption *option)
{
    const bool checked = option->state & (QStyle::State_On | QStyle::State_NoChange);
    const int frame = (option->state & QStyle::State_Sunken)      ? 2
                      : (option->state & QStyle::State_MouseOver) ? 1
                                                                  : 0;
    return (checked ? 3 : 0) + frame;
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                              QPainter *painter, const QWidget *widget) const
{
    switch (element) {
    case PE_PanelButtonCommand: {
        const QString image = buttonImage(option, widget);
        if (!image.isEmpty())
            Skin::drawSlices(painter, option->rect, ButtonSlices, Skin::instance().pixmap(image));
        return;
    }
    case PE_IndicatorCheckBox: {
        const QPixmap strip = Skin::instance().pixmap(u"check"_s);
        const qreal ratio = strip.devicePixelRatio();
        const QRect box(option->rect.left(), option->rect.center().y() - CheckFrameSize / 2 + 1,
                        CheckFrameSize, CheckFrameSize);
        const QRectF source(checkFrame(option) * CheckFrameSize * ratio, 0, CheckFrameSize * ratio,
                            CheckFrameSize * ratio);
        painter->drawPixmap(QRectF(box), strip, source);
        return;
    }
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    switch (element) {
    case CE_PushButtonBevel: {
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        const bool flat = button && (button->features & QStyleOptionButton::Flat);
        const bool lit = option->state & (State_MouseOver | State_Sunken | State_On);
        if (widget && widget->property("titleButton").toBool()) {
            // A close button adopted by a title band lights up as the band's own do.
            if (lit) {
                painter->save();
                painter->setRenderHint(QPainter::Antialiasing);
                painter->setPen(Qt::NoPen);
                painter->setBrush((option->state & State_Sunken) ? QColor(0xa8, 0x2e, 0x26)
                                                                 : QColor(0xd9, 0x45, 0x3b));
                painter->drawRoundedRect(QRectF(option->rect).adjusted(2, 2, -2, -2), 4, 4);
                painter->restore();
            }
            return;
        }
        if ((!flat || lit) && !isLink(widget))
            drawPrimitive(PE_PanelButtonCommand, option, painter, widget);
        if (button && (button->features & QStyleOptionButton::HasMenu))
            QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    case CE_PushButtonLabel:
        drawButtonLabel(option, painter, widget);
        return;
    case CE_TabBarTabShape:
        drawTab(option, painter, widget);
        return;
    case CE_TabBarTabLabel: {
        QStyleOptionTab tab = *qstyleoption_cast<const QStyleOptionTab *>(option);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
            tab.palette.setColor(role, Qt::white);
        QProxyStyle::drawControl(element, &tab, painter, widget);
        return;
    }
    case CE_HeaderSection: {
        const QPixmap image = Skin::instance().pixmap(u"header"_s);
        if (image.isNull())
            painter->fillRect(option->rect, Skin::instance().colour(Skin::Colour::HeaderFill));
        else // the separator column and the bottom line stay one pixel wide
            Skin::drawSlices(painter, option->rect, QMargins(0, 0, 1, 1), image);
        return;
    }
    case CE_MenuItem:
        drawMenuItem(option, painter, widget);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void SkinStyle::drawButtonLabel(const QStyleOption *option, QPainter *painter,
                                const QWidget *widget) const
{
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (!button) {
        QProxyStyle::drawControl(CE_PushButtonLabel, option, painter, widget);
        return;
    }
    QStyleOptionButton copy = *button;
    const bool enabled = option->state & State_Enabled;
    if (isLink(widget)) {
        // Text only, from the left edge, vertically centred.
        painter->setPen(enabled ? Skin::instance().colour(Skin::Colour::Link)
                                : option->palette.color(QPalette::Disabled, QPalette::ButtonText));
        painter->drawText(option->rect.adjusted(1, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, button->text);
        return;
    }
    if (isAccent(widget) && enabled)
        copy.palette.setColor(QPalette::ButtonText, Qt::white);
    QProxyStyle::drawControl(CE_PushButtonLabel, &copy, painter, widget);
}

void SkinStyle::drawTab(const QStyleOption *option, QPainter *painter, const QWidget *) const
{
    const bool lit = option->state & (State_Selected | State_MouseOver);
    QRect area = option->rect.adjusted(1, 2, -1, 0);
    Skin::drawSlices(painter, area, TabSlices,
                     Skin::instance().pixmap(lit ? u"tab-current"_s : u"tab"_s));
}

void SkinStyle::drawMenuItem(const QStyleOption *option, QPainter *painter,
                             const QWidget *widget) const
{
    QProxyStyle::drawControl(CE_MenuItem, option, painter, widget);
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item || item->menuItemType == QStyleOptionMenuItem::Separator)
        return;
    const bool selected = (option->state & State_Selected) && (option->state & State_Enabled);
    if (selected && !qobject_cast<const QMenuBar *>(widget))
        painter->fillRect(
            QRect(option->rect.left(), option->rect.top() + 2, 3, option->rect.height() - 4),
            Skin::instance().colour(Skin::Colour::MenuAccent));
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                           const QWidget *widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return CheckFrameSize;
    case PM_CheckBoxLabelSpacing:
        return 4; // the caption starts at x = 18 with the 16-pixel box
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
