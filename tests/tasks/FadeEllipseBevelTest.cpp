#include "support/Pixels.h"
#include "tasks/PM__TFadeEllipseBevel.h"

#include <gtest/gtest.h>

#include <climits>

namespace pm {
namespace {

using test::ReadRows;
using test::TRows;

constexpr std::uint32_t kGreen = 0x008000;

// On a white picture mixed with blue, red and green show the fade mask's level.
TRows Apply(const TFastDIB& source, int thickness, bool solid = false) {
    TFadeEllipseBevel task;
    task.Bevel_Thickness.SetValue(thickness, vsCurrent);
    task.Solid_Border.SetValue(solid, vsCurrent);
    task.SrcBitmap = TBitmap(source);
    EXPECT_TRUE(task.Execute(vsCurrent));
    return ReadRows(task.DstBitmap);
}

std::uint32_t Mixed(int level) {
    return static_cast<std::uint32_t>(level) * 0x010100u + 0xFF;
}

TEST(FadeEllipseBevelGeometry, HalfAxesRoundHalvesToEven) {
    struct Case {
        int w, h, a, b, row;
    };
    const Case cases[] = {
        {200, 200, 99, 99, 100}, {101, 60, 50, 29, 30}, {103, 61, 50, 30, 30}, {1, 1, 0, 0, 0},
        {2, 2, 0, 0, 1},         {3, 3, 0, 0, 2},       {4, 4, 1, 1, 2},       {5, 6, 2, 2, 3},
    };
    for (const Case& c : cases) {
        const TFadeEllipseBevel::TGeometry g = TFadeEllipseBevel::Geometry(c.w, c.h);
        EXPECT_EQ((std::vector<int>{g.A, g.B, g.CenterColumn, g.CenterRow}),
                  (std::vector<int>{c.a, c.b, c.a, c.row}))
            << c.w << "x" << c.h;
    }
}

TEST(FadeEllipseBevel, DefaultOn200x200) {
    const TRows out = Apply(test::SolidDib(200, 200, 0xFFFFFF), 60);
    // The centre is stored row 100, picture line 99. The ellipse spans
    // columns 0 .. 198 and lines 0 .. 198; the window ends a column earlier
    // and a line lower, so line 0, column 198, the last column and the bottom
    // line show the background.
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(out[i][199], kGreen) << i;
        EXPECT_EQ(out[199][i], kGreen) << i;
        EXPECT_EQ(out[0][i], kGreen) << i;
    }
    EXPECT_EQ(out[99][198], kGreen);
    EXPECT_EQ(out[10][10], kGreen);
    // The 61 rings along the centre line: ring p at column p, blurred.
    struct Probe {
        int x, y, level;
    };
    const Probe probes[] = {
        {0, 99, 4},
        {1, 99, 6},
        {30, 99, 129},
        {59, 99, 251},
        {60, 99, 253},
        {61, 99, 254},
        {99, 1, 6},
        {99, 30, 129},
        {99, 60, 253},
        {197, 99, 6},
        {99, 197, 6},
        // Inside the rings the in-place blur leaves 254, not 255.
        {99, 99, 254},
        {120, 80, 254},
    };
    for (const Probe& p : probes) EXPECT_EQ(out[p.y][p.x], Mixed(p.level)) << p.x << "," << p.y;
}

TEST(FadeEllipseBevel, SolidBorderIsNearlyPureShadow) {
    const TRows out = Apply(test::SolidDib(200, 200, 0xFFFFFF), 60, true);
    for (int x : {0, 1, 30, 55}) EXPECT_EQ(out[99][x], Mixed(1)) << x;
    EXPECT_EQ(out[99][65], Mixed(254));
}

// Thickness 0: one ring of grey 255 and no blur; the picture shows unchanged
// inside the window and the background outside.
TEST(FadeEllipseBevel, NoThicknessIsAPlainWindow) {
    TFastDIB source = test::SolidDib(12, 10, 0);
    for (int row = 0; row < 10; ++row)
        for (int x = 0; x < 12; ++x)
            source.SetPixel(row, x, {std::uint8_t(x * 20), 200, std::uint8_t(row * 25)});
    const std::vector<std::string> window = {
        "############", "##......####", "#........###", "..........##", "..........##",
        "..........##", "#........###", "##......####", "############", "############",
    };
    const TRows in = ReadRows(source);
    for (int thickness : {0, -1, INT_MIN}) {
        const TRows out = Apply(source, thickness);
        TRows expected = in;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x)
                if (window[y][x] == '#') expected[y][x] = kGreen;
        EXPECT_EQ(out, expected) << thickness;
    }
}

TEST(FadeEllipseBevel, ThicknessReachingAHalfAxisShowsNothingUnmixed) {
    // a = b = 49: the rings stop at p = 49 < 60 and the mask is never white.
    for (int thickness : {49, 60}) {
        const TRows out = Apply(test::SolidDib(100, 100, 0xFFFFFF), thickness);
        for (const auto& line : out)
            for (std::uint32_t v : line) ASSERT_LT(v >> 16, 255u) << thickness;
    }
    // One ring less and the middle is white in the mask again (252 after the blur).
    EXPECT_EQ(Apply(test::SolidDib(100, 100, 0xFFFFFF), 48)[49][49], Mixed(252));
}

TEST(FadeEllipseBevel, OddWidthsShareTheHalfAxis) {
    // W = 101 and 103 both give a = 50: the window's columns are 0 .. 99.
    for (int w : {101, 103}) {
        const TRows out = Apply(test::SolidDib(w, 60, 0xFFFFFF), 10);
        const int centreLine = 60 - 1 - 30;  // stored row 30
        EXPECT_NE(out[centreLine][0], kGreen) << w;
        EXPECT_NE(out[centreLine][99], kGreen) << w;
        for (int x = 100; x < w; ++x) EXPECT_EQ(out[centreLine][x], kGreen) << w << " column " << x;
    }
}

TEST(FadeEllipseBevel, HugeThicknessIsShadowInsideTheWindow) {
    // Every used ramp entry is 0: pure blue inside, background outside.
    const TRows out = Apply(test::SolidDib(200, 200, 0xFFFFFF), 1000000000);
    EXPECT_EQ(out[99][99], 0x0000FFu);
    EXPECT_EQ(out[99][0], 0x0000FFu);
    EXPECT_EQ(out[199][99], kGreen);
}

}  // namespace
}  // namespace pm
