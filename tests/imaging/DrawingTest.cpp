#include "imaging/Drawing.h"
#include "imaging/Blur.h"
#include "imaging/Colors.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

namespace pm {
namespace {

using test::Mask;
using test::SolidDib;

constexpr std::uint32_t kWhite = 0xFFFFFF, kInk = 0x123456;

TEST(Colors, FrameworkValuesBecomeTriples) {
    EXPECT_EQ(ColorToTriple(0x0000FF), (TColorTriple{0, 0, 255}));
    EXPECT_EQ(ColorToTriple(0xFF0000), (TColorTriple{255, 0, 0}));
    EXPECT_EQ(ColorToTriple(0x00A0B0C0).Packed(), 0xC0B0A0u);
    // System colours: button face silver, window white, highlight navy.
    EXPECT_EQ(ColorToTriple(0x8000000F).Packed(), 0xC0C0C0u);
    EXPECT_EQ(ColorToTriple(0x80000005).Packed(), 0xFFFFFFu);
    EXPECT_EQ(ColorToTriple(0x8000000D).Packed(), 0x000080u);
    EXPECT_EQ(ColorToTriple(0x80000018).Packed(), 0xFFFFE1u);
    EXPECT_EQ(ResolveColor(0x800000FF), 0u);  // outside the table
    EXPECT_EQ(ResolveColor(0x00123456), 0x00123456u);
    // Without resolving, the stored low bytes are taken as they are.
    EXPECT_EQ(RawColorToTriple(0x8000000F).Packed(), 0x0F0000u);
    EXPECT_TRUE(SameColor({1, 2, 3}, {1, 2, 3}));
    EXPECT_FALSE(SameColor({1, 2, 3}, {1, 2, 4}));
}

TEST(FillRect, PaintsLeftTopInclusiveRightBottomExclusiveAndClips) {
    struct Case {
        int l, t, r, b;
        std::vector<std::string> mask;
    };
    const Case cases[] = {
        {0, 0, 4, 3, {"####", "####", "####"}},   {1, 1, 3, 2, {"....", ".##.", "...."}},
        {2, 1, 2, 3, {"....", "....", "...."}},    // empty
        {3, 2, 1, 1, {"....", "....", "...."}},    // inverted: nothing, like an empty one
        {-5, -5, 1, 2, {"#...", "#...", "...."}},  // clipped
        {3, 2, 99, 99, {"....", "....", "...#"}},
    };
    for (const Case& c : cases) {
        TFastDIB d = SolidDib(4, 3, kWhite);
        FillRect(d, c.l, c.t, c.r, c.b, TColorTriple::FromPacked(kInk));
        EXPECT_EQ(Mask(d, kInk), c.mask) << c.l << "," << c.t << "-" << c.r << "," << c.b;
    }
}

TEST(FillFrame, PaintsBandsInsideTheBox) {
    const TColor ink = 0x563412;  // kInk as a framework colour
    struct Case {
        int l, t, thickness, b, r;
        std::vector<std::string> mask;
    };
    const Case cases[] = {
        {0, 0, 0, 4, 5, {".....", ".....", ".....", "....."}},
        {0, 0, 1, 4, 5, {"#####", "#...#", "#...#", "#####"}},
        {1, 0, 1, 3, 4, {".###.", ".#.#.", ".###.", "....."}},
        {0, 0, 2, 4, 5, {"#####", "#####", "#####", "#####"}},
        {-1, -1, 2, 5, 6, {"#####", "#...#", "#...#", "#####"}},
    };
    for (const Case& c : cases) {
        TFastDIB d = SolidDib(5, 4, kWhite);
        FillFrame(d, c.l, c.t, ink, c.thickness, c.b, c.r);
        EXPECT_EQ(Mask(d, kInk), c.mask) << "thickness " << c.thickness;
    }
}

TEST(DrawContext, FillsOnlyWithASelectedBrush) {
    TFastDIB d = SolidDib(2, 2, kWhite);
    TDrawContext dc(d);
    dc.FillRect(0, 0, 2, 2);
    EXPECT_EQ(Mask(d, kWhite), (std::vector<std::string>{"##", "##"}));
    dc.SelectSolidBrush(0x8000000F);
    dc.FillRect(0, 0, 1, 2);
    dc.SelectSolidBrush(0x0000FF);  // replaces the silver brush
    dc.FillRect(1, 0, 2, 1);
    dc.DeleteCurrentBrush();
    dc.FillRect(0, 0, 2, 2);
    EXPECT_EQ(test::ReadRows(d), (test::TRows{{0xC0C0C0, 0xFF0000}, {0xC0C0C0, kWhite}}));
}

// Draws the ellipse of the box with a lime brush and a black pen; returns
// the picture with '#' for pen, 'o' for brush and '.' for untouched pixels.
std::vector<std::string> DrawEllipse(int w, int h, int l, int t, int r, int b, TPenStyle style, int width,
                                     bool pen = true, bool brush = true) {
    TFastDIB d = SolidDib(w, h, kWhite);
    TDrawContext dc(d);
    if (brush) dc.SelectSolidBrush(0x00FF00);
    if (pen) dc.SelectPen(style, width, 0x000000);
    dc.Ellipse(l, t, r, b);
    std::vector<std::string> out;
    for (const auto& row : test::ReadRows(d)) {
        std::string line;
        for (std::uint32_t v : row) line += v == 0 ? '#' : v == 0x00FF00 ? 'o' : '.';
        out.push_back(line);
    }
    return out;
}

TEST(Ellipse, SmallShapes) {
    EXPECT_EQ(DrawEllipse(8, 8, 0, 0, 8, 8, TPenStyle::Solid, 1),
              (std::vector<std::string>{"..####..", ".#oooo#.", "#oooooo#", "#oooooo#", "#oooooo#",
                                        "#oooooo#", ".#oooo#.", "..####.."}));
    EXPECT_EQ(DrawEllipse(16, 8, 0, 0, 16, 8, TPenStyle::InsideFrame, 2),
              (std::vector<std::string>{"....########....", "..############..", ".###oooooooo###.",
                                        "##oooooooooooo##", "##oooooooooooo##", ".###oooooooo###.",
                                        "..############..", "....########...."}));
    // Without a pen the brush fills the whole ellipse; without a brush only the ring.
    EXPECT_EQ(DrawEllipse(4, 4, 0, 0, 4, 4, TPenStyle::Solid, 1, false, true),
              (std::vector<std::string>{".oo.", "oooo", "oooo", ".oo."}));
    EXPECT_EQ(DrawEllipse(6, 6, 0, 0, 6, 6, TPenStyle::InsideFrame, 1, true, false),
              (std::vector<std::string>{".####.", "#....#", "#....#", "#....#", "#....#", ".####."}));
    // A ring wider than half the box covers the whole ellipse.
    EXPECT_EQ(DrawEllipse(4, 4, 0, 0, 4, 4, TPenStyle::InsideFrame, 3),
              (std::vector<std::string>{".##.", "####", "####", ".##."}));
}

TEST(Ellipse, EmptyOrInvertedBoxesDrawNothingAndOutsidePartsAreClipped) {
    const std::vector<std::string> blank(4, "....");
    EXPECT_EQ(DrawEllipse(4, 4, 2, 0, 2, 4, TPenStyle::Solid, 1), blank);
    EXPECT_EQ(DrawEllipse(4, 4, 4, 4, 0, 0, TPenStyle::Solid, 1), blank);
    // The lower right quarter of a circle centred on the top-left corner.
    EXPECT_EQ(DrawEllipse(4, 4, -4, -4, 4, 4, TPenStyle::InsideFrame, 1),
              (std::vector<std::string>{"ooo#", "ooo#", "oo#.", "##.."}));
}

// Properties every box must have: inscribed (touching all four edges, nothing
// outside), symmetric about both centre lines, and an inside-frame outline
// made of exactly the pixels that have an outside pixel within t (checked
// here by brute force against the row-span rasteriser), at least t thick on
// the centre lines and exactly t on a circle's.
TEST(Ellipse, InscribedSymmetricWithRingOfThicknessT) {
    for (int w = 1; w <= 23; w += 2)
        for (int h = 1; h <= 24; h += 3)
            for (int t : {1, 2, 3, 5}) {
                const int fw = w + 4, fh = h + 4;  // a 2-pixel margin around the box
                const auto m = DrawEllipse(fw, fh, 2, 2, 2 + w, 2 + h, TPenStyle::InsideFrame, t);
                SCOPED_TRACE(testing::Message() << w << "x" << h << " t=" << t);
                const auto at = [&](int x, int y) {
                    return (x < 0 || y < 0 || x >= fw || y >= fh) ? '.' : m[y][x];
                };
                bool top = false, bottom = false, left = false, right = false;
                for (int y = 0; y < fh; ++y)
                    for (int x = 0; x < fw; ++x) {
                        const char c = at(x, y);
                        ASSERT_EQ(c, at(fw - 1 - x, y));
                        ASSERT_EQ(c, at(x, fh - 1 - y));
                        if (c == '.') continue;
                        ASSERT_TRUE(x >= 2 && x < 2 + w && y >= 2 && y < 2 + h);
                        top |= y == 2, bottom |= y == 1 + h, left |= x == 2, right |= x == 1 + w;
                        bool near = false;
                        for (int dy = -t; dy <= t; ++dy)
                            for (int dx = -t; dx <= t; ++dx)
                                near = near || (at(x + dx, y + dy) == '.' && dx * dx + dy * dy <= t * t);
                        ASSERT_EQ(c, near ? '#' : 'o') << x << "," << y;
                    }
                EXPECT_TRUE(top && bottom && left && right);
                const int cy = 2 + h / 2, cx = 2 + w / 2;
                for (int k = 0; k < t && k < w && k < h; ++k) {
                    EXPECT_EQ(at(2 + k, cy), '#');
                    EXPECT_EQ(at(cx, 2 + k), '#');
                }
                if (w == h && w > 4 * t) {  // a circle: exactly t thick
                    EXPECT_EQ(at(2 + t, cy), 'o');
                    EXPECT_EQ(at(cx, 2 + t), 'o');
                }
            }
}

TEST(Ellipse, SolidPenOfWidthOneOutlinesTheEdge) {
    // The same outline as an inside-frame pen of width 1.
    for (int w : {1, 2, 5, 12})
        for (int h : {1, 3, 8})
            EXPECT_EQ(DrawEllipse(w, h, 0, 0, w, h, TPenStyle::Solid, 1),
                      DrawEllipse(w, h, 0, 0, w, h, TPenStyle::InsideFrame, 1));
}

TEST(SplitBlur, InPlaceOrderOn24Bits) {
    // Stored rows (row 0 = bottom): a = {0, 40, 80}, b = {120, 160, 200} in red
    // and green, 255 minus that in blue. By hand, in place:
    //   a0 = (0+40+120+160)/4 = 80,   a1 = (80+80+120+200)/4 = 120,
    //   a2 = (120+80+160+200)/4 = 140, b0 = (80+120+120+160)/4 = 120,
    //   b1 = (80+140+120+200)/4 = 135, b2 = (120+140+135+200)/4 = 148;
    // blue: a0 = (255+215+135+95)/4 = 175, a1 = (175+175+135+55)/4 = 135,
    //   a2 = (135+175+95+55)/4 = 115, b0 = (175+135+135+95)/4 = 135,
    //   b1 = (175+115+135+55)/4 = 120, b2 = (135+115+120+55)/4 = 106.
    const int a[3] = {0, 40, 80}, b[3] = {120, 160, 200};
    TFastDIB d;
    d.SetSize(3, 2, 24);
    for (int x = 0; x < 3; ++x) {
        d.SetPixel(0, x, {std::uint8_t(255 - a[x]), std::uint8_t(a[x]), std::uint8_t(a[x])});
        d.SetPixel(1, x, {std::uint8_t(255 - b[x]), std::uint8_t(b[x]), std::uint8_t(b[x])});
    }
    SplitBlur(d, 1);
    const int ea[3] = {80, 120, 140}, eb[3] = {120, 135, 148}, ba[3] = {175, 135, 115},
              bb[3] = {135, 120, 106};
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(d.GetPixel(0, x),
                  (TColorTriple{std::uint8_t(ba[x]), std::uint8_t(ea[x]), std::uint8_t(ea[x])}));
        EXPECT_EQ(d.GetPixel(1, x),
                  (TColorTriple{std::uint8_t(bb[x]), std::uint8_t(eb[x]), std::uint8_t(eb[x])}));
    }
}

// The fast inner runs must give exactly the pixel-by-pixel, in-place result.
TEST(SplitBlur, SameAsPixelByPixel) {
    std::uint32_t seed = 99;
    for (int bpp : {8, 24, 32})
        for (int d : {0, 1, 2, 3, 9, 20})
            for (const auto& [w, h] : {std::pair{40, 30}, std::pair{7, 5}, std::pair{3, 50}}) {
                TFastDIB bmp;
                bmp.SetSize(w, h, bpp);
                for (int y = 0; y < h; ++y)
                    for (int i = 0; i < bmp.Stride(); ++i)
                        bmp.Row(y)[i] =
                            static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
                TFastDIB expected = bmp;
                const int step = bpp / 8, channels = bpp == 8 ? 1 : 3;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const std::uint8_t* p = expected.Row(std::clamp(y - d, 0, h - 1));
                        const std::uint8_t* q = expected.Row(std::clamp(y + d, 0, h - 1));
                        const int l = std::clamp(x - d, 0, w - 1) * step,
                                  r = std::clamp(x + d, 0, w - 1) * step;
                        for (int c = 0; c < channels; ++c)
                            expected.Row(y)[x * step + c] =
                                static_cast<std::uint8_t>((p[l + c] + p[r + c] + q[l + c] + q[r + c]) / 4);
                    }
                SplitBlur(bmp, d);
                for (int y = 0; y < h; ++y)
                    ASSERT_TRUE(std::equal(bmp.Row(y), bmp.Row(y) + bmp.Stride(), expected.Row(y)))
                        << bpp << " bits, d " << d << ", " << w << " x " << h << ", row " << y;
            }
}

