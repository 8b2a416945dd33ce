#include "imaging/FastDIB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <thread>

namespace pm {
namespace {

TFastDIB Make(int w, int h, int bpp) {
    TFastDIB d;
    d.SetSize(w, h, bpp);
    return d;
}

void SetPalette(TFastDIB& d, std::initializer_list<TColorTriple> colors) {
    std::size_t i = 0;
    for (const TColorTriple& c : colors) d.Colors()[i++] = {c.b, c.g, c.r, 0};
}

TEST(FastDIBGeometry, StrideGapAndSizePerDepth) {
    struct Case {
        int w, bpp, stride, gap;
    } cases[] = {
        {1, 24, 4, 1}, {4, 24, 12, 0}, {2, 24, 8, 2}, {3, 24, 12, 3}, {5, 24, 16, 1},
        {1, 32, 4, 0}, {3, 16, 8, 2},  {2, 16, 4, 0}, {1, 8, 4, 3},   {5, 8, 8, 3},
        {1, 4, 4, 3},  {9, 4, 8, 3},   {1, 1, 4, 3},  {33, 1, 8, 3},  {32, 1, 4, 0},
    };
    for (const Case& c : cases) {
        TFastDIB d = Make(c.w, 3, c.bpp);
        SCOPED_TRACE(testing::Message() << c.w << "x3 @" << c.bpp);
        EXPECT_EQ(d.Stride(), c.stride);
        EXPECT_EQ(d.Gap(), c.gap);
        EXPECT_EQ(d.Size(), std::size_t(3 * c.stride));
        EXPECT_EQ(d.Info().biSizeImage, std::uint32_t(3 * c.stride));
        EXPECT_EQ(d.Row(2) - d.Row(0), 2 * c.stride);
    }
}

TEST(FastDIBGeometry, RowZeroIsTheBottomLineOfTheBmpStream) {
    // A 2x2 picture: top line red, bottom line blue. In a BMP stream the
    // bottom line comes first, and row 0 is that line.
    TFastDIB d = Make(2, 2, 24);
    d.Row24(0)[0] = {255, 0, 0};
    std::vector<std::uint8_t> s;
    d.SaveToStream(s);
    ASSERT_GE(s.size(), 57u);
    EXPECT_EQ(s[54], 255);  // the first pixel written is the bottom-left one
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{255, 0, 0}));
}

TEST(FastDIBSetSize, UnchangedGeometryKeepsPixelsAndChangesReallocate) {
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        TFastDIB d = Make(3, 2, bpp);
        std::memset(d.Bits(), 0x5A, d.Size());
        d.SetSize(3, 2, bpp);
        EXPECT_EQ(d.Bits()[0], 0x5A) << bpp;
        EXPECT_EQ(d.Bits()[d.Size() - 1], 0x5A) << bpp;
    }
    TFastDIB d = Make(3, 2, 24);
    d.SetSize(4, 2, 24);
    EXPECT_EQ(d.Width(), 4);
    EXPECT_EQ(d.Stride(), 12);
    d.SetSize(4, 2, 8);
    EXPECT_EQ(d.Bpp(), 8);
    EXPECT_EQ(d.Stride(), 4);
}

// Small pictures and ones large enough to come back from the freed block a
// thread keeps, which still holds the last picture's bytes: the padding at
// each row's end is zero, the geometry is that asked for.
TEST(FastDIBSetSize, ForOverwriteZeroesThePaddingOfFreshAndReusedMemory) {
    struct Case {
        int w, h, bpp;
    };
    const Case cases[] = {{1, 3, 24}, {2, 2, 24}, {3, 5, 24}, {4, 2, 24}, {5, 1, 8}, {1999, 1100, 24}};
    for (const Case& c : cases) {
        {
            TFastDIB stale = Make(c.w, c.h, c.bpp);
            std::memset(stale.Bits(), 0x5A, stale.Size());
        }
        TFastDIB d = Make(7, 7, 24);
        d.SetSizeForOverwrite(c.w, c.h, c.bpp);
        ASSERT_EQ(d.Width(), c.w);
        ASSERT_EQ(d.Height(), c.h);
        ASSERT_EQ(d.Bpp(), c.bpp);
        const std::size_t used = (std::size_t(c.w) * c.bpp + 7) / 8;
        ASSERT_EQ(d.Size(), std::size_t(d.Stride()) * c.h);
        for (int y = 0; y < c.h; ++y)
            for (std::size_t x = used; x < std::size_t(d.Stride()); ++x)
                ASSERT_EQ(d.Row(y)[x], 0) << c.w << "x" << c.h << " row " << y << " byte " << x;
    }
}

