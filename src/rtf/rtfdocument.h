#pragma once

#include "rtf/rtfcharformat.h"

#include <QList>
#include <QString>

// A run of text in one character format. Paragraph breaks are "\n" (one character each, as in
// the editor's positions), line breaks inside a paragraph U+2028, tabs "\t".
struct RtfRun
{
    QString text;
    RtfCharFormat format;

    friend bool operator==(const RtfRun &, const RtfRun &) = default;
};

// Rich text as a list of runs; its plain text is the runs' texts in order. The document ends
// without a trailing paragraph break unless its last paragraph is empty, as in the editor.
struct RtfDocument
{
    QList<RtfRun> runs;

    friend bool operator==(const RtfDocument &, const RtfDocument &) = default;
};

namespace Rtf {

// The document's text with each U+2028 line break turned into "\n" (same length, so positions
// stay valid), as QTextDocument::toPlainText gives it.
[[nodiscard]] QString plainText(const RtfDocument &document);

// Appends text in a format, extending the last run when its format is the same.
void appendText(RtfDocument &document, QStringView text, const RtfCharFormat &format);

// The same text and formats with empty runs dropped and neighbours of equal format merged: the
// form Rtf::read returns, so two documents with equal content compare equal.
[[nodiscard]] RtfDocument normalized(const RtfDocument &document);

// A document of one run.
[[nodiscard]] RtfDocument fromPlainText(const QString &text, const RtfCharFormat &format = {});

} // namespace Rtf
