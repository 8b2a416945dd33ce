#include "support/EffectTesting.h"
#include "support/Pixels.h"
#include "tasks/PM__TRotate.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::PatternPixel;
using test::PixelAt;

struct TPoint {
    int x, y;
};

void SetTurn(TRotate& t, int turn, int angle, bool fh, bool fv) {
    t.Turn.SetValue(turn, vsCurrent);
    t.Angle.SetValue(angle, vsCurrent);
    t.Flip_Horizontal.SetValue(fh, vsCurrent);
    t.Flip_Vertical.SetValue(fv, vsCurrent);
}

// A 3 x 2 pattern picture turned and mirrored: the result's four corners
// (top-left, top-right, bottom-left, bottom-right) name their source pixels.
TEST(RotateExecute, QuarterTurnsAndMirrorsAreExact) {
    struct Case {
        const char* name;
        int turn, angle;
        bool fh, fv;
        TPoint corners[4];
    };
    const Case cases[] = {
        {"none", TRotate::tNone, 0, false, false, {{0, 0}, {2, 0}, {0, 1}, {2, 1}}},
        {"90", TRotate::t90, 0, false, false, {{0, 1}, {0, 0}, {2, 1}, {2, 0}}},
        {"180", TRotate::t180, 0, false, false, {{2, 1}, {0, 1}, {2, 0}, {0, 0}}},
        {"270", TRotate::t270, 0, false, false, {{2, 0}, {2, 1}, {0, 0}, {0, 1}}},
        {"mirror left-right", TRotate::tNone, 0, true, false, {{2, 0}, {0, 0}, {2, 1}, {0, 1}}},
        {"mirror top-bottom", TRotate::tNone, 0, false, true, {{0, 1}, {2, 1}, {0, 0}, {2, 0}}},
        {"both mirrors", TRotate::tNone, 0, true, true, {{2, 1}, {0, 1}, {2, 0}, {0, 0}}},
        {"mirror, then 90", TRotate::t90, 0, true, false, {{2, 1}, {2, 0}, {0, 1}, {0, 0}}},
        {"mirror, then 270", TRotate::t270, 0, true, false, {{0, 0}, {0, 1}, {2, 0}, {2, 1}}},
        {"any angle 90", TRotate::tAnyAngle, 900, false, false, {{0, 1}, {0, 0}, {2, 1}, {2, 0}}},
        {"any angle -90", TRotate::tAnyAngle, -900, false, false, {{2, 0}, {2, 1}, {0, 0}, {0, 1}}},
        {"any angle 360", TRotate::tAnyAngle, 3600, false, false, {{0, 0}, {2, 0}, {0, 1}, {2, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool swap = c.corners[0].x == c.corners[1].x;
        const int ow = swap ? 2 : 3, oh = swap ? 3 : 2;
        const TBitmap out = test::RunResizing<TRotate>(
            3, 2, ow, oh, [&](TRotate& t) { SetTurn(t, c.turn, c.angle, c.fh, c.fv); });
        const TPoint at[4] = {{0, 0}, {ow - 1, 0}, {0, oh - 1}, {ow - 1, oh - 1}};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(PixelAt(out, at[i].x, at[i].y), PatternPixel(c.corners[i].x, c.corners[i].y)) << i;
    }
}

TEST(RotateExecute, AnyAngleGrowsTheCanvasOnTheBackground) {
    struct Case {
        int w, h, angle, ow, oh;
        TPoint centre;  // the result's centre pixel, the source's centre pixel
    };
    const Case cases[] = {
        {3, 3, 300, 5, 5, {1, 1}},  // 3 (cos 30 + sin 30) = 4.1
        {3, 3, -300, 5, 5, {1, 1}},
        {5, 3, 450, 6, 6, {2, 1}},   // 8 / sqrt 2 = 5.66
        {5, 5, 1350, 8, 8, {2, 2}},  // 10 / sqrt 2 = 7.07; even: centre between pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        const TBitmap out = test::RunResizing<TRotate>(c.w, c.h, c.ow, c.oh, [&](TRotate& t) {
            SetTurn(t, TRotate::tAnyAngle, c.angle, false, false);
            t.BG_Color.SetValue(0x302010, vsCurrent);  // a colour value: red in the low byte
        });
        // The corners lie outside the turned picture.
        EXPECT_EQ(PixelAt(out, 0, 0), 0x102030u);
        EXPECT_EQ(PixelAt(out, c.ow - 1, c.oh - 1), 0x102030u);
        if (c.ow % 2) {
            EXPECT_EQ(PixelAt(out, c.ow / 2, c.oh / 2), PatternPixel(c.centre.x, c.centre.y));
        }
    }
    // On a solid picture the inside keeps its colour and the edge blends.
    TRotate t;
    SetTurn(t, TRotate::tAnyAngle, 450, false, false);
    t.BG_Color.SetValue(0x000000, vsCurrent);
    t.SrcBitmap = TBitmap(test::SolidDib(4, 4, 0xFF0000));
    ASSERT_TRUE(t.Execute(vsCurrent));
    EXPECT_EQ(PixelAt(t.DstBitmap, 3, 3), 0xFF0000u);
    const std::uint32_t edge = PixelAt(t.DstBitmap, 1, 1);
    EXPECT_GT(edge, 0x000000u);
    EXPECT_LT(edge, 0xFF0000u);
    EXPECT_EQ(edge & 0xFFFF, 0u);
}

// Mirroring left-right and turning by a equals turning by -a and mirroring
// (up to a rounding of the sampling weights: one step per channel).
TEST(RotateExecute, MirrorBeforeAnyAngle) {
    TRotate a, b;
    SetTurn(a, TRotate::tAnyAngle, 250, true, false);
    SetTurn(b, TRotate::tAnyAngle, -250, false, false);
    a.SrcBitmap = b.SrcBitmap = test::PatternBitmap(7, 4);
    ASSERT_TRUE(a.Execute(vsCurrent));
    ASSERT_TRUE(b.Execute(vsCurrent));
    const TFastDIB &da = a.DstBitmap.Dib(), &db = b.DstBitmap.Dib();
    ASSERT_EQ(da.Width(), db.Width());
    ASSERT_EQ(da.Height(), db.Height());
    for (int y = 0; y < da.Height(); ++y)
        for (int x = 0; x < da.Width(); ++x)
            for (int shift : {0, 8, 16}) {
                const int pa = int(PixelAt(da, x, y) >> shift & 0xFF);
                const int pb = int(PixelAt(db, da.Width() - 1 - x, y) >> shift & 0xFF);
                ASSERT_NEAR(pa, pb, 1) << x << "," << y;
            }
}

}  // namespace
}  // namespace pm
