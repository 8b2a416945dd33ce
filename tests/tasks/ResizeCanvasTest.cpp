#include "app/MemoryEditorPage.h"
#include "core/RunContext.h"
#include "log/WriteLog.h"
#include "support/JpegTestFiles.h"
#include "support/Pixels.h"
#include "support/TempDir.h"
#include "tasks/KX_LoadBitmapFromFile.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TResizeCanvas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace pm {
namespace {

using test::MakeBitmap;
using test::ReadRows;
using test::TRows;

struct Margins {
    int top, left, right, bottom;
    TMetric metric = mPixel;
};

void SetMargins(TResizeCanvas& t, const Margins& m) {
    t.Resize_Method.SetValue(0, vsCurrent);
    t.Top.SetValue(m.top, vsCurrent);
    t.Left.SetValue(m.left, vsCurrent);
    t.Right.SetValue(m.right, vsCurrent);
    t.Bottom.SetValue(m.bottom, vsCurrent);
    for (TKX_Metric* metric : {&t.Top_Metric, &t.Left_Metric, &t.Right_Metric, &t.Bottom_Metric})
        metric->SetValue(m.metric, vsCurrent);
}

void SetNewSize(TResizeCanvas& t, int w, int h, int anchor, TMetric metric = mPixel) {
    t.Resize_Method.SetValue(1, vsCurrent);
    t.Width.SetValue(w, vsCurrent);
    t.Height.SetValue(h, vsCurrent);
    t.Width_Metric.SetValue(metric, vsCurrent);
    t.Height_Metric.SetValue(metric, vsCurrent);
    t.Archor_Position.SetValue(anchor, vsCurrent);
}

TEST(ResizeCanvasLayout, MarginsMode) {
    struct Case {
        int sw, sh;
        Margins m;
        TResizeCanvas::TCanvasLayout expected;
    };
    const Case cases[] = {
        {640, 480, {10, 10, 10, 10}, {660, 500, 10, 10}},
        {640, 480, {-20, -20, 0, 0}, {620, 460, -20, -20}},
        {200, 100, {10, 10, 10, 10, mPercent}, {240, 120, 20, 10}},
        {200, 100, {0, -100, -100, 0}, {0, 100, -100, 0}},
        {10, 10, {25, 35, 0, 0, mPercent}, {14, 12, 4, 2}},  // Round(2.5) = 2, Round(3.5) = 4
    };
    for (const Case& c : cases) {
        TResizeCanvas t;
        SetMargins(t, c.m);
        const auto l = t.ComputeLayout(vsCurrent, c.sw, c.sh);
        EXPECT_EQ((std::vector<int>{l.Width, l.Height, l.X, l.Y}),
                  (std::vector<int>{c.expected.Width, c.expected.Height, c.expected.X, c.expected.Y}));
    }
}

TEST(ResizeCanvasLayout, AnchorsWithSeparatelyRoundedHalves) {
    struct Case {
        int sw, sh, nw, nh, anchor;
        TMetric metric;
        int x, y;
    };
    const Case cases[] = {
        {640, 480, 800, 600, 5, mPixel, 80, 60},
        {101, 10, 200, 10, 5, mPixel, 50, 0},  // 100 - Round(50.5) = 100 - 50
        {103, 10, 200, 10, 2, mPixel, 48, 0},  // 100 - Round(51.5) = 100 - 52
        {200, 100, 50, 50, 5, mPercent, -50, -25},
        {3, 2, 8, 5, 1, mPixel, 0, 0},
        {3, 2, 8, 5, 2, mPixel, 2, 0},  // 4 - Round(1.5)
        {3, 2, 8, 5, 3, mPixel, 5, 0},
        {3, 2, 8, 5, 4, mPixel, 0, 1},  // Round(2.5) - 1
        {3, 2, 8, 5, 6, mPixel, 5, 1},
        {3, 2, 8, 5, 7, mPixel, 0, 3},
        {3, 2, 8, 5, 8, mPixel, 2, 3},
        {3, 2, 8, 5, 9, mPixel, 5, 3},
        {3, 2, 8, 5, 0, mPixel, 0, 0},  // hand-edited anchors behave like 1
        {3, 2, 8, 5, -3, mPixel, 0, 0},
        {3, 2, 8, 5, 10, mPixel, 0, 0},
        {300, 200, 100, 50, 9, mPixel, -200, -150},
    };
    for (const Case& c : cases) {
        TResizeCanvas t;
        SetNewSize(t, c.metric == mPercent ? 50 : c.nw, c.metric == mPercent ? 50 : c.nh, c.anchor, c.metric);
        const auto l = t.ComputeLayout(vsCurrent, c.sw, c.sh);
        EXPECT_EQ(l.X, c.x) << "anchor " << c.anchor << " " << c.sw;
        EXPECT_EQ(l.Y, c.y) << "anchor " << c.anchor << " " << c.sw;
    }
}

TEST(ResizeCanvasExecute, ColourFromTheLowThreeBytes) {
    struct Case {
        TColor color;
        std::uint32_t pixel;
    };
    // $00BBGGRR; a system colour value is taken as it is stored.
    for (const Case& c : {Case{0x00332211, 0x112233}, Case{0x8000000F, 0x0F0000}}) {
        TResizeCanvas t;
        SetMargins(t, {1, 1, 0, 0});
        t.BG_Color.SetValue(c.color, vsCurrent);
        t.SrcBitmap = MakeBitmap({{0xA, 0xB}});
        ASSERT_TRUE(t.Execute(vsCurrent));
        const std::uint32_t z = c.pixel;
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{z, z, z}, {z, 0xA, 0xB}}));
    }
}