TEST(SplitBlur, OtherDepths) {
    // 8 bits: the indices themselves, same order as above.
    TFastDIB g;
    g.SetSize(3, 2, 8);
    const std::uint8_t in[2][3] = {{0, 40, 80}, {120, 160, 200}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) g.Row(y)[x] = in[y][x];
    SplitBlur(g, 1);
    EXPECT_EQ(
        (std::vector<int>{g.Row(0)[0], g.Row(0)[1], g.Row(0)[2], g.Row(1)[0], g.Row(1)[1], g.Row(1)[2]}),
        (std::vector<int>{80, 120, 140, 120, 135, 148}));
    // 32 bits: the fourth byte stays.
    TFastDIB q;
    q.SetSize(2, 1, 32);
    const std::uint8_t px[8] = {10, 20, 30, 77, 50, 60, 70, 99};
    std::copy(px, px + 8, q.Row(0));
    SplitBlur(q, 1);
    // x0 = (10+50+10+50)/4 = 30; x1 = (30+50+30+50)/4 = 40 (reads the new x0).
    EXPECT_EQ((std::vector<int>(q.Row(0), q.Row(0) + 8)), (std::vector<int>{30, 40, 50, 77, 40, 50, 60, 99}));
    // 16 bits (5/5/5): channels widened, averaged and packed again.
    TFastDIB s;
    s.SetSize(2, 1, 16);
    s.SetPixel(0, 0, {0, 0, 0});
    s.SetPixel(0, 1, {255, 255, 255});
    SplitBlur(s, 1);
    // x0 = (0+255+0+255)/4 = 127 -> 5 bits 15 -> widened 123; x1 = (123+255+123+255)/4 = 189 -> 23 -> 189.
    EXPECT_EQ(s.GetPixel(0, 0), (TColorTriple{123, 123, 123}));
    EXPECT_EQ(s.GetPixel(0, 1), (TColorTriple{189, 189, 189}));
}

TEST(SplitBlur, UniformAndSinglePixelBitmapsStayUnchanged) {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{5, 4}}) {
        TFastDIB d = SolidDib(w, h, 0x3C7A11);
        SplitBlur(d, 1);
        EXPECT_EQ(test::ReadRows(d), test::ReadRows(SolidDib(w, h, 0x3C7A11)));
    }
}

}  // namespace
}  // namespace pm
