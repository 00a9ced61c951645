#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QMargins>
#include <QPalette>
#include <QPixmap>

class QPainter;
class QWidget;

// The program's look, one instance for every window. Skinned (the default):
// the bitmaps under :/skin, their colours and fonts, borderless windows with
// their own title bar. With "Use System Look=1": the platform style, the
// window manager's frames and the palette's colours. Chosen once at start-up;
// until install() runs (the tests) the system look holds.
class Skin
{
public:
    enum class Colour
    {
        TitleText,    // captions on the title band
        Accent,       // lit progress segments, language badges, selections
        AccentText,   // text on the accent colour
        Link,         // text-only buttons
        HeaderFill,   // header items without an image, RGB(247, 249, 247)
        MenuAccent,   // the selected menu item's mark, RGB(0, 0, 192)
        SegmentUnlit, // unlit progress segments (system look)
        SplashText,
        SplashSubtext,
        Row,         // report list rows
        RowSelected, // the selected row, RGB(235, 248, 254)
    };
    enum class Font
    {
        Tab,        // "Verdana", 12 px, normal weight
        Title,      // the title bands' captions
        RowHeading, // a two-line list cell's first line: bold, 12 px
    };

    static Skin &instance();

    // Applies the look to the application: the skin's style and palette, or
    // the platform's.
    void install(bool skinned);
    [[nodiscard]] bool isSkinned() const { return m_skinned; }

    [[nodiscard]] QColor colour(Colour role) const;
    [[nodiscard]] QFont font(Font role) const;
    // The bitmap :/skin/name.png, or name@2x.png on screens of ratio above 1.
    [[nodiscard]] QPixmap pixmap(const QString &name) const;
    // The 1x bitmap as an image, for scanning its colour key.
    [[nodiscard]] QImage image(const QString &name) const;
    [[nodiscard]] static QPalette palette();
    // Draws pixmap over target as nine slices: the corners unscaled, the edges
    // stretched along, the centre both ways; slices in logical pixels, so a
    // 2x pixmap keeps its sharp corners.
    static void drawSlices(QPainter *painter, const QRect &target, const QMargins &slices,
                           const QPixmap &pixmap);
    // A borderless window's own background with the system look (skinned, its
    // frame has drawn the bitmap): the palette's window colour in a thin frame.
    void drawPlainBackground(QPainter *painter, const QWidget &window) const;

private:
    bool m_skinned = false;
    QString m_systemStyle; // the platform's, put back by install(false)
    QPalette m_systemPalette;
    mutable QHash<QString, QPixmap> m_pixmaps;
};
