#include "support/EffectTesting.h"
#include "support/Pixels.h"
#include "tasks/PM__TWatermark.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::PixelAt;

// A 4 x 4 mark, transparent but for its corners: top-left transparent,
// top-right opaque red, bottom-left red at alpha 128 (premultiplied 128),
// bottom-right opaque blue.
TAlphaImage CornerMark() {
    TAlphaImage m;
    m.Width = m.Height = 4;
    m.Bgra.assign(64, 0);
    const auto set = [&](int x, int y, std::uint8_t b, std::uint8_t r, std::uint8_t a) {
        std::uint8_t* p = &m.Bgra[std::size_t(y * 4 + x) * 4];
        p[0] = b, p[2] = r, p[3] = a;
    };
    set(3, 0, 0, 255, 255);
    set(0, 3, 0, 128, 128);
    set(3, 3, 255, 0, 255);
    return m;
}

// Over grey 100: (C (25500 - A op) + P op 255) / 25500 rounded.
TEST(WatermarkExecute, AlphaAtTheMarksCorners) {
    struct Case {
        int anchor, margin, opacity;
        int x0, y0;                // where the mark's top-left lands
        std::uint32_t corners[4];  // top-left, top-right, bottom-left, bottom-right
    };
    const std::uint32_t grey = 0x646464;
    const Case cases[] = {
        {1, 1, 100, 1, 1, {grey, 0xFF0000, 0xB23232, 0x0000FF}},
        {9, 2, 100, 4, 2, {grey, 0xFF0000, 0xB23232, 0x0000FF}},
        {5, 2, 100, 3, 2, {grey, 0xFF0000, 0xB23232, 0x0000FF}},  // the middle keeps no margin
        {3, 0, 100, 6, 0, {grey, 0xFF0000, 0xB23232, 0x0000FF}},
        // half: red (100 * 12750 + 255 * 50 * 255) / 25500 = 178; the alpha-128
        // corner keeps 19100 of 25500: 139.4 and 75.4
        {1, 1, 50, 1, 1, {grey, 0xB23232, 0x8B4B4B, 0x3232B2}},
        {1, 1, 0, 1, 1, {grey, grey, grey, grey}},
    };
    const TAlphaImage mark = CornerMark();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "anchor " << c.anchor << " opacity " << c.opacity);
        TWatermark t;
        t.Anchor.SetValue(c.anchor, vsCurrent);
        t.Margin.SetValue(c.margin, vsCurrent);
        t.Opacity.SetValue(c.opacity, vsCurrent);
        t.Width_Percent.SetValue(0, vsCurrent);
        t.SrcBitmap = TBitmap(test::SolidDib(10, 8, grey));
        ASSERT_TRUE(t.ExecuteWithMark(vsCurrent, mark));
        const TBitmap& out = t.DstBitmap;
        EXPECT_EQ(PixelAt(out, c.x0, c.y0), c.corners[0]);
        EXPECT_EQ(PixelAt(out, c.x0 + 3, c.y0), c.corners[1]);
        EXPECT_EQ(PixelAt(out, c.x0, c.y0 + 3), c.corners[2]);
        EXPECT_EQ(PixelAt(out, c.x0 + 3, c.y0 + 3), c.corners[3]);
        // Beside the mark the picture stays.
        if (c.x0 + 4 < 10) {
            EXPECT_EQ(PixelAt(out, c.x0 + 4, c.y0 + 3), grey);
        }
        if (c.x0 > 0) {
            EXPECT_EQ(PixelAt(out, c.x0 - 1, c.y0 + 1), grey);
        }
    }
}

// An opaque 2 x 1 mark at half of a 20 x 10 picture's width: 10 x 5.
TEST(WatermarkExecute, ScaledToAShareOfTheWidth) {
    TAlphaImage mark;
    mark.Width = 2;
    mark.Height = 1;
    mark.Bgra = {0, 0, 255, 255, 0, 0, 255, 255};
    TWatermark t;
    t.Anchor.SetValue(1, vsCurrent);
    t.Margin.SetValue(0, vsCurrent);
    t.Opacity.SetValue(100, vsCurrent);
    t.Width_Percent.SetValue(50, vsCurrent);
    t.SrcBitmap = TBitmap(test::SolidDib(20, 10, 0x000000));
    ASSERT_TRUE(t.ExecuteWithMark(vsCurrent, mark));
    test::ExpectPixels(t.DstBitmap,
                       {{0, 0, 0xFF0000}, {9, 4, 0xFF0000}, {10, 0, 0x000000}, {0, 5, 0x000000}});
}

TEST(AlphaImageOf, AllZeroFourthBytesArePadding) {
    TFastDIB d;
    d.SetSize(2, 1, 32);
    std::uint8_t* p = d.Row(0);
    p[0] = 10, p[1] = 20, p[2] = 30, p[4] = 40;
    TAlphaImage a = AlphaImageOf(d);
    EXPECT_EQ(a.Bgra, (std::vector<std::uint8_t>{10, 20, 30, 255, 40, 0, 0, 255}));
    p[3] = 51;  // now an alpha channel: the second pixel is transparent
    a = AlphaImageOf(d);
    EXPECT_EQ(a.Bgra, (std::vector<std::uint8_t>{2, 4, 6, 51, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace pm
