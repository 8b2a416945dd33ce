#include "imaging/DibFormat.h"
#include "imaging/FastDIB.h"
#include "support/BmpBuilder.h"
#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pm {
namespace {

using test::BmpLayout;
using test::MakeBmp;

std::uint32_t Get32LE(const std::vector<std::uint8_t>& s, std::size_t at) {
    return s[at] | (s[at + 1] << 8) | (s[at + 2] << 16) | (std::uint32_t(s[at + 3]) << 24);
}

void ExpectSame(const TFastDIB& a, const TFastDIB& b) {
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.Bpp(), b.Bpp());
    EXPECT_EQ(a.Info().biCompression, b.Info().biCompression);
    EXPECT_EQ(a.Info().biClrUsed, b.Info().biClrUsed);
    EXPECT_EQ(a.Info().biXPelsPerMeter, b.Info().biXPelsPerMeter);
    EXPECT_EQ(a.Stride(), b.Stride());
    EXPECT_EQ(a.RMask(), b.RMask());
    EXPECT_EQ(a.GMask(), b.GMask());
    EXPECT_EQ(a.BMask(), b.BMask());
    EXPECT_EQ(std::memcmp(a.Colors().data(), b.Colors().data(), sizeof(TRGBQuad) * 256), 0);
    ASSERT_EQ(a.Size(), b.Size());
    EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), a.Size()), 0);
}

TEST(BmpSave, HeadersAndColourTableSizePerDepth) {
    struct Case {
        int bpp;
        std::size_t table;
    } cases[] = {{1, 8}, {4, 64}, {8, 1024}, {16, 0}, {24, 0}, {32, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpp);
        TFastDIB d = test::RandomDib(3, 2, c.bpp, 1);
        std::vector<std::uint8_t> s;
        d.SaveToStream(s);
        ASSERT_EQ(s.size(), 54 + c.table + d.Size());
        EXPECT_EQ(s[0], 'B');
        EXPECT_EQ(s[1], 'M');
        EXPECT_EQ(Get32LE(s, 2), s.size());
        EXPECT_EQ(Get32LE(s, 6), 0u);
        EXPECT_EQ(Get32LE(s, 10), 54 + c.table);
        EXPECT_EQ(Get32LE(s, 14), 40u);
        EXPECT_EQ(Get32LE(s, 18), 3u);
        EXPECT_EQ(Get32LE(s, 22), 2u);
        EXPECT_EQ(s[26], 1);
        EXPECT_EQ(s[28], c.bpp);
        EXPECT_EQ(Get32LE(s, 34), d.Size());
        EXPECT_EQ(std::memcmp(s.data() + 54 + c.table, d.Bits(), d.Size()), 0);
    }
}

TEST(BmpSave, ColoursUsedAndBitFieldsDecideTheTable) {
    // 4 bits with 12 colours in use: 48 bytes; bit fields: the 12 mask bytes.
    auto pal4 = MakeBmp({.width = 2,
                         .height = 1,
                         .bpp = 4,
                         .sizeImage = 4,
                         .colorsUsed = 12,
                         .palette = std::vector<std::uint32_t>(12, 0x112233),
                         .pixels = {0x12, 0, 0, 0}});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(pal4));
    std::vector<std::uint8_t> s;
    d.SaveToStream(s);
    EXPECT_EQ(Get32LE(s, 10), 54u + 48u);
    EXPECT_EQ(s, pal4);

    auto bf = MakeBmp({.width = 1,
                       .height = 1,
                       .bpp = 16,
                       .compression = 3,
                       .sizeImage = 4,
                       .masks = {0xF800, 0x07E0, 0x001F},
                       .pixels = {0xFF, 0xFF, 0, 0}});
    ASSERT_TRUE(d.LoadFromStream(bf));
    d.SaveToStream(s);
    EXPECT_EQ(Get32LE(s, 10), 66u);
    EXPECT_EQ(s, bf);
}

