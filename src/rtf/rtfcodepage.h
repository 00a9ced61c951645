#pragma once

#include <QString>

namespace Rtf {

// The Windows code page a font's \fcharsetN implies, or 0 when the charset names none
// (default, symbol and unknown charsets: the document's \ansicpg applies).
[[nodiscard]] int codePageForCharset(int charset);

// Windows-1252 byte to UTF-16 the way Windows converts it (the five unassigned bytes map to
// the C1 controls of the same value).
[[nodiscard]] char16_t fromWindows1252(unsigned char byte);

// The Windows-1252 byte of a character, or 0 when it has none (and for U+0000).
[[nodiscard]] unsigned char toWindows1252(char16_t unit);

} // namespace Rtf
