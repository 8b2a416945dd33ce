// The tone and colour loops work on many pixels at once: each pixel of a wide
// random picture must come out as it does alone (where no vector runs), on
// both loop paths.
#include "imaging/ToneAdjust.h"
#include "imaging/VectorLoops.h"

#include "support/RandomDib.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace pm
