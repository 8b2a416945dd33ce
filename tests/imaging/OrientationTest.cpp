// Turning a picture upright: the eight EXIF orientations on a labelled
// picture, each turn undone by its inverse on larger odd-sized ones, and
// every pixel of larger pictures where its turn sends it.
#include "imaging/Orientation.h"

#include "support/LoopPaths.h"
#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace pm {
namespace {

// A picture whose pixels are letters: line strings from the top.
TFastDIB Lettered(const std::vector<std::string>& lines) {
    TFastDIB d;
    d.SetSize(static_cast<int>(lines[0].size()), static_cast<int>(lines.size()), 24);
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x)
            d.SetPixel(d.Height() - 1 - y, x, TColorTriple{std::uint8_t(lines[y][x]), 1, 2});
    return d;
}

std::vector<std::string> Letters(const TFastDIB& d) {
    std::vector<std::string> lines;
    for (int y = 0; y < d.Height(); ++y) {
        std::string line;
        for (int x = 0; x < d.Width(); ++x) line += char(d.GetPixel(d.Height() - 1 - y, x).b);
        lines.push_back(line);
    }
    return lines;
}

struct OrientationCase {
    int orientation;
    std::vector<std::string> upright;
};

// The stored raster ABC/DEF as a viewer shows it for each tag value.
TEST(ApplyOrientation, TurnsTheStoredRasterAsTheTagSays) {
    const OrientationCase cases[] = {
        {1, {"ABC", "DEF"}},     {2, {"CBA", "FED"}},     {3, {"FED", "CBA"}},     {4, {"DEF", "ABC"}},
        {5, {"AD", "BE", "CF"}}, {6, {"DA", "EB", "FC"}}, {7, {"FC", "EB", "DA"}}, {8, {"CF", "BE", "AD"}},
        {0, {"ABC", "DEF"}},     {9, {"ABC", "DEF"}},
    };
    for (const OrientationCase& c : cases) {
        SCOPED_TRACE(c.orientation);
        TFastDIB d = Lettered({"ABC", "DEF"});
        ASSERT_TRUE(ApplyOrientation(d, c.orientation));
        EXPECT_EQ(Letters(d), c.upright);
        // Every other byte of each pixel travels with it.
        EXPECT_EQ(d.GetPixel(0, 0).g, 1);
        EXPECT_EQ(d.GetPixel(0, 0).r, 2);
    }
}

bool SamePixels(const TFastDIB& a, const TFastDIB& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int r = 0; r < a.Height(); ++r)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.GetPixel(r, x) == b.GetPixel(r, x))) return false;
    return true;
}

// Sizes around the band of lines the transposing turns work in, with row gaps.
TEST(ApplyOrientation, EachTurnIsUndoneByItsInverse) {
    const int inverse[9] = {0, 1, 2, 3, 4, 5, 8, 7, 6};
    const int sizes[][2] = {{1, 1}, {1, 17}, {17, 1}, {37, 23}, {16, 33}, {33, 16}, {70, 41}};
    for (const auto& size : sizes)
        for (int o = 1; o <= 8; ++o) {
            SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " orientation " +
                         std::to_string(o));
            const TFastDIB original = test::RandomDib(size[0], size[1], 24, unsigned(o));
            TFastDIB d = original;
            ASSERT_TRUE(ApplyOrientation(d, o));
            EXPECT_EQ(d.Width(), OrientationSwapsSides(o) ? size[1] : size[0]);
            EXPECT_EQ(d.Height(), OrientationSwapsSides(o) ? size[0] : size[1]);
            ASSERT_TRUE(ApplyOrientation(d, inverse[o]));
            EXPECT_TRUE(SamePixels(d, original));
        }
}

