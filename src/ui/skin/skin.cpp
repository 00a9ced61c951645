#include "ui/skin/skin.h"

#include "ui/skin/skinstyle.h"

#include <QApplication>
#include <QFile>
#include <QStyle>

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
    if (m_skinned) {
        switch (role) {
        case Colour::TitleText:
        case Colour::AccentText:
        case Colour::SplashText:
            return Qt::white;
        case Colour::SplashSubtext:
            return QColor::fromRgb(0xc8d6ea);
        case Colour::Surface:
            return QColor::fromRgb(SurfaceRgb);
        case Colour::Border:
            return QColor::fromRgb(0x6f819a);
        case Colour::Text:
            return QColor::fromRgb(TextRgb);
        case Colour::Accent:
        case Colour::Link:
            return QColor::fromRgb(AccentRgb);
        case Colour::SegmentUnlit:
            return Qt::white;
        default:
            break;
        }
    }
    const QPalette p = QApplication::palette();
    switch (role) {
    case Colour::ListCaption:
        return QColor(21, 116, 208);
    case Colour::HeaderFill:
        return m_skinned ? QColor(247, 249, 247) : p.color(QPalette::Button);
    case Colour::MenuAccent:
        return m_skinned ? QColor(0, 0, 192) : p.color(QPalette::Highlight);
    case Colour::Surface:
        return p.color(QPalette::Window);
    case Colour::Border:
        return p.color(QPalette::Mid);
    case Colour::Accent:
        return p.color(QPalette::Highlight);
    case Colour::AccentText:
        return p.color(QPalette::HighlightedText);
    case Colour::Link:
        return p.color(QPalette::Link);
    case Colour::SegmentUnlit:
        return p.color(QPalette::Base);
    case Colour::SplashSubtext:
        return p.color(QPalette::PlaceholderText);
    default:
        return p.color(QPalette::WindowText);
    }
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

QImage Skin::image(const QString &name) const
{
    return QImage(u":/skin/"_s + name + u".png"_s);
}
