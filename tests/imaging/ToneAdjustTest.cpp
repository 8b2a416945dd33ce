// The tone and colour loops work on many pixels at once: each pixel of a wide
// random picture must come out as it does alone (where no vector runs), on
// both loop paths.
#include "imaging/ToneAdjust.h"
#include "imaging/VectorLoops.h"

#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <vector>

namespace pm {
namespace {

TFastDIB Adjusted(TFastDIB d, const TToneCurve& curve, int saturation, TColorMode mode) {
    AdjustTones(d, curve, saturation, mode);
    return d;
}

TEST(AdjustTones, EachPixelAsAloneOnEitherLoopPath) {
    struct Case {
        const char* name;
        TToneSettings tone;
        int saturation;
        TColorMode mode;
    };
    const Case cases[] = {
        {"curve only", {20, 230, 10, 30, 120}, 100, TColorMode::Color},
        {"saturation 0", {}, 0, TColorMode::Color},
        {"saturation 300 with a curve", {0, 255, -20, 0, 80}, 300, TColorMode::Color},
        {"greyscale", {0, 255, 0, 50, 100}, 100, TColorMode::Greyscale},
        {"sepia", {}, 100, TColorMode::Sepia},
        {"sepia of a saturated curve", {10, 240, 5, 0, 150}, 250, TColorMode::Sepia},
    };
    const TFastDIB picture = test::RandomDib(77, 3, 24, 21);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TToneCurve curve = MakeToneCurve(c.tone);
        TFastDIB paths[2];
        for (TLoopPath path : {TLoopPath::Portable, TLoopPath::Avx2}) {
            TLoopPathOverride use(path);
            const TFastDIB wide = Adjusted(picture, curve, c.saturation, c.mode);
            for (int r = 0; r < picture.Height(); ++r)
                for (int x = 0; x < picture.Width(); ++x) {
                    TFastDIB one;
                    one.SetSize(1, 1, 24);
                    one.SetPixel(0, 0, picture.GetPixel(r, x));
                    const TColorTriple alone = Adjusted(one, curve, c.saturation, c.mode).GetPixel(0, 0);
                    ASSERT_TRUE(wide.GetPixel(r, x) == alone) << "row " << r << " column " << x;
                }
            paths[path == TLoopPath::Avx2] = wide;
        }
        for (int r = 0; r < picture.Height(); ++r)
            for (int x = 0; x < picture.Width(); ++x)
                ASSERT_TRUE(paths[0].GetPixel(r, x) == paths[1].GetPixel(r, x))
                    << "row " << r << " column " << x;
    }
}

// With nothing clipped the levels are the smallest and largest byte; rows of
// odd and even byte counts, the extremes at every place in a pixel.
TEST(AutoLevels, CountsEveryByteOfTheRows) {
    struct Case {
        int w, h;
        std::vector<TColorTriple> pixels;  // row by row
        int low, high;
    };
    const Case cases[] = {
        {1, 2, {{10, 20, 30}, {40, 50, 60}}, 10, 60},
        {1, 2, {{60, 20, 30}, {40, 50, 10}}, 10, 60},
        {1, 3, {{90, 20, 30}, {40, 5, 60}, {40, 50, 60}}, 5, 90},
        {2, 1, {{10, 20, 30}, {40, 50, 5}}, 5, 50},
        {2, 2, {{30, 30, 30}, {30, 30, 30}, {30, 30, 30}, {30, 200, 30}}, 30, 200},
        {3, 1, {{7, 8, 9}, {9, 9, 9}, {9, 9, 250}}, 7, 250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " " << c.low << " " << c.high);
        TFastDIB d;
        d.SetSize(c.w, c.h, 24);
        for (int r = 0; r < c.h; ++r)
            for (int x = 0; x < c.w; ++x) d.SetPixel(r, x, c.pixels[std::size_t(r * c.w + x)]);
        int low = -1, high = -1;
        AutoLevels(d, 0, low, high);
        EXPECT_EQ(low, c.low);
        EXPECT_EQ(high, c.high);
    }
}

}  // namespace
}  // namespace pm
