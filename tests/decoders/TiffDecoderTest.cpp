// The TIFF reader: layouts and compressions written by libtiff against the
// pixels we wrote, the libtiff test images against their PPM/PGM/PBM twins,
// and damaged files.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>

namespace pm::test {
namespace {

struct TiffCase {
    const char* name;
    int photometric, bits, samples, compression;
    bool tiled;
    int expectBpp;
    int tolerance;  // JPEG is lossy
};

int Sample(int x, int y, int c, int bits) {
    return ((x * 5 + y * 11 + c * 17) * 29) % (1 << bits);
}

// The expected 24-bit colour of (x, y) for a case.
TColorTriple Expected(const TiffCase& c, int x, int y) {
    auto to8 = [&](int v) {
        return static_cast<std::uint8_t>(c.bits == 16 ? (v * 255 + 32767) / 65535
                                                      : v * 255 / ((1 << c.bits) - 1));
    };
    switch (c.photometric) {
    case PHOTOMETRIC_MINISBLACK: {
        const std::uint8_t v = to8(Sample(x, y, 0, c.bits));
        return {v, v, v};
    }
    case PHOTOMETRIC_MINISWHITE: {
        const auto v = static_cast<std::uint8_t>(255 - to8(Sample(x, y, 0, c.bits)));
        return {v, v, v};
    }
    case PHOTOMETRIC_PALETTE: {
        const int i = Sample(x, y, 0, c.bits);
        return {static_cast<std::uint8_t>(i * 5), static_cast<std::uint8_t>(200 - i / 2),
                static_cast<std::uint8_t>(i)};
    }
    case PHOTOMETRIC_SEPARATED: {
        const int cc = Sample(x, y, 0, 8), m = Sample(x, y, 1, 8), ye = Sample(x, y, 2, 8),
                  k = Sample(x, y, 3, 8);
        auto ink = [&](int v) { return static_cast<std::uint8_t>((255 - v) * (255 - k) / 255); };
        return {ink(ye), ink(m), ink(cc)};
    }
    default:
        return {to8(Sample(x, y, 2, c.bits)), to8(Sample(x, y, 1, c.bits)), to8(Sample(x, y, 0, c.bits))};
    }
}

class TiffLayouts : public ::testing::TestWithParam<TiffCase> {};

TEST_P(TiffLayouts, DecodesThePixelsWritten) {
    const TiffCase& c = GetParam();
    const int w = 37, h = 21;
    TTiffLayout layout;
    layout.width = w;
    layout.height = h;
    layout.photometric = c.photometric;
    layout.bitsPerSample = c.bits;
    layout.samples = c.samples;
    layout.compression = c.compression;
    layout.tiled = c.tiled;
    if (c.photometric == PHOTOMETRIC_PALETTE) {
        const int n = 1 << c.bits;
        layout.colormap.resize(3 * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            layout.colormap[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 257);
            layout.colormap[static_cast<std::size_t>(n + i)] =
                static_cast<std::uint16_t>((200 - i / 2) * 257);
            layout.colormap[static_cast<std::size_t>(2 * n + i)] =
                static_cast<std::uint16_t>(((i * 5) & 0xFF) * 257);
        }
    }
    const bool smooth = c.compression == COMPRESSION_JPEG;
    auto sample = [&](int x, int y, int ch) {
        // JPEG gets flat 8 x 8 blocks so that the loss stays small.
        return smooth ? Sample(x / 8, y / 8, ch, c.bits) : Sample(x, y, ch, c.bits);
    };
    TDecoded d = Decode(DecodeTiff, MakeTiff(layout, sample));
    ASSERT_TRUE(d.ok) << d.error;
    const TFastDIB& img = d.picture.Image;
    ASSERT_EQ(img.Width(), w);
    ASSERT_EQ(img.Height(), h);
    EXPECT_EQ(img.Bpp(), c.expectBpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColorTriple want = Expected(c, smooth ? x / 8 : x, smooth ? y / 8 : y);
            const TColorTriple got = PixelAt(img, x, y);
            ASSERT_LE(std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b),
                      c.tolerance)
                << "at " << x << "," << y << " got " << int(got.r) << "," << int(got.g) << "," << int(got.b)
                << " want " << int(want.r) << "," << int(want.g) << "," << int(want.b);
        }
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, TiffLayouts,
    ::testing::Values(
        TiffCase{"grey8None", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_NONE, false, 8, 0},
        TiffCase{"grey8Lzw", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_LZW, false, 8, 0},
        TiffCase{"grey8Deflate", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_ADOBE_DEFLATE, false, 8, 0},
        TiffCase{"grey8PackBits", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_PACKBITS, false, 8, 0},
        TiffCase{"grey16", PHOTOMETRIC_MINISBLACK, 16, 1, COMPRESSION_LZW, false, 8, 0},
        TiffCase{"grey4", PHOTOMETRIC_MINISBLACK, 4, 1, COMPRESSION_NONE, false, 4, 0},
        TiffCase{"grey2", PHOTOMETRIC_MINISBLACK, 2, 1, COMPRESSION_NONE, false, 4, 0},
        TiffCase{"whiteIsZero8", PHOTOMETRIC_MINISWHITE, 8, 1, COMPRESSION_NONE, false, 8, 0},
        TiffCase{"bilevelG3", PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX3, false, 1, 0},
        TiffCase{"bilevelG4", PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4, false, 1, 0},
        TiffCase{"bilevelBlackIsZero", PHOTOMETRIC_MINISBLACK, 1, 1, COMPRESSION_PACKBITS, false, 1, 0},
        TiffCase{"palette1", PHOTOMETRIC_PALETTE, 1, 1, COMPRESSION_NONE, false, 1, 0},
        TiffCase{"palette4", PHOTOMETRIC_PALETTE, 4, 1, COMPRESSION_LZW, false, 4, 0},
        TiffCase{"palette8", PHOTOMETRIC_PALETTE, 8, 1, COMPRESSION_PACKBITS, false, 8, 0},
        TiffCase{"palette8Tiled", PHOTOMETRIC_PALETTE, 8, 1, COMPRESSION_LZW, true, 24, 0},
        TiffCase{"rgb8", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE, false, 24, 0},
        TiffCase{"rgb8Lzw", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, false, 24, 0},
        TiffCase{"rgb8DeflateTiled", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE, true, 24, 0},
        TiffCase{"rgb16", PHOTOMETRIC_RGB, 16, 3, COMPRESSION_NONE, false, 24, 0},
        TiffCase{"rgbJpeg", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_JPEG, false, 24, 30},
        TiffCase{"greyJpeg", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_JPEG, false, 8, 12},
        TiffCase{"cmyk8", PHOTOMETRIC_SEPARATED, 8, 4, COMPRESSION_LZW, false, 24, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TiffLayouts, AlphaBecomesTheFourthByte) {
    TTiffLayout layout = RgbLayout(5, 4);
    layout.extraSamples = 1;
    TDecoded d = Decode(DecodeTiff,
                        MakeTiff(layout, [](int x, int y, int c) { return c == 3 ? 255 : x * 40 + y + c; }));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.Image.Bpp(), 32);
    EXPECT_EQ(PixelAt(d.picture.Image, 2, 1), (TColorTriple{83, 82, 81}));
}

// Reads a binary PNM (P4, P5 or P6 of maxval 255 or 65535) as 24-bit colours.
std::vector<TColorTriple> ReadPnm(const std::string& path, int& w, int& h) {
    const Bytes b = ReadFileBytes(path);
    std::size_t pos = 2;
    auto number = [&] {
        while (pos < b.size() && (std::isspace(b[pos]) || b[pos] == '#')) {
            if (b[pos] == '#')
                while (pos < b.size() && b[pos] != '\n') ++pos;
            else
                ++pos;
        }
        int v = 0;
        while (pos < b.size() && std::isdigit(b[pos])) v = v * 10 + (b[pos++] - '0');
        return v;
    };
    w = h = 0;
    if (b.size() < 3 || b[0] != 'P' || (b[1] != '4' && b[1] != '5' && b[1] != '6')) {
        ADD_FAILURE() << path << " is not a binary portable map";
        return {};
    }
    const char kind = static_cast<char>(b[1]);
    w = number();
    h = number();
    const int maxval = kind == '4' ? 1 : number();
    ++pos;
    std::vector<TColorTriple> px;
    const int bytes = maxval > 255 ? 2 : 1;
    const std::size_t need =
        kind == '4' ? std::size_t(h) * ((w + 7) / 8) : std::size_t(w) * h * (kind == '6' ? 3 : 1) * bytes;
    if (pos + need > b.size()) {
        ADD_FAILURE() << path << " is shorter than its header says";
        w = h = 0;
        return {};
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (kind == '4') {
                const int bit =
                    (b[pos + static_cast<std::size_t>(y) * ((w + 7) / 8) + x / 8] >> (7 - x % 8)) & 1;
                const std::uint8_t v = bit ? 0 : 255;
                px.push_back({v, v, v});
                continue;
            }
            const int channels = kind == '6' ? 3 : 1;
            std::uint8_t v[3];
            for (int c = 0; c < channels; ++c) {
                const std::size_t at = pos + (static_cast<std::size_t>(y * w + x) * channels + c) * bytes;
                // 16-bit samples (big-endian) scale to 8 bits with rounding.
                v[c] = bytes == 1
                           ? b[at]
                           : static_cast<std::uint8_t>(((b[at] << 8 | b[at + 1]) * 255 + 32767) / 65535);
            }
            px.push_back(channels == 3 ? TColorTriple{v[2], v[1], v[0]} : TColorTriple{v[0], v[0], v[0]});
        }
    return px;
}

TEST(TiffSamples, MatchTheirPortableMapTwins) {
    const struct {
        const char* tiff;
        const char* pnm;
        int bpp;
    } cases[] = {{"rgb-3c-8b.tiff", "rgb-3c-8b.ppm", 24},
                 {"rgb-3c-16b.tiff", "rgb-3c-16b.ppm", 24},
                 {"minisblack-1c-8b.tiff", "minisblack-1c-8b.pgm", 8},
                 {"miniswhite-1c-1b.tiff", "miniswhite-1c-1b.pbm", 1}};
    for (const auto& c : cases) {
        int w = 0, h = 0;
        const std::vector<TColorTriple> want = ReadPnm(TestData(std::string("libtiff/") + c.pnm), w, h);
        TDecoded d = Decode(DecodeTiff, ReadFileBytes(TestData(std::string("libtiff/") + c.tiff)));
        ASSERT_TRUE(d.ok) << c.tiff << ": " << d.error;
        ASSERT_EQ(d.picture.Image.Width(), w);
        ASSERT_EQ(d.picture.Image.Height(), h);
        EXPECT_EQ(d.picture.Image.Bpp(), c.bpp) << c.tiff;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(PixelAt(d.picture.Image, x, y), want[static_cast<std::size_t>(y * w + x)])
                    << c.tiff << " at " << x << "," << y;
    }
}

TEST(TiffSamples, OtherLayoutsLoad) {
    const struct {
        const char* file;
        int w, h;
    } cases[] = {
        {"palette-1c-8b.tiff", 157, 151},      {"quad-tile.jpg.tiff", 512, 384},
        {"quad-lzw-compat.tiff", 512, 384},    {"ojpeg_zackthecat_subsamp22_single_strip.tiff", 234, 213},
        {"testfax4.tiff", 2453, 3369},         {"minisblack-2c-8b-alpha.tiff", 64, 64},
        {"test_ifd_loop_to_self.tif", 20, 20}, {"test_ifd_loop_to_first.tif", 1, 1},
        {"32bpp-None-jpeg.tiff", 162, 20}};
    for (const auto& c : cases) {
        TDecoded d = Decode(DecodeTiff, ReadFileBytes(TestData(std::string("libtiff/") + c.file)));
        ASSERT_TRUE(d.ok) << c.file << ": " << d.error;
        EXPECT_EQ(d.picture.Image.Width(), c.w) << c.file;
        EXPECT_EQ(d.picture.Image.Height(), c.h) << c.file;
    }
}

TEST(TiffDamaged, FailsCleanly) {
    TTiffLayout layout = RgbLayout(64, 48);
    layout.compression = COMPRESSION_LZW;
    layout.rowsPerStrip = 48;
    const Bytes good = MakeTiff(layout, [](int x, int y, int c) { return (x * 3 + y * 7 + c * 11) & 0xFF; });
    ASSERT_TRUE(Decode(DecodeTiff, good).ok);
    // libtiff writes the directory last: cuts lose the strips or the directory.
    for (double cut : TruncationPoints()) {
        Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * cut));
        EXPECT_FALSE(Decode(DecodeTiff, part).ok) << "cut at " << cut;
    }
    for (const char* bad : {"test_float64_predictor2_le_lzw.tif", "testfax3_bug_513.tiff"}) {
        TDecoded d = Decode(DecodeTiff, ReadFileBytes(TestData(std::string("libtiff/") + bad)));
        EXPECT_FALSE(d.ok) << bad;
        EXPECT_FALSE(d.error.empty());
    }
    // Zero and huge sizes: patch the width tag of a small uncompressed file.
    layout.compression = COMPRESSION_NONE;
    layout.width = 0x1234;
    layout.height = 2;
    Bytes file = MakeTiff(layout, [](int, int, int) { return 9; });
    for (std::uint32_t width : {0u, 70000u, 65535u * 2}) {
        Bytes patched = file;
        bool found = false;
        for (std::size_t i = 8; i + 12 <= patched.size(); ++i)
            if (patched[i] == 0x00 && patched[i + 1] == 0x01 && patched[i + 8] == 0x34 &&
                patched[i + 9] == 0x12) {
                patched[i + 2] = 4;  // LONG
                for (int k = 0; k < 4; ++k) patched[i + 8 + k] = static_cast<std::uint8_t>(width >> (8 * k));
                found = true;
                break;
            }
        ASSERT_TRUE(found);
        EXPECT_FALSE(Decode(DecodeTiff, patched).ok) << width;
    }
}

}  // namespace
}  // namespace pm::test
