#include "imaging/UnsharpMask.h"
#include "imaging/VectorLoops.h"
#include "support/LoopPaths.h"
#include "support/Pixels.h"
#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace pm {
namespace {

using test::PathsHere;
using test::RandomDib;
using test::ReadRows;
using test::TPath;
using test::TPathUse;

// The unsharp mask pixel by pixel, straight from its definition: the blur
// across rounded to 8 fractional bits, the blur down, then the mix that
// rounds halves away from zero.
TFastDIB DirectUnsharpMask(const TFastDIB& src, double sigma, int amount, int threshold) {
    const std::vector<std::uint32_t> taps = GaussianTaps(sigma);
    const int r = int(taps.size() / 2), w = src.Width(), h = src.Height();
    const auto at = [&](int row, int x, int c) { return src.Row(std::clamp(row, 0, h - 1))[3 * x + c]; };
    const auto across = [&](int row, int x, int c) {
        std::uint32_t sum = 0;
        for (int k = -r; k <= r; ++k)
            sum += taps[std::size_t(k + r)] * at(row, std::clamp(x + k, 0, w - 1), c);
        return (sum + 32) >> 6;
    };
    TFastDIB out = src;
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                std::uint32_t sum = 0;
                for (int k = -r; k <= r; ++k) sum += taps[std::size_t(k + r)] * across(row + k, x, c);
                const int p = at(row, x, c), diff = p * 256 - int((sum + 8192) >> 14);
                if (std::abs(diff) < threshold * 256) continue;
                const int m = amount * diff;
                const int step = m >= 0 ? (m + 12800) / 25600 : -((12800 - m) / 25600);
                out.Row(row)[3 * x + c] = std::uint8_t(std::clamp(p + step, 0, 255));
            }
    return out;
}

// Widths around whole vectors and the blocks of the blur (rows of several
// blocks too), a blur too narrow to change a value, one wider than the
// strips the picture is blurred in, pictures smaller
// than the blur's reach or just wide enough for the vector loops, rows
// blurred in pairs from an even or odd row on, strong
// amounts that clip and thresholds that hold values back, on every path.
TEST(UnsharpMaskLoops, MatchTheDirectFormula) {
    struct Case {
        int w, h, radiusTenths, amount, threshold;
    };
    const Case cases[] = {
        {1, 1, 10, 100, 0},   {2, 7, 30, 500, 0},    {9, 3, 5, 100, 0},    {33, 17, 10, 150, 3},
        {86, 5, 10, 80, 0},   {90, 40, 22, 300, 10}, {257, 9, 10, 100, 0}, {40, 130, 61, 500, 1},
        {5, 5, 100, 250, 0},  {300, 4, 7, 50, 255},  {44, 6, 61, 200, 0},  {61, 3, 61, 120, 2},
        {21, 4, 30, 100, 0},  {22, 5, 30, 500, 0},   {43, 3, 5, 1, 0},     {128, 3, 30, 0, 0},
        {11, 9, 5, 500, 100}, {200, 12, 61, 150, 0}, {70, 8, 5, 200, 0},   {95, 11, 3, 300, 0},
        {700, 9, 30, 200, 0}, {400, 7, 100, 150, 0}, {35, 6, 1, 300, 0},   {150, 4, 200, 250, 0}};
    unsigned seed = 7;
    for (const Case& c : cases) {
        const TFastDIB source = RandomDib(c.w, c.h, 24, seed++);
        const TFastDIB expected = DirectUnsharpMask(source, c.radiusTenths / 10.0, c.amount, c.threshold);
        for (TPath path : PathsHere()) {
            const TPathUse use(path);
            TFastDIB image;
            image.SetSizeForOverwrite(c.w, c.h, 24);
            UnsharpMask(source, image, c.radiusTenths / 10.0, c.amount, c.threshold);
            EXPECT_EQ(ReadRows(image), ReadRows(expected))
                << c.w << "x" << c.h << " radius " << c.radiusTenths << " amount " << c.amount
                << " threshold " << c.threshold << test::PathName(path);
        }
    }
}

// The switch for tests turns the 512-bit loops off and back on.
TEST(UnsharpMaskLoops, The512BitLoopsFollowTheirSwitch) {
    const bool before = Avx512LoopsActive();
    EXPECT_EQ(before, ActiveLoopPath() == TLoopPath::Avx2 && Avx512LoopsAvailable());
    {
        const TAvx512LoopsOff off;
        EXPECT_FALSE(Avx512LoopsActive());
    }
    EXPECT_EQ(Avx512LoopsActive(), before);
}

}  // namespace
}  // namespace pm
