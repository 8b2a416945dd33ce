#include "imaging/MaskMix.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pm {

namespace {
void CheckPair(const TFastDIB& image, const TFastDIB& mask) {
    if (image.Bpp() != 24 || mask.Bpp() != 8 || image.Width() != mask.Width() ||
        image.Height() != mask.Height())
        throw std::invalid_argument("mask and image do not match");
}
}  // namespace

TFastDIB MakeGreyPlane(int width, int height, std::uint8_t level) {
    TFastDIB plane;
    plane.SetSize(width, height, 8);
    auto& colors = plane.Colors();
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        colors[i] = {v, v, v, 0};
    }
    plane.Fill({level, level, level});
    return plane;
}

void PaintMaskRun(TFastDIB& mask, int row, int x0, int x1, std::uint8_t level) {
    if (row < 0 || row >= mask.Height()) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, mask.Width() - 1);
    if (x0 <= x1) std::memset(mask.Row(row) + x0, level, static_cast<std::size_t>(x1 - x0 + 1));
}

void MixThroughMask(TFastDIB& image, const TFastDIB& mask, TColorTriple shadow) {
    CheckPair(image, mask);
    const int w = image.Width(), h = image.Height();
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* m = mask.Row(y);
        TColorTriple* p = image.Row24(y);
        for (int x = 0; x < w; ++x) {
            const unsigned k = m[x];
            if (k == 255) continue;  // m * v div 255 with m = 255 is v itself
            const unsigned rest = 255 - k;
            p[x].b = static_cast<std::uint8_t>((k * p[x].b + rest * shadow.b) / 255);
            p[x].g = static_cast<std::uint8_t>((k * p[x].g + rest * shadow.g) / 255);
            p[x].r = static_cast<std::uint8_t>((k * p[x].r + rest * shadow.r) / 255);
        }
    }
}

void PaintWhereMaskZero(TFastDIB& image, const TFastDIB& mask, TColorTriple color) {
    CheckPair(image, mask);
    const int w = image.Width(), h = image.Height();
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* m = mask.Row(y);
        TColorTriple* p = image.Row24(y);
        for (int x = 0; x < w; ++x)
            if (m[x] == 0) p[x] = color;
    }
}

}  // namespace pm
