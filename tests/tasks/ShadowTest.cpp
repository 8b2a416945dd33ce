#include "support/EffectTesting.h"
#include "tasks/PM__TShadow.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace pm {
namespace {

using test::ExpectPixels;
using test::kImage;
using test::PatternPixel;
using test::PixelAt;
using test::TProbe;

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kYellow = 0xFFFF00, kLime = 0x00FF00,
                        kBlack = 0x000000, kGreen = 0x008000;

TBitmap RunShadow(int w, int h, const std::function<void(TShadow&)>& setup = {}) {
    return test::RunEffect(w, h, setup);
}

TEST(ShadowExecute, DefaultsOn200x100) {
    const TBitmap out = RunShadow(200, 100);
    ExpectPixels(out, {
                          // background outside the rounded corners and beside the offset
                          {0, 0, kRed},
                          {3, 3, kRed},
                          {199, 0, kRed},
                          {199, 5, kRed},
                          {0, 99, kRed},
                          {5, 99, kRed},
                          {199, 99, kRed},
                          // the shadow's lines: blue 2 px outside, yellow 1 px inside
                          {199, 50, kBlue},
                          {198, 50, kBlue},
                          {197, 50, kYellow},
                          {100, 99, kBlue},
                          {100, 98, kBlue},
                          {100, 97, kYellow},
                          {100, 6, kImage},  // the shadow's top line lies under the card
                                             // the shadow itself beside and below the card
                          {196, 50, kBlack},
                          {194, 50, kBlack},
                          {100, 96, kBlack},
                          {100, 94, kBlack},
                          {186, 86, kBlack},  // outside the card's rounded corner
                          {193, 93, kRed},    // and outside the shadow's
                                              // the card's lines: black 2 px, lime 1 px, then the picture
                          {100, 0, kBlack},
                          {100, 1, kBlack},
                          {100, 2, kLime},
                          {100, 3, kImage},
                          {0, 50, kBlack},
                          {1, 50, kBlack},
                          {2, 50, kLime},
                          {3, 50, kImage},
                          {193, 50, kBlack},
                          {192, 50, kBlack},
                          {191, 50, kLime},
                          {190, 50, kImage},
                          {100, 93, kBlack},
                          {100, 92, kBlack},
                          {100, 91, kLime},
                          {100, 90, kImage},
                          {15, 15, kImage},
                          {178, 78, kImage},
                          {97, 47, kImage},
                      });
}

TEST(ShadowExecute, CornersAreQuarterRingsOfTheRadius) {
    const TBitmap out = RunShadow(200, 100, [](TShadow& t) { t.Shadow_Color.SetValue(0x008000, vsCurrent); });
    // The card's straight lines stop r = 30 short of each corner; the corner
    // ring continues them: on the box edge only its middle rows are inked.
    for (int y : {30, 40, 63}) EXPECT_EQ(PixelAt(out, 0, y), kBlack) << y;
    for (int y : {0, 10, 20}) EXPECT_EQ(PixelAt(out, 0, y), kRed) << y;
    for (int y : {70, 80, 93}) EXPECT_EQ(PixelAt(out, 0, y), kRed) << y;
    // Mirror images: left and right corner of the card's top edge.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool leftInk = PixelAt(out, x, y) == kBlack;
            const bool rightInk = PixelAt(out, 193 - x, y) == kBlack;
            EXPECT_EQ(leftInk, rightInk) << x << "," << y;
        }
    // Along the diagonal of the top-left corner: background, the black line,
    // lime, then the picture.
    std::vector<std::uint32_t> seen;
    for (int d = 0; d < 20; ++d) {
        const std::uint32_t v = PixelAt(out, d, d);
        const std::uint32_t kind = v == PatternPixel(d, d) ? kImage : v;
        if (seen.empty() || seen.back() != kind) seen.push_back(kind);
    }
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{kRed, kBlack, kLime, kImage}));
    // The shadow's bottom-right corner is rounded, in the shadow colour.
    EXPECT_EQ(PixelAt(out, 199, 99), kRed);
    EXPECT_EQ(PixelAt(out, 186, 86), kGreen);
}

TEST(ShadowExecute, RadiusZeroGivesSquareCorners) {
    const TBitmap out = RunShadow(200, 100, [](TShadow& t) { t.Radius.SetValue(0, vsCurrent); });
    ExpectPixels(out, {
                          {0, 0, kBlack},
                          {193, 0, kBlack},
                          {0, 93, kBlack},
                          {193, 93, kBlack},
                          {2, 2, kLime},
                          {191, 91, kLime},
                          {3, 3, kImage},
                          {199, 6, kBlue},
                          {199, 99, kBlue},
                          {6, 99, kBlue},
                          {197, 97, kYellow},
                          {194, 5, kRed},
                          {5, 94, kRed},
                      });
}

TEST(ShadowExecute, RadiusLimitIsHalfTheSmallerSide) {
    struct Case {
        int w, h, radius;
        bool accepted;
    };
    const Case cases[] = {
        {200, 100, 50, true},          {200, 100, 51, false},      {100, 200, 50, true},
        {100, 200, 51, false},         {60, 60, 30, true},         {60, 60, 31, false},
        {200, 100, 1000000000, false}, {200, 100, INT_MAX, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " r " << c.radius);
        TShadow t;
        t.Radius.SetValue(c.radius, vsCurrent);
        EXPECT_EQ(test::AcceptsOrRefuses(t, c.w, c.h, "Very large value of radius."), c.accepted);
    }
}

