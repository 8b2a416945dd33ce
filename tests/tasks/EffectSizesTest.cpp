// The border effects on pictures far smaller or narrower than their settings
// expect, and with settings no editor allows: each either draws a picture of
// the input's size or reports one error and leaves DstBitmap alone. No
// effect, the bevels included, draws on an empty picture.
#include "support/EffectTesting.h"
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TFilm.h"
#include "tasks/PM__TRectangleBevel.h"
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

// Makes a T with the settings of `setup`.
template <class T>
std::function<std::unique_ptr<TBaseClass>()> Make(const std::function<void(T&)>& setup = {}) {
    return [setup] {
        auto t = std::make_unique<T>();
        if (setup) setup(*t);
        return t;
    };
}

const std::vector<Effect>& Effects() {
    static const std::vector<Effect> effects = {
        {"default shadow", Make<TShadow>()},
        {"square shadow", Make<TShadow>([](TShadow& t) { t.Radius.SetValue(0, vsCurrent); })},
        {"shadow with extreme offsets and lines", Make<TShadow>([](TShadow& t) {
             t.Radius.SetValue(-3, vsCurrent);
             t.Shadow_X.SetValue(INT_MIN, vsCurrent);
             t.Shadow_Y.SetValue(INT_MAX, vsCurrent);
             t.FG_Line1Thickness.SetValue(INT_MAX, vsCurrent);
             t.BG_Line2Thickness.SetValue(INT_MIN, vsCurrent);
         })},
        {"default fade shadow", Make<TFadeShadow>()},
        {"fade shadow, all directions and odd widths", Make<TFadeShadow>([](TFadeShadow& t) {
             t.Shadow_Direction.SetValue(3, vsCurrent);
             t.Shadow_Thickness.SetValue(101, vsCurrent);
             t.Line1Thickness.SetValue(INT_MIN, vsCurrent);
             t.Line2Thickness.SetValue(INT_MAX, vsCurrent);
         })},
        {"fade shadow, one pixel wide", Make<TFadeShadow>([](TFadeShadow& t) {
             t.Shadow_Direction.SetValue(1, vsCurrent);
             t.Shadow_Thickness.SetValue(1, vsCurrent);
         })},
        {"film", Make<TFilm>()},
        {"default stamp", Make<TStamp>()},
        {"smallest stamp", Make<TStamp>([](TStamp& t) {
             t.Radius.SetValue(0, vsCurrent);
             t.Border.SetValue(0, vsCurrent);
             t.DrawMode.SetValue(1, vsCurrent);
         })},
        {"stamp with radius 1", Make<TStamp>([](TStamp& t) {
             t.Radius.SetValue(1, vsCurrent);
             t.Border.SetValue(0, vsCurrent);
         })},
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

const Effect& Named(const std::string& name) {
    for (const Effect& e : Effects())
        if (e.name == name) return e;
    ADD_FAILURE() << "no effect named " << name;
    return Effects()[0];
}

TEST(EffectSizes, EmptyPictureIsAFailure) {
    const std::pair<Effect, std::string> expected[] = {
        {Named("default shadow"), "Very large value of radius."},
        {Named("square shadow"), "Cannot make \"Shadow\" effect!"},
        {Named("default fade shadow"), "Cannot make \"FadeShadow\" effect!"},
        {Named("film"), "Cannot make \"Film\" effect!"},
        {Named("default stamp"), "Geometric error: very small image for current parameters!"},
        {{"rectangle bevel", Make<TRectangleBevel>()}, "Cannot make \"RectangleBevel\" effect!"},
        {{"fade rectangle bevel", Make<TFadeRectangleBevel>()}, "Cannot make \"FadeRectangleBevel\" effect!"},
        {{"fade ellipse bevel", Make<TFadeEllipseBevel>()}, "Cannot make \"FadeEllipseBevel\" effect!"},
    };
    for (const auto& [effect, message] : expected) {
        SCOPED_TRACE(effect.name);
        test::TLogRecorder log;
        auto task = effect.make();
        task->DstBitmap = test::Untouched();
        EXPECT_FALSE(task->Execute(vsCurrent));
        test::ExpectOnlyError(log, message);
        EXPECT_TRUE(test::IsUntouched(task->DstBitmap));
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
