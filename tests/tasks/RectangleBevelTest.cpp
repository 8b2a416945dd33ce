#include "support/Pixels.h"
#include "tasks/PM__TRectangleBevel.h"

#include <gtest/gtest.h>

#include <climits>

namespace pm {
namespace {

using test::ReadRows;
using test::TRows;

TEST(RectangleBevelLevels, LightenAndDarken) {
    struct Case {
        int amount, level, expected;
    };
    const Case cases[] = {
        {100, 255, 255},
        {100, 0, 99},
        {130, 0, 129},
        {-130, 255, 126},
        {0, 77, 77},
        {255, 0, 254},
        {-255, 255, 1},
        {-100, 0, 0},
        {50, 128, 152},
        {-50, 128, 103},
        // Beyond the editor's range a hand-edited amount acts as the strongest.
        {1000, 0, 254},
        {-1000, 255, 1},
        {INT_MAX, 0, 254},
        {INT_MIN, 255, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TRectangleBevel::BuildLevelTable(c.amount)[c.level], c.expected)
            << "amount " << c.amount << " level " << c.level;
}

struct Settings {
    int thickness = 60;
    bool solid = false;
    int top = 130, left = 100, right = -100, bottom = -130;
};

TRows Apply(const TFastDIB& source, const Settings& s) {
    TRectangleBevel task;
    task.Bevel_Thickness.SetValue(s.thickness, vsCurrent);
    task.Solid_Border.SetValue(s.solid, vsCurrent);
    task.Top_Amount.SetValue(s.top, vsCurrent);
    task.Left_Amount.SetValue(s.left, vsCurrent);
    task.Right_Amount.SetValue(s.right, vsCurrent);
    task.Bottom_Amount.SetValue(s.bottom, vsCurrent);
    task.SrcBitmap = TBitmap(source);
    EXPECT_TRUE(task.Execute(vsCurrent));
    return ReadRows(task.DstBitmap);
}

// A picture whose every pixel differs from its neighbours.
TFastDIB Pattern(int w, int h) {
    TFastDIB dib = test::SolidDib(w, h, 0);
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x)
            dib.SetPixel(row, x,
                         {std::uint8_t(x * 3 + row), std::uint8_t(row * 5 + 11), std::uint8_t(x * 7 + 2)});
    return dib;
}

TEST(RectangleBevel, BandsOnA200x150Picture) {
    struct Probe {
        int x, y;
        std::uint32_t expected;
    };
    struct Case {
        std::uint32_t colour;
        Settings settings;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        // White: lightening keeps 255, right -100 gives 156, bottom -130 gives 126.
        {0xFFFFFF,
         {},
         {{0, 0, 0xFFFFFF},
          {100, 0, 0xFFFFFF},
          {199, 75, 0x9C9C9C},
          {100, 149, 0x7E7E7E},
          {100, 60, 0xFFFFFF}}},
        // Black: top 130 gives 129, left 100 gives 99; darkening keeps 0.
        {0x000000,
         {},
         {{0, 0, 0x636363},
          {100, 0, 0x818181},
          {100, 59, 0x818181},
          {100, 60, 0x000000},
          {59, 75, 0x636363},
          {60, 75, 0x000000},
          {199, 75, 0x000000},
          {100, 149, 0x000000}}},
        // The diagonals belong to the side bands: (5, 5) is left, (6, 5) top,
        // (194, 5) right, (5, 144) left.
        {0x000000, {}, {{5, 5, 0x636363}, {6, 5, 0x818181}, {194, 5, 0x000000}, {5, 144, 0x636363}}},
        // Solid border: flat greys from mid grey, whatever the picture.
        {0x3366CC,
         {60, true},
         {{100, 0, 0xC0C0C0},
          {0, 75, 0xB1B1B1},
          {199, 75, 0x4E4E4E},
          {100, 149, 0x3F3F3F},
          {59, 75, 0xB1B1B1},
          {60, 75, 0x3366CC}}},
        // Amount 0 leaves its band alone.
        {0x3366CC, {60, false, 0, 0, 0, 0}, {{100, 0, 0x3366CC}, {0, 75, 0x3366CC}, {100, 149, 0x3366CC}}},
    };
    for (const Case& c : cases) {
        const TRows out = Apply(test::SolidDib(200, 150, c.colour), c.settings);
        for (const Probe& p : c.probes)
            EXPECT_EQ(out[p.y][p.x], p.expected)
                << std::hex << c.colour << std::dec << " at " << p.x << "," << p.y;
    }
}

TEST(RectangleBevel, NoThicknessLeavesThePicture) {
    const TFastDIB source = Pattern(30, 20);
    for (int thickness : {0, -1, -1000000000, INT_MIN}) {
        Settings s;
        s.thickness = thickness;
        EXPECT_EQ(Apply(source, s), ReadRows(source)) << thickness;
    }
}

TEST(RectangleBevel, OnePixelWideColumnPassesLeftThenRight) {
    // Left 100 on 0 gives 99; right -100 on 99 gives 99 - 38 = 61.
    EXPECT_EQ(Apply(test::SolidDib(1, 4, 0x000000), {}),
              (TRows{{0x3D3D3D}, {0x3D3D3D}, {0x3D3D3D}, {0x3D3D3D}}));
    // Solid: the right band's grey decides.
    Settings solid;
    solid.solid = true;
    EXPECT_EQ(Apply(test::SolidDib(1, 2, 0xFFFFFF), solid), (TRows{{0x4E4E4E}, {0x4E4E4E}}));
}

TEST(RectangleBevel, OverlappingBandsShadeTheMiddleRepeatedly) {
    // 3 x 3, thickness 2: the centre is in the left and the right band of k = 1.
    EXPECT_EQ(Apply(test::SolidDib(3, 3, 0x000000), {2}), (TRows{{0x636363, 0x818181, 0x000000},
                                                                 {0x636363, 0x3D3D3D, 0x000000},
                                                                 {0x636363, 0x000000, 0x000000}}));
}

TEST(RectangleBevel, HugeThicknessEndsWithTheImage) {
    const TFastDIB source = Pattern(40, 25);
    Settings wide, huge;
    wide.thickness = 40;
    huge.thickness = 1000000000;
    EXPECT_EQ(Apply(source, huge), Apply(source, wide));
    huge.thickness = INT_MAX;
    EXPECT_EQ(Apply(source, huge), Apply(source, wide));
}

}  // namespace
}  // namespace pm
