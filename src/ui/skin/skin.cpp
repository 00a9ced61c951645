#include "ui/skin/skin.h"

#include "ui/skin/skinstyle.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QStyle>
#include <QWidget>
#include <qdrawutil.h>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr QRgb SurfaceRgb = 0xf3f5f8;
constexpr QRgb TextRgb = 0x1d2733;
constexpr QRgb AccentRgb = 0x1574d0;
constexpr QRgb DisabledTextRgb = 0x757575; // RGB(117, 117, 117)
} // namespace

Skin &Skin::instance()
{
    static Skin skin;
    return skin;
}

void Skin::install(bool skinned)
{
    if (m_systemStyle.isEmpty()) {
        m_systemStyle = QApplication::style()->name();
        m_systemPalette = QApplication::palette();
    }
    if (skinned) {
        QApplication::setStyle(new SkinStyle);
        QApplication::setPalette(palette());
    } else if (m_skinned) {
        QApplication::setStyle(m_systemStyle);
        QApplication::setPalette(m_systemPalette);
    }
    m_skinned = skinned;
    m_pixmaps.clear();
}

QPalette Skin::palette()
{
    QPalette p(QColor::fromRgb(0xe9edf2), QColor::fromRgb(SurfaceRgb));
    const std::pair<QPalette::ColorRole, QRgb> roles[] = {
        {QPalette::Window, SurfaceRgb},
        {QPalette::WindowText, TextRgb},
        {QPalette::Base, 0xffffff},
        {QPalette::AlternateBase, 0xf5f8fb},
        {QPalette::Text, TextRgb},
        {QPalette::Button, 0xe9edf2},
        {QPalette::ButtonText, TextRgb},
        {QPalette::Highlight, AccentRgb},
        {QPalette::HighlightedText, 0xffffff},
        {QPalette::Link, AccentRgb},
        {QPalette::LinkVisited, 0x0f4f91},
        {QPalette::Light, 0xffffff},
        {QPalette::Midlight, 0xeef1f5},
        {QPalette::Mid, 0xa5b1c2},
        {QPalette::Dark, 0x7f8ea3},
        {QPalette::Shadow, 0x5c6b80},
        {QPalette::ToolTipBase, 0xfdfdf3},
        {QPalette::ToolTipText, TextRgb},
        {QPalette::PlaceholderText, 0x7a8595},
    };
    for (const auto &[role, rgb] : roles)
        p.setColor(role, QColor::fromRgb(rgb));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor::fromRgb(DisabledTextRgb));
    return p;
}

QColor Skin::colour(Colour role) const
{
    // Each colour of the skin and the palette role that stands in for it with
    // the system look.
    struct Entry
    {
        Colour role;
        QRgb skinned;
        QPalette::ColorRole system;
    };
    using C = Colour;
    using P = QPalette;
    static constexpr Entry Table[] = {
        {C::TitleText, 0xffffff, P::WindowText},
        {C::Accent, AccentRgb, P::Highlight},
        {C::AccentText, 0xffffff, P::HighlightedText},
        {C::Link, AccentRgb, P::Link},
        {C::HeaderFill, 0xf7f9f7, P::Button},    // RGB(247, 249, 247)
        {C::MenuAccent, 0x0000c0, P::Highlight}, // RGB(0, 0, 192)
        {C::SegmentUnlit, 0xffffff, P::Base},
        {C::SplashText, 0xffffff, P::WindowText},
        {C::SplashSubtext, 0xc8d6ea, P::PlaceholderText},
        {C::Row, 0xffffff, P::Base},
        {C::RowSelected, 0xebf8fe, P::Highlight}, // RGB(235, 248, 254)
    };
    for (const Entry &entry : Table) {
        if (entry.role != role)
            continue;
        if (m_skinned)
            return QColor::fromRgb(entry.skinned);
        return QApplication::palette().color(entry.system);
    }
    return QApplication::palette().color(P::WindowText);
}

QFont Skin::font(Font role) const
{
    QFont font = QApplication::font();
    if (role == Font::Tab && m_skinned) {
        font.setFamilies({u"Verdana"_s, u"DejaVu Sans"_s});
        font.setPixelSize(12);
        font.setWeight(QFont::Normal);
    } else if (role == Font::Title) {
        font.setBold(true);
    } else if (role == Font::RowHeading) {
        if (m_skinned)
            font.setFamilies({u"Arial"_s, u"Liberation Sans"_s});
        font.setPixelSize(12);
        font.setBold(true);
    }
    return font;
}

QPixmap Skin::pixmap(const QString &name) const
{
    if (const auto cached = m_pixmaps.constFind(name); cached != m_pixmaps.cend())
        return *cached;
    const QString sharp = u":/skin/"_s + name + u"@2x.png"_s;
    QPixmap pixmap;
    if (qApp && qApp->devicePixelRatio() > 1.0 && QFile::exists(sharp)) {
        pixmap.load(sharp);
        pixmap.setDevicePixelRatio(2.0);
    } else {
        pixmap.load(u":/skin/"_s + name + u".png"_s);
    }
    m_pixmaps.insert(name, pixmap);
    return pixmap;
}

void Skin::drawSlices(QPainter *painter, const QRect &target, const QMargins &slices,
                      const QPixmap &pixmap)
{
    // The source is measured in the pixmap's own pixels.
    const qreal ratio = pixmap.devicePixelRatio();
    const QMargins source(qRound(slices.left() * ratio), qRound(slices.top() * ratio),
                          qRound(slices.right() * ratio), qRound(slices.bottom() * ratio));
    qDrawBorderPixmap(painter, target, slices, pixmap, pixmap.rect(), source, QTileRules());
}

QImage Skin::image(const QString &name) const
{
    return QImage(u":/skin/"_s + name + u".png"_s);
}

void Skin::drawPlainBackground(QPainter *painter, const QWidget &window) const
{
    if (m_skinned)
        return;
    painter->fillRect(window.rect(), window.palette().window());
    painter->setPen(window.palette().color(QPalette::Mid));
    painter->drawRect(window.rect().adjusted(0, 0, -1, -1));
}
