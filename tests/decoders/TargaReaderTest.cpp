#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

// The 18-byte header.
TBytes TgaHeader(int type, int width, int height, int bits, int descriptor, int mapType = 0, int mapFirst = 0,
                 int mapLength = 0, int mapBits = 0, int idLength = 0) {
    TBytes b;
    b.U8(idLength).U8(mapType).U8(type).U16LE(mapFirst).U16LE(mapLength).U8(mapBits);
    b.U16LE(0).U16LE(0).U16LE(width).U16LE(height).U8(bits).U8(descriptor);
    return b;
}

struct TgaReference {
    const char* file;
    const char* png;
};

class TargaConformance : public ::testing::TestWithParam<TgaReference> {};

TEST_P(TargaConformance, MatchesReferencePng) {
    const TgaReference& c = GetParam();
    const TDecodeResult r = DecodeTestFile(DecodeTarga, c.file);
    ASSERT_TRUE(r.ok) << r.error;
    TRgbaImage ref;
    ASSERT_TRUE(ReadPngReference(TestDataPath(c.png), ref));
    EXPECT_EQ(CountRgbDifferences(r.picture.Image, ref), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TargaConformance,
    ::testing::Values(
        TgaReference{"tga-ftrvxmtrx/monochrome8_bottom_left.tga", "tga-ftrvxmtrx/monochrome8.png"},
        TgaReference{"tga-ftrvxmtrx/monochrome8_bottom_left_rle.tga", "tga-ftrvxmtrx/monochrome8.png"},
        TgaReference{"tga-ftrvxmtrx/monochrome16_top_left.tga", "tga-ftrvxmtrx/monochrome16.png"},
        TgaReference{"tga-ftrvxmtrx/monochrome16_top_left_rle.tga", "tga-ftrvxmtrx/monochrome16.png"},
        TgaReference{"tga-ftrvxmtrx/rgb24_bottom_left_rle.tga", "tga-ftrvxmtrx/rgb24.0.png"},
        TgaReference{"tga-ftrvxmtrx/rgb24_top_left.tga", "tga-ftrvxmtrx/rgb24.0.png"},
        TgaReference{"tga-ftrvxmtrx/rgb24_top_left_colormap.tga", "tga-ftrvxmtrx/rgb24.1.png"},
        TgaReference{"tga-ftrvxmtrx/rgb32_bottom_left.tga", "tga-ftrvxmtrx/rgb32.0.png"},
        TgaReference{"tga-ftrvxmtrx/rgb32_top_left_rle.tga", "tga-ftrvxmtrx/rgb32.0.png"},
        TgaReference{"tga-ftrvxmtrx/rgb32_top_left_rle_colormap.tga", "tga-ftrvxmtrx/rgb32.1.png"},
        TgaReference{"pillow/tga/common/1x1_l_bl_raw.tga", "pillow/tga/common/1x1_l.png"},
        TgaReference{"pillow/tga/common/1x1_l_tl_rle.tga", "pillow/tga/common/1x1_l.png"},
        TgaReference{"pillow/tga/common/200x32_l_tl_rle.tga", "pillow/tga/common/200x32_l.png"},
        TgaReference{"pillow/tga/common/200x32_la_bl_rle.tga", "pillow/tga/common/200x32_la.png"},
        TgaReference{"pillow/tga/common/200x32_la_tl_raw.tga", "pillow/tga/common/200x32_la.png"},
        TgaReference{"pillow/tga/common/200x32_p_bl_rle.tga", "pillow/tga/common/200x32_p.png"},
        TgaReference{"pillow/tga/common/200x32_p_tl_raw.tga", "pillow/tga/common/200x32_p.png"},
        TgaReference{"pillow/tga/common/200x32_rgb_bl_raw.tga", "pillow/tga/common/200x32_rgb.png"},
        TgaReference{"pillow/tga/common/200x32_rgb_tl_rle.tga", "pillow/tga/common/200x32_rgb.png"},
        TgaReference{"pillow/tga/common/200x32_rgba_bl_rle.tga", "pillow/tga/common/200x32_rgba.png"},
        TgaReference{"pillow/tga/common/200x32_rgba_tl_raw.tga", "pillow/tga/common/200x32_rgba.png"},
        TgaReference{"pillow/200x32_p_bl_raw_origin.tga", "pillow/tga/common/200x32_p.png"}),
    [](const auto& info) { return FileCaseName(info.param.file); });

TEST(TargaReader, OriginBitsMirrorTheSamePixelData) {
    const TDecodeResult plain = DecodeTestFile(DecodeTarga, "pillow/rgb32rle.tga");
    const TDecodeResult right = DecodeTestFile(DecodeTarga, "pillow/rgb32rle_bottom_right.tga");
    const TDecodeResult topRight = DecodeTestFile(DecodeTarga, "pillow/rgb32rle_top_right.tga");
    ASSERT_TRUE(plain.ok && right.ok && topRight.ok);
    const TFastDIB& a = plain.picture.Image;
    const int w = a.Width(), h = a.Height();
    for (int y = 0; y < h; y += 7)
        for (int x = 0; x < w; x += 5) {
            ASSERT_EQ(Rgb(right.picture.Image, w - 1 - x, y), Rgb(a, x, y));
            ASSERT_EQ(Rgb(topRight.picture.Image, w - 1 - x, h - 1 - y), Rgb(a, x, y));
        }
}

// Small files built here, with the pixels they must give.
std::vector<TBuiltFile> SyntheticCases() {
    std::vector<TBuiltFile> cases;
    {  // Colour map of 15-bit entries starting at index 2; index 1 lies outside it.
        TBytes b = TgaHeader(1, 3, 1, 8, 0x20, 1, 2, 2, 15);
        b.U16LE(0x7C00).U16LE(0x03E0);  // red, green
        b.Raw({2, 3, 1});
        cases.push_back({"mapped 15-bit entries", b.Bytes(), 3, 1, 8, {0xFF0000, 0x00FF00, 0x000000}});
    }
    {  // 16-bit indices into a 24-bit map go to 24 bits per pixel.
        TBytes b = TgaHeader(1, 2, 1, 16, 0x20, 1, 0, 300, 24);
        for (int i = 0; i < 300; ++i) b.Raw({unsigned(i & 0xFF), unsigned(i >> 8), 7});
        b.U16LE(299).U16LE(1);
        cases.push_back({"16-bit indices", b.Bytes(), 2, 1, 24, {0x07012B, 0x070001}});
    }
    {  // A run crossing from the first line into the second, stored right to
       // left from the top.
        TBytes b = TgaHeader(11, 3, 2, 8, 0x30);
        b.Raw({0x83, 50}).Raw({0x01, 60, 70});
        cases.push_back({"grey run across lines, right to left",
                         b.Bytes(),
                         3,
                         2,
                         8,
                         {0x323232, 0x323232, 0x323232, 0x464646, 0x3C3C3C, 0x323232}});
    }
    {  // Bottom-up 24-bit raw: the first stored line is the bottom one.
        TBytes b = TgaHeader(2, 1, 2, 24, 0);
        b.Raw({1, 2, 3, 4, 5, 6});
        cases.push_back({"24-bit bottom-up", b.Bytes(), 1, 2, 24, {0x060504, 0x030201}});
    }
    {  // An image ID and an unused colour map in a true-colour file are skipped.
        TBytes b = TgaHeader(10, 2, 1, 32, 0x28, 1, 0, 2, 24, 3);
        b.Text("abc").Zeros(6).Raw({0x81, 10, 20, 30, 0});
        cases.push_back({"32-bit RLE after ID and map", b.Bytes(), 2, 1, 32, {0x1E140A, 0x1E140A}});
    }
    return cases;
}

TEST(TargaReader, BuiltFilesGiveTheirPixels) {
    ExpectBuiltFiles(DecodeTarga, SyntheticCases());
}

TEST(TargaReader, SixteenBitPixelsStayFiveFiveFive) {
    TBytes b = TgaHeader(2, 2, 1, 16, 0x20);
    b.U16LE(0x7C00).U16LE(0x801F);  // red; blue with the attribute bit set
    const TDecodeResult r = DecodeBytes(DecodeTarga, b.Bytes());
    ASSERT_TRUE(r.ok) << r.error;
    TFastDIB img = r.picture.Image;
    ASSERT_EQ(img.Bpp(), 16);
    const std::uint8_t* row = img.Row(0);
    EXPECT_EQ(row[0] | (row[1] << 8), 0x7C00);
    EXPECT_EQ(row[2] | (row[3] << 8), 0x001F);
    ASSERT_TRUE(ConvertDepth(img, 24));
    EXPECT_EQ(Rgb(img, 0, 0), 0xFF0707u);
    EXPECT_EQ(Rgb(img, 1, 0), 0x0707FFu);
}

// A colour map of 8-bit entries holds grey levels.
TEST(TargaReader, EightBitMapEntriesAreGreyLevels) {
    const auto bytes = TgaHeader(1, 2, 1, 8, 0x20, 1, 0, 2, 8).Raw({0x40, 0xC0, 1, 0}).Bytes();
    const TDecodeResult r = DecodeBytes(DecodeTarga, bytes);
    ASSERT_TRUE(r.ok) << r.error;
    const TFastDIB& d = r.picture.Image;
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0xC0, 0xC0, 0xC0}));
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{0x40, 0x40, 0x40}));
}

