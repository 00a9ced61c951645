#pragma once

#include "rtf/rtfdocument.h"

#include <QTextCharFormat>

class QFont;
class QTextCursor;
class QTextDocument;

// The bridge between the RTF model and the editor's QTextDocument.
namespace Rtf {

// The editor format of an RTF format: family, point size (half-points / 2), weight, italic,
// underline and foreground; an empty face and an automatic colour leave those properties unset.
[[nodiscard]] QTextCharFormat toCharFormat(const RtfCharFormat &format);

// The RTF format of an editor format; properties the format leaves unset come from defaultFont
// (face, size) or are off (bold, italic, underline, colour).
[[nodiscard]] RtfCharFormat fromCharFormat(const QTextCharFormat &format, const QFont &defaultFont);

// Inserts the document's text and formats at the cursor, paragraph breaks as new blocks.
void insertDocument(QTextCursor &cursor, const RtfDocument &document);

// Replaces all content of target with the document (one undo step).
void toTextDocument(const RtfDocument &document, QTextDocument *target);

// The text and formats of the document positions [from, to) (to = -1: the end); a block
// separator becomes "\n" in the format of that separator. Positions and plain text match
// QTextDocument's.
[[nodiscard]] RtfDocument fromTextDocument(const QTextDocument &document, int from = 0,
                                           int to = -1);

} // namespace Rtf
