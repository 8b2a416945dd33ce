// Fast_Shrink: a resize right after the load lets a JPEG be decoded at 1/2,
// 1/4 or 1/8 of its size; wherever that cannot apply the exact path runs.
#include "core/PM_Utils.h"
#include "core/RunContext.h"
#include "imaging/Psnr.h"
#include "support/PhotoJpeg.h"
#include "support/Pixels.h"
#include "support/ReaderTestKit.h"
#include "support/RecordingConsole.h"
#include "support/ResizeSettings.h"
#include "support/TempDir.h"
#include "tasks/KX_LoadBitmapFromFile.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TResizeBitmap.h"
#include "tasks/PM__TResizeCanvas.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pm {
namespace {

struct TFit {
    int w, h;
    bool keepRatio = true;
    TMetric metric = mPixel;
    int method = 5;
    bool enlarge = false;
};

void Configure(TResizeBitmap& t, const TFit& f, bool fast) {
    test::Configure(t, {f.w, f.h, f.metric, f.metric, f.keepRatio}, f.method, f.enlarge);
    t.Fast_Shrink.SetValue(fast, vsCurrent);
}

TEST(FastShrink, ChoosesTheSmallestDecodeThatStillCoversTheTarget) {
    struct Case {
        int sw, sh;  // upright source size
        TFit fit;
        bool fast;
        int divisor;
    } const cases[] = {
        {3000, 2000, {800, 800}, true, 2},    // 800 x 533: 1/4 would give 750 wide
        {3000, 2000, {200, 200}, true, 8},    // 200 x 133 from 375 x 250
        {2000, 3000, {200, 200}, true, 8},    // upright portrait: 133 x 200
        {2000, 3000, {800, 800}, true, 2},    // 533 x 800
        {4000, 3000, {1000, 1000}, true, 4},  // 1000 x 750 is exactly 1/4
        {4001, 3001, {1000, 1000}, true, 4},  // sides rounded up: 1001 x 751
        {3000, 2000, {50, 50, true, mPercent}, true, 2},
        {3000, 2000, {10, 10, true, mPercent}, true, 8},
        {3000, 2000, {300, 1500, false}, true, 1},           // 1/2 is too low
        {3000, 2000, {200, 200}, false, 1},                  // off
        {3000, 2000, {200, 200, true, mPixel, 0}, true, 8},  // every filter method
        {3000, 2000, {200, 200, true, mPixel, 6}, true, 8},
        {3000, 2000, {200, 200, true, mPixel, 7}, true, 1},  // bilinear: no filter
        {3000, 2000, {200, 200, true, mPixel, 8}, true, 1},  // stretching blit
        {3000, 2000, {200, 200, true, mPixel, 9}, true, 1},  // unknown: keeps the picture
        {640, 480, {800, 800}, true, 1},                     // kept: no enlargement
        {640, 480, {800, 800, true, mPixel, 5, true}, true, 1},
        {100, 100, {200, 50, false}, true, 1},  // enlarged in one direction
        {1, 1, {1, 1}, true, 1},
        {16, 16, {1, 1}, true, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.fit.w) +
                     "x" + std::to_string(c.fit.h));
        TResizeBitmap resize;
        Configure(resize, c.fit, c.fast);
        EXPECT_EQ(resize.InputShrinkDivisor(vsCurrent, c.sw, c.sh), c.divisor);
    }
}

// Load, optionally a canvas task, then the resize, run as a batch runs a file.
struct TScenario {
    TRunContext ctx;
    TTaskList list;
    TResizeBitmap* resize = nullptr;
    std::vector<std::string> log;  // of the last run

    explicit TScenario(bool canvasBetween = false) {
        Add(std::make_unique<TLoadFromFile>(&ctx));
        if (canvasBetween) Add(std::make_unique<TResizeCanvas>(&ctx));
        auto task = std::make_unique<TResizeBitmap>(&ctx);
        resize = task.get();
        Add(std::move(task));
    }
    void Add(std::unique_ptr<TBaseClass> task) {
        list.push_back(
            std::make_unique<TaskRec>(TaskRec{"T" + std::to_string(list.size()), std::move(task)}));
    }
    TLoadFromFile& Load() { return dynamic_cast<TLoadFromFile&>(*list.front()->Task); }
    // The result, or an empty picture when the run fails.
    TFastDIB Run(const std::string& file) {
        ctx.CurrentSourceFile = file;
        test::TLogRecorder recorder;
        const bool ok = RunScenario(ctx, 0, int(list.size()) - 1, &list) >= 0;
        log = recorder.Texts();
        return ok ? ctx.GeneralObject().DstBitmap.Dib() : TFastDIB();
    }
    const TFastDIB& Loaded() { return ctx.GeneralObject().SrcBitmap.Dib(); }
    const TBitmapsInfo& Info() { return ctx.GeneralObject().BitmapsInfo; }
};

bool SamePixels(const TFastDIB& a, const TFastDIB& b) {
    return a.Width() > 0 && test::ReadRows(a) == test::ReadRows(b);
}

class FastShrinkPhoto : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::WritePhotoJpeg(test::TestDataPath("pillow/hopper.pcd"), jpeg));
        std::filesystem::copy_file(test::TestDataPath("pillow/hopper.pcd"), pcd);
    }
    test::TTempDir dir;
    const std::string jpeg = dir.Path("photo.jpg"), pcd = dir.Path("photo.pcd");
};

