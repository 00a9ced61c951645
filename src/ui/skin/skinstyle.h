#pragma once

#include <QProxyStyle>

// The skinned controls over Qt's Fusion style: push buttons, check boxes, tabs
// and header items from the skin's bitmaps, menus in the palette's colours
// with the skin's accent mark, text-only buttons with the hand cursor. What it
// does not draw, Fusion draws, so every control keeps its behaviour.
class SkinStyle : public QProxyStyle
{
    Q_OBJECT

public:
    SkinStyle();

    void polish(QWidget *widget) override;
    using QProxyStyle::polish;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override;

    // The bitmap of a push button in the state of option; "link" buttons
    // (text only) have none.
    [[nodiscard]] static QString buttonImage(const QStyleOption *option, const QWidget *widget);
    // The frame of the six-frame check strip for option's state.
    [[nodiscard]] static int checkFrame(const QStyleOption *option);

private:
    void drawButtonLabel(const QStyleOption *option, QPainter *painter,
                         const QWidget *widget) const;
    void drawTab(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
    void drawMenuItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
};
