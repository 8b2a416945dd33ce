#pragma once
// The pixel data of a non-interlaced 24-bit PNG, every row with the Sub
// filter, deflated in one piece as a zlib stream by libdeflate: several
// times faster than zlib's streaming at the same level, and no larger.
#include "imaging/FastDIB.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pm {

// Filtered rows beyond this are left to libpng's streaming, which needs no
// buffer of the whole picture.
constexpr std::size_t kMaxPngOnePieceBytes = std::size_t(64) << 20;

// `dib` holds 24-bit rows, blue first, bottom row first. Empty when the
// filtered rows would be more than `maxFilteredBytes` or memory runs out.
std::vector<std::uint8_t> DeflatePngRows(const TFastDIB& dib, int level,
                                         std::size_t maxFilteredBytes = kMaxPngOnePieceBytes);

}  // namespace pm
