// The PNG reader: every colour type and depth against pixels we wrote, the
// PngSuite files, and damaged streams.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>

namespace pm::test {
namespace {

struct PngCase {
    const char* name;
    int colorType, bitDepth;
    bool interlaced;
    int expectBpp;
};

// Sample values that use the whole range of each depth.
int Sample(int x, int y, int c, int depth) {
    return ((x * 7 + y * 13 + c * 29) * 37) % (1 << depth);
}

// What a sample becomes in 8 bits.
std::uint8_t To8(int v, int depth) {
    if (depth == 16) return static_cast<std::uint8_t>((v * 255L + 32767) / 65535);
    return static_cast<std::uint8_t>(v * 255 / ((1 << depth) - 1));
}

class PngFormats : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngFormats, DecodesThePixelsWritten) {
    const PngCase& c = GetParam();
    const int w = 13, h = 11;
    std::vector<std::uint8_t> palette;
    if (c.colorType == PNG_COLOR_TYPE_PALETTE)
        for (int i = 0; i < (1 << c.bitDepth); ++i)
            palette.insert(palette.end(),
                           {static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(255 - i),
                            static_cast<std::uint8_t>(i * 7)});
    const Bytes file = MakePng(
        w, h, c.colorType, c.bitDepth, c.interlaced,
        [&](int x, int y, int ch) { return Sample(x, y, ch, c.bitDepth); }, palette);
    TDecoded d = Decode(DecodePng, file);
    ASSERT_TRUE(d.ok) << d.error;
    const TFastDIB& img = d.picture.Image;
    EXPECT_EQ(d.picture.Kind, TPictureKind::Raster);
    ASSERT_EQ(img.Width(), w);
    ASSERT_EQ(img.Height(), h);
    EXPECT_EQ(img.Bpp(), c.expectBpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColorTriple want;
            if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
                const int i = Sample(x, y, 0, c.bitDepth);
                want = {static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                        static_cast<std::uint8_t>(i * 3)};
            } else if (c.colorType == PNG_COLOR_TYPE_GRAY || c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                const std::uint8_t v = To8(Sample(x, y, 0, c.bitDepth), c.bitDepth);
                want = {v, v, v};
            } else {
                want = {To8(Sample(x, y, 2, c.bitDepth), c.bitDepth),
                        To8(Sample(x, y, 1, c.bitDepth), c.bitDepth),
                        To8(Sample(x, y, 0, c.bitDepth), c.bitDepth)};
            }
            ASSERT_EQ(PixelAt(img, x, y), want) << "at " << x << "," << y;
            if (c.expectBpp == 32) {  // alpha travels in the fourth byte
                const int alphaChannel = c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 1 : 3;
                ASSERT_EQ(img.Row(h - 1 - y)[4 * x + 3],
                          To8(Sample(x, y, alphaChannel, c.bitDepth), c.bitDepth));
            }
        }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, PngFormats,
                         ::testing::Values(PngCase{"grey1", PNG_COLOR_TYPE_GRAY, 1, false, 1},
                                           PngCase{"grey2", PNG_COLOR_TYPE_GRAY, 2, false, 4},
                                           PngCase{"grey4", PNG_COLOR_TYPE_GRAY, 4, true, 4},
                                           PngCase{"grey8", PNG_COLOR_TYPE_GRAY, 8, false, 8},
                                           PngCase{"grey16", PNG_COLOR_TYPE_GRAY, 16, true, 8},
                                           PngCase{"pal1", PNG_COLOR_TYPE_PALETTE, 1, false, 1},
                                           PngCase{"pal2", PNG_COLOR_TYPE_PALETTE, 2, true, 4},
                                           PngCase{"pal4", PNG_COLOR_TYPE_PALETTE, 4, false, 4},
                                           PngCase{"pal8", PNG_COLOR_TYPE_PALETTE, 8, true, 8},
                                           PngCase{"rgb8", PNG_COLOR_TYPE_RGB, 8, false, 24},
                                           PngCase{"rgb16", PNG_COLOR_TYPE_RGB, 16, true, 24},
                                           PngCase{"greyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 32},
                                           PngCase{"greyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, 32},
                                           PngCase{"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, 32},
                                           PngCase{"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, 32}),
                         [](const auto& info) { return std::string(info.param.name); });

// PngSuite: every interlaced file decodes to the same pixels as its
// non-interlaced twin, in the expected depth.
TEST(PngSuite, InterlacedFilesMatchTheirTwins) {
    const struct {
        const char* stem;
        int bpp;
    } cases[] = {{"0g01", 1},  {"0g02", 4},  {"0g04", 4},  {"0g08", 8},  {"0g16", 8},
                 {"2c08", 24}, {"2c16", 24}, {"3p01", 1},  {"3p02", 4},  {"3p04", 4},
                 {"3p08", 8},  {"4a08", 32}, {"4a16", 32}, {"6a08", 32}, {"6a16", 32}};
    for (const auto& c : cases) {
        TDecoded plain =
            Decode(DecodePng, ReadFileBytes(TestData(std::string("pngsuite/basn") + c.stem + ".png")));
        TDecoded inter =
            Decode(DecodePng, ReadFileBytes(TestData(std::string("pngsuite/basi") + c.stem + ".png")));
        ASSERT_TRUE(plain.ok && inter.ok) << c.stem << ": " << plain.error << inter.error;
        EXPECT_EQ(plain.picture.Image.Bpp(), c.bpp) << c.stem;
        ASSERT_EQ(plain.picture.Image.Width(), 32);
        ASSERT_EQ(inter.picture.Image.Height(), 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(PixelAt(plain.picture.Image, x, y), PixelAt(inter.picture.Image, x, y)) << c.stem;
    }
}

TEST(PngSuite, KnownPixels) {
    // basn0g01: black and white stripes.
    TDecoded bw = Decode(DecodePng, ReadFileBytes(TestData("pngsuite/basn0g01.png")));
    ASSERT_TRUE(bw.ok);
    EXPECT_EQ(PixelAt(bw.picture.Image, 0, 0), (TColorTriple{255, 255, 255}));
    EXPECT_EQ(PixelAt(bw.picture.Image, 31, 31), (TColorTriple{0, 0, 0}));
    // basn2c08: values read with an independent decoder (zlib and the PNG filters).
    TDecoded rgb = Decode(DecodePng, ReadFileBytes(TestData("pngsuite/basn2c08.png")));
    ASSERT_TRUE(rgb.ok);
    EXPECT_EQ(PixelAt(rgb.picture.Image, 0, 0), (TColorTriple{255, 255, 255}));
    EXPECT_EQ(PixelAt(rgb.picture.Image, 31, 0), (TColorTriple{224, 255, 255}));
    EXPECT_EQ(PixelAt(rgb.picture.Image, 0, 31), (TColorTriple{31, 31, 31}));
    EXPECT_EQ(PixelAt(rgb.picture.Image, 17, 9), (TColorTriple{255, 206, 255}));
}

TEST(PngSuite, OddSizesAndAllGoodFilesDecode) {
    int count = 0;
    for (const std::string& file : TestDataFiles("pngsuite", ".png")) {
        const std::string name = std::filesystem::path(file).filename().string();
        TDecoded d = Decode(DecodePng, ReadFileBytes(file));
        if (name[0] == 'x')
            EXPECT_FALSE(d.ok) << name << " is corrupt and must fail";
        else
            EXPECT_TRUE(d.ok && !d.picture.Image.Empty()) << name << ": " << d.error;
        ++count;
    }
    EXPECT_GT(count, 150);
    // s09n3p02: 9 x 9 pixels.
    TDecoded odd = Decode(DecodePng, ReadFileBytes(TestData("pngsuite/s09n3p02.png")));
    ASSERT_TRUE(odd.ok);
    EXPECT_EQ(odd.picture.Image.Width(), 9);
    EXPECT_EQ(odd.picture.Image.Height(), 9);
}

// Rewrites the IHDR size fields (and the chunk's CRC).
Bytes WithSize(Bytes png, std::uint32_t w, std::uint32_t h) {
    for (int k = 0; k < 4; ++k) {
        png[16 + k] = static_cast<std::uint8_t>(w >> (24 - 8 * k));
        png[20 + k] = static_cast<std::uint8_t>(h >> (24 - 8 * k));
    }
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17));
    for (int k = 0; k < 4; ++k) png[29 + k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
    return png;
}

TEST(PngDamaged, FailsCleanly) {
    const Bytes good = MakePng(40, 30, PNG_COLOR_TYPE_RGB, 8, false,
                               [](int x, int y, int c) { return (x * y + c * 50) & 0xFF; });
    ASSERT_TRUE(Decode(DecodePng, good).ok);
    for (double cut : TruncationPoints()) {
        Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * cut));
        EXPECT_FALSE(Decode(DecodePng, part).ok) << "cut at " << cut;
    }
    EXPECT_FALSE(Decode(DecodePng, WithSize(good, 0, 30)).ok);
    EXPECT_FALSE(Decode(DecodePng, WithSize(good, 100000, 30)).ok);
    EXPECT_FALSE(Decode(DecodePng, WithSize(good, 65535, 65535)).ok);  // over the pixel cap
    EXPECT_FALSE(Decode(DecodePng, WithSize(good, 400, 300)).ok);      // too little data
    Bytes corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_FALSE(Decode(DecodePng, corrupt).ok);
    const Bytes gif = ReadFileBytes(TestData("oiio-images/gif_bluedot.gif"));
    TDecoded wrong = Decode(DecodePng, gif);
    EXPECT_FALSE(wrong.ok);
    EXPECT_FALSE(wrong.error.empty());
}

}  // namespace
}  // namespace pm::test
