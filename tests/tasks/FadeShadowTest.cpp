#include "imaging/Arith.h"
#include "imaging/Colors.h"
#include "imaging/Drawing.h"
#include "support/EffectTesting.h"
#include "support/Pixels.h"
#include "tasks/PM__TFadeShadow.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

namespace pm {
namespace {

using test::PatternPixel;
using test::PixelAt;

constexpr std::uint32_t kSilver = 0xC0C0C0, kBlue = 0x0000FF, kBlack = 0x000000, kWhite = 0xFFFFFF;

TEST(FadeShadowRamp, EntriesForThicknesses20And60) {
    struct Case {
        int thickness;
        std::vector<std::pair<int, std::uint32_t>> entries;
    };
    // Blue fading to silver. Entry k holds c(n) of the largest n with
    // MulDiv(n, S, 256) <= k; c(n) = blue + MulDiv(n, silver - blue, 255).
    const Case cases[] = {
        {20, {{0, 0x0505FE}, {1, 0x0E0EFA}, {10, 0x6565DE}, {19, 0xBBBBC1}, {20, kSilver}}},
        {60, {{0, 0x0202FF}, {1, 0x0505FE}, {30, 0x6262DF}, {59, 0xBEBEC0}, {60, kSilver}}},
        {0, {{0, kSilver}}},
        {1, {{0, 0x6060E0}, {1, kSilver}}},
    };
    for (const Case& c : cases) {
        const auto ramp = FadeRamp(0xFF0000, 0xC0C0C0, c.thickness);
        ASSERT_EQ(ramp.size(), static_cast<std::size_t>(c.thickness) + 1);
        for (const auto& [k, v] : c.entries) EXPECT_EQ(ramp[k].Packed(), v) << c.thickness << ":" << k;
    }
}

TEST(FadeShadowLayout, FourDirections) {
    struct Case {
        int direction, s, w, h;
        TFadeShadow::TLayout expected;
    };
    const Case cases[] = {
        {0, 20, 200, 150, {0, 0, 180, 130, 11, 11, 199, 149}},
        {1, 20, 200, 150, {20, 0, 200, 130, 1, 11, 189, 149}},
        {2, 20, 200, 150, {0, 20, 180, 150, 11, 1, 199, 139}},
        {3, 20, 200, 150, {20, 20, 200, 150, 1, 1, 189, 139}},
        {7, 20, 200, 150, {20, 20, 200, 150, 1, 1, 189, 139}},  // outside 0..3: north-west
        {-1, 20, 200, 150, {20, 20, 200, 150, 1, 1, 189, 139}},
        {0, 21, 200, 150, {0, 0, 179, 129, 12, 12, 199, 149}},  // h = 10
        {0, 0, 200, 150, {0, 0, 200, 150, 1, 1, 199, 149}},
    };
    for (const Case& c : cases) {
        const auto l = TFadeShadow::Layout(c.direction, c.s, c.w, c.h);
        const auto& e = c.expected;
        EXPECT_EQ((std::vector<int>{l.BoxLeft, l.BoxTop, l.BoxRight, l.BoxBottom, l.Xa, l.Ya, l.Xb, l.Yb}),
                  (std::vector<int>{e.BoxLeft, e.BoxTop, e.BoxRight, e.BoxBottom, e.Xa, e.Ya, e.Xb, e.Yb}))
            << "direction " << c.direction << " s " << c.s;
    }
}

TFastDIB Silver(int w, int h) {
    TFastDIB k;
    k.SetSize(w, h, 24);
    k.Fill(TColorTriple::FromPacked(kSilver));
    return k;
}

TEST(FadeShadowPaint, DefaultRegionBeforeSoftening) {
    const int s = 20;
    const auto ramp = FadeRamp(0xFF0000, 0xC0C0C0, s);
    TFastDIB k = Silver(200, 150);
    TFadeShadow::PaintShadow(k, TFadeShadow::Layout(0, s, 200, 150), s, ramp, ColorToTriple(0xFF0000));
    const auto R = [&](int i) { return ramp[i].Packed(); };
    const std::vector<test::TProbe> probes = {
        // inner rectangle x 31..178, y 31..128
        {31, 31, kBlue},
        {178, 128, kBlue},
        {100, 80, kBlue},
        // right strip 179..198, then background
        {179, 80, R(0)},
        {188, 80, R(9)},
        {198, 80, R(19)},
        {199, 80, kSilver},
        // bottom strip 129..148
        {100, 129, R(0)},
        {100, 148, R(19)},
        {100, 149, kSilver},
        // left and top strips 11..30
        {30, 80, R(0)},
        {11, 80, R(19)},
        {10, 80, kSilver},
        {100, 30, R(0)},
        {100, 11, R(19)},
        {100, 10, kSilver},
        // right-hand corners reach column 199 on the rows of their centres
        {199, 31, R(19)},
        {199, 128, R(19)},
        {199, 30, kSilver},
        {199, 129, kSilver},
        // radial fading in the top-left corner around (31, 31)
        {30, 30, R(1)},
        {18, 18, R(18)},
        {17, 17, R(19)},
        {12, 12, kSilver},
        {31, 11, R(19)},
        {11, 31, R(19)},
    };
    test::ExpectPixels(k, probes);
}

// Steps 4 to 6 painted exactly as written: every disc of every radius.
void LiteralShadow(TFastDIB& k, const TFadeShadow::TLayout& l, int s, const std::vector<TColorTriple>& ramp,
                   TColorTriple shadow) {
    const auto paint = [&](long long x, long long y, TColorTriple c) {
        if (x >= 0 && y >= 0 && x < k.Width() && y < k.Height())
            k.SetPixel(k.Height() - 1 - int(y), int(x), c);
    };
    for (int p = 0; p < s; ++p) {
        const int a = s - p;
        const long long cx[4] = {l.Xa + s, l.Xb - s, l.Xa + s, l.Xb - s};
        const long long cy[4] = {l.Ya + s, l.Ya + s, l.Yb - s - 1, l.Yb - s - 1};
        for (int c = 0; c < 4; ++c)
            for (int u = 0; u <= a; ++u) {
                const double aa = double(a) * a;
                const int v = RoundHalfEven(std::sqrt((1 - double(u) * u / aa) * aa));
                for (int w = 0; w <= v; ++w) {
                    paint(cx[c] + u, cy[c] + w, ramp[s - p - 1]);
                    paint(cx[c] - u, cy[c] + w, ramp[s - p - 1]);
                    paint(cx[c] + u, cy[c] - w, ramp[s - p - 1]);
                    paint(cx[c] - u, cy[c] - w, ramp[s - p - 1]);
                }
            }
    }
    for (int p = 0; p < s; ++p) {
        for (int x = l.Xa + s; x <= l.Xb - s - 1; ++x) {
            paint(x, l.Ya + s - 1 - p, ramp[p]);
            paint(x, l.Yb - s + p, ramp[p]);
        }
        for (int y = l.Ya + s; y <= l.Yb - s - 1; ++y) {
            paint(l.Xa + s - 1 - p, y, ramp[p]);
            paint(l.Xb - s + p, y, ramp[p]);
        }
    }
    FillRect(k, l.Xa + s, l.Ya + s, l.Xb - s, l.Yb - s, shadow);
}

TEST(FadeShadowPaint, SameAsPaintingEveryDisc) {
    struct Case {
        int w, h, s;
    };
    // Large images, and small ones where the discs and strips overlap.
    const Case cases[] = {{200, 150, 20}, {120, 90, 37}, {30, 25, 1},  {30, 25, 2}, {30, 25, 3},
                          {30, 25, 7},    {30, 25, 20},  {12, 40, 15}, {5, 300, 9}, {1, 1, 4}};
    for (const Case& c : cases)
        for (int direction = 0; direction < 4; ++direction) {
            const auto ramp = FadeRamp(0x102030, 0xE0D0C0, c.s);
            const auto layout = TFadeShadow::Layout(direction, c.s, c.w, c.h);
            TFastDIB fast = Silver(c.w, c.h), literal = Silver(c.w, c.h);
            TFadeShadow::PaintShadow(fast, layout, c.s, ramp, ColorToTriple(0x102030));
            LiteralShadow(literal, layout, c.s, ramp, ColorToTriple(0x102030));
            EXPECT_EQ(test::ReadRows(fast), test::ReadRows(literal))
                << c.w << "x" << c.h << " s " << c.s << " direction " << direction;
        }
}

bool NearSilver(std::uint32_t v) {
    const TColorTriple c = TColorTriple::FromPacked(v);
    return c.b == 0xC0 && c.r == c.g && (c.r == 0xC0 || c.r == 0xBF);
}

TBitmap RunFadeShadow(int w, int h, const std::function<void(TFadeShadow&)>& setup = {}) {
    return test::RunEffect(w, h, setup);
}

// Every pixel of the block (x0, y0)-(x1, y1) (exclusive) is the source pixel.
void ExpectSourceBlock(const TBitmap& out, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) ASSERT_EQ(PixelAt(out, x, y), PatternPixel(x, y)) << x << "," << y;
}

TEST(FadeShadowExecute, DefaultsOn200x150) {
    const TBitmap out = RunFadeShadow(200, 150);
    // The image box (0, 0)-(180, 130): black 2 px, white 1 px, the picture in place.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {0, 50}, {1, 50}, {179, 50}, {178, 50}, {90, 0}, {90, 1}, {90, 129}, {90, 128}})
        EXPECT_EQ(PixelAt(out, x, y), kBlack) << x << "," << y;
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{2, 50}, {177, 50}, {90, 2}, {90, 127}})
        EXPECT_EQ(PixelAt(out, x, y), kWhite) << x << "," << y;
    ExpectSourceBlock(out, 3, 3, 177, 127);
    // Background away from the shadow: silver, or one level below where the
    // in-place blur carried a truncated average up and to the right.
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{199, 0}, {199, 8}, {185, 5}, {0, 149}, {8, 140}})
        EXPECT_TRUE(NearSilver(PixelAt(out, x, y))) << x << "," << y;
    EXPECT_EQ(PixelAt(out, 0, 149), kSilver);
    EXPECT_EQ(PixelAt(out, 199, 0), 0xBFBFC0u);
    // The shadow fades from nearly blue at the image to silver at the edge.
    std::uint32_t previousRed = 0, previousBlue = 255;
    for (int x = 180; x <= 198; ++x) {
        const TColorTriple c = TColorTriple::FromPacked(PixelAt(out, x, 80));
        EXPECT_GE(c.r, previousRed) << x;
        EXPECT_LE(c.b, previousBlue) << x;
        EXPECT_EQ(c.r, c.g) << x;
        previousRed = c.r, previousBlue = c.b;
    }
    EXPECT_LT(TColorTriple::FromPacked(PixelAt(out, 180, 80)).r, 0x20);
    EXPECT_GT(TColorTriple::FromPacked(PixelAt(out, 198, 80)).r, 0xA0);
    for (int y = 130; y <= 148; ++y) {
        const TColorTriple c = TColorTriple::FromPacked(PixelAt(out, 90, y));
        EXPECT_GT(c.b, c.r) << y;
    }
}

