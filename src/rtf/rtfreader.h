#pragma once

#include "rtf/rtfdocument.h"

#include <QByteArrayView>
#include <QString>

// What Rtf::read made of a stream.
struct RtfReadResult
{
    RtfDocument document; // the text and formats read; empty when error is set
    QString error;        // why the input is not RTF; empty when it is
    QString warning;      // damage read past: unclosed groups, nesting too deep
    bool ok() const { return error.isEmpty(); }
};

namespace Rtf {

// Whether the bytes start as an RTF stream does ("{\rtf" after optional white space).
[[nodiscard]] bool isRtf(QByteArrayView bytes);

// Reads an RTF stream as the editors write it: text in the declared code page (\ansicpg, a
// font's \fcharset or \cpg) and \uN with \ucN fallbacks, paragraph and line breaks, tabs and
// special characters, the font and colour tables, face, size, bold, italic, underline and
// colour. Non-text destinations (\*, tables, pictures, fields' instructions, headers...) and
// hidden text are left out. Input that does not start as RTF gives an error; damaged RTF gives
// what could be read and a warning. Time is linear in the input and nesting depth is capped.
[[nodiscard]] RtfReadResult read(QByteArrayView rtf);

} // namespace Rtf
