// Damaged files fail with the reader's reason instead of loading with lost
// or made-up pixels; files where only a redundant field is wrong load with
// every pixel and say what was wrong.
#include "FlawedFiles.h"

#include "LibImageBuilders.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

TEST(FlawedFiles, DamagedPixelDataFailsWithItsReason) {
    for (const TFlawedFile& f : DamagedFiles(GhostscriptAvailable())) {
        SCOPED_TRACE(f.name);
        const TDecoded d = Decode(f.reader, f.bytes, "flawed." + f.extension);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.error, f.reason);
    }
}

TEST(FlawedFiles, HarmlessOdditiesLoadEveryPixelWithAWarning) {
    for (const TFlawedFile& f : HarmlessOddities(GhostscriptAvailable())) {
        SCOPED_TRACE(f.name);
        const TDecoded odd = Decode(f.reader, f.bytes, "odd." + f.extension);
        const TDecoded clean = Decode(f.reader, f.twin, "clean." + f.extension);
        ASSERT_TRUE(odd.ok) << odd.error;
        ASSERT_TRUE(clean.ok) << clean.error;
        EXPECT_EQ(odd.picture.Warnings, std::vector<std::string>{f.reason});
        EXPECT_TRUE(clean.picture.Warnings.empty()) << clean.picture.Warnings.front();
        const TFastDIB& a = odd.picture.Image;
        const TFastDIB& b = clean.picture.Image;
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        int differ = 0;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x) differ += !(PixelAt(a, x, y) == PixelAt(b, x, y));
        EXPECT_EQ(differ, 0);
    }
}

}  // namespace
}  // namespace pm::test
