#include "decoders/Decoders.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pm::test {
namespace {

constexpr std::size_t kBase = 0x30000, kPair = 768 * 3;

// A base image of one Photo YCC colour, except the 2 x 2 block at the top
// left corner; `rotation` goes into the image pack header.
std::vector<std::uint8_t> PhotoCd(int y, int c1, int c2, int cornerY, int cornerC1, int cornerC2,
                                  int rotation = 0) {
    std::vector<std::uint8_t> f(kBase + kPair * 256, 0);
    std::memcpy(&f[0x800], "PCD_IPI", 7);
    f[0xE02] = static_cast<std::uint8_t>(rotation);
    for (std::size_t p = 0; p < 256; ++p) {
        std::uint8_t* pair = &f[kBase + p * kPair];
        std::memset(pair, y, 768 * 2);
        std::memset(pair + 1536, c1, 384);
        std::memset(pair + 1920, c2, 384);
    }
    std::uint8_t* first = &f[kBase];
    first[0] = first[1] = first[768] = first[769] = static_cast<std::uint8_t>(cornerY);
    first[1536] = static_cast<std::uint8_t>(cornerC1);
    first[1920] = static_cast<std::uint8_t>(cornerC2);
    return f;
}

TEST(PcdReader, PhotoYccBecomesRgb) {
    struct Case {
        const char* name;
        int y, c1, c2;
        std::uint32_t rgb;
    };
    const Case cases[] = {
        {"black", 0, 156, 137, 0x000000},     {"white", 188, 156, 137, 0xFFFFFF},
        {"mid grey", 94, 156, 137, 0x808080}, {"red", 60, 120, 220, 0xE91402},
        {"blue", 40, 230, 100, 0x0039DA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TDecodeResult r = DecodeBytes(DecodePcd, PhotoCd(0, 156, 137, c.y, c.c1, c.c2));
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.picture.Image.Width(), 768);
        ASSERT_EQ(r.picture.Image.Height(), 512);
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), c.rgb);
        EXPECT_EQ(Rgb(r.picture.Image, 1, 1), c.rgb);
        EXPECT_EQ(Rgb(r.picture.Image, 2, 0), 0u);
    }
}

TEST(PcdReader, PortraitScansAreTurnedUpright) {
    struct Case {
        int rotation, width, height, x, y; // where the stored top left corner lands
    };
    const Case cases[] = {
        {0, 768, 512, 0, 0}, {1, 512, 768, 0, 767}, {2, 768, 512, 767, 511}, {3, 512, 768, 511, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        const TDecodeResult r = DecodeBytes(DecodePcd, PhotoCd(0, 156, 137, 188, 156, 137, c.rotation));
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.picture.Image.Width(), c.width);
        ASSERT_EQ(r.picture.Image.Height(), c.height);
        EXPECT_EQ(Rgb(r.picture.Image, c.x, c.y), 0xFFFFFFu);
    }
}

TEST(PcdReader, PublicFiles) {
    const TDecodeResult r = DecodeTestFile(DecodePcd, "pillow/hopper.pcd");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.picture.Image.Width(), 768);
    EXPECT_EQ(r.picture.Image.Height(), 512);
    const TDecodeResult cut = DecodeTestFile(DecodePcd, "exiftool/PhotoCD.pcd"); // only its first 4 KiB
    EXPECT_FALSE(cut.ok);
    EXPECT_FALSE(cut.error.empty());
}

TEST(PcdReader, DamagedFilesFailCleanly) {
    auto noSignature = PhotoCd(0, 156, 137, 0, 156, 137);
    noSignature[0x800] = 'X';
    auto truncated = PhotoCd(0, 156, 137, 0, 156, 137);
    truncated.pop_back();
    for (const auto* bytes : {&noSignature, &truncated}) {
        const TDecodeResult r = DecodeBytes(DecodePcd, *bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
    }
    EXPECT_FALSE(DecodeBytes(DecodePcd, {}).ok);
}

} // namespace
} // namespace pm::test