TEST(FadeShadowExecute, ZeroOrNegativeThicknessLeavesTheFramedImage) {
    for (int s : {0, -7, INT_MIN}) {
        SCOPED_TRACE(s);
        const TBitmap out =
            RunFadeShadow(60, 40, [&](TFadeShadow& t) { t.Shadow_Thickness.SetValue(s, vsCurrent); });
        EXPECT_EQ(PixelAt(out, 0, 0), kBlack);
        EXPECT_EQ(PixelAt(out, 59, 39), kBlack);
        EXPECT_EQ(PixelAt(out, 1, 20), kBlack);
        EXPECT_EQ(PixelAt(out, 2, 20), kWhite);
        EXPECT_EQ(PixelAt(out, 57, 20), kWhite);
        EXPECT_EQ(PixelAt(out, 30, 37), kWhite);
        ExpectSourceBlock(out, 3, 3, 57, 37);
    }
}

TEST(FadeShadowExecute, LineThicknessesZeroCopyTheWholeBox) {
    for (int thickness : {0, -3}) {
        const TBitmap out = RunFadeShadow(200, 150, [&](TFadeShadow& t) {
            t.Line1Thickness.SetValue(thickness, vsCurrent);
            t.Line2Thickness.SetValue(thickness, vsCurrent);
        });
        ExpectSourceBlock(out, 0, 0, 180, 130);
        EXPECT_NE(PixelAt(out, 180, 80), PatternPixel(180, 80));
    }
}

