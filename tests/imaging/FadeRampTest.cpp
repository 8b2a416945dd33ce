#include "imaging/FadeRamp.h"
#include "imaging/Blur.h"
#include "imaging/MaskMix.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace pm {
namespace {

TEST(GreyRamp, EntriesOfTheWorkedThicknesses) {
    struct Case {
        int steps, entry, level;
    };
    const Case cases[] = {
        {60, 0, 2},  {60, 1, 6},  {60, 30, 130}, {60, 59, 253},   {60, 60, 255},
        {1, 0, 127}, {1, 1, 255}, {0, 0, 255},   {100, 100, 255},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> ramp = GreyRamp(c.steps, c.steps + 1);
        ASSERT_EQ(ramp.size(), static_cast<std::size_t>(c.steps + 1));
        EXPECT_EQ(ramp[c.entry], c.level) << c.steps << " entry " << c.entry;
    }
}

TEST(GreyRamp, MakesOnlyTheEntriesAsked) {
    EXPECT_EQ(GreyRamp(60, 1000).size(), 61u);  // never more than steps + 1
    EXPECT_EQ(GreyRamp(60, 3), (std::vector<std::uint8_t>{2, 6, 10}));
    // A huge number of steps: the first entries all lie in the span of n = 0.
    EXPECT_EQ(GreyRamp(1000000000, 4), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(GreyRamp(INT_MAX, 2).size(), 2u);
    EXPECT_TRUE(GreyRamp(-1, 5).empty());
    EXPECT_TRUE(GreyRamp(60, 0).empty());
}

TEST(FadeRamp, ColoursRunFromTheFirstToTheSecond) {
    const TColorTriple red{0, 0, 255}, lime{0, 255, 0};
    // One step: entry 0 is n = 127, 255 + MulDiv(127, -255, 255) = 128 red.
    EXPECT_EQ(FadeRamp(red, lime, 1, 2), (std::vector<TColorTriple>{{0, 127, 128}, lime}));
    const std::vector<TColorTriple> ramp = FadeRamp(red, lime, 60, 61);
    EXPECT_EQ(ramp[0], (TColorTriple{0, 2, 253}));
    EXPECT_EQ(ramp[60], lime);
}

TEST(MaskMix, MixesEachChannelByTheMaskLevel) {
    TFastDIB image = test::SolidDib(3, 1, 0xC86432);  // red 200, green 100, blue 50
    TFastDIB mask = MakeGreyPlane(3, 1, 255);
    mask.Row(0)[0] = 0;
    mask.Row(0)[1] = 2;
    MixThroughMask(image, mask, {255, 0, 0});
    // (m * image + (255 - m) * shadow) div 255, shadow blue.
    EXPECT_EQ(test::ReadRows(image), (test::TRows{{0x0000FF, 0x0100FD, 0xC86432}}));

    PaintWhereMaskZero(image, mask, {0, 128, 0});
    EXPECT_EQ(test::ReadRows(image), (test::TRows{{0x008000, 0x0100FD, 0xC86432}}));

    TFastDIB other = MakeGreyPlane(2, 1, 0);
    EXPECT_THROW(MixThroughMask(image, other, {}), std::invalid_argument);
}

TEST(MaskMix, RunsAreClippedToTheMask) {
    TFastDIB mask = MakeGreyPlane(5, 2, 0);
    PaintMaskRun(mask, 0, -3, 1, 9);  // bottom line
    PaintMaskRun(mask, 1, 4, 99, 7);  // top line
    PaintMaskRun(mask, 2, 0, 4, 5);   // no such row
    PaintMaskRun(mask, -1, 0, 4, 5);  // nor this
    PaintMaskRun(mask, 1, 3, 2, 5);   // empty
    EXPECT_EQ(test::ReadRows(mask), (test::TRows{{0, 0, 0, 0, 0x070707}, {0x090909, 0x090909, 0, 0, 0}}));
}

// The fading borders blur an 8-bit mask where a grey 24-bit picture would be
// blurred; both must give the same levels, in-place order included.
TEST(MaskMix, BlurOfAGreyPlaneMatchesTheGreyPicture) {
    std::mt19937 random(7);
    const int w = 13, h = 9;
    TFastDIB plane = MakeGreyPlane(w, h, 0);
    TFastDIB picture = test::SolidDib(w, h, 0);
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            const auto v = static_cast<std::uint8_t>(random() % 256);
            plane.Row(row)[x] = v;
            picture.SetPixel(row, x, {v, v, v});
        }
    SplitBlur(plane, 1);
    SplitBlur(picture, 1);
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(plane.Row(row)[x], picture.GetPixel(row, x).r) << row << "," << x;
}

}  // namespace
}  // namespace pm
