#include "imaging/Bitmap.h"
#include "imaging/ToneAdjust.h"
#include "support/EffectTesting.h"
#include "support/Pixels.h"
#include "support/RandomDib.h"
#include "tasks/PM__TAdjust.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace pm {
namespace {

using test::PixelAt;

constexpr std::uint32_t Grey(int v) {
    return std::uint32_t(v) * 0x010101u;
}

// Ten grey pixels 10, 20 .. 100: a histogram of three values each (one per
// channel) at every tenth.
TBitmap Ramp() {
    test::TRows rows(1);
    for (int v = 10; v <= 100; v += 10) rows[0].push_back(Grey(v));
    return test::MakeBitmap(rows);
}

TEST(AdjustExecute, LevelsAndCurvesOnAKnownHistogram) {
    struct Case {
        const char* name;
        std::function<void(TAdjust&)> setup;
        int at[5];  // results for 10, 20, 50, 90, 100
    };
    const Case cases[] = {
        {"defaults change nothing", [](TAdjust&) {}, {10, 20, 50, 90, 100}},
        // 10 .. 100 onto 0 .. 255: 50 -> 40 * 255 / 90 = 113.3
        {"levels, no clipping",
         [](TAdjust& t) {
             t.Auto_Levels.SetValue(true, vsCurrent);
             t.Clip.SetValue(0, vsCurrent);
         },
         {0, 28, 113, 227, 255}},
        // 10 % of 30 values is 3: the 10s and the 100s are clipped, 20 .. 90
        // stretched: 50 -> 30 * 255 / 70 = 109.3
        {"levels, 10 % at each end",
         [](TAdjust& t) {
             t.Auto_Levels.SetValue(true, vsCurrent);
             t.Clip.SetValue(100, vsCurrent);
         },
         {0, 0, 109, 255, 255}},
        // more than a tenth but less than a fifth clips no more
        {"levels, 13 %",
         [](TAdjust& t) {
             t.Auto_Levels.SetValue(true, vsCurrent);
             t.Clip.SetValue(130, vsCurrent);
         },
         {0, 0, 109, 255, 255}},
        {"brightness +20: + 51",
         [](TAdjust& t) { t.Brightness.SetValue(20, vsCurrent); },
         {61, 71, 101, 141, 151}},
        // (v - 127.5) * 2 + 127.5, halves to even: 10 -> 0, 100 -> 72.5
        {"contrast +100", [](TAdjust& t) { t.Contrast.SetValue(100, vsCurrent); }, {0, 0, 0, 52, 72}},
        // 255 * (v / 255) ^ 0.5: 10 -> 50.5, 50 -> 112.9, 100 -> 159.7
        {"gamma 2", [](TAdjust& t) { t.Gamma.SetValue(200, vsCurrent); }, {50, 71, 113, 151, 160}},
    };
    const int values[5] = {10, 20, 50, 90, 100};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAdjust t;
        c.setup(t);
        t.SrcBitmap = Ramp();
        ASSERT_TRUE(t.Execute(vsCurrent));
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(PixelAt(t.DstBitmap, values[i] / 10 - 1, 0), Grey(c.at[i])) << "for " << values[i];
    }
}

TEST(AdjustExecute, ColourModes) {
    struct Case {
        int mode, saturation;
        std::uint32_t in, out;
    };
    const Case cases[] = {
        // Y = (77 * 200 + 150 * 100 + 128) >> 8 = 119
        {0, 0, 0xC86400, Grey(119)},
        {1, 100, 0xC86400, Grey(119)},
        // twice as far from Y: 119 + 2 * 81, 119 - 2 * 19, 119 - 2 * 119
        {0, 200, 0xC86400, 0xFF5100},
        {0, 100, 0xC86400, 0xC86400},
        // grey 100: (402 + 787 + 194) * 100 / 1024 = 135.1, 1231 -> 120.2, 960 -> 93.75
        {2, 100, Grey(100), 0x87785E},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " saturation " << c.saturation);
        TAdjust t;
        t.Color_Mode.SetValue(c.mode, vsCurrent);
        t.Saturation.SetValue(c.saturation, vsCurrent);
        t.SrcBitmap = TBitmap(test::SolidDib(2, 2, c.in));
        ASSERT_TRUE(t.Execute(vsCurrent));
        EXPECT_EQ(PixelAt(t.DstBitmap, 1, 1), c.out);
    }
}

// The result is written row by row from the source into a bitmap of its
// own, yet is the file image of the source's 24-bit copy adjusted in place:
// header, levels of the whole picture and the bytes padding the rows alike.
TEST(AdjustExecute, ResultIsTheSourcesCopyAdjusted) {
    struct Case {
        int w, h, bpp, saturation, mode;
    };
    const Case cases[] = {{37, 11, 24, 150, 0}, {21, 6, 16, 100, 1}, {35, 7, 8, 60, 2}, {50, 12, 32, 100, 0}};
    unsigned seed = 11;
    for (const Case& c : cases) {
        const TBitmap source(test::RandomDib(c.w, c.h, c.bpp, seed++));
        TFastDIB expected;
        ASSERT_TRUE(CopyBMPtoFD(source, expected) && ConvertDepth(expected, 24));
        TToneSettings s;
        AutoLevels(expected, 20, s.Low, s.High);
        s.GammaHundredths = 130;
        AdjustTones(expected, MakeToneCurve(s), c.saturation, TColorMode(c.mode));

        TAdjust t;
        t.Auto_Levels.SetValue(true, vsCurrent);
        t.Clip.SetValue(20, vsCurrent);
        t.Gamma.SetValue(130, vsCurrent);
        t.Saturation.SetValue(c.saturation, vsCurrent);
        t.Color_Mode.SetValue(c.mode, vsCurrent);
        t.SrcBitmap = source;
        ASSERT_TRUE(t.Execute(vsCurrent));
        EXPECT_EQ(test::FileImage(t.DstBitmap), test::FileImage(expected))
            << c.w << "x" << c.h << " from " << c.bpp << " bits";
    }
}

}  // namespace
}  // namespace pm