TEST(BmpRoundTrip, SaveThenLoadGivesTheSameBitmapForEveryDepth) {
    for (int bpp : {1, 4, 8, 16, 24, 32})
        for (int w : {1, 2, 3, 7, 33}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, width " << w);
            TFastDIB d = test::RandomDib(w, 5, bpp, unsigned(bpp * 100 + w));
            std::vector<std::uint8_t> s;
            d.SaveToStream(s);
            TFastDIB back;
            ASSERT_TRUE(back.LoadFromStream(s));
            ExpectSame(back, d);
        }
}

TEST(BmpLoad, CoreHeaderBringsSizeDepthAndPalette) {
    auto bytes = MakeBmp({.headerSize = 12,
                          .width = 3,
                          .height = 2,
                          .bpp = 1,
                          .palette = {0x0000FF, 0x00FF00},
                          .pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0}});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(bytes));
    EXPECT_EQ(d.Width(), 3);
    EXPECT_EQ(d.Height(), 2);
    EXPECT_EQ(d.Bpp(), 1);
    EXPECT_EQ(d.Info().biSize, 40u);
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0, 0xFF, 0}));  // bit 1: the second entry, blue first
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{0xFF, 0, 0}));
    EXPECT_EQ(d.GetPixel(0, 2), (TColorTriple{0, 0xFF, 0}));
    EXPECT_EQ(d.GetPixel(1, 1), (TColorTriple{0, 0xFF, 0}));
    EXPECT_EQ(d.Colors()[2].g, 0);  // only 2^depth entries are read
}

TEST(BmpLoad, TopDownRowsAreStoredBottomUp) {
    // Height -2: the first row in the file is the top line.
    auto bytes = MakeBmp({.width = 1, .height = -2, .pixels = {1, 1, 1, 0, 2, 2, 2, 0}});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(bytes));
    EXPECT_EQ(d.Height(), 2);
    EXPECT_EQ(d.GetPixel(1, 0).r, 1);
    EXPECT_EQ(d.GetPixel(0, 0).r, 2);
}

TEST(BmpLoad, LargerHeadersPalettesAndMasks) {
    // A 124-byte header: the palette follows the whole header.
    auto v5 = MakeBmp({.headerSize = 124,
                       .width = 1,
                       .height = 1,
                       .bpp = 8,
                       .colorsUsed = 2,
                       .palette = {0x000000, 0x445566},
                       .pixels = {1, 0, 0, 0}});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(v5));
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0x66, 0x55, 0x44}));

    // Bit fields inside a 108-byte header, channels in an unusual order.
    auto v4 = MakeBmp({.headerSize = 108,
                       .width = 1,
                       .height = 1,
                       .bpp = 32,
                       .compression = 3,
                       .masks = {0x000000FF, 0xFF000000, 0x00FF0000},
                       .pixels = {0x11, 0x22, 0x33, 0x44}});
    ASSERT_TRUE(d.LoadFromStream(v4));
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0x33, 0x44, 0x11}));
    ASSERT_TRUE(ConvertDepth(d, 24));
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0x33, 0x44, 0x11}));

    // A 16-byte OS/2 2.x header: width, height, planes, depth only.
    auto os2 = MakeBmp({.headerSize = 16,
                        .width = 2,
                        .height = 1,
                        .bpp = 4,
                        .palette = std::vector<std::uint32_t>(16, 0x010203),
                        .pixels = {0x00, 0, 0, 0}});
    ASSERT_TRUE(d.LoadFromStream(os2));
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{3, 2, 1}));
}

