#pragma once

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <optional>

namespace Rtf {
// RTF's size when a stream gives none: 12 points.
inline constexpr int defaultHalfPoints = 24;
} // namespace Rtf

// Character format of a run of RTF text: the properties the editor keeps (face, size, bold,
// italic, underline, colour). Plain QtCore data, so the engine can build it without QtGui.
struct RtfCharFormat
{
    QString face;                            // empty: the reader's or editor's default font
    int halfPoints = Rtf::defaultHalfPoints; // RTF \fsN: font size in half-points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<quint32> colour; // 0x00RRGGBB (QRgb, alpha byte 0); nullopt: automatic

    friend bool operator==(const RtfCharFormat &, const RtfCharFormat &) = default;
};

namespace Rtf {

// A font size the RTF readers accept: non-positive sizes mean the default of 12 points, and no
// size is larger than 1638 points.
[[nodiscard]] constexpr int validHalfPoints(int halfPoints)
{
    return halfPoints <= 0 ? defaultHalfPoints : std::min(halfPoints, 3276);
}

// The face as an RTF font table can hold it: ";" ends a name there and cannot be escaped,
// control characters and outer blanks are no part of a name.
[[nodiscard]] QString validFace(const QString &face);

// COLORREF (0x00BBGGRR, as the settings store colours) to 0x00RRGGBB and back.
[[nodiscard]] constexpr quint32 rgbFromColorRef(quint32 colorRef)
{
    return ((colorRef & 0xffu) << 16) | (colorRef & 0xff00u) | ((colorRef >> 16) & 0xffu);
}
[[nodiscard]] constexpr quint32 colorRefFromRgb(quint32 rgb)
{
    return rgbFromColorRef(rgb);
}

} // namespace Rtf
