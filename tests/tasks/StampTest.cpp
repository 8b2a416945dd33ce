#include "support/EffectTesting.h"
#include "tasks/PM__TStamp.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace pm {
namespace {

using test::ExpectPixels;
using test::kImage;
using test::PixelAt;
using test::TProbe;

constexpr std::uint32_t kWhite = 0xFFFFFF, kLime = 0x00FF00, kBlack = 0x000000, kRed = 0xFF0000;

TBitmap RunStamp(int w, int h, const std::function<void(TStamp&)>& setup = {}) {
    return test::RunEffect(w, h, setup);
}

TEST(StampExecute, ImageMustExceedTwiceRadiusBorderAndLines) {
    struct Case {
        int w, h, radius, border;
        bool accepted;
    };
    const Case cases[] = {
        {44, 100, 10, 10, false},
        {45, 100, 10, 10, true},
        {100, 44, 10, 10, false},
        {100, 45, 10, 10, true},
        {200, 100, 1000000000, 10, false},
        {200, 100, 10, 1000000000, false},
        {200, 100, INT_MAX, INT_MAX, false},
        {5, 5, 0, 0, true},
        {4, 4, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " r " << c.radius << " B " << c.border);
        TStamp t;
        t.Radius.SetValue(c.radius, vsCurrent);
        t.Border.SetValue(c.border, vsCurrent);
        EXPECT_EQ(
            test::AcceptsOrRefuses(t, c.w, c.h, "Geometric error: very small image for current parameters!"),
            c.accepted);
    }
    // 45 x 100 keeps a one-pixel strip of the image.
    const TBitmap out = RunStamp(45, 100);
    ExpectPixels(out, {{22, 22, kImage}, {22, 77, kImage}, {21, 50, kRed}, {23, 50, kRed}, {22, 21, kRed}});
}

TEST(StampExecute, DefaultsOn200x100) {
    const TBitmap out = RunStamp(200, 100);
    std::vector<TProbe> probes = {
        // image line at x = 21, 178 and y = 21, 78; the image inside it
        {21, 50, kRed},
        {178, 50, kRed},
        {100, 21, kRed},
        {100, 78, kRed},
        {21, 21, kRed},
        {178, 78, kRed},
        {20, 50, kLime},
        {179, 50, kLime},
        {100, 20, kLime},
        {100, 79, kLime},
        {22, 22, kImage},
        {177, 77, kImage},
        {100, 50, kImage},
        // outline where no notch is
        {0, 46, kBlack},
        {199, 46, kBlack},
        {165, 0, kBlack},
        {165, 99, kBlack},
        {1, 46, kLime},
        {165, 1, kLime},
        // no notch centred at x = 180
        {180, 1, kLime},
        {180, 98, kLime},
        {180, 0, kBlack},
        // the top-left corner lies in the first left notch
        {0, 0, kWhite},
    };
    // Top and bottom notches centred at x = 30, 60, ..., 150 on rows 1 and 99:
    // white inside, outlined in black down to row 10 (up to row 90).
    for (int cx : {30, 60, 90, 120, 150}) {
        for (int x : {cx - 1, cx}) {
            probes.push_back({x, 0, kWhite});
            probes.push_back({x, 1, kWhite});
            probes.push_back({x, 9, kWhite});
            probes.push_back({x, 10, kBlack});
            probes.push_back({x, 11, kLime});
            probes.push_back({x, 99, kWhite});
            probes.push_back({x, 90, kWhite});
            probes.push_back({x, 89, kBlack});
            probes.push_back({x, 88, kLime});
        }
        probes.push_back({cx - 10, 1, kBlack});
        probes.push_back({cx + 9, 1, kBlack});
    }
    // Left and right notches centred at y = 1, 31, 61, 91 on columns 1 and 199.
    for (int cy : {31, 61, 91}) {
        for (int y : {cy - 1, cy}) {
            probes.push_back({0, y, kWhite});
            probes.push_back({9, y, kWhite});
            probes.push_back({10, y, kBlack});
            probes.push_back({11, y, kLime});
            probes.push_back({199, y, kWhite});
            probes.push_back({190, y, kWhite});
            probes.push_back({189, y, kBlack});
            probes.push_back({188, y, kLime});
        }
        probes.push_back({1, cy - 10, kBlack});
        if (cy + 9 < 100) probes.push_back({1, cy + 9, kBlack});
    }
    ExpectPixels(out, probes);
}

TEST(StampExecute, SmoothedModeBlursTheMarginOnly) {
    const TBitmap normal = RunStamp(200, 100);
    const TBitmap smoothed = RunStamp(200, 100, [](TStamp& t) { t.DrawMode.SetValue(1, vsCurrent); });
    // Below the bottom of the first notch's outline: two black taps, two lime.
    EXPECT_EQ(PixelAt(normal, 30, 11), kLime);
    EXPECT_EQ(PixelAt(smoothed, 30, 11), 0x007F00u);
    // The line and the image are drawn after the blur.
    ExpectPixels(smoothed, {{21, 50, kRed}, {100, 78, kRed}, {22, 22, kImage}, {100, 50, kImage}});
    int differing = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside = x >= 21 && x <= 178 && y >= 21 && y <= 78;
            if (inside)
                ASSERT_EQ(PixelAt(smoothed, x, y), PixelAt(normal, x, y)) << x << "," << y;
            else
                differing += PixelAt(smoothed, x, y) != PixelAt(normal, x, y);
        }
    EXPECT_GT(differing, 500);
}

TEST(StampExecute, RadiusBelowOneDrawsNoNotches) {
    for (int radius : {0, -1, INT_MIN}) {
        SCOPED_TRACE(radius);
        test::TLogRecorder log;
        const TBitmap out = RunStamp(200, 100, [&](TStamp& t) { t.Radius.SetValue(radius, vsCurrent); });
        EXPECT_TRUE(log.Messages.empty());
        // Margin 10 from the outline, the line at 11, the image from 12.
        ExpectPixels(out, {{0, 0, kBlack},
                           {30, 0, kBlack},
                           {30, 1, kLime},
                           {0, 31, kBlack},
                           {1, 31, kLime},
                           {10, 50, kLime},
                           {11, 50, kRed},
                           {188, 50, kRed},
                           {100, 11, kRed},
                           {100, 88, kRed},
                           {12, 12, kImage},
                           {187, 87, kImage}});
    }
}

TEST(StampExecute, NegativeBorderCountsAsNone) {
    const TBitmap out = RunStamp(200, 100, [](TStamp& t) { t.Border.SetValue(-50, vsCurrent); });
    ExpectPixels(out,
                 {{11, 50, kRed}, {12, 50, kImage}, {188, 50, kRed}, {187, 50, kImage}, {30, 1, kWhite}});
}

}  // namespace
}  // namespace pm