TEST(ResizeCanvasExecute, CroppingAndAnchoring) {
    const TRows src = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    {
        TResizeCanvas t;
        SetMargins(t, {-1, -1, 0, 0});
        t.SrcBitmap = MakeBitmap(src);
        ASSERT_TRUE(t.Execute(vsCurrent));
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{5, 6}, {8, 9}}));
    }
    {
        // A canvas smaller than the image with anchor 9 keeps the bottom right.
        TResizeCanvas t;
        SetNewSize(t, 2, 1, 9);
        t.SrcBitmap = MakeBitmap(src);
        ASSERT_TRUE(t.Execute(vsCurrent));
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{8, 9}}));
    }
    {
        TResizeCanvas t;
        SetNewSize(t, 4, 4, 5);
        t.BG_Color.SetValue(0x000000, vsCurrent);
        t.SrcBitmap = MakeBitmap({{1}});
        ASSERT_TRUE(t.Execute(vsCurrent));
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}}));
    }
}

TEST(ResizeCanvasExecute, CanvasBelowOnePixelFails) {
    for (const Margins& m : {Margins{0, -100, -100, 0}, Margins{-1, 0, 0, -1}}) {
        TResizeCanvas t;
        SetMargins(t, m);
        t.SrcBitmap = MakeBitmap(TRows(2, std::vector<std::uint32_t>(200, 1)));
        t.DstBitmap = MakeBitmap({{9}});
        TLogCapture log;
        EXPECT_FALSE(t.Execute(vsCurrent));
        const auto entries = log.Take();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].Kind, lmError);
        EXPECT_EQ(entries[0].Segments.size(), 1u);
        EXPECT_EQ(entries[0].Segments[0].Text, "New canvas width or height less 1");
        EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{9}}));
    }
}

TEST(ResizeCanvasExecute, OversizedCanvasFailsCleanly) {
    TResizeCanvas t;
    SetNewSize(t, 10000, 10000, 5, mPercent);
    t.SrcBitmap = MakeBitmap(TRows(1000, std::vector<std::uint32_t>(1, 1)));
    TLogCapture log;
    EXPECT_FALSE(t.Execute(vsCurrent));
    const auto entries = log.Take();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Segments[0].Text, "Cannot make \"ResizeCanvas\" effect!");
}

TEST(ResizeCanvasBackground, TilesFromTheTopLeftAndCutsAtTheEdges) {
    TResizeCanvas t;
    SetMargins(t, {1, 1, 2, 0});
    t.BG_Color.SetValue(0x0000FF, vsCurrent);  // not used with a background picture
    t.SrcBitmap = MakeBitmap({{0x7, 0x8}});
    const TBitmap tile = MakeBitmap({{0xA1, 0xA2}, {0xB1, 0xB2}});
    ASSERT_TRUE(t.ExecuteWithBackground(vsCurrent, tile));
    EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{0xA1, 0xA2, 0xA1, 0xA2, 0xA1}, {0xB1, 0x7, 0x8, 0xB2, 0xB1}}));
}

TEST(ResizeCanvasBackground, EmptyBackgroundIsAFailedLoad) {
    TResizeCanvas t;
    SetMargins(t, {1, 1, 1, 1});
    t.BG_File.SetValue("tile.bmp", vsCurrent);
    t.SrcBitmap = MakeBitmap({{1}});
    t.DstBitmap = MakeBitmap({{9}});
    TLogCapture log;
    EXPECT_FALSE(t.ExecuteWithBackground(vsCurrent, TBitmap()));
    const auto entries = log.Take();
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_EQ(entries[0].Segments.size(), 2u);
    EXPECT_EQ(entries[0].Segments[0].Text, "Can't load background file ");
    EXPECT_EQ(entries[0].Segments[1].Text, "tile.bmp");
    EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{9}}));
}

