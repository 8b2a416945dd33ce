#include "support/EffectTesting.h"
#include "tasks/PM__TCrop.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::PatternPixel;
using test::PixelAt;

struct TCropCase {
    const char* name;
    int mode, w, h;
    TMetric metric;
    int dx, dy, anchor;
    int ow, oh;  // result size
    int x0, y0;  // source position of the result's top-left pixel
};

// A 10 x 8 pattern picture: each result pixel tells where it came from.
TEST(CropExecute, RectanglesAndRatiosAtTheirAnchors) {
    const TCropCase cases[] = {
        {"4x3 top-left", 0, 4, 3, mPixel, 0, 0, 1, 4, 3, 0, 0},
        {"4x3 top-right", 0, 4, 3, mPixel, 0, 0, 3, 4, 3, 6, 0},
        {"4x3 centre", 0, 4, 3, mPixel, 0, 0, 5, 4, 3, 3, 2},
        {"4x3 bottom-left", 0, 4, 3, mPixel, 0, 0, 7, 4, 3, 0, 5},
        {"4x3 bottom-right", 0, 4, 3, mPixel, 0, 0, 9, 4, 3, 6, 5},
        {"half of each side, centre", 0, 50, 50, mPercent, 0, 0, 5, 5, 4, 2, 2},
        {"offset from the top-left", 0, 4, 3, mPixel, 2, 1, 1, 4, 3, 2, 1},
        {"pushed over the right edge: clipped", 0, 4, 3, mPixel, 2, 0, 9, 2, 3, 8, 5},
        {"larger than the picture", 0, 20, 20, mPixel, 0, 0, 5, 10, 8, 0, 0},
        {"1:1 centre", 1, 1, 1, mPixel, 5, 5, 5, 8, 8, 1, 0},
        {"1:1 right", 1, 1, 1, mPixel, 0, 0, 6, 8, 8, 2, 0},
        {"16:9 centre", 1, 16, 9, mPixel, 0, 0, 5, 10, 5, 0, 1},
        {"16:9 bottom", 1, 16, 9, mPixel, 0, 0, 8, 10, 5, 0, 3},
    };
    for (const TCropCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TBitmap out = test::RunResizing<TCrop>(10, 8, c.ow, c.oh, [&](TCrop& t) {
            t.Mode.SetValue(c.mode, vsCurrent);
            t.Width.SetValue(c.w, vsCurrent);
            t.Height.SetValue(c.h, vsCurrent);
            t.Width_Metric.SetValue(c.metric, vsCurrent);
            t.Height_Metric.SetValue(c.metric, vsCurrent);
            t.Ratio_Width.SetValue(c.w, vsCurrent);
            t.Ratio_Height.SetValue(c.h, vsCurrent);
            t.Offset_X.SetValue(c.dx, vsCurrent);
            t.Offset_Y.SetValue(c.dy, vsCurrent);
            t.Anchor.SetValue(c.anchor, vsCurrent);
        });
        if (out.Width() != c.ow || out.Height() != c.oh) continue;
        // All four corners come from the rectangle's corners.
        EXPECT_EQ(PixelAt(out, 0, 0), PatternPixel(c.x0, c.y0));
        EXPECT_EQ(PixelAt(out, c.ow - 1, 0), PatternPixel(c.x0 + c.ow - 1, c.y0));
        EXPECT_EQ(PixelAt(out, 0, c.oh - 1), PatternPixel(c.x0, c.y0 + c.oh - 1));
        EXPECT_EQ(PixelAt(out, c.ow - 1, c.oh - 1), PatternPixel(c.x0 + c.ow - 1, c.y0 + c.oh - 1));
    }
}

TEST(CropExecute, DefaultsKeepThePictureAndOutsideFailsTheFile) {
    const TBitmap out = test::RunResizing<TCrop>(7, 5, 7, 5);
    EXPECT_EQ(PixelAt(out, 6, 4), PatternPixel(6, 4));

    test::TLogRecorder log;
    TCrop t;
    t.Width_Metric.SetValue(mPixel, vsCurrent);
    t.Width.SetValue(3, vsCurrent);
    t.Offset_X.SetValue(-10, vsCurrent);
    t.SrcBitmap = test::PatternBitmap(7, 5);
    t.DstBitmap = test::Untouched();
    EXPECT_FALSE(t.Execute(vsCurrent));
    test::ExpectOnlyError(log, "The crop rectangle lies outside the picture!");
    EXPECT_TRUE(test::IsUntouched(t.DstBitmap));
}

}  // namespace
}  // namespace pm
