#include "support/Pixels.h"
#include "tasks/PM__TFadeRectangleBevel.h"

#include <gtest/gtest.h>

#include <climits>

namespace pm {
namespace {

using test::ReadRows;
using test::TRows;

constexpr std::uint32_t kImage = 0xC86432;  // red 200, green 100, blue 50

TRows Apply(const TFastDIB& source, int thickness, bool solid = false, TColor shadow = 0xFF0000) {
    TFadeRectangleBevel task;
    task.Bevel_Thickness.SetValue(thickness, vsCurrent);
    task.Solid_Border.SetValue(solid, vsCurrent);
    task.Shadow_Color.SetValue(shadow, vsCurrent);
    task.SrcBitmap = TBitmap(source);
    EXPECT_TRUE(task.Execute(vsCurrent));
    return ReadRows(task.DstBitmap);
}

TEST(FadeRectangleBevel, RingsOnA200x150Picture) {
    // Mixes of kImage with blue: (m * image + (255 - m) * shadow) div 255.
    constexpr std::uint32_t m2 = 0x0100FD, m130 = 0x653296, m253 = 0xC66333, m127 = 0x633198;
    struct Probe {
        int x, y;
        std::uint32_t expected;
    };
    struct Case {
        int thickness;
        bool solid;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {60,
         false,
         {{0, 0, m2},
          {100, 0, m2},
          {199, 75, m2},
          {100, 149, m2},
          {199, 149, m2},
          {30, 75, m130},
          {100, 30, m130},
          {169, 75, m130},
          {100, 119, m130},
          {59, 75, m253},
          {60, 75, kImage},
          {100, 60, kImage},
          {100, 75, kImage}}},
        {1, false, {{0, 0, m127}, {100, 149, m127}, {1, 1, kImage}, {100, 1, kImage}}},
        // Solid: all 61 rings get ramp[0].
        {60,
         true,
         {{0, 75, m2}, {30, 75, m2}, {60, 75, m2}, {100, 60, m2}, {61, 75, kImage}, {100, 61, kImage}}},
    };
    for (const Case& c : cases) {
        const TRows out = Apply(test::SolidDib(200, 150, kImage), c.thickness, c.solid);
        for (const Probe& p : c.probes)
            EXPECT_EQ(out[p.y][p.x], p.expected) << c.thickness << " at " << p.x << "," << p.y;
    }
}

TEST(FadeRectangleBevel, NoThicknessLeavesThePicture) {
    TFastDIB source = test::SolidDib(9, 7, 0);
    for (int row = 0; row < 7; ++row)
        for (int x = 0; x < 9; ++x)
            source.SetPixel(row, x, {std::uint8_t(x * 20), std::uint8_t(row * 30), 99});
    for (int thickness : {0, -1, INT_MIN}) EXPECT_EQ(Apply(source, thickness), ReadRows(source)) << thickness;
}

TEST(FadeRectangleBevel, ThickRingsMeetAndLeaveNothingUnmixed) {
    const TRows out = Apply(test::SolidDib(20, 10, kImage), 60);
    for (const auto& line : out)
        for (std::uint32_t v : line) EXPECT_NE(v, kImage);
    // Picture line 4 is the top row of ring 4 and the bottom row of ring 5;
    // the later ring wins with ramp[5] of 60, which is 23.
    EXPECT_EQ(out[4][10], 0x1209ECu);
}

TEST(FadeRectangleBevel, HugeThicknessIsAllShadow) {
    // Every ring lies in the span of n = 0: the mask is black, the picture blue.
    for (int thickness : {1000000000, INT_MAX}) {
        const TRows out = Apply(test::SolidDib(30, 20, kImage), thickness, false, 0x00FFFF);
        EXPECT_EQ(out, TRows(20, std::vector<std::uint32_t>(30, 0xFFFF00))) << thickness;
    }
}

}  // namespace
}  // namespace pm