TEST(BmpLoad, PaletteStopsAtThePixelDataAndTheDeclaredCount) {
    // Two colours declared: entries 2.. are black, not pixel bytes.
    auto bytes = MakeBmp({.width = 4,
                          .height = 1,
                          .bpp = 8,
                          .colorsUsed = 2,
                          .palette = {0x0A0B0C, 0x0D0E0F},
                          .pixels = {0, 1, 2, 3}});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(bytes));
    EXPECT_EQ(d.Info().biClrUsed, 2u);
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{0x0F, 0x0E, 0x0D}));
    EXPECT_EQ(d.GetPixel(0, 2), (TColorTriple{0, 0, 0}));
    EXPECT_EQ(d.GetPixel(0, 3), (TColorTriple{0, 0, 0}));
    // A core header with a short palette (offset right after 2 entries).
    auto core = MakeBmp({.headerSize = 12,
                         .width = 4,
                         .height = 1,
                         .bpp = 8,
                         .palette = {0x0A0B0C, 0x0D0E0F},
                         .pixels = {0, 1, 2, 3}});
    ASSERT_TRUE(d.LoadFromStream(core));
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{0x0F, 0x0E, 0x0D}));
    EXPECT_EQ(d.GetPixel(0, 3), (TColorTriple{0, 0, 0}));
}

TEST(BmpLoad, PackedDibWithoutFileHeader) {
    auto bytes = MakeBmp({.width = 2,
                          .height = 1,
                          .bpp = 4,
                          .colorsUsed = 2,
                          .palette = {0, 0xFFFFFF},
                          .pixels = {0x01, 0, 0, 0},
                          .fileHeader = false});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromPackedDIB(bytes.data(), bytes.size(), {}, nullptr));
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0, 0, 0}));
    EXPECT_EQ(d.GetPixel(0, 1), (TColorTriple{255, 255, 255}));
    auto bf = MakeBmp({.width = 1,
                       .height = 1,
                       .bpp = 16,
                       .compression = 3,
                       .masks = {0xF800, 0x07E0, 0x001F},
                       .pixels = {0x1F, 0x00, 0, 0},
                       .fileHeader = false});
    ASSERT_TRUE(d.LoadFromPackedDIB(bf.data(), bf.size(), {}, nullptr));
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{255, 0, 0}));
}

TEST(BmpLoad, ShortPixelAreaZeroFilledOrRefused) {
    // 2 rows of 4 bytes each, but only 5 bytes present.
    auto bytes = MakeBmp({.width = 1, .height = 2, .pixels = {1, 2, 3, 0, 4}});
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(bytes));
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{1, 2, 3}));
    EXPECT_EQ(d.GetPixel(1, 0), (TColorTriple{4, 0, 0}));

    TBmpReadOptions strict;
    strict.RequireAllPixels = true;
    std::string error;
    d.Clear();
    EXPECT_FALSE(d.LoadFromStream(bytes.data(), bytes.size(), strict, &error));
    EXPECT_EQ(error, "Pixel data truncated");
    EXPECT_TRUE(d.Empty());
    // The padding of the last row may be missing.
    auto noPad = MakeBmp({.width = 1, .height = 2, .pixels = {1, 2, 3, 0, 4, 5, 6}});
    EXPECT_TRUE(d.LoadFromStream(noPad.data(), noPad.size(), strict, &error));
    EXPECT_EQ(d.GetPixel(1, 0), (TColorTriple{4, 5, 6}));
}

