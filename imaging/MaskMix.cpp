#include "imaging/MaskMix.h"

#include "imaging/VectorLoops.h"

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

namespace {

// One row; m = 255 gives the pixel itself, so no pixel needs a branch.
PM_LOOP_BODY void MixRowLoop(std::uint8_t* __restrict p, const std::uint8_t* __restrict m, int w,
                             TColorTriple shadow) {
    for (int x = 0; x < w; ++x) {
        const std::uint16_t k = m[x], rest = static_cast<std::uint16_t>(255 - k);
        p[3 * x] =
            static_cast<std::uint8_t>(static_cast<std::uint16_t>(k * p[3 * x] + rest * shadow.b) / 255);
        p[3 * x + 1] =
            static_cast<std::uint8_t>(static_cast<std::uint16_t>(k * p[3 * x + 1] + rest * shadow.g) / 255);
        p[3 * x + 2] =
            static_cast<std::uint8_t>(static_cast<std::uint16_t>(k * p[3 * x + 2] + rest * shadow.r) / 255);
    }
}

// One row; the pixels outside the mask are written back as they are.
PM_LOOP_BODY void PaintZeroRowLoop(std::uint8_t* __restrict p, const std::uint8_t* __restrict m, int w,
                                   TColorTriple color) {
    for (int x = 0; x < w; ++x) {
        const bool paint = m[x] == 0;
        p[3 * x] = paint ? color.b : p[3 * x];
        p[3 * x + 1] = paint ? color.g : p[3 * x + 1];
        p[3 * x + 2] = paint ? color.r : p[3 * x + 2];
    }
}

constexpr auto MixRow = TLoopVersions<MixRowLoop>::Run;
constexpr auto PaintZeroRow = TLoopVersions<PaintZeroRowLoop>::Run;

}  // namespace

void MixThroughMask(TFastDIB& image, const TFastDIB& mask, TColorTriple shadow) {
    CheckPair(image, mask);
    for (int y = 0; y < image.Height(); ++y) MixRow(image.Row(y), mask.Row(y), image.Width(), shadow);
}

void PaintWhereMaskZero(TFastDIB& image, const TFastDIB& mask, TColorTriple color) {
    CheckPair(image, mask);
    for (int y = 0; y < image.Height(); ++y) PaintZeroRow(image.Row(y), mask.Row(y), image.Width(), color);
}

}  // namespace pm
