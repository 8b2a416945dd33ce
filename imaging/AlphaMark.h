#pragma once
// Pictures with transparency laid over a 24-bit picture: watermarks and
// rendered text.
#include "imaging/FastDIB.h"

#include <cstdint>
#include <vector>

namespace pm {

// Blue, green, red and alpha a pixel, premultiplied by alpha (each colour
// at most the alpha), lines from the top.
struct TAlphaImage {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Bgra;
    bool Empty() const { return Width < 1 || Height < 1; }
};

// A loaded picture as such an image. At 32 bits the fourth byte is alpha,
// unless it is 0 everywhere: then it is padding and the picture is opaque,
// as every other depth is.
TAlphaImage AlphaImageOf(const TFastDIB& dib);

// Scaled to w x h with the triangle filter (widened when shrinking), on the
// premultiplied values, so transparent pixels lend no colour to their
// neighbours.
TAlphaImage ScaleAlphaImage(const TAlphaImage& src, int w, int h);

// Lays `mark` over the 24-bit `image` with its top-left corner at picture
// position (x, y) (y downward), at `opacityPercent`: each channel becomes
// (C (25500 - A op) + P op 255) / 25500 rounded, with A the mark's alpha
// and P its premultiplied colour. What lies outside the picture is skipped.
void BlendAlphaImage(TFastDIB& image, const TAlphaImage& mark, long long x, long long y, int opacityPercent);

}  // namespace pm
