#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

TBytes SgiHeader(int storage, int bpc, int dimension, int x, int y, int z, int colormap = 0) {
    TBytes b;
    b.U16BE(474).U8(storage).U8(bpc).U16BE(dimension).U16BE(x).U16BE(y).U16BE(z);
    b.U32BE(0).U32BE(255).Zeros(4).Zeros(80).U32BE(colormap).PadTo(512);
    return b;
}

// A run-length file whose rows are given per channel, bottom row first.
std::vector<std::uint8_t> SgiRle(int bpc, int x, int y, int z,
                                 const std::vector<std::vector<std::uint8_t>>& rows) {
    TBytes b = SgiHeader(1, bpc, 3, x, y, z);
    std::uint32_t offset = 512 + static_cast<std::uint32_t>(rows.size()) * 8;
    for (const auto& r : rows) {
        b.U32BE(offset);
        offset += static_cast<std::uint32_t>(r.size());
    }
    for (const auto& r : rows) b.U32BE(static_cast<std::uint32_t>(r.size()));
    for (const auto& r : rows) b.Append(r);
    return b.Bytes();
}

TEST(SgiReader, PublicFilesMatchThePortablePixmapOfTheSamePicture) {
    const TDecodeResult ppm = DecodeTestFile(DecodePnm, "pillow/hopper.ppm");
    ASSERT_TRUE(ppm.ok) << ppm.error;
    for (const char* file : {"pillow/hopper.sgi", "pillow/hopper.rgb"}) {
        SCOPED_TRACE(file);
        const TDecodeResult r = DecodeTestFile(DecodeSgi, file);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.picture.Image.Bpp(), 24);
        ASSERT_EQ(r.picture.Image.Width(), 128);
        ASSERT_EQ(r.picture.Image.Height(), 128);
        EXPECT_EQ(CountRgbDifferences(r.picture.Image, ppm.picture.Image), 0);
    }
}

TEST(SgiReader, SixteenBitChannelsScaleToEightBits) {
    const TDecodeResult r8 = DecodeTestFile(DecodeSgi, "pillow/hopper.rgb");
    const TDecodeResult r16 = DecodeTestFile(DecodeSgi, "pillow/hopper16.rgb");
    ASSERT_TRUE(r8.ok && r16.ok);
    int worst = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const std::uint32_t a = Rgb(r8.picture.Image, x, y), b = Rgb(r16.picture.Image, x, y);
            for (int s = 0; s < 24; s += 8)
                worst = std::max(worst, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
        }
    EXPECT_LE(worst, 1);
}

TEST(SgiReader, BuiltFilesGiveTheirPixels) {
    std::vector<TBuiltFile> cases;
    // RLE RGB, two rows, the first stored row is the bottom line.
    cases.push_back({"RLE RGB",
                     SgiRle(1, 2, 2, 3,
                            {{0x02, 10, 0},
                             {0x81, 11, 0x81, 12, 0},
                             {0x02, 20, 0},
                             {0x02, 21, 0},
                             {0x02, 30, 0},
                             {0x82, 31, 32, 0}}),
                     2,
                     2,
                     24,
                     {0x0B151F, 0x0C1520, 0x0A141E, 0x0A141E}});
    cases.push_back({"verbatim 16-bit grey",
                     SgiHeader(0, 2, 2, 3, 1, 1).U16BE(0).U16BE(0xFFFF).U16BE(0x8080).Bytes(),
                     3,
                     1,
                     8,
                     {0x000000, 0xFFFFFF, 0x808080}});
    cases.push_back({"16-bit run-length words",
                     SgiRle(2, 2, 1, 1, {{0x00, 0x82, 0x12, 0x34, 0xFF, 0xFF, 0, 0}}),
                     2,
                     1,
                     8,
                     {0x121212, 0xFFFFFF}});
    ExpectBuiltFiles(DecodeSgi, cases);
    {  // Four verbatim channels keep alpha as the fourth byte.
        TBytes b = SgiHeader(0, 1, 3, 1, 1, 4);
        b.Raw({1, 2, 3, 4});
        const TDecodeResult r = DecodeBytes(DecodeSgi, b.Bytes());
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.picture.Image.Bpp(), 32);
        const std::uint8_t* p = r.picture.Image.Row(0);
        EXPECT_EQ(p[0], 3);
        EXPECT_EQ(p[1], 2);
        EXPECT_EQ(p[2], 1);
        EXPECT_EQ(p[3], 4);
    }
}

TEST(SgiReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
    cases.push_back({"bad magic", TBytes().U16BE(475).Zeros(600).Bytes()});
    cases.push_back({"short header", SgiHeader(0, 1, 2, 1, 1, 1).Bytes()});
    cases.back().bytes.resize(300);
    cases.push_back({"zero width", SgiHeader(0, 1, 2, 0, 1, 1).Zeros(10).Bytes()});
    cases.push_back({"three bytes per channel", SgiHeader(0, 3, 2, 1, 1, 1).Zeros(10).Bytes()});
    cases.push_back({"colour map file", SgiHeader(0, 1, 2, 1, 1, 1, 3).Zeros(10).Bytes()});
    cases.push_back({"truncated verbatim", SgiHeader(0, 1, 3, 4, 4, 3).Zeros(47).Bytes()});
    cases.push_back({"row overruns width", SgiRle(1, 2, 1, 1, {{0x03, 7, 0}})});
    cases.push_back({"row stops short", SgiRle(1, 3, 1, 1, {{0x02, 7, 0}})});
    cases.push_back({"row runs off its data", SgiRle(1, 3, 1, 1, {{0x83, 7}})});
    {
        auto bytes = SgiRle(1, 2, 1, 1, {{0x02, 7, 0}});
        bytes[515] = 0xFF;  // offset far behind the end
        cases.push_back({"row outside the file", bytes});
    }
    cases.push_back({"huge with tiny tables", SgiHeader(1, 1, 3, 65535, 65535, 3).Zeros(64).Bytes()});
    for (const char* f : {"pillow/crash-6b7f2244da6d0ae297ee0754a424213444e92778.sgi",
                          "pillow/crash-754d9c7ec485ffb76a90eeaab191ef69a2a3a3cd.sgi",
                          "pillow/ossfuzz-5730089102868480.sgi", "pillow/sgi_overrun_expandrowF04.sgi"})
        cases.push_back({f, ReadFileBytes(TestDataPath(f))});
    ExpectAllFail(DecodeSgi, cases);
}

}  // namespace
}  // namespace pm::test
