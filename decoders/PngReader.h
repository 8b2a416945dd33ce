#pragma once
// The PNG reading shared by the PNG reader and the icon reader (whose
// entries may be PNG streams).
#include "imaging/FastDIB.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// Decodes a PNG stream into `dib`. Normally palette and grey images of up to
// 8 bits become palette bitmaps, 16-bit samples are scaled to 8 bits, colour
// becomes 24 bits and images with an alpha channel 32 bits (blue, green, red,
// alpha). With `forceBgra` every image becomes 32 bits with alpha, tRNS
// transparency included (icons need the alpha to draw on white).
// libpng's warnings about a picture that still decoded go to `warnings`.
bool ReadPngImage(const std::uint8_t* data, std::size_t size, TFastDIB& dib, std::string& error,
                  bool forceBgra = false, std::vector<std::string>* warnings = nullptr);

}  // namespace pm