TEST(BmpLoad, HostileHeadersAreRejected) {
    struct Case {
        const char* what;
        BmpLayout layout;
        const char* error;
    } cases[] = {
        {"header size 66", {.headerSize = 66}, "Unknown bitmap header"},
        {"header size 0", {.headerSize = 0}, "Unknown bitmap header"},
        {"huge header size", {.headerSize = 0xFFFFFFF0u}, "Unknown bitmap header"},
        {"depth 30000", {.bpp = 30000}, "Unsupported bit depth"},
        {"depth 2", {.bpp = 2}, "Unsupported bit depth"},
        {"depth 64", {.bpp = 64}, "Unsupported bit depth"},
        {"negative width", {.width = -1}, "Bad image width"},
        {"zero width", {.width = 0}, "Bad image width"},
        {"zero height", {.height = 0}, "Bad image height"},
        {"most negative height", {.height = INT32_MIN}, "Image too large"},
        {"3000000 x 2000000", {.width = 3000000, .height = 2000000}, "Image too large"},
        {"65535 x 65535", {.width = 65535, .height = 65535, .bpp = 1}, "Image too large"},
        {"RLE8 at 4 bits", {.bpp = 4, .compression = 1}, "Compression does not match bit depth"},
        {"RLE4 at 8 bits", {.bpp = 8, .compression = 2}, "Compression does not match bit depth"},
        {"bit fields at 24",
         {.bpp = 24, .compression = 3, .masks = {1, 2, 4}},
         "Compression does not match bit depth"},
        {"JPEG inside", {.compression = 4}, "Unsupported compression"},
        {"OS/2 Huffman", {.headerSize = 64, .bpp = 1, .compression = 3}, "Unsupported compression"},
        {"top-down RLE", {.height = -1, .bpp = 8, .compression = 1}, "Top-down run-length data"},
        {"no masks", {.bpp = 16, .compression = 3, .masks = {0, 0, 0}}, "Bad bit-field masks"},
        {"offset inside the header", {.pixelOffset = 20}, "Bad pixel data offset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = MakeBmp(c.layout);
        TFastDIB d;
        d.SetSize(2, 2, 24);
        std::string error;
        EXPECT_FALSE(d.LoadFromStream(bytes.data(), bytes.size(), {}, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(d.Width(), 2);  // unchanged on failure
    }
}

TEST(BmpLoad, TruncatedHeadersAreRejectedAtEveryLength) {
    auto full = MakeBmp({.headerSize = 124,
                         .width = 2,
                         .height = 2,
                         .bpp = 16,
                         .compression = 3,
                         .masks = {0xF800, 0x07E0, 0x001F},
                         .pixels = std::vector<std::uint8_t>(8, 0xFF)});
    for (std::size_t n = 0; n < 14 + 124; ++n) {
        TFastDIB d;
        EXPECT_FALSE(d.LoadFromStream(full.data(), n)) << n;
    }
}

TEST(BmpLoad, AbsurdFieldsThatDoNotMatterAreIgnored) {
    // Image size, file size, resolution and colours used far too large.
    auto bytes = MakeBmp({.width = 1,
                          .height = 1,
                          .bpp = 8,
                          .colorsUsed = 0x12345678,
                          .xPelsPerMeter = 1 << 30,
                          .palette = std::vector<std::uint32_t>(256, 0x0A0B0C),
                          .pixels = {5, 0, 0, 0}});
    bytes[2] = bytes[3] = bytes[4] = bytes[5] = 0xFF;
    bytes[34] = bytes[35] = bytes[36] = bytes[37] = 0xFF;
    TFastDIB d;
    ASSERT_TRUE(d.LoadFromStream(bytes));
    EXPECT_EQ(d.Info().biClrUsed, 256u);
    EXPECT_EQ(d.GetPixel(0, 0), (TColorTriple{0x0C, 0x0B, 0x0A}));
}

TEST(BmpRle, TinyDataForAHugePictureIsRefused) {
    // Just an end-of-bitmap mark: fine for a small picture, refused for one
    // of 16 million pixels, allowed again when the data could fill it.
    struct Case {
        int w, h;
        std::size_t padding;
        bool loads;
    } cases[] = {{1024, 1024, 0, true}, {4096, 4096, 0, false}, {4096, 4096, 16384, true}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> data(c.padding, 0);
        data.insert(data.begin(), {0, 1});
        auto bytes = MakeBmp({.width = c.w, .height = c.h, .bpp = 8, .compression = 1, .pixels = data});
        TFastDIB d;
        std::string error;
        EXPECT_EQ(d.LoadFromStream(bytes.data(), bytes.size(), {}, &error), c.loads)
            << c.w << " " << c.padding;
        if (!c.loads) {
            EXPECT_EQ(error, "Run-length data too short for the image size");
        }
    }
}

// Run-length data for 8 (RLE8) and 4 bits (RLE4), each decoded into a
// picture whose rows are written as index strings, bottom row first.
struct RleCase {
    const char* what;
    int bpp, width, height;
    std::vector<std::uint8_t> data;
    std::vector<std::vector<int>> rows;  // expected indices, bottom row first
    bool complete;
};

std::vector<int> Indices(const TFastDIB& d, int row) {
    std::vector<int> out;
    for (int x = 0; x < d.Width(); ++x) {
        const std::uint8_t* p = d.Row(row);
        out.push_back(d.Bpp() == 8 ? p[x] : (x & 1) ? (p[x / 2] & 15) : (p[x / 2] >> 4));
    }
    return out;
}

TEST(BmpRle, DecodesRunsEscapesAndClipsAtTheEdges) {
    const RleCase cases[] = {
        {"encoded runs", 8, 4, 1, {2, 7, 2, 9, 0, 1}, {{7, 7, 9, 9}}, true},
        {"absolute run padded to 16 bits",
         8,
         4,
         2,
         {0, 3, 1, 2, 3, 0, 0, 0, 1, 5, 0, 1},
         {{1, 2, 3, 0}, {5, 0, 0, 0}},
         true},
        {"end of line", 8, 3, 2, {1, 4, 0, 0, 3, 6, 0, 1}, {{4, 0, 0}, {6, 6, 6}}, true},
        {"delta right and up",
         8,
         4,
         3,
         {1, 1, 0, 2, 2, 1, 1, 2, 0, 1},
         {{1, 0, 0, 0}, {0, 0, 0, 2}, {0, 0, 0, 0}},
         true},
        {"run clipped at the row's width", 8, 3, 2, {9, 5, 0, 0, 1, 6, 0, 1}, {{5, 5, 5}, {6, 0, 0}}, true},
        {"absolute run clipped at the width", 8, 2, 1, {0, 4, 1, 2, 3, 4, 0, 1}, {{1, 2}}, true},
        {"delta beyond the top ends the picture", 8, 2, 2, {1, 3, 0, 2, 0, 9, 1, 4}, {{3, 0}, {0, 0}}, true},
        {"delta beyond the width", 8, 2, 2, {0, 2, 200, 0, 1, 1, 0, 0, 1, 8, 0, 1}, {{0, 0}, {8, 0}}, true},
        {"runs beyond the last row are dropped", 8, 1, 1, {1, 2, 0, 0, 1, 3, 1, 3, 0, 1}, {{2}}, true},
        {"data ends without end mark", 8, 2, 2, {2, 4}, {{4, 4}, {0, 0}}, false},
        {"data ends inside a delta", 8, 2, 2, {0, 2, 1}, {{0, 0}, {0, 0}}, false},
        {"data ends inside an absolute run", 8, 4, 1, {0, 4, 1, 2}, {{0, 0, 0, 0}}, false},
        {"rle4 encoded alternates nibbles", 4, 5, 1, {5, 0x12, 0, 1}, {{1, 2, 1, 2, 1}}, true},
        {"rle4 absolute run", 4, 4, 1, {0, 3, 0x34, 0x50, 0, 1}, {{3, 4, 5, 0}}, true},
        {"rle4 absolute run padded",
         4,
         6,
         2,
         {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 2, 0x77, 0, 1},
         {{1, 2, 3, 4, 5, 0}, {7, 7, 0, 0, 0, 0}},
         true},
        {"rle4 clipped at the width", 4, 3, 1, {7, 0xAB, 0, 1}, {{10, 11, 10}}, true},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = MakeBmp({.width = c.width,
                              .height = c.height,
                              .bpp = std::uint16_t(c.bpp),
                              .compression = std::uint32_t(c.bpp == 8 ? 1 : 2),
                              .pixels = c.data});
        TFastDIB d;
        ASSERT_TRUE(d.LoadFromStream(bytes));
        EXPECT_EQ(d.Info().biCompression, 0u);
        for (int y = 0; y < c.height; ++y) EXPECT_EQ(Indices(d, y), c.rows[y]) << "row " << y;
        TBmpReadOptions strict;
        strict.RequireAllPixels = true;
        TFastDIB s;
        EXPECT_EQ(s.LoadFromStream(bytes.data(), bytes.size(), strict, nullptr), c.complete);
    }
}

}  // namespace
}  // namespace pm
