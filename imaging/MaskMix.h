#pragma once
// Grey masks for the fading borders and mixing an image through them. A mask
// is an 8-bit plane whose palette entry i is the grey (i, i, i): one byte per
// pixel where a 24-bit grey picture would hold three equal ones. SplitBlur
// blurs such a plane exactly as it blurs each channel of that grey picture.
#include "imaging/FastDIB.h"

#include <cstdint>

namespace pm {

// A width x height mask with every pixel at `level`.
TFastDIB MakeGreyPlane(int width, int height, std::uint8_t level);

// Sets columns x0 .. x1 (inclusive) of stored row `row` (row 0 is the bottom
// line) to `level`; what lies outside the mask is skipped.
void PaintMaskRun(TFastDIB& mask, int row, int x0, int x1, std::uint8_t level);

// For every pixel, with m the mask's level: each channel of the 24-bit
// `image` becomes (m * image + (255 - m) * shadow) div 255. Mask and image
// must have the same size (std::invalid_argument otherwise).
void MixThroughMask(TFastDIB& image, const TFastDIB& mask, TColorTriple shadow);

// Sets every pixel of the 24-bit `image` whose mask level is 0 to `color`.
void PaintWhereMaskZero(TFastDIB& image, const TFastDIB& mask, TColorTriple color);

}  // namespace pm
