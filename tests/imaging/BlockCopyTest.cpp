#include "imaging/BlockCopy.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::MakeDib;
using test::ReadRows;
using test::TRows;

const TRows kSource = {{0x11, 0x12, 0x13}, {0x21, 0x22, 0x23}};  // 3 x 2, top line first
constexpr std::uint32_t Z = 0xFFFFFF;

TEST(BlockCopy, ClipsOnBothSides) {
    struct Case {
        int dx, dy, w, h, sx, sy;
        TRows expected;
    };
    const Case cases[] = {
        {0, 0, 3, 2, 0, 0, {{0x11, 0x12, 0x13, Z}, {0x21, 0x22, 0x23, Z}, {Z, Z, Z, Z}}},
        {1, 1, 2, 1, 1, 0, {{Z, Z, Z, Z}, {Z, 0x12, 0x13, Z}, {Z, Z, Z, Z}}},
        // Target position left of and above the target: the block is cut there.
        {-1, -1, 3, 2, 0, 0, {{0x22, 0x23, Z, Z}, {Z, Z, Z, Z}, {Z, Z, Z, Z}}},
        // A block reaching beyond the source copies only what the source has.
        {2, 1, 5, 5, 1, 0, {{Z, Z, Z, Z}, {Z, Z, 0x12, 0x13}, {Z, Z, 0x22, 0x23}}},
        // Negative source position: only the part inside the source.
        {0, 0, 3, 3, -1, -1, {{Z, Z, Z, Z}, {Z, 0x11, 0x12, Z}, {Z, 0x21, 0x22, Z}}},
        // Width or height 0 or below: nothing.
        {0, 0, 0, 2, 0, 0, {{Z, Z, Z, Z}, {Z, Z, Z, Z}, {Z, Z, Z, Z}}},
        {0, 0, 3, -1, 0, 0, {{Z, Z, Z, Z}, {Z, Z, Z, Z}, {Z, Z, Z, Z}}},
    };
    const TFastDIB src = MakeDib(kSource);
    for (const Case& c : cases) {
        TFastDIB dst = test::SolidDib(4, 3, Z);
        EXPECT_TRUE(BlockCopy(dst, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy));
        EXPECT_EQ(ReadRows(dst), c.expected) << c.dx << "," << c.dy << " " << c.w << "x" << c.h;
    }
}

TEST(BlockCopy, ConvertsOtherDepthsAndFailsWithoutPixels) {
    TFastDIB pal;
    pal.SetSize(2, 1, 8);
    pal.Colors()[3] = {0x30, 0x20, 0x10, 0};
    pal.Colors()[7] = {0x70, 0x60, 0x50, 0};
    pal.Row(0)[0] = 7;
    pal.Row(0)[1] = 3;
    TFastDIB dst = test::SolidDib(2, 1, Z);
    EXPECT_TRUE(BlockCopy(dst, 0, 0, 2, 1, pal, 0, 0));
    EXPECT_EQ(ReadRows(dst), (TRows{{0x506070, 0x102030}}));

    const TFastDIB empty;
    EXPECT_FALSE(BlockCopy(dst, 0, 0, 1, 1, empty, 0, 0));
    EXPECT_TRUE(BlockCopy(dst, 0, 0, 0, 0, empty, 0, 0));  // nothing asked, nothing wrong
    TFastDIB noTarget;
    EXPECT_FALSE(BlockCopy(noTarget, 0, 0, 1, 1, MakeDib(kSource), 0, 0));
    EXPECT_EQ(ReadRows(dst), (TRows{{0x506070, 0x102030}}));
}

TEST(BlockCopy, OverlappingCopyWithinOneBitmapReadsTheOldPixels) {
    TFastDIB d = MakeDib({{1, 2, 3, 4}});
    EXPECT_TRUE(BlockCopy(d, 1, 0, 3, 1, d, 0, 0));
    EXPECT_EQ(ReadRows(d), (TRows{{1, 1, 2, 3}}));
}

TEST(TileBitmap, RepeatsFromTheTopLeftAndCutsTheLastTiles) {
    const TFastDIB tile = MakeDib({{0xA1, 0xA2}, {0xB1, 0xB2}});
    TFastDIB canvas = test::SolidDib(5, 3, Z);
    EXPECT_TRUE(TileBitmap(canvas, tile));
    EXPECT_EQ(ReadRows(canvas), (TRows{{0xA1, 0xA2, 0xA1, 0xA2, 0xA1},
                                       {0xB1, 0xB2, 0xB1, 0xB2, 0xB1},
                                       {0xA1, 0xA2, 0xA1, 0xA2, 0xA1}}));
    // A tile larger than the canvas shows its top-left part.
    TFastDIB small = test::SolidDib(1, 1, Z);
    EXPECT_TRUE(TileBitmap(small, tile));
    EXPECT_EQ(ReadRows(small), (TRows{{0xA1}}));
    // The same pixels as one block copy per tile.
    TFastDIB big = test::SolidDib(7, 5, Z), byCopies = test::SolidDib(7, 5, Z);
    const TFastDIB odd = MakeDib({{1, 2, 3}, {4, 5, 6}});
    EXPECT_TRUE(TileBitmap(big, odd));
    for (int x = 0; x < 7; x += 3)
        for (int y = 0; y < 5; y += 2) BlockCopy(byCopies, x, y, 3, 2, odd, 0, 0);
    EXPECT_EQ(ReadRows(big), ReadRows(byCopies));
}

TEST(TileBitmap, EmptyTileFails) {
    TFastDIB canvas = test::SolidDib(3, 3, Z);
    EXPECT_FALSE(TileBitmap(canvas, TFastDIB()));
    TFastDIB flat;
    flat.SetSize(4, 0, 24);
    EXPECT_FALSE(TileBitmap(canvas, flat));
}

}  // namespace
}  // namespace pm