TEST(TargaReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"short header", TgaHeader(2, 1, 1, 24, 0).Bytes()});
    cases.back().bytes.resize(10);
    cases.push_back({"zero width", TgaHeader(2, 0, 5, 24, 0).Zeros(30).Bytes()});
    cases.push_back({"unknown type", TgaHeader(32, 1, 1, 24, 0).Zeros(3).Bytes()});
    cases.push_back({"bad depth", TgaHeader(2, 1, 1, 12, 0).Zeros(3).Bytes()});
    cases.push_back({"mapped without map", TgaHeader(1, 1, 1, 8, 0).Zeros(1).Bytes()});
    cases.push_back({"truncated raw data", TgaHeader(2, 4, 4, 24, 0).Zeros(47).Bytes()});
    cases.push_back({"huge and nearly empty", TgaHeader(2, 65535, 65535, 32, 0).Zeros(16).Bytes()});
    cases.push_back({"run past the last pixel", TgaHeader(10, 2, 1, 24, 0).Raw({0x82, 1, 2, 3}).Bytes()});
    cases.push_back({"truncated run", TgaHeader(10, 2, 1, 24, 0).Raw({0x81, 1, 2}).Bytes()});
    cases.push_back({"truncated colour map", TgaHeader(1, 1, 1, 8, 0, 1, 0, 256, 24).Zeros(100).Bytes()});
    cases.push_back({"cross_scan_line_truncated.tga",
                     ReadFileBytes(TestDataPath("pillow/cross_scan_line_truncated.tga"))});
    cases.push_back({"p_8.tga", ReadFileBytes(TestDataPath("pillow/p_8.tga"))});
    ExpectAllFail(DecodeTarga, cases);
}

}  // namespace
}  // namespace pm::test
