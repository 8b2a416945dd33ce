#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

// Header, empty resources and layers, then the compression word.
TBytes PsdStart(int channels, int height, int width, int depth, int mode,
                const std::vector<std::uint8_t>& modeData, int compression, int version = 1) {
    TBytes b;
    b.Text("8BPS").U16BE(version).Zeros(6).U16BE(channels).U32BE(height).U32BE(width).U16BE(depth).U16BE(
        mode);
    b.U32BE(static_cast<std::uint32_t>(modeData.size())).Append(modeData).U32BE(0);
    if (version == 2)
        b.U32BE(0).U32BE(0);
    else
        b.U32BE(0);
    b.U16BE(compression);
    return b;
}

struct PsdFile {
    const char* file;
    int width, height, bpp;
    std::uint32_t topLeft;
};

TEST(PsdReader, PublicFilesGiveTheMergedImage) {
    const PsdFile files[] = {
        {"psd-fixtures/green-1x1.psd", 1, 1, 24, 0x00FF00},
        {"psd-fixtures/two-layers-red-green-1x1.psd", 1, 1, 24, 0xFF0000},
        {"psd-fixtures/one-channel-1x1.psd", 1, 1, 8, 0},
        {"psd-fixtures/rle-3-layer-8x8.psd", 8, 8, 24, 0},
        {"psd-fixtures/16x16-rle-partially-opaque.psd", 16, 16, 32, 0},
        {"pillow/rgba.psd", 100, 100, 32, 0},
        {"pillow/five_channels.psd", 1, 1, 24, 0},
    };
    for (const PsdFile& f : files) {
        SCOPED_TRACE(f.file);
        const TDecodeResult r = DecodeTestFile(DecodePsd, f.file);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.picture.Image.Width(), f.width);
        EXPECT_EQ(r.picture.Image.Height(), f.height);
        EXPECT_EQ(r.picture.Image.Bpp(), f.bpp);
        if (f.topLeft) {
            EXPECT_EQ(Rgb(r.picture.Image, 0, 0), f.topLeft);
        }
    }
    // The top layer's right pixel is blue and shows in the merged image.
    const TDecodeResult t = DecodeTestFile(DecodePsd, "psd-fixtures/transparent-top-layer-2x1.psd");
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(Rgb(t.picture.Image, 1, 0), 0x0000FFu);
}

TEST(PsdReader, RunLengthAndLayeredFilesAgree) {
    const TDecodeResult a = DecodeTestFile(DecodePsd, "pillow/hopper.psd");
    const TDecodeResult b = DecodeTestFile(DecodePsd, "pillow/hopper_merged.psd");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.picture.Image.Width(), 128);
    EXPECT_EQ(CountRgbDifferences(a.picture.Image, b.picture.Image), 0);
}

TEST(PsdReader, BuiltFilesGiveTheirPixels) {
    std::vector<TBuiltFile> cases;
    {  // RGB PackBits: a repeat run and a literal run per row.
        TBytes b = PsdStart(3, 2, 2, 8, 3, {}, 1);
        const std::vector<std::vector<std::uint8_t>> rows = {{0xFF, 10},     {0x01, 11, 12}, {0xFF, 20},
                                                             {0x01, 21, 22}, {0xFF, 30},     {0x01, 31, 32}};
        for (const auto& r : rows) b.U16BE(static_cast<unsigned>(r.size()));
        for (const auto& r : rows) b.Append(r);
        cases.push_back({"RGB PackBits", b.Bytes(), 2, 2, 24, {0x0A141E, 0x0A141E, 0x0B151F, 0x0C1620}});
    }
    {  // Large-document variant: four-byte row counts.
        TBytes b = PsdStart(1, 1, 3, 8, 1, {}, 1, 2);
        b.U32BE(2).Raw({0xFE, 99});
        cases.push_back({"large document", b.Bytes(), 3, 1, 8, {0x636363, 0x636363, 0x636363}});
    }
    {  // 16-bit CMYK, stored inverted: full cyan ink over half black.
        TBytes b = PsdStart(4, 1, 1, 16, 4, {}, 0);
        b.U16BE(0).U16BE(0xFFFF).U16BE(0xFFFF).U16BE(0x8080);
        cases.push_back({"16-bit CMYK", b.Bytes(), 1, 1, 24, {0x008080}});
    }
    {  // Indexed with its palette as three planes.
        std::vector<std::uint8_t> palette(768);
        for (int i = 0; i < 256; ++i) {
            palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
            palette[static_cast<std::size_t>(512 + i)] = static_cast<std::uint8_t>(255 - i);
        }
        TBytes b = PsdStart(1, 1, 2, 8, 2, palette, 0);
        b.Raw({3, 200});
        cases.push_back({"indexed", b.Bytes(), 2, 1, 8, {0x0300FC, 0xC80037}});
    }
    {  // Bitmap mode: a set bit is black.
        TBytes b = PsdStart(1, 1, 9, 1, 0, {}, 0);
        b.Raw({0x80, 0x80});
        const std::uint32_t w = 0xFFFFFF;
        cases.push_back({"bitmap", b.Bytes(), 9, 1, 1, {0, w, w, w, w, w, w, w, 0}});
    }
    ExpectBuiltFiles(DecodePsd, cases);
}

TEST(PsdReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
    cases.push_back({"not Photoshop", TBytes().Text("8BPX").Zeros(40).Bytes()});
    cases.push_back({"zero width", PsdStart(3, 1, 0, 8, 3, {}, 0).Bytes()});
    cases.push_back({"huge", PsdStart(3, 300000, 300000, 8, 3, {}, 0).Zeros(100).Bytes()});
    cases.push_back({"no channels", PsdStart(0, 1, 1, 8, 1, {}, 0).Zeros(4).Bytes()});
    cases.push_back({"too few channels for RGB", PsdStart(2, 1, 1, 8, 3, {}, 0).Zeros(4).Bytes()});
    cases.push_back({"Lab", PsdStart(3, 1, 1, 8, 9, {}, 0).Zeros(4).Bytes()});
    cases.push_back({"32-bit floats", PsdStart(1, 1, 1, 32, 1, {}, 0).Zeros(4).Bytes()});
    cases.push_back({"zip compression", PsdStart(1, 1, 1, 8, 1, {}, 2).Zeros(4).Bytes()});
    cases.push_back({"indexed without palette", PsdStart(1, 1, 1, 8, 2, {}, 0).Zeros(4).Bytes()});
    cases.push_back({"truncated raw data", PsdStart(3, 2, 2, 8, 3, {}, 0).Zeros(11).Bytes()});
    cases.push_back({"run past the row", PsdStart(1, 1, 2, 8, 1, {}, 1).U16BE(2).Raw({0xFD, 1}).Bytes()});
    cases.push_back(
        {"row count past the end", PsdStart(1, 1, 2, 8, 1, {}, 1).U16BE(200).Raw({0xFF, 1}).Bytes()});
    cases.push_back({"merged image missing", PsdStart(1, 1, 2, 8, 1, {}, 0).Bytes()});
    cases.back().bytes.resize(cases.back().bytes.size() - 2);
    cases.push_back({"combined_larger_than_size.psd",
                     ReadFileBytes(TestDataPath("pillow/combined_larger_than_size.psd"))});
    ExpectAllFail(DecodePsd, cases);
}

}  // namespace
}  // namespace pm::test
