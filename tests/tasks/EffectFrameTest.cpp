// What every border effect shares: it works on a 24-bit picture whatever
// the source's depth, its result is 24-bit, and a source it cannot work on
// ends in its one "Cannot make ... effect!" message with DstBitmap left alone.
#include "support/EffectTesting.h"
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TFilm.h"
#include "tasks/PM__TRectangleBevel.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TStamp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace pm {
namespace {

struct Effect {
    const char* name;
    std::function<std::unique_ptr<TBaseClass>()> make;
    // Shadow and Stamp measure the source against their settings first.
    const char* emptySourceMessage = nullptr;  // null: "Cannot make ... effect!"
};

const Effect kEffects[] = {
    {"Shadow", [] { return std::make_unique<TShadow>(); }, "Very large value of radius."},
    {"FadeShadow", [] { return std::make_unique<TFadeShadow>(); }},
    {"RectangleBevel", [] { return std::make_unique<TRectangleBevel>(); }},
    {"FadeRectangleBevel", [] { return std::make_unique<TFadeRectangleBevel>(); }},
    {"FadeEllipseBevel", [] { return std::make_unique<TFadeEllipseBevel>(); }},
    {"Film", [] { return std::make_unique<TFilm>(); }},
    {"Stamp", [] { return std::make_unique<TStamp>(); },
     "Geometric error: very small image for current parameters!"},
};

// A 4-bit picture with a colour table of distinct colours.
TFastDIB PalettePicture(int w, int h) {
    TFastDIB dib;
    dib.SetSize(w, h, 4);
    for (int i = 0; i < 16; ++i)
        dib.Colors()[i] = {std::uint8_t(i * 16), std::uint8_t(255 - i * 8), std::uint8_t(i * 5 + 40), 0};
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; x += 2)
            dib.Row(row)[x / 2] = static_cast<std::uint8_t>(((x + row) % 16) << 4 | ((x + 1 + 2 * row) % 16));
    return dib;
}

TBitmap RunEffect(const Effect& e, const TFastDIB& source) {
    std::unique_ptr<TBaseClass> t = e.make();
    t->SrcBitmap = TBitmap(TFastDIB(source));
    EXPECT_TRUE(t->Execute(vsCurrent));
    return t->DstBitmap;
}

TEST(EffectFrame, ASourceOfAnyDepthGivesWhatItsTrueColourCopyGives) {
    const TFastDIB paletted = PalettePicture(90, 70);
    TFastDIB trueColour(paletted);
    ASSERT_TRUE(ConvertDepth(trueColour, 24));
    for (const Effect& e : kEffects) {
        SCOPED_TRACE(e.name);
        const TBitmap fromPalette = RunEffect(e, paletted), fromTrueColour = RunEffect(e, trueColour);
        const TFastDIB &a = fromPalette.Dib(), &b = fromTrueColour.Dib();
        EXPECT_EQ(a.Bpp(), 24);
        ASSERT_EQ(a.Width(), 90);
        ASSERT_EQ(a.Height(), 70);
        ASSERT_EQ(a.Size(), b.Size());
        EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), a.Size()), 0);
    }
}

TEST(EffectFrame, AnEmptySourceEndsInOneMessage) {
    for (const Effect& e : kEffects) {
        SCOPED_TRACE(e.name);
        test::TLogRecorder log;
        std::unique_ptr<TBaseClass> t = e.make();
        t->DstBitmap = test::Untouched();
        EXPECT_FALSE(t->Execute(vsCurrent));
        test::ExpectOnlyError(log, e.emptySourceMessage
                                       ? std::string(e.emptySourceMessage)
                                       : "Cannot make \"" + std::string(e.name) + "\" effect!");
        EXPECT_TRUE(test::IsUntouched(t->DstBitmap));
    }
}

}  // namespace
}  // namespace pm