// With the setting off, and on where it cannot apply, the result and the log
// are those of the exact path: the picture loaded whole, then resized.
TEST_F(FastShrinkPhoto, ExactWhereItIsOffOrCannotApply) {
    struct Case {
        const char* what;
        bool pcdFile;
        bool canvasBetween;
        bool fast;
        TFit fit;
    } const cases[] = {
        {"off", false, false, false, {150, 150}},
        {"bilinear", false, false, true, {90, 90, true, mPixel, 7}},
        {"not a JPEG", true, false, true, {150, 150}},
        {"a task between", false, true, true, {150, 150}},
        {"no shrinking needed", false, false, true, {700, 700}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string& file = c.pcdFile ? pcd : jpeg;
        TScenario exact(c.canvasBetween);
        Configure(*exact.resize, c.fit, false);
        // The exact path by hand: a whole load, then each task on its input.
        test::TLogRecorder quiet;
        ASSERT_TRUE(LoadSourceImage(exact.ctx, file));
        TBitmap work = exact.ctx.GeneralObject().SrcBitmap;
        for (std::size_t i = 1; i < exact.list.size(); ++i) {
            TBaseClass& task = *exact.list[i]->Task;
            task.SrcBitmap = work;
            ASSERT_TRUE(task.Execute(vsCurrent));
            work = task.DstBitmap;
        }
        TScenario run(c.canvasBetween);
        Configure(*run.resize, c.fit, c.fast);
        TScenario off(c.canvasBetween);
        Configure(*off.resize, c.fit, false);
        EXPECT_TRUE(SamePixels(run.Run(file), work.Dib()));
        EXPECT_TRUE(SamePixels(off.Run(file), work.Dib()));
        EXPECT_EQ(run.log, off.log);
        EXPECT_EQ(run.Loaded().Width(), run.Info().Width);
    }
}

// On: decoded smaller, the file's size kept in BitmapsInfo, the result of the
// exact size and close to the exact result of a real photo. At 1/8 libjpeg
// keeps only each block's mean, which blurs more than the filters do: a lower
// bound there, still far above a result that is off by a fraction of a pixel.
TEST_F(FastShrinkPhoto, CloseToTheExactResult) {
    struct Case {
        TFit fit;
        int divisor;
        double psnr;  // at least
    } const cases[] = {
        {{300, 300}, 2, 38},
        {{200, 200}, 2, 38},
        {{150, 150}, 4, 38},
        {{100, 100}, 4, 38},
        {{200, 200, true, mPixel, 6}, 2, 38},
        {{100, 100, true, mPixel, 6}, 4, 38},
        {{200, 200, true, mPixel, 4}, 2, 38},
        {{100, 100, true, mPixel, 1}, 4, 38},
        {{90, 90}, 8, 30},
        {{50, 50, true, mPixel, 6}, 8, 30},
        {{25, 25, true, mPercent}, 4, 35},  // decoded at the target size itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fit.w) + " method " + std::to_string(c.fit.method));
        TScenario exact, fast;
        Configure(*exact.resize, c.fit, false);
        Configure(*fast.resize, c.fit, true);
        const TFastDIB want = exact.Run(jpeg), got = fast.Run(jpeg);
        EXPECT_EQ(fast.Loaded().Width(), (768 + c.divisor - 1) / c.divisor);
        EXPECT_EQ(fast.Info().Width, 768);
        EXPECT_EQ(fast.Info().Height, 512);
        ASSERT_EQ(got.Width(), want.Width());
        ASSERT_EQ(got.Height(), want.Height());
        const double psnr = Psnr24(got, want);
        EXPECT_GE(psnr, c.psnr);
        EXPECT_LT(psnr, 99.0);  // it did take the other path
        EXPECT_EQ(fast.log, exact.log);
        EXPECT_EQ(fast.ctx.ShrunkLoadFor, nullptr);
    }
}

// The scale is chosen by the size the picture stands in: a photo stored on
// its side (orientation 6) is 24 x 16 upright and 16 x 24 as stored.
TEST(FastShrink, ChoosesByTheSizeAsThePictureStands) {
    struct Case {
        bool upright;
        int loadedW, loadedH;
        int infoW, infoH;
    } const cases[] = {
        {true, 12, 8, 24, 16},    // 1/2 covers 12 x 4
        {false, 16, 24, 16, 24},  // 8 x 12 would not
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.upright);
        TScenario s;
        s.Load().ApplyOrientation.SetValue(c.upright, vsCurrent);
        Configure(*s.resize, {12, 4, false}, true);
        const TFastDIB result = s.Run(test::TestDataPath("orientation/jpeg_orientation_6.jpg"));
        EXPECT_EQ(result.Width(), 12);
        EXPECT_EQ(result.Height(), 4);
        EXPECT_EQ(s.Loaded().Width(), c.loadedW);
        EXPECT_EQ(s.Loaded().Height(), c.loadedH);
        EXPECT_EQ(s.Info().Width, c.infoW);
        EXPECT_EQ(s.Info().Height, c.infoH);
        EXPECT_EQ(s.Info().Orientation, 6);
    }
}

}  // namespace
}  // namespace pm