TEST(ShadowExecute, ZeroOffsetsShowOnlyTheCard) {
    const TBitmap out = RunShadow(200, 100, [](TShadow& t) {
        t.Shadow_X.SetValue(0, vsCurrent);
        t.Shadow_Y.SetValue(0, vsCurrent);
    });
    ExpectPixels(out, {{0, 0, kRed},
                       {199, 99, kRed},
                       {199, 0, kRed},
                       {100, 0, kBlack},
                       {100, 2, kLime},
                       {199, 50, kBlack},
                       {197, 50, kLime},
                       {100, 99, kBlack},
                       {100, 97, kLime},
                       {100, 96, kImage}});
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const std::uint32_t v = PixelAt(out, x, y);
            ASSERT_TRUE(v != kBlue && v != kYellow) << x << "," << y;
        }
}

TEST(ShadowExecute, NegativeOffsetsPutTheShadowUpAndLeft) {
    const TBitmap out = RunShadow(200, 100, [](TShadow& t) {
        t.Shadow_X.SetValue(-6, vsCurrent);
        t.Shadow_Y.SetValue(-6, vsCurrent);
    });
    ExpectPixels(out, {{0, 50, kBlue},
                       {1, 50, kBlue},
                       {2, 50, kYellow},
                       {3, 50, kBlack},
                       {100, 0, kBlue},
                       {100, 2, kYellow},
                       {6, 50, kBlack},
                       {7, 50, kBlack},
                       {8, 50, kLime},
                       {9, 50, kImage},
                       {199, 50, kBlack},
                       {197, 50, kLime},
                       {196, 50, kImage},
                       {100, 99, kBlack},
                       {100, 97, kLime},
                       {199, 99, kRed},
                       {0, 99, kRed},
                       {199, 0, kRed},
                       {0, 0, kRed}});
}

TEST(ShadowExecute, LineThicknesses) {
    struct Case {
        int thickness;  // all four lines
        std::vector<TProbe> probes;
    };
    const Case cases[] = {
        {0, {{100, 0, kImage}, {0, 50, kImage}, {199, 50, kBlack}, {100, 99, kBlack}, {150, 97, kBlack}}},
        // negative thicknesses from a file draw no line either
        {-5, {{100, 0, kImage}, {0, 50, kImage}, {199, 50, kBlack}, {100, 99, kBlack}}},
        {3, {{100, 2, kBlack}, {100, 3, kLime}, {100, 5, kLime}, {100, 6, kImage}, {197, 50, kBlue}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.thickness);
        const TBitmap out = RunShadow(200, 100, [&](TShadow& t) {
            for (TKX_Integer* v :
                 {&t.FG_Line1Thickness, &t.FG_Line2Thickness, &t.BG_Line1Thickness, &t.BG_Line2Thickness})
                v->SetValue(c.thickness, vsCurrent);
        });
        ExpectPixels(out, c.probes);
    }
}

TEST(ShadowExecute, SecondLineRadiusBelowZeroIsSquare) {
    // Line 1 thicker than the radius: line 2 gets radius 5 - 8 < 0, square corners.
    const TBitmap out = RunShadow(200, 100, [](TShadow& t) {
        t.Radius.SetValue(5, vsCurrent);
        t.FG_Line1Thickness.SetValue(8, vsCurrent);
    });
    ExpectPixels(out, {{8, 8, kLime}, {185, 85, kLime}, {9, 9, kImage}, {7, 50, kBlack}});
}

TEST(ShadowExecute, HugeSettingsFromAFileStayBounded) {
    struct Case {
        const char* what;
        std::function<void(TShadow&)> setup;
    };
    const Case cases[] = {
        {"thick card line", [](TShadow& t) { t.FG_Line1Thickness.SetValue(1000000000, vsCurrent); }},
        {"thick shadow line", [](TShadow& t) { t.BG_Line1Thickness.SetValue(INT_MAX, vsCurrent); }},
        {"thin lines", [](TShadow& t) { t.BG_Line1Thickness.SetValue(INT_MIN, vsCurrent); }},
        {"far right", [](TShadow& t) { t.Shadow_X.SetValue(INT_MAX, vsCurrent); }},
        {"far left", [](TShadow& t) { t.Shadow_X.SetValue(INT_MIN, vsCurrent); }},
        {"far up", [](TShadow& t) { t.Shadow_Y.SetValue(INT_MIN, vsCurrent); }},
        {"negative radius", [](TShadow& t) { t.Radius.SetValue(INT_MIN, vsCurrent); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TLogRecorder log;
        RunShadow(200, 100, c.setup);
        EXPECT_TRUE(log.Messages.empty());
    }
    // A card line thicker than the card covers all of it.
    const TBitmap out = RunShadow(200, 100, [](TShadow& t) {
        t.FG_Line1Thickness.SetValue(1000000000, vsCurrent);
        t.FG_Line1Color.SetValue(0x008000, vsCurrent);
    });
    ExpectPixels(out, {{100, 50, kGreen}, {0, 50, kGreen}, {193, 50, kGreen}, {0, 0, kRed}});
}

}  // namespace
}  // namespace pm