TEST(FadeShadowExecute, DirectionsPlaceTheImageAwayFromTheShadow) {
    struct Case {
        int direction;
        int boxLeft, boxTop;   // of the 180 x 130 image box
        int shadowX, shadowY;  // a pixel in the shadow's edge strip
        int quietX, quietY;    // background on the far side
    };
    const Case cases[] = {
        {0, 0, 0, 190, 80, 199, 3},
        {1, 20, 0, 10, 80, 2, 3},
        {2, 0, 20, 190, 60, 199, 146},
        {3, 20, 20, 10, 60, 2, 146},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        const TBitmap out = RunFadeShadow(
            200, 150, [&](TFadeShadow& t) { t.Shadow_Direction.SetValue(c.direction, vsCurrent); });
        EXPECT_EQ(PixelAt(out, c.boxLeft, c.boxTop), kBlack);
        EXPECT_EQ(PixelAt(out, c.boxLeft + 179, c.boxTop + 129), kBlack);
        EXPECT_EQ(PixelAt(out, c.boxLeft + 2, c.boxTop + 2), kWhite);
        ExpectSourceBlock(out, c.boxLeft + 3, c.boxTop + 3, c.boxLeft + 177, c.boxTop + 127);
        const TColorTriple shade = TColorTriple::FromPacked(PixelAt(out, c.shadowX, c.shadowY));
        EXPECT_GT(shade.b, shade.r + 30);
        EXPECT_TRUE(NearSilver(PixelAt(out, c.quietX, c.quietY)));
    }
}

