#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

TEST(PnmReader, BuiltFilesGiveTheirPixels) {
    std::vector<TBuiltFile> cases;
    cases.push_back({"plain bitmap, digits run together",
                     TBytes().Text("P1\n# note\n3 2\n010\n1 1 0").Bytes(),
                     3,
                     2,
                     1,
                     {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0xFFFFFF}});
    cases.push_back({"plain greymap, maxval 1000",
                     TBytes().Text("P2 3 1 1000\n0 500 1000").Bytes(),
                     3,
                     1,
                     8,
                     {0, 0x808080, 0xFFFFFF}});
    cases.push_back({"plain pixmap",
                     TBytes().Text("P3\n2 1\n255\n255 0 0  1 2 3\n").Bytes(),
                     2,
                     1,
                     24,
                     {0xFF0000, 0x010203}});
    cases.push_back({"raw bitmap, padded rows",
                     TBytes().Text("P4\n9 2\n").Raw({0x80, 0x80, 0x7F, 0x00}).Bytes(),
                     9,
                     2,
                     1,
                     {0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0xFFFFFF, 0,
                      0, 0, 0, 0, 0, 0, 0xFFFFFF}});
    cases.push_back({"raw greymap, 16 bits",
                     TBytes().Text("P5 2 1 65535\n").U16BE(0x8000).U16BE(0xFFFF).Bytes(),
                     2,
                     1,
                     8,
                     {0x808080, 0xFFFFFF}});
    cases.push_back({"raw pixmap, maxval 15",
                     TBytes().Text("P6\n1 1\n15\r").Raw({15, 0, 5}).Bytes(),
                     1,
                     1,
                     24,
                     {0xFF0055}});
    ExpectBuiltFiles(DecodePnm, cases);
}

// Files that hold the same picture in different forms decode alike.
TEST(PnmReader, PlainRawAndSixteenBitFormsAgree) {
    const char* groups[][3] = {
        {"pillow/hopper_8bit.ppm", "pillow/hopper_8bit_plain.ppm", nullptr},
        {"pillow/hopper_8bit.pgm", "pillow/hopper_8bit_plain.pgm", "pillow/hopper_16bit.pgm"},
        {"pillow/hopper_16bit_plain.pgm", "pillow/hopper_8bit.pgm", nullptr},
        {"pillow/hopper_1bit.pbm", "pillow/hopper_1bit_plain.pbm", nullptr},
    };
    for (const auto& g : groups) {
        SCOPED_TRACE(g[0]);
        const TDecodeResult first = DecodeTestFile(DecodePnm, g[0]);
        ASSERT_TRUE(first.ok) << first.error;
        for (int k = 1; k < 3 && g[k]; ++k) {
            const TDecodeResult other = DecodeTestFile(DecodePnm, g[k]);
            ASSERT_TRUE(other.ok) << other.error;
            EXPECT_EQ(CountRgbDifferences(first.picture.Image, other.picture.Image), 0) << g[k];
        }
    }
}

TEST(PnmReader, PixmapMatchesThePngOfTheSamePicture) {
    const TDecodeResult r = DecodeTestFile(DecodePnm, "pillow/hopper_8bit.ppm");
    ASSERT_TRUE(r.ok) << r.error;
    TRgbaImage ref;
    ASSERT_TRUE(ReadPngReference(TestDataPath("pillow/hopper.png"), ref));
    EXPECT_EQ(CountRgbDifferences(r.picture.Image, ref), 0);
}

TEST(PnmReader, DamagedFilesFailCleanly) {
    const char* texts[] = {
        "",
        "P7\n1 1\n255\n",
        "P6\n",
        "P6 1 1 0\n\1\1\1",
        "P5 1 1 65536\n\1\1",
        "P6 0 5 255\n",
        "P5 2 2 255\n\1\2\3",
        "P2 2 1 255\n1 x",
        "P3 1 1 255\n1 2",
        "P6 99999 99999 255\n\0",
        "P1 2 1\n1 2",
        "P4 8 2\n\1",
        "P2 1 1 255 99999999999",
    };
    std::vector<TBadFile> cases;
    for (const char* t : texts) cases.push_back({t, TBytes().Text(t).Bytes()});
    ExpectAllFail(DecodePnm, cases);
    const TDecodeResult neg = DecodeTestFile(DecodePnm, "pillow/negative_size.ppm");
    EXPECT_FALSE(neg.ok);
}

}  // namespace
}  // namespace pm::test