// Each test gets its own folder: test processes run side by side.
class ResizeCanvasFiles : public testing::Test {
protected:
    test::TTempDir tmp_;
    std::filesystem::path dir_{tmp_.Path("")};
};

TEST_F(ResizeCanvasFiles, MissingFileFallsBackToTheColourSilently) {
    TResizeCanvas t;
    SetMargins(t, {0, 1, 0, 0});
    t.BG_Color.SetValue(0x00030201, vsCurrent);
    t.BG_File.SetValue((dir_ / "nothing.bmp").string(), vsCurrent);
    t.SrcBitmap = MakeBitmap({{5}});
    TLogCapture log;
    ASSERT_TRUE(t.Execute(vsCurrent));
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(ReadRows(t.DstBitmap), (TRows{{0x010203, 5}}));
}

TEST_F(ResizeCanvasFiles, UndecodableFileFails) {
    const std::string file = (dir_ / "broken.bmp").string();
    std::ofstream(file) << "not a picture";
    TResizeCanvas t;
    SetMargins(t, {1, 1, 1, 1});
    t.BG_File.SetValue(file, vsCurrent);
    t.SrcBitmap = MakeBitmap({{5}});
    TLogCapture log;
    EXPECT_FALSE(t.Execute(vsCurrent));
    const auto entries = log.Take();
    ASSERT_FALSE(entries.empty());
    const auto& last = entries.back();
    EXPECT_EQ(last.Kind, lmError);
    ASSERT_EQ(last.Segments.size(), 2u);
    EXPECT_EQ(last.Segments[0].Text, "Can't load background file ");
    EXPECT_EQ(last.Segments[0].Color, LogErrorColor);
    EXPECT_EQ(last.Segments[1].Text, file);
    EXPECT_EQ(last.Segments[1].Color, LogValueColor);
    EXPECT_TRUE(t.DstBitmap.Empty());
}

TEST_F(ResizeCanvasFiles, BackgroundFileIsTiled) {
    const std::string file = (dir_ / "tile.jpg").string();
    const auto jpeg = test::MakeJpeg(test::TJpegKind::Baseline, 3, 2);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    TBitmap tile;
    ASSERT_TRUE(LoadBitmapFromFile(file, tile));
    const TRows t = ReadRows(tile);
    TResizeCanvas c;
    SetMargins(c, {1, 1, 4, 2});
    c.BG_File.SetValue(file, vsCurrent);
    c.SrcBitmap = MakeBitmap({{0x010203}});
    ASSERT_TRUE(c.Execute(vsCurrent));
    ASSERT_EQ(c.DstBitmap.Width(), 6);
    ASSERT_EQ(c.DstBitmap.Height(), 4);
    TRows expected(4, std::vector<std::uint32_t>(6));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) expected[y][x] = t[y % 2][x % 3];
    expected[1][1] = 0x010203;
    EXPECT_EQ(ReadRows(c.DstBitmap), expected);
}

TEST(ResizeCanvasEditor, BackgroundChooserListsTheLoadingTaskExtensions) {
    TRunContext ctx;
    TTaskList scenario;
    auto loader = std::make_unique<TLoadFromFile>(&ctx);
    TLoadFromFile& l = *loader;
    scenario.push_back(std::make_unique<TaskRec>(TaskRec{"Load", std::move(loader)}));
    ctx.EditedScenario = &scenario;
    TResizeCanvas t(&ctx);
    TMemoryEditorPage page;
    t.PrepareEditor(page);
    EXPECT_EQ(page.items["RC_Method"], (std::vector<std::string>{"Absolute", "Relative"}));
    const auto& chooser = page.choosers["RC_BG_File"];
    EXPECT_EQ(chooser.caption, "Browse");
    EXPECT_EQ(chooser.prompt, "Select file ...");
    EXPECT_EQ(chooser.filter.rfind("All avialable formats|;*.CEL;*.PIC;*.GIF;*.CUT;", 0), 0u)
        << chooser.filter;
    EXPECT_NE(chooser.filter.find(";*.JPG;*.JPEG;*.JPE;*.JFIF;*.BMP;"), std::string::npos);
    // Formats switched off in the loading task are left out.
    for (auto& f : l.Formats)
        f->Enabled.SetValue(f->Extensions[0] == "GIF" || f->Extensions[0] == "PNG", vsCurrent);
    t.PrepareEditor(page);
    EXPECT_EQ(page.choosers["RC_BG_File"].filter, "All avialable formats|;*.GIF;*.PNG");
    // Without a scenario at hand: the formats of a new loading task.
    TResizeCanvas alone;
    alone.PrepareEditor(page);
    EXPECT_EQ(page.choosers["RC_BG_File"].filter.rfind("All avialable formats|;*.CEL;*.PIC;*.GIF", 0), 0u);
}

}  // namespace
}  // namespace pm
