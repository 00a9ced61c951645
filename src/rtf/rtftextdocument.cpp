#include "rtf/rtftextdocument.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

QTextCharFormat Rtf::toCharFormat(const RtfCharFormat &format)
{
    QTextCharFormat result;
    if (!format.face.isEmpty())
        result.setFontFamilies({format.face});
    result.setFontPointSize(validHalfPoints(format.halfPoints) / 2.0);
    result.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    result.setFontItalic(format.italic);
    result.setFontUnderline(format.underline);
    if (format.colour)
        result.setForeground(QColor::fromRgb(*format.colour & 0xffffffu));
    return result;
}

RtfCharFormat Rtf::fromCharFormat(const QTextCharFormat &format, const QFont &defaultFont)
{
    RtfCharFormat result;
    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    result.face =
        families.isEmpty() || families.first().isEmpty() ? defaultFont.family() : families.first();
    qreal points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                  : defaultFont.pointSizeF();
    if (points <= 0)
        points = defaultHalfPoints / 2.0;
    result.halfPoints = validHalfPoints(int(std::lround(points * 2)));
    result.bold = format.hasProperty(QTextFormat::FontWeight)
                      ? format.fontWeight() >= QFont::DemiBold
                      : defaultFont.weight() >= QFont::DemiBold;
    result.italic =
        format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : defaultFont.italic();
    result.underline = format.fontUnderline();
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        const QBrush brush = format.foreground();
        if (brush.style() != Qt::NoBrush)
            result.colour = brush.color().rgb() & 0xffffffu;
    }
    return result;
}

void Rtf::insertDocument(QTextCursor &cursor, const RtfDocument &document)
{
    cursor.beginEditBlock();
    for (const RtfRun &run : document.runs) {
        if (!run.text.isEmpty())
            cursor.insertText(run.text, toCharFormat(run.format));
    }
    cursor.endEditBlock();
}

void Rtf::toTextDocument(const RtfDocument &document, QTextDocument *target)
{
    QTextCursor cursor(target);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    // The first block keeps the format of the first text, as if it had been typed there.
    if (!document.runs.isEmpty())
        cursor.setBlockCharFormat(toCharFormat(document.runs.first().format));
    insertDocument(cursor, document);
    cursor.endEditBlock();
}

RtfDocument Rtf::fromTextDocument(const QTextDocument &document, int from, int to)
{
    RtfDocument result;
    const int end = document.characterCount() - 1; // the final separator is not text
    from = std::clamp(from, 0, std::max(end, 0));
    to = to < 0 ? end : std::clamp(to, from, end);
    if (from >= to)
        return result;
    const QFont defaultFont = document.defaultFont();
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(fragment.position(), from);
            const int stop = std::min(fragment.position() + fragment.length(), to);
            if (start >= stop)
                continue;
            const QString text = fragment.text().mid(start - fragment.position(), stop - start);
            appendText(result, text, fromCharFormat(fragment.charFormat(), defaultFont));
        }
        const int separator = block.position() + block.length() - 1;
        if (separator >= from && separator < to && block.next().isValid()) {
            // The separator carries the format that Qt keeps as the next block's char format.
            appendText(result, u"\n", fromCharFormat(block.next().charFormat(), defaultFont));
        }
    }
    return result;
}
