#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRegion>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class SkinTitleBar;
class QWidget;

namespace SkinShape {

// The colour key of the window bitmaps: pixels of this colour in the four
// 10 x 10 corner squares are cut out of the window's shape.
inline constexpr QRgb ColourKey = 0xffff00ff;
inline constexpr int Corner = 10;

// The shape of a window of size when background is drawn over it as nine
// slices (its corners unscaled): the window's rectangle less the keyed corner
// pixels.
[[nodiscard]] QRegion windowMask(const QImage &background, QSize size);

} // namespace SkinShape

// A skinned window's frame: paints the background bitmap as nine slices under
// the window's contents, shapes the corners from the colour key, keeps the
// title bar on the band and lets the user move the window by its body (the
// window manager moves it, as it does by a title bar). With the system look it
// leaves the window manager's frame in place, or, for windows that are
// borderless in both looks, only adds the drag.
class SkinWindow : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString background = QStringLiteral("dialog");
        QMargins slices{Corner, 28, Corner, Corner};
        bool titleBar = true;             // caption and close button on the band
        bool minimise = false;            // a minimise button beside close
        bool alwaysBorderless = false;    // no frame in the system look either
        QLabel *caption = nullptr;        // the window's own caption, moved to the band
        QAbstractButton *close = nullptr; // the window's own close button
        static constexpr int Corner = SkinShape::Corner;

        // A window without a title band, borderless in both looks (the
        // progress dialog, the splash), band pixels of its bitmap unscaled.
        static Options borderless(const QString &background, int band)
        {
            Options options;
            options.background = background;
            options.slices = QMargins(Corner, band, Corner, Corner);
            options.titleBar = false;
            options.alwaysBorderless = true;
            return options;
        }
    };

    // Call in the window's constructor, before it is shown; null when the
    // window keeps the window manager's frame.
    static SkinWindow *attach(QWidget *window, const Options &options);

    [[nodiscard]] SkinTitleBar *titleBar() const { return m_titleBar; }

    // The window's new layout, its caption and close button in a row on top
    // (where they stay with the system look).
    static QVBoxLayout *layoutUnderTitle(QWidget *window, QLabel *caption, QAbstractButton *close);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SkinWindow(QWidget *window, const Options &options);
    void paintBackground();
    void reshape();
    bool dragEvent(QEvent *event);

    QWidget *m_window;
    Options m_options;
    bool m_painted = false;
    QImage m_shapeImage;
    QColor m_body;                      // the centre of the background bitmap
    SkinTitleBar *m_titleBar = nullptr; // a child of the window
    bool m_dragging = false;
    QPoint m_grab;
};