// Source pixel (x, y), in picture lines from the top, of pixel (u, v) of the
// upright picture.
void SourceOf(int orientation, int w, int h, int u, int v, int& x, int& y) {
    switch (orientation) {
    case 2:
        x = w - 1 - u, y = v;
        break;
    case 3:
        x = w - 1 - u, y = h - 1 - v;
        break;
    case 4:
        x = u, y = h - 1 - v;
        break;
    case 5:
        x = v, y = u;
        break;
    case 6:
        x = v, y = h - 1 - u;
        break;
    case 7:
        x = w - 1 - v, y = h - 1 - u;
        break;
    case 8:
        x = w - 1 - v, y = u;
        break;
    default:
        x = u, y = v;
        break;
    }
}

// Pictures of whole and broken blocks of sixteen and thirty-two pixels each
// way, every pixel where its turn sends it, on every loop path.
TEST(ApplyOrientation, EveryPixelLandsWhereItsTurnSends) {
    const int sizes[][2] = {{32, 32}, {64, 48}, {47, 81}, {100, 35}, {33, 129}, {16, 16}};
    unsigned seed = 11;
    for (const auto& size : sizes)
        for (int o = 2; o <= 8; ++o) {
            const int w = size[0], h = size[1];
            const TFastDIB original = test::RandomDib(w, h, 24, seed++);
            for (test::TPath path : test::PathsHere()) {
                const test::TPathUse use(path);
                TFastDIB d = original;
                ASSERT_TRUE(ApplyOrientation(d, o));
                int wrong = 0;
                for (int v = 0; v < d.Height(); ++v)
                    for (int u = 0; u < d.Width(); ++u) {
                        int x = 0, y = 0;
                        SourceOf(o, w, h, u, v, x, y);
                        wrong += !(d.GetPixel(d.Height() - 1 - v, u) == original.GetPixel(h - 1 - y, x));
                    }
                EXPECT_EQ(wrong, 0) << w << "x" << h << " orientation " << o << test::PathName(path);
            }
        }
}

// A turned picture large enough for the block a thread keeps for reuse,
// made right after a picture of its size full of another value was freed:
// every byte, the rows' padding too, is the turn's.
TEST(ApplyOrientation, EveryByteIsWrittenOverReusedMemory) {
    const int w = 1501, h = 1001;  // rows with a byte of padding either way
    const TFastDIB original = test::RandomDib(w, h, 24, 5);
    for (int o : {3, 6, 7}) {
        const bool swap = OrientationSwapsSides(o);
        TFastDIB expected;
        expected.SetSize(swap ? h : w, swap ? w : h, 24);
        for (int v = 0; v < expected.Height(); ++v)
            for (int u = 0; u < expected.Width(); ++u) {
                int x = 0, y = 0;
                SourceOf(o, w, h, u, v, x, y);
                expected.SetPixel(expected.Height() - 1 - v, u, original.GetPixel(h - 1 - y, x));
            }
        for (test::TPath path : test::PathsHere()) {
            const test::TPathUse use(path);
            {
                TFastDIB stale;
                stale.SetSize(expected.Width(), expected.Height(), 24);
                std::memset(stale.Bits(), 0xA5, stale.Size());
            }
            TFastDIB turned;
            ASSERT_TRUE(OrientInto(original, o, turned));
            ASSERT_EQ(turned.Size(), expected.Size());
            EXPECT_EQ(std::memcmp(turned.Bits(), expected.Bits(), expected.Size()), 0)
                << "orientation " << o << test::PathName(path);
        }
    }
}

TEST(ApplyOrientation, RefusesOtherDepthsAndLeavesThemAlone) {
    for (int bpp : {1, 8, 32}) {
        TFastDIB d = test::RandomDib(5, 3, bpp, 7);
        const TFastDIB before = d;
        EXPECT_FALSE(ApplyOrientation(d, 6));
        EXPECT_EQ(d.Width(), 5);
        EXPECT_EQ(std::vector<std::uint8_t>(d.Bits(), d.Bits() + d.Size()),
                  std::vector<std::uint8_t>(before.Bits(), before.Bits() + before.Size()));
    }
}

}  // namespace
}  // namespace pm
