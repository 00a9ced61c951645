#include "ui/skin/skinrowdelegate.h"

#include "ui/skin/skin.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

SkinRowDelegate::Lines SkinRowDelegate::splitLines(const QString &text)
{
    const qsizetype br = text.indexOf(u'\n');
    if (br < 0)
        return {QString(), text};
    QString heading = text.left(br);
    if (heading.endsWith(u'\r'))
        heading.chop(1);
    return {heading, text.mid(br + 1)};
}

QColor SkinRowDelegate::rowColour(bool selected)
{
    return Skin::instance().colour(selected ? Skin::Colour::RowSelected : Skin::Colour::Row);
}

QColor SkinRowDelegate::textColour(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (const QVariant own = index.data(Qt::ForegroundRole); own.isValid())
        return own.value<QBrush>().color();
    // The skin's tint is light; the palette's highlight may be dark.
    const bool onHighlight =
        (option.state & QStyle::State_Selected) && !Skin::instance().isSkinned();
    return option.palette.color(onHighlight ? QPalette::HighlightedText : QPalette::WindowText);
}

void SkinRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QColor text = textColour(opt, index);
    painter->fillRect(opt.rect, rowColour(opt.state & QStyle::State_Selected));
    // The style draws the check box, the focus frame and one-line text over
    // the row; the selection is already painted.
    opt.state &= ~QStyle::State_Selected;
    opt.backgroundBrush = Qt::NoBrush;
    opt.palette.setColor(QPalette::Text, text);
    // opt.text has its line breaks turned into line separators.
    const Lines lines = splitLines(index.data(Qt::DisplayRole).toString());
    if (!lines.heading.isNull())
        opt.text.clear();
    const QWidget *view = opt.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, view);
    if (!lines.heading.isNull()) {
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view);
        drawLines(painter, area, lines, text, opt.font);
    }
}

void SkinRowDelegate::drawLines(QPainter *painter, const QRect &area, const Lines &lines,
                                const QColor &text, const QFont &font) const
{
    const QFont headingFont = Skin::instance().font(Skin::Font::RowHeading);
    const int headingHeight = QFontMetrics(headingFont).height();
    const int total = headingHeight + QFontMetrics(font).height();
    const QRect inner = area.adjusted(2, 0, -2, 0);
    const int top = inner.top() + (inner.height() - total) / 2;
    const QRect first(inner.left(), top, inner.width(), headingHeight);
    const QRect second(inner.left(), top + headingHeight, inner.width(), total - headingHeight);
    const auto elided = [](const QString &s, const QFont &f, int width) {
        return QFontMetrics(f).elidedText(s, Qt::ElideRight, width);
    };
    painter->save();
    painter->setFont(headingFont);
    painter->setPen(Skin::instance().colour(Skin::Colour::Link));
    painter->drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                      elided(lines.heading, headingFont, first.width()));
    painter->setFont(font);
    painter->setPen(text);
    painter->drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                      elided(lines.body, font, second.width()));
    painter->restore();
}

QSize SkinRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const Lines lines = splitLines(index.data(Qt::DisplayRole).toString());
    if (!lines.heading.isNull()) {
        const int two = QFontMetrics(Skin::instance().font(Skin::Font::RowHeading)).height() +
                        QFontMetrics(option.font).height() + 4;
        size.setHeight(std::max(size.height(), two));
    }
    return size;
}
