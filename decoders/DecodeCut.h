#pragma once
// Dr. Halo palettes, which live in a PAL file beside the CUT image.
#include "imaging/FastDIB.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

// Reads a Dr. Halo palette file image; false for anything that is not one
// (a hardware-specific palette included). Entries it does not set are black.
bool ReadHaloPalette(const std::uint8_t* data, std::size_t size, std::array<TRGBQuad, 256>& palette);

// The PAL file that belongs to `cutFile`: same folder and name, extension
// "pal" in any letter case. Empty when there is none.
std::string FindHaloPaletteFile(const std::string& cutFile);

} // namespace pm
