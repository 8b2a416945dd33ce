// Little CMS within a memory budget: what the cap does not allow fails
// cleanly, and what is freed is paid back, so one budget serves many reads.
#include "decoders/LcmsBudget.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

bool ReadsDescription(const TLcmsBudget& budget, const std::vector<std::uint8_t>& icc) {
    cmsHPROFILE profile = cmsOpenProfileFromMemTHR(budget.Context(), icc.data(), std::uint32_t(icc.size()));
    if (!profile) return false;
    char text[64] = {};
    const bool read = cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text) > 0;
    cmsCloseProfile(profile);
    return read && std::string(text) == "Pixmill Test RGB";
}

TEST(LcmsBudget, CapsWhatLittleCmsHolds) {
    const std::vector<std::uint8_t> icc = test::ReadFileBytes(test::TestDataPath("metadata/test.icc"));
    const TLcmsBudget tight(256), roomy(1 << 20);
    ASSERT_TRUE(tight.Context() && roomy.Context());
    EXPECT_FALSE(ReadsDescription(tight, icc));
    // Many reads in turn: the budget is paid back each time.
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(ReadsDescription(roomy, icc)) << i;
}

}  // namespace
}  // namespace pm
