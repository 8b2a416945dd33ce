#include "log/WriteLog.h"
#include "support/Pixels.h"
#include "support/ResizeSettings.h"
#include "tasks/PM__TResizeBitmap.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::MakeBitmap;
using test::ReadRows;
using test::TRows;

using test::Configure;
using test::Target;

std::vector<std::string> Texts(const std::vector<TLogCapture::Entry>& log) {
    std::vector<std::string> out;
    for (const auto& e : log) {
        std::string text;
        for (const auto& s : e.Segments) text += s.Text;
        out.push_back(text);
    }
    return out;
}

TEST(ResizeBitmapTargetSize, PixelsPercentAndAspectRatio) {
    struct Case {
        int sw, sh;
        Target target;
        int w, h;
    };
    const Case cases[] = {
        {640, 480, {200, 200}, 200, 150},
        {480, 640, {200, 200}, 150, 200},
        {1000, 500, {50, 50, mPercent, mPercent}, 500, 250},
        {10, 10, {25, 35, mPercent, mPercent, false}, 2, 4},  // Round(2.5) = 2, Round(3.5) = 4
        {640, 480, {300, 100}, 133, 100},                     // the height limits: Round(100 * 4/3)
        {480, 640, {100, 300}, 100, 133},
        {300, 200, {100, 50, mPixel, mPixel, false}, 100, 50},
        {100, 100, {200, 50, mPixel, mPixel, false}, 200, 50},
        {0, 100, {200, 50}, 0, 50},  // a zero-wide source: width Round(50 * 0)
    };
    for (const Case& c : cases) {
        TResizeBitmap t;
        Configure(t, c.target);
        int w = -1, h = -1;
        ASSERT_TRUE(t.ComputeTargetSize(vsCurrent, c.sw, c.sh, w, h));
        EXPECT_EQ(w, c.w) << c.sw << "x" << c.sh;
        EXPECT_EQ(h, c.h) << c.sw << "x" << c.sh;
    }
}

TEST(ResizeBitmapTargetSize, ZeroHeightSourceWithRatioIsAnArithmeticError) {
    TResizeBitmap t;
    Configure(t, {200, 200});
    TLogCapture log;
    int w = 0, h = 0;
    EXPECT_FALSE(t.ComputeTargetSize(vsCurrent, 100, 0, w, h));
    Configure(t, {200, 200, mPixel, mPixel, false});
    EXPECT_TRUE(t.ComputeTargetSize(vsCurrent, 100, 0, w, h));
    const auto entries = log.Take();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Kind, lmError);
    EXPECT_EQ(entries[0].Segments[0].Text, "Cannot calculate the size of destination bitmap !");
    EXPECT_EQ(entries[0].Segments[0].Color, LogErrorColor);
}

// The 4x1 grey ramp of the resampling tests, 4x1 -> 2x1, by method.
TEST(ResizeBitmapExecute, EachMethodUsesItsRoutine) {
    const TRows src = {{0x0AF505, 0x32CD19, 0x5AA52D, 0xFA057D}};
    const TRows expected[9] = {
        {{0x24DA12, 0xC43A62}},
        {{0x2DD116, 0xAE5057}},
        {{0x2BD315, 0xB34B59}},
        {{0x43BB21, 0x99654C}},
        {{0x50AE28, 0x8E7047}},
        {{0x16E80B, 0xBF3F5F}},
        {{0x30CE18, 0xAA5455}},
        // Bilinear: xs = 3 * 65536 div 2; column 1 is (32769 * A1 + 32768 * A2) shr 16.
        {{0x0AF505, 0x46B923}},
        // StretchBlt: 0x0AF505 and 0x32CD19, 0x5AA52D and 0xFA057D.
        {{0x02C501, 0x5A052D}},
    };
    for (int m = 0; m < 9; ++m) {
        TResizeBitmap t;
        Configure(t, {2, 1, mPixel, mPixel, false}, m);
        t.SrcBitmap = MakeBitmap(src);
        ASSERT_TRUE(t.Execute(vsCurrent)) << m;
        EXPECT_EQ(ReadRows(t.DstBitmap), expected[m]) << "method " << m;
        EXPECT_EQ(t.DstBitmap.PixelFormat(), 24);
    }
}

TEST(ResizeBitmapExecute, EnlargementRule) {
    const TBitmap src = MakeBitmap(TRows(100, std::vector<std::uint32_t>(100, 0x405060)));
    struct Case {
        Target target;
        bool enlarge;
        int w, h;
    };
    const Case cases[] = {
        {{200, 200}, false, 100, 100},                       // copied unchanged
        {{200, 200}, true, 200, 200},                        // resampled
        {{200, 50, mPixel, mPixel, false}, false, 200, 50},  // larger one way, smaller the other
        {{100, 100}, false, 100, 100},                       // same size
        {{50, 50}, false, 50, 50},
    };
    for (const Case& c : cases)
        for (int method : {0, 5, 7, 8}) {
            TResizeBitmap t;
            Configure(t, c.target, method, c.enlarge);
            t.SrcBitmap = src;
            ASSERT_TRUE(t.Execute(vsCurrent));
            EXPECT_EQ(t.DstBitmap.Width(), c.w);
            EXPECT_EQ(t.DstBitmap.Height(), c.h);
            // A uniform picture stays uniform whatever the method.
            EXPECT_EQ(ReadRows(t.DstBitmap), TRows(c.h, std::vector<std::uint32_t>(c.w, 0x405060)));
        }
}

TEST(ResizeBitmapExecute, UnknownMethodPassesThePictureOn) {
    for (int method : {9, 42, -1}) {
        TResizeBitmap t;
        Configure(t, {2, 1, mPixel, mPixel, false}, method);
        t.SrcBitmap = MakeBitmap({{1, 2, 3, 4}});
        TLogCapture log;
        EXPECT_TRUE(t.Execute(vsCurrent));
        EXPECT_TRUE(log.Take().empty());
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{1, 2, 3, 4}}));
    }
}

TEST(ResizeBitmapExecute, EmptyOrOversizedResultFails) {
    struct Case {
        Target target;
        int method, sourceWidth;
    };
    std::vector<Case> cases;
    for (int m = 0; m <= 9; ++m)
        cases.push_back({{1, 100, mPercent, mPercent, false}, m, 10});  // 1% of 10 = 0
    for (int m = 0; m <= 8; ++m)
        cases.push_back({{10000, 100, mPercent, mPercent, false}, m, 700});  // 70000 wide
    for (const Case& c : cases) {
        TResizeBitmap t;
        Configure(t, c.target, c.method, true);
        t.SrcBitmap = MakeBitmap(TRows(3, std::vector<std::uint32_t>(c.sourceWidth, 7)));
        t.DstBitmap = MakeBitmap({{9}});
        TLogCapture log;
        EXPECT_FALSE(t.Execute(vsCurrent)) << c.method;
        EXPECT_EQ(Texts(log.Take()), (std::vector<std::string>{"Cannot make Resize effect!"}));
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{9}}));  // kept what it held
        EXPECT_EQ(t.SrcBitmap.Width(), c.sourceWidth);
    }
}

}  // namespace
}  // namespace pm