// Blocks large enough for huge pages, freed and asked for again in sizes
// equal to, below and above the kept one: each is whole (the sanitizer
// build sees a write past a block handed out too small) and zeroed.
TEST(FastDIBSetSize, LargeBlocksOfChangingSizesAreWholeAndZeroed) {
    const int sides[][2] = {{1600, 1000}, {1600, 1000}, {1200, 1000}, {2400, 1700}, {800, 600}, {2400, 1700}};
    for (const auto& side : sides) {
        TFastDIB d = Make(side[0], side[1], 24);
        ASSERT_EQ(d.Bits()[d.Size() - 1], 0);
        ASSERT_EQ(d.Bits()[d.Size() / 2], 0);
        std::memset(d.Bits(), 0xA5, d.Size());
    }
}

// A large picture that outlives the block its thread keeps for reuse (a
// static or thread-local object freed at the thread's end) is given back
// once, not twice.
TEST(FastDIBSetSize, LargePictureFreedAfterTheThreadsKeptBlock) {
    std::thread worker([] {
        thread_local TFastDIB late;  // made first, so destroyed last
        late.SetSize(1600, 1000, 24);
        TFastDIB kept = Make(1600, 1000, 24);  // freed into the thread's keeping
    });
    worker.join();
    SUCCEED();
}

TEST(FastDIBSetSize, RejectsBadDepthAndSizesBeyondTheLimits) {
    TFastDIB d;
    EXPECT_THROW(d.SetSize(2, 2, 2), std::invalid_argument);
    EXPECT_THROW(d.SetSize(-1, 2, 24), std::length_error);
    EXPECT_THROW(d.SetSize(70000, 2, 24), std::length_error);
    EXPECT_THROW(d.SetSize(65535, 65535, 24), std::length_error);
    EXPECT_TRUE(d.Empty());
}

TEST(FastDIBSetSize, ChannelLayoutOfSixteenAndThirtyTwoBits) {
    TFastDIB d = Make(1, 1, 16);
    EXPECT_EQ(d.RBits(), 5);
    EXPECT_EQ(d.GPos(), 5);
    EXPECT_EQ(d.RPos(), 10);
    EXPECT_EQ(d.RShr(), 3);
    EXPECT_EQ(d.RMask(), 0x7C00u);
    d.SetSize(1, 1, 32);
    EXPECT_EQ(d.GBits(), 8);
    EXPECT_EQ(d.GShr(), 0);
    EXPECT_EQ(d.RMask(), 0xFF0000u);
}

TEST(FastDIBPixels, SetThenGetPerDepth) {
    const TColorTriple red{0, 0, 255}, green{0, 255, 0}, grey{128, 128, 128};
    struct Case {
        int bpp;
        TColorTriple in, out;
    } cases[] = {
        {24, {1, 2, 3}, {1, 2, 3}},
        {32, {1, 2, 3}, {1, 2, 3}},
        // 5/5/5: the value loses its 3 low bits and is widened by replication.
        {16, {0xFF, 0x80, 0x07}, {0xFF, 0x84, 0x00}},
        {8, {120, 130, 140}, grey},
        {4, {10, 250, 10}, green},
        {1, {0, 0, 200}, red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpp);
        TFastDIB d = Make(9, 2, c.bpp);
        SetPalette(d, {red, green, grey});
        for (int x = 0; x < 9; ++x) d.SetPixel(1, x, {0, 0, 0});
        d.SetPixel(1, 7, c.in);
        EXPECT_EQ(d.GetPixel(1, 7), c.out);
        // Neighbours sharing the byte are untouched.
        const TColorTriple black = c.bpp <= 8 ? red : TColorTriple{0, 0, 0};
        if (c.bpp > 8) {
            EXPECT_EQ(d.GetPixel(1, 6), black);
            EXPECT_EQ(d.GetPixel(1, 8), black);
        }
    }
}

