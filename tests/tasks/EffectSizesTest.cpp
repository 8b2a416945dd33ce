// The border effects on pictures far smaller or narrower than their settings
// expect, and with settings no editor allows: each either draws a picture of
// the input's size or reports one error and leaves DstBitmap alone.
#include "support/EffectTesting.h"
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TFilm.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TStamp.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

namespace pm {
namespace {

struct Effect {
    const char* name;
    std::function<std::unique_ptr<TBaseClass>()> make;
};

const std::vector<Effect>& Effects() {
    static const std::vector<Effect> effects = {
        {"default shadow", [] { return std::make_unique<TShadow>(); }},
        {"square shadow",
         [] {
             auto t = std::make_unique<TShadow>();
             t->Radius.SetValue(0, vsCurrent);
             return t;
         }},
        {"shadow with extreme offsets and lines",
         [] {
             auto t = std::make_unique<TShadow>();
             t->Radius.SetValue(-3, vsCurrent);
             t->Shadow_X.SetValue(INT_MIN, vsCurrent);
             t->Shadow_Y.SetValue(INT_MAX, vsCurrent);
             t->FG_Line1Thickness.SetValue(INT_MAX, vsCurrent);
             t->BG_Line2Thickness.SetValue(INT_MIN, vsCurrent);
             return t;
         }},
        {"default fade shadow", [] { return std::make_unique<TFadeShadow>(); }},
        {"fade shadow, all directions and odd widths",
         [] {
             auto t = std::make_unique<TFadeShadow>();
             t->Shadow_Direction.SetValue(3, vsCurrent);
             t->Shadow_Thickness.SetValue(101, vsCurrent);
             t->Line1Thickness.SetValue(INT_MIN, vsCurrent);
             t->Line2Thickness.SetValue(INT_MAX, vsCurrent);
             return t;
         }},
        {"fade shadow, one pixel wide",
         [] {
             auto t = std::make_unique<TFadeShadow>();
             t->Shadow_Direction.SetValue(1, vsCurrent);
             t->Shadow_Thickness.SetValue(1, vsCurrent);
             return t;
         }},
        {"film", [] { return std::make_unique<TFilm>(); }},
        {"default stamp", [] { return std::make_unique<TStamp>(); }},
        {"smallest stamp",
         [] {
             auto t = std::make_unique<TStamp>();
             t->Radius.SetValue(0, vsCurrent);
             t->Border.SetValue(0, vsCurrent);
             t->DrawMode.SetValue(1, vsCurrent);
             return t;
         }},
        {"stamp with radius 1",
         [] {
             auto t = std::make_unique<TStamp>();
             t->Radius.SetValue(1, vsCurrent);
             t->Border.SetValue(0, vsCurrent);
             return t;
         }},
    };
    return effects;
}

TEST(EffectSizes, SmallAndExtremePicturesNeverBreakAnEffect) {
    const std::pair<int, int> sizes[] = {{1, 1},   {2, 2},   {3, 3},   {4, 4}, {5, 300},
                                         {300, 5}, {1, 200}, {200, 1}, {9, 9}};
    for (const Effect& e : Effects())
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE(::testing::Message() << e.name << " on " << w << "x" << h);
            test::TLogRecorder log;
            auto task = e.make();
            task->SrcBitmap = test::PatternBitmap(w, h);
            task->DstBitmap = test::Untouched();
            if (task->Execute(vsCurrent)) {
                EXPECT_EQ(task->DstBitmap.Width(), w);
                EXPECT_EQ(task->DstBitmap.Height(), h);
                EXPECT_TRUE(log.Messages.empty());
            } else {
                ASSERT_EQ(log.Messages.size(), 1u);
                EXPECT_EQ(log.Messages[0].Kind, lmError);
                EXPECT_TRUE(test::IsUntouched(task->DstBitmap));
            }
        }
}

TEST(EffectSizes, EmptyPictureIsAFailure) {
    const std::pair<const char*, std::string> expected[] = {
        {"default shadow", "Very large value of radius."},
        {"square shadow", "Cannot make \"Shadow\" effect!"},
        {"default fade shadow", "Cannot make \"FadeShadow\" effect!"},
        {"film", "Cannot make \"Film\" effect!"},
        {"default stamp", "Geometric error: very small image for current parameters!"},
    };
    for (const auto& [name, message] : expected) {
        SCOPED_TRACE(name);
        for (const Effect& e : Effects()) {
            if (std::string(e.name) != name) continue;
            test::TLogRecorder log;
            auto task = e.make();
            task->DstBitmap = test::Untouched();
            EXPECT_FALSE(task->Execute(vsCurrent));
            test::ExpectOnlyError(log, message);
            EXPECT_TRUE(test::IsUntouched(task->DstBitmap));
        }
    }
}

TEST(EffectSizes, DefaultsSucceedOnTheExtremeShapes) {
    // Film and the fade shadow draw on anything; the stamp needs 45 pixels.
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 2}, {5, 300}, {300, 5}}) {
        for (int i : {3, 6}) {
            auto task = Effects()[i].make();
            task->SrcBitmap = test::PatternBitmap(w, h);
            EXPECT_TRUE(task->Execute(vsCurrent)) << Effects()[i].name << " " << w << "x" << h;
        }
    }
}

}  // namespace
}  // namespace pm
