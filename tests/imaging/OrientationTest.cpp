// Turning a picture upright: the eight EXIF orientations on a labelled
// picture, and each turn undone by its inverse on larger odd-sized ones.
#include "imaging/Orientation.h"

#include "support/RandomDib.h"

#include <gtest/gtest.h>

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
