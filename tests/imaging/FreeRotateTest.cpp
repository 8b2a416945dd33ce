#include "imaging/FreeRotate.h"
#include "imaging/VectorLoops.h"
#include "support/LoopPaths.h"
#include "support/Pixels.h"
#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace pm {
namespace {

using test::PathsHere;
using test::RandomDib;
using test::ReadRows;
using test::TPath;
using test::TPathUse;

// The turn pixel by pixel: each output pixel's source position in 32.32
// fixed point, its four neighbours (the background outside the picture)
// mixed with 8-bit weights.
TFastDIB DirectTurn(const TFastDIB& src, double degrees, bool mirrorX, bool mirrorY,
                    TColorTriple background) {
    const int w = src.Width(), h = src.Height();
    int ow = 0, oh = 0;
    TurnedSize(w, h, degrees, ow, oh);
    TFastDIB out;
    out.SetSize(ow, oh, 24);
    const double a = degrees * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a);
    const double sx = mirrorX ? -1.0 : 1.0, sy = mirrorY ? -1.0 : 1.0;
    const double u0 = 0.5 - ow / 2.0, v0 = 0.5 - oh / 2.0;
    const double baseX = sx * (u0 * c + v0 * s) + w / 2.0 - 0.5,
                 baseY = sy * (-u0 * s + v0 * c) + h / 2.0 - 0.5;
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(sx * c * kOne), stepY = std::llround(sy * -s * kOne);
    const auto at = [&](long long x, long long y) {
        return (x < 0 || y < 0 || x >= w || y >= h) ? background : src.GetPixel(h - 1 - int(y), int(x));
    };
    for (int v = 0; v < oh; ++v)
        for (int u = 0; u < ow; ++u) {
            const long long px = std::llround((baseX + v * sx * s) * kOne) + u * stepX;
            const long long py = std::llround((baseY + v * sy * c) * kOne) + u * stepY;
            const long long x = px >> 32, y = py >> 32;
            const int wx = int(((px & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
            const int wy = int(((py & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
            const TColorTriple q[4] = {at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1)};
            const int k[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
            const auto mix = [&](std::uint8_t TColorTriple::*channel) {
                int sum = 32768;
                for (int i = 0; i < 4; ++i) sum += k[i] * (q[i].*channel);
                return std::uint8_t(sum >> 16);
            };
            out.SetPixel(oh - 1 - v, u,
                         {mix(&TColorTriple::b), mix(&TColorTriple::g), mix(&TColorTriple::r)});
        }
    return out;
}

// Angles in every quadrant and near the axes, mirrored or not, single
// lines and columns, widths around whole vectors, on every loop path.
TEST(FreeRotateLoops, MatchTheDirectFormula) {
    struct Case {
        int w, h;
        double degrees;
        bool mirrorX, mirrorY;
    };
    // The last six have lines long enough for many steps of the vector
    // loops and ends of lines for both widths of them; turns near level in
    // both directions and mirrored.
    const Case cases[] = {
        {1, 1, 45, false, false},     {1, 9, 30, false, false},    {17, 1, 15, true, false},
        {33, 20, 1.5, false, false},  {20, 33, 89.9, false, true}, {40, 25, 135, true, true},
        {64, 9, 181.3, false, false}, {9, 64, 250, true, false},   {50, 47, 359.9, false, false},
        {71, 38, 300.5, false, true}, {2, 2, 10, false, false},    {100, 3, 60, false, false},
        {420, 70, 20, true, false},   {90, 600, 200, false, true}, {257, 31, 3.3, false, false},
        {64, 200, 47, true, true},    {300, 12, 0.5, true, false}, {130, 5, 178.2, false, true}};
    unsigned seed = 3;
    for (const Case& c : cases) {
        const TFastDIB source = RandomDib(c.w, c.h, 24, seed++);
        const TColorTriple background{10, 200, 77};
        const TFastDIB expected = DirectTurn(source, c.degrees, c.mirrorX, c.mirrorY, background);
        for (TPath path : PathsHere()) {
            const TPathUse use(path);
            TFastDIB turned;
            FreeRotate(source, c.degrees, c.mirrorX, c.mirrorY, background, turned);
            EXPECT_EQ(ReadRows(turned), ReadRows(expected))
                << c.w << "x" << c.h << " by " << c.degrees << (c.mirrorX ? " mirrored x" : "")
                << (c.mirrorY ? " mirrored y" : "") << test::PathName(path);
        }
    }
}

// Pictures of only the extreme values, where the weighing's sums reach the
// ends of their ranges: all white, black and white squares, stripes, and a
// single bright channel; against a white and a black background.
TEST(FreeRotateLoops, ExtremeValuesMixExactly) {
    const auto pattern = [](int kind, int w, int h) {
        TFastDIB d;
        d.SetSize(w, h, 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool on =
                    kind == 0 || (kind == 1 && (x + y) % 2 == 0) || (kind == 2 && x % 3 == 0) || kind == 3;
                const std::uint8_t v = on ? 255 : 0;
                d.SetPixel(y, x, kind == 3 ? TColorTriple{0, 255, 0} : TColorTriple{v, v, v});
            }
        return d;
    };
    for (int kind = 0; kind < 4; ++kind)
        for (double degrees : {0.7, 7.0, 33.0, 45.0, 301.0})
            for (const TColorTriple background : {TColorTriple{255, 255, 255}, TColorTriple{0, 0, 0}}) {
                const TFastDIB source = pattern(kind, 75, 41);
                const TFastDIB expected = DirectTurn(source, degrees, false, kind == 2, background);
                for (TPath path : PathsHere()) {
                    const TPathUse use(path);
                    TFastDIB turned;
                    FreeRotate(source, degrees, false, kind == 2, background, turned);
                    EXPECT_EQ(ReadRows(turned), ReadRows(expected))
                        << "pattern " << kind << " by " << degrees << " on " << int(background.b)
                        << test::PathName(path);
                }
            }
}

// A turned picture large enough for the block a thread keeps for reuse,
// made right after a picture of the same size full of another value was
// freed: every byte of the result is the turn's, none is left over.
TEST(FreeRotateLoops, EveryByteIsWrittenOverReusedMemory) {
    const TFastDIB source = RandomDib(1500, 1000, 24, 17);
    const TColorTriple background{1, 2, 3};
    for (double degrees : {2.0, 10.0, 45.0, 183.0}) {
        const TFastDIB expected = DirectTurn(source, degrees, false, false, background);
        for (TPath path : PathsHere()) {
            const TPathUse use(path);
            {
                TFastDIB stale;
                stale.SetSize(expected.Width(), expected.Height(), 24);
                std::memset(stale.Bits(), 0xA5, stale.Size());
            }
            TFastDIB turned;
            FreeRotate(source, degrees, false, false, background, turned);
            EXPECT_TRUE(ReadRows(turned) == ReadRows(expected)) << "by " << degrees << test::PathName(path);
        }
    }
}

}  // namespace
}  // namespace pm
