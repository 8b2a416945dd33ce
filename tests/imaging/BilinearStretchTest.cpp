#include "imaging/Bilinear.h"
#include "imaging/StretchBlt.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::MakeDib;
using test::ReadRows;
using test::TRows;

TRows Bilinear(const TRows& src, int w, int h) {
    const TFastDIB s = MakeDib(src);
    TFastDIB t;
    t.SetSize(w, h, 24);
    EXPECT_TRUE(BilinearResize(s, t));
    return ReadRows(t);
}

TEST(Bilinear, RowWeightsAddUpTo65537AndTheGridStartsAtTheBottom) {
    // 1x2 -> 1x255: ys = 65536 div 255 = 257. Stored row 1 has fy = 257:
    // (258 * 255) shr 16 = 1 (it would be 0 with weights adding up to 65536).
    // The top line, stored row 254, has fy = 65278: (65279 * 255) shr 16 = 254,
    // while the bottom line is the source's bottom pixel.
    const TRows out = Bilinear({{0xFFFFFF}, {0x000000}}, 1, 255);
    ASSERT_EQ(out.size(), 255u);
    EXPECT_EQ(out[254][0], 0x000000u);
    EXPECT_EQ(out[253][0], 0x010101u);
    EXPECT_EQ(out[0][0], 0xFEFEFEu);
}

TEST(Bilinear, TwoByTwoToThreeByThree) {
    // xs = ys = 65536 div 3 = 21845. Centre: wA = 43691, wB = 21846,
    // wA1 = (43691 * 21845) shr 16 = 14563, wA0 = 29128, wB1 = 7281, wB0 = 14565;
    // red (14563 + 14565 + 7281) * 255 shr 16 = 141.
    // Top right (x = y = 43690): 7283, 14563, 14564, 29127 -> 58254 * 255 shr 16 = 226.
    const TRows out = Bilinear({{0xFF0000, 0xFF0000}, {0x000000, 0xFF0000}}, 3, 3);
    EXPECT_EQ(out[1][1], 0x8D0000u);
    EXPECT_EQ(out[0][2], 0xE20000u);
    EXPECT_EQ(out[2][0], 0x000000u);
}

TEST(Bilinear, OneRowAndOneColumnSources) {
    // One row: row B is row A, weights 65536 and 1. Column 1 (fx = 21845):
    // red (21845 * 255) shr 16 = 84, green (43692 * 255) shr 16 = 170;
    // column 2 (fx = 43690): red 169, green 85.
    EXPECT_EQ(Bilinear({{0x00FF10, 0xFF0010}}, 3, 1), (TRows{{0x00FF10, 0x54AA10, 0xA95510}}));
    // One column: the second column index is clamped into the row.
    EXPECT_EQ(Bilinear({{0x123456}}, 3, 2), (TRows(2, {0x123456, 0x123456, 0x123456})));
}

TEST(Bilinear, OtherDepthsUseTheSameWeights) {
    TFastDIB s8, t8;
    s8.SetSize(2, 1, 8);
    s8.Colors()[84] = {1, 2, 3, 0};
    s8.Row(0)[0] = 0;
    s8.Row(0)[1] = 255;
    t8.SetSize(3, 1, 8);
    ASSERT_TRUE(BilinearResize(s8, t8));
    EXPECT_EQ((std::vector<int>{t8.Row(0)[0], t8.Row(0)[1], t8.Row(0)[2]}), (std::vector<int>{0, 84, 169}));
    EXPECT_EQ(t8.GetPixel(0, 1), (TColorTriple{1, 2, 3}));  // the palette comes along

    TFastDIB s32, t32;
    s32.SetSize(2, 1, 32);
    const std::uint8_t px[8] = {0, 255, 16, 9, 255, 0, 16, 9};
    std::copy(px, px + 8, s32.Row(0));
    t32.SetSize(3, 1, 32);
    std::fill(t32.Row(0), t32.Row(0) + 12, 0x77);
    ASSERT_TRUE(BilinearResize(s32, t32));
    EXPECT_EQ((std::vector<int>(t32.Row(0), t32.Row(0) + 12)),
              (std::vector<int>{0, 255, 16, 0x77, 84, 170, 16, 0x77, 169, 85, 16, 0x77}));

    // 16 bits, 5/5/5: the raw channel values 0 and 31 give (21845 * 31) shr 16 = 10.
    TFastDIB s16, t16;
    s16.SetSize(2, 1, 16);
    s16.Row(0)[0] = s16.Row(0)[1] = 0;
    s16.Row(0)[2] = 0xFF, s16.Row(0)[3] = 0x7F;  // 31, 31, 31
    t16.SetSize(3, 1, 16);
    ASSERT_TRUE(BilinearResize(s16, t16));
    const int v = t16.Row(0)[2] | (t16.Row(0)[3] << 8);
    EXPECT_EQ(v, (10 << 10) | (10 << 5) | 10);
}

TEST(Bilinear, RefusesMismatchedOrEmptyBitmaps) {
    const TFastDIB s = MakeDib({{1, 2}});
    TFastDIB t8, empty;
    t8.SetSize(2, 2, 8);
    EXPECT_FALSE(BilinearResize(s, t8));
    EXPECT_FALSE(BilinearResize(s, empty));
    EXPECT_FALSE(BilinearResize(empty, t8));
}

TRows Stretch(const TRows& src, int w, int h) {
    TFastDIB t;
    t.SetSize(w, h, 24);
    EXPECT_TRUE(StretchBlt(MakeDib(src), t));
    return ReadRows(t);
}

TEST(StretchBlt, ShrinkingCombinesWithAndEnlargingRepeats) {
    struct Case {
        TRows src;
        int w, h;
        TRows expected;
    };
    const Case cases[] = {
        {{{0xF0F0F0, 0x3C3C3C, 0xFF00FF, 0x0F0F0F}}, 2, 1, {{0x303030, 0x0F000F}}},
        // 5 -> 2: source column s goes to s * 2 div 5: {0, 1, 2} and {3, 4}.
        {{{0xFF, 0xFE, 0xFC, 0xF0, 0x0F}}, 2, 1, {{0xFC, 0x00}}},
        {{{0xA, 0xB}}, 5, 1, {{0xA, 0xA, 0xA, 0xB, 0xB}}},
        // Lines from the top: 3 -> 2 joins the top two.
        {{{0xF0}, {0x3C}, {0x0F}}, 1, 2, {{0x30}, {0x0F}}},
        {{{0x0F0F0F, 0xFFFFFF}, {0xFFFF0F, 0x3FFFFF}}, 1, 1, {{0x0F0F0F}}},
        // Shrinking across, enlarging down.
        {{{0x0FF0FF, 0xFF0FF0}}, 1, 2, {{0x0F00F0}, {0x0F00F0}}},
        {{{1, 2}, {3, 4}}, 2, 2, {{1, 2}, {3, 4}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Stretch(c.src, c.w, c.h), c.expected);
}

TEST(StretchBlt, FailsWithoutPixels) {
    TFastDIB t;
    t.SetSize(2, 2, 24);
    EXPECT_FALSE(StretchBlt(TFastDIB(), t));
    TFastDIB none;
    EXPECT_FALSE(StretchBlt(MakeDib({{1}}), none));
}

}  // namespace
}  // namespace pm
