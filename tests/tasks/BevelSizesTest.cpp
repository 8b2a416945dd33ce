#include "support/Pixels.h"
#include "support/RecordingConsole.h"
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TRectangleBevel.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

namespace pm {
namespace {

struct Effect {
    const char* name;
    std::function<std::unique_ptr<TBaseClass>(int thickness, bool solid)> make;
};

template <typename T> std::unique_ptr<TBaseClass> Make(int thickness, bool solid) {
    auto task = std::make_unique<T>();
    task->Bevel_Thickness.SetValue(thickness, vsCurrent);
    task->Solid_Border.SetValue(solid, vsCurrent);
    return task;
}

// Tiny, thin and odd pictures with any thickness a scenario file may hold:
// every run succeeds, keeps the size and logs nothing.
TEST(BevelSizes, SmallAndExtremePicturesWithAnyThickness) {
    const Effect effects[] = {{"RectangleBevel", Make<TRectangleBevel>},
                              {"FadeRectangleBevel", Make<TFadeRectangleBevel>},
                              {"FadeEllipseBevel", Make<TFadeEllipseBevel>}};
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {3, 3}, {5, 300}, {300, 5}, {1, 64}, {64, 1}};
    const int thicknesses[] = {0, 1, 2, 60, 100, 1000000000, INT_MAX, -1, INT_MIN};
    test::TLogRecorder log;
    for (const Effect& e : effects)
        for (const auto& [w, h] : sizes)
            for (int t : thicknesses)
                for (bool solid : {false, true}) {
                    auto task = e.make(t, solid);
                    task->SrcBitmap = TBitmap(test::SolidDib(w, h, 0x336699));
                    ASSERT_TRUE(task->Execute(vsCurrent)) << e.name << " " << w << "x" << h << " " << t;
                    EXPECT_EQ(task->DstBitmap.Width(), w);
                    EXPECT_EQ(task->DstBitmap.Height(), h);
                }
    EXPECT_TRUE(log.Messages.empty());
}

// Pictures of other depths are worked on, and delivered, in 24 bits.
TEST(BevelSizes, PalettePicturesComeOutIn24Bits) {
    TFastDIB palette;
    palette.SetSize(4, 3, 8);
    palette.Colors()[0] = {0x99, 0x66, 0x33, 0};
    palette.Fill({0x99, 0x66, 0x33});
    const std::vector<std::unique_ptr<TBaseClass>> tasks = [] {
        std::vector<std::unique_ptr<TBaseClass>> v;
        v.push_back(Make<TRectangleBevel>(0, false));
        v.push_back(Make<TFadeRectangleBevel>(0, false));
        return v;
    }();
    for (const auto& task : tasks) {
        task->SrcBitmap = TBitmap(palette);
        ASSERT_TRUE(task->Execute(vsCurrent));
        EXPECT_EQ(task->DstBitmap.PixelFormat(), 24);
        EXPECT_EQ(test::ReadRows(task->DstBitmap), test::TRows(3, std::vector<std::uint32_t>(4, 0x336699)));
    }
}

TEST(BevelSizes, TinyEllipseIsAllBackground) {
    // a = b = 0: no ring at all, so the window is empty.
    for (int side : {1, 2, 3}) {
        auto task = Make<TFadeEllipseBevel>(60, false);
        task->SrcBitmap = TBitmap(test::SolidDib(side, side, 0xFFFFFF));
        ASSERT_TRUE(task->Execute(vsCurrent));
        EXPECT_EQ(test::ReadRows(task->DstBitmap),
                  test::TRows(side, std::vector<std::uint32_t>(side, 0x008000)));
    }
}

}  // namespace
}  // namespace pm