TEST(FastDIBPixels, NibbleAndBitOrder) {
    TFastDIB d4 = Make(3, 1, 4);
    d4.Row(0)[0] = 0x12;
    d4.Row(0)[1] = 0x30;
    for (int i = 0; i < 4; ++i) d4.Colors()[i] = {std::uint8_t(i * 10), 0, 0, 0};
    EXPECT_EQ(d4.GetPixel(0, 0).b, 10);  // even column: high nibble
    EXPECT_EQ(d4.GetPixel(0, 1).b, 20);
    EXPECT_EQ(d4.GetPixel(0, 2).b, 30);
    d4.SetPixel(0, 1, {0, 0, 0});
    EXPECT_EQ(d4.Row(0)[0], 0x10);

    TFastDIB d1 = Make(10, 1, 1);
    d1.Colors()[1] = {255, 255, 255, 0};
    d1.Row(0)[0] = 0x80;  // the most significant bit is the leftmost pixel
    d1.Row(0)[1] = 0x40;
    EXPECT_EQ(d1.GetPixel(0, 0).r, 255);
    EXPECT_EQ(d1.GetPixel(0, 1).r, 0);
    EXPECT_EQ(d1.GetPixel(0, 9).r, 255);
    d1.SetPixel(0, 3, {255, 255, 255});
    EXPECT_EQ(d1.Row(0)[0], 0x90);
}

TEST(FastDIBPixels, NearestPaletteEntryFirstSmallestSumWins) {
    TFastDIB d = Make(1, 1, 8);
    d.Colors() = {};
    d.Colors()[3] = {10, 10, 10, 0};
    d.Colors()[4] = {20, 10, 10, 0};
    d.Colors()[5] = {16, 10, 10, 0};
    // (14,10,10) is 4 from entry 3, 6 from 4, 2 from 5.
    EXPECT_EQ(d.NearestPaletteIndex({14, 10, 10}), 5);
    // (13,10,10) is 3 from entry 3 and 3 from 5: the lower index wins.
    EXPECT_EQ(d.NearestPaletteIndex({13, 10, 10}), 3);
    // Only the 2^depth entries are searched.
    TFastDIB d1 = Make(1, 1, 1);
    d1.Colors() = {};
    d1.Colors()[1] = {100, 100, 100, 0};
    d1.Colors()[2] = {200, 200, 200, 0};
    EXPECT_EQ(d1.NearestPaletteIndex({200, 200, 200}), 1);
}

TEST(FastDIBPixels, ThirtyTwoBitsWithoutMasksKeepsTheFourthByte) {
    TFastDIB d = Make(2, 1, 32);
    std::memset(d.Bits(), 0xAB, d.Size());
    d.SetPixel(0, 1, {1, 2, 3});
    const std::uint8_t* p = d.Row(0) + 4;
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], 2);
    EXPECT_EQ(p[2], 3);
    EXPECT_EQ(p[3], 0xAB);
}

TEST(FastDIBPixels, GetPixelWidensFiveBitsByReplication) {
    TFastDIB d = Make(4, 1, 16);
    const std::uint16_t values[] = {0x0000, 0x7FFF, 0x0421, 0x4210};  // 0, 31, 1, 16 per channel
    for (int x = 0; x < 4; ++x) {
        d.Row(0)[2 * x] = std::uint8_t(values[x]);
        d.Row(0)[2 * x + 1] = std::uint8_t(values[x] >> 8);
    }
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0, 0, 0}));
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{255, 255, 255}));
    EXPECT_EQ(d.GetPixel(0, 2), (TColorTriple{8, 8, 8}));
    EXPECT_EQ(d.GetPixel(0, 3), (TColorTriple{132, 132, 132}));
}

TEST(FastDIBFill, EveryDepthLeavesEveryPixelTheColour) {
    const TColorTriple c{40, 80, 160};
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bpp);
        TFastDIB d = Make(5, 3, bpp);
        d.Colors()[0] = {0, 0, 0, 0};
        d.Colors()[1] = {40, 80, 160, 0};
        d.Fill(c);
        const TColorTriple expect = bpp == 16 ? TColorTriple{41, 82, 165} : c;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(d.GetPixel(y, x), expect) << y << "," << x;
    }
}