TEST(FadeShadowExecute, ThicknessBeyondAnyImageFails) {
    for (int s : {65536, 1000000000, INT_MAX}) {
        TFadeShadow t;
        t.Shadow_Thickness.SetValue(s, vsCurrent);
        EXPECT_FALSE(test::AcceptsOrRefuses(t, 200, 150, "Cannot make \"FadeShadow\" effect!"));
    }
    // The widest accepted shadow on a small image covers it in shadow colours.
    const TBitmap out =
        RunFadeShadow(40, 30, [](TFadeShadow& t) { t.Shadow_Thickness.SetValue(65535, vsCurrent); });
    EXPECT_EQ(out.Width(), 40);
}

TEST(FadeShadowExecute, HugeLineThicknessCoversThePicture) {
    const TBitmap out = RunFadeShadow(200, 150, [](TFadeShadow& t) {
        t.Line1Thickness.SetValue(INT_MAX, vsCurrent);
        t.Line2Thickness.SetValue(INT_MAX, vsCurrent);
    });
    // The bands of a frame run from its edges inward by the thickness, so a
    // line wider than the picture covers every column and row of the box.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{90, 65}, {179, 129}, {185, 80}, {90, 145}})
        EXPECT_EQ(PixelAt(out, x, y), kBlack) << x << "," << y;
    EXPECT_NE(PixelAt(out, 199, 149), kBlack);
}

}  // namespace
}  // namespace pm
