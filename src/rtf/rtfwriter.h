#pragma once

#include "rtf/rtfdocument.h"

#include <QByteArray>

namespace Rtf {

// The document as an RTF stream of 7-bit ASCII (\ansicpg1252, a font table of the faces used, a
// colour table of the colours used, every paragraph ended by \par, non-ASCII text as \uN with a
// one-character fallback). Rtf::read of the result gives back Rtf::normalized(document) with
// faces made Rtf::validFace, sizes Rtf::validHalfPoints, and control characters other than tab
// and paragraph break left out.
[[nodiscard]] QByteArray write(const RtfDocument &document);

} // namespace Rtf
