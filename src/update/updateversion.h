#pragma once

#include <QString>

#include <array>
#include <optional>

// Version strings of the update check: up to four dot-separated decimal parts
// (major.minor.build.revision).
namespace UpdateVersion {

using Parts = std::array<quint32, 4>;

// Splits text at "."; empty parts (two dots in a row, a leading or trailing dot)
// are skipped and missing trailing parts count as 0. Malformed, and so nullopt:
// more than four parts, a part with anything but the digits 0-9, or a part too
// large for 32 bits.
[[nodiscard]] std::optional<Parts> parse(QStringView text);

// True only when both strings are well formed and published is greater, part by
// part from the first; a malformed string on either side is never newer.
[[nodiscard]] bool isNewer(QStringView published, QStringView own);

// The program's own version as a file version states it: all four parts when
// build or revision is set, "major.minor" when only those are, empty (unknown)
// when all four are 0.
[[nodiscard]] QString ownVersionText(const Parts &parts);

// ownVersionText of the version this program was built with.
[[nodiscard]] QString builtVersion();

} // namespace UpdateVersion
