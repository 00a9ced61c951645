#pragma once

#include <QStyledItemDelegate>

// The rows of the report lists (the article list, the popup's synonyms): a
// normal row on the skin's row colour, the selected one on its selection tint,
// text in the window-text colour unless the item carries its own
// (Qt::ForegroundRole). A cell text with a line break shows two lines,
// vertically centred: a bold 12 px heading in the link colour over a line in
// the list's font. Check boxes, focus and selection stay the view's.
class SkinRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const override;

    // The two lines of a cell text, or an empty heading when it has one line.
    struct Lines
    {
        QString heading;
        QString body;
    };
    [[nodiscard]] static Lines splitLines(const QString &text);

    // The colours a row is drawn in.
    [[nodiscard]] static QColor rowColour(bool selected);
    [[nodiscard]] static QColor textColour(const QStyleOptionViewItem &option,
                                           const QModelIndex &index);

private:
    void drawLines(QPainter *painter, const QRect &area, const Lines &lines, const QColor &text,
                   const QFont &font) const;
};