TEST(FastDIBFill, TwentyFourBitsLeavesTheGapAndPalettesFillWholeBytes) {
    TFastDIB d = Make(1, 3, 24);
    std::memset(d.Bits(), 0xEE, d.Size());
    d.Fill({1, 2, 3});
    for (int y = 0; y < 3; ++y) EXPECT_EQ(d.Row(y)[3], 0xEE);

    TFastDIB p = Make(3, 2, 4);
    p.Colors()[5] = {9, 9, 9, 0};
    p.Fill({9, 9, 9});
    for (std::size_t i = 0; i < p.Size(); ++i) ASSERT_EQ(p.Bits()[i], 0x55);

    TFastDIB q = Make(2, 1, 32);
    std::memset(q.Bits(), 0xEE, q.Size());
    q.Fill({1, 2, 3});  // the packed value: the fourth byte becomes 0
    EXPECT_EQ(q.Row(0)[3], 0);
    EXPECT_EQ(q.Row(0)[7], 0);
}

TEST(FastDIBConvertDepth, SixteenBitChannelsUseTheScalingRule) {
    struct Case {
        std::uint16_t raw;
        TColorTriple expect;
    } cases[] = {
        {0x0000, {7, 7, 7}},   {0x7FFF, {255, 255, 255}}, {0x001F, {255, 7, 7}}, {0x03E0, {7, 255, 7}},
        {0x7C00, {7, 7, 255}}, {0x0421, {15, 15, 15}},    {0x8000, {7, 7, 7}},  // the unused top bit is
                                                                                // ignored
    };
    TFastDIB d = Make(7, 2, 16);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 7; ++x) {
            d.Row(y)[2 * x] = std::uint8_t(cases[x].raw);
            d.Row(y)[2 * x + 1] = std::uint8_t(cases[x].raw >> 8);
        }
    ASSERT_TRUE(ConvertDepth(d, 24));
    EXPECT_EQ(d.Bpp(), 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(d.GetPixel(y, x), cases[x].expect) << x;
}

TEST(FastDIBConvertDepth, AllZeroFiveFiveFiveGivesSeven) {
    TFastDIB d = Make(3, 3, 16);
    d.Fill({0, 0, 0});
    ASSERT_TRUE(ConvertDepth(d, 24));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(d.GetPixel(y, x), (TColorTriple{7, 7, 7}));
}

TEST(FastDIBConvertDepth, PalettesAndThirtyTwoBits) {
    TFastDIB p = Make(3, 2, 4);
    p.Colors()[1] = {1, 2, 3, 0};
    p.Colors()[2] = {4, 5, 6, 0};
    p.Row(1)[0] = 0x12;
    p.Row(1)[1] = 0x20;
    ASSERT_TRUE(ConvertDepth(p, 24));
    EXPECT_EQ(p.GetPixel(1, 0), (TColorTriple{1, 2, 3}));
    EXPECT_EQ(p.GetPixel(1, 1), (TColorTriple{4, 5, 6}));
    EXPECT_EQ(p.GetPixel(1, 2), (TColorTriple{4, 5, 6}));
    EXPECT_EQ(p.GetPixel(0, 0), (TColorTriple{0, 0, 0}));

    TFastDIB q = Make(1, 1, 32);
    const std::uint8_t px[4] = {10, 20, 30, 99};
    std::memcpy(q.Bits(), px, 4);
    ASSERT_TRUE(ConvertDepth(q, 24));
    EXPECT_EQ(q.GetPixel(0, 0), (TColorTriple{10, 20, 30}));
}

TEST(FastDIBConvertDepth, SameDepthIsANoOpOtherTargetsFail) {
    TFastDIB d = Make(2, 2, 24);
    d.Fill({1, 2, 3});
    const std::uint8_t* before = d.Bits();
    EXPECT_TRUE(ConvertDepth(d, 24));
    EXPECT_EQ(d.Bits(), before);
    TFastDIB e = Make(2, 2, 8);
    EXPECT_FALSE(ConvertDepth(e, 16));
    EXPECT_EQ(e.Bpp(), 8);
}

TEST(FastDIBTakeOver, MovesEverythingAndEmptiesTheSource) {
    TFastDIB a = Make(3, 2, 8);
    a.Colors()[7] = {7, 7, 7, 0};
    a.Row(1)[2] = 7;
    TFastDIB b = Make(1, 1, 24);
    b.TakeOver(a);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Bpp(), 8);
    EXPECT_EQ(b.GetPixel(1, 2), (TColorTriple{7, 7, 7}));
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(a.Size(), 0u);
}

}  // namespace
}  // namespace pm
