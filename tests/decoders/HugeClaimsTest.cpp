// Tiny files that claim huge pictures fail with their reason before the
// reader allocates the picture; files that compress as well as their coding
// allows still load.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"
#include "imaging/PixelMemoryGate.h"
#include "support/JpegTestFiles.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <string>

namespace pm::test {
namespace {

constexpr int kHuge = 16384;

// Hears of every pixel allocation of this thread; remembers the largest.
class TLargestAllocation : public IPixelMemoryGate {
public:
    TLargestAllocation() { SetThreadPixelMemoryGate(this); }
    ~TLargestAllocation() override { SetThreadPixelMemoryGate(nullptr); }
    void BeforeAllocate(std::size_t bytes, unsigned) override { largest = std::max(largest, bytes); }
    std::size_t largest = 0;
};

void Put16LE(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put16BE(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}
void Put32BE(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16BE(b, at, v >> 16);
    Put16BE(b, at + 2, v & 0xFFFF);
}

// A little-endian TIFF of one strip holding `data`; the directory claims
// width x height of the given layout and compression.
Bytes TinyTiff(int width, int height, int compression, int photometric, int samples, int bits,
               const Bytes& data) {
    struct TEntry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::uint32_t dataAt = 8;
    const std::vector<TEntry> entries = {
        {256, 4, std::uint32_t(width)},       {257, 4, std::uint32_t(height)},
        {258, 3, std::uint32_t(bits)},        {259, 3, std::uint32_t(compression)},
        {262, 3, std::uint32_t(photometric)}, {273, 4, dataAt},
        {277, 3, std::uint32_t(samples)},     {278, 4, std::uint32_t(height)},
        {279, 4, std::uint32_t(data.size())},
    };
    Bytes b = {'I', 'I', 42, 0, 0, 0, 0, 0};
    b.insert(b.end(), data.begin(), data.end());
    if (b.size() & 1) b.push_back(0);
    const auto ifd = static_cast<std::uint32_t>(b.size());
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(ifd >> (8 * i));
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(static_cast<std::uint32_t>(entries.size()), 2);
    for (const TEntry& e : entries) {
        put(e.tag, 2);
        put(e.type, 2);
        put(1, 4);
        put(e.value, 4);  // a SHORT sits in the low bytes, little-endian
    }
    put(0, 4);
    return b;
}

Bytes Filler(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 29 + 7);
    return b;
}

// A 16 x 16 PNG whose header claims width x height (its CRC fixed).
Bytes PngClaiming(int colorType, int width, int height) {
    Bytes b =
        MakePng(16, 16, colorType, 8, false, [](int x, int y, int c) { return (x * 7 + y * 3 + c) & 255; });
    Put32BE(b, 16, static_cast<std::uint32_t>(width));
    Put32BE(b, 20, static_cast<std::uint32_t>(height));
    Put32BE(b, 29, static_cast<std::uint32_t>(crc32(0, b.data() + 12, 17)));
    return b;
}

// A 16 x 16 JPEG whose frame header claims width x height.
Bytes JpegClaiming(TJpegKind kind, int width, int height) {
    Bytes b = MakeJpeg(kind, 16, 16);
    const std::uint8_t sof = kind == TJpegKind::Progressive ? 0xC2 : 0xC0;
    for (std::size_t i = 0; i + 9 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == sof) {
            Put16BE(b, i + 5, static_cast<unsigned>(height));
            Put16BE(b, i + 7, static_cast<unsigned>(width));
            break;
        }
    return b;
}

// A 16 x 16 GIF whose screen and first frame claim the given sizes.
Bytes GifClaiming(int screen, int frame) {
    TGifFrame f;
    f.width = f.height = 16;
    f.index = [](int x, int y) { return (x + y) & 1; };
    Bytes b = MakeGif(16, 16, {0, 0, 0, 255, 255, 255}, 0, {f});
    Put16LE(b, 6, static_cast<unsigned>(screen));
    Put16LE(b, 8, static_cast<unsigned>(screen));
    std::size_t pos = 13 + ((b[10] & 0x80) ? 3u << ((b[10] & 7) + 1) : 0u);
    while (pos < b.size() && b[pos] == 0x21) {  // extensions: label, then sub-blocks
        pos += 2;
        while (pos < b.size() && b[pos]) pos += b[pos] + 1u;
        ++pos;
    }
    if (pos + 9 < b.size() && b[pos] == 0x2C) {
        Put16LE(b, pos + 5, static_cast<unsigned>(frame));
        Put16LE(b, pos + 7, static_cast<unsigned>(frame));
    }
    return b;
}

// An RLE Targa header claiming width x height, true colour, and a few bytes.
Bytes TargaClaiming(int width, int height) {
    Bytes b(18, 0);
    b[2] = 10;
    Put16LE(b, 12, static_cast<unsigned>(width));
    Put16LE(b, 14, static_cast<unsigned>(height));
    b[16] = 24;
    const Bytes tail = Filler(200);
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

// An RLE SGI image whose row tables send every row to the same few bytes.
Bytes SgiClaiming(int width, int height) {
    const int channels = 3;
    Bytes b(512, 0);
    Put16BE(b, 0, 474);
    b[2] = 1;  // RLE
    b[3] = 1;  // one byte a sample
    Put16BE(b, 4, 3);
    Put16BE(b, 6, static_cast<unsigned>(width));
    Put16BE(b, 8, static_cast<unsigned>(height));
    Put16BE(b, 10, channels);
    const std::size_t rows = std::size_t(height) * channels;
    const auto runAt = static_cast<std::uint32_t>(512 + rows * 8);
    b.resize(runAt, 0);
    for (std::size_t k = 0; k < rows; ++k) {
        Put32BE(b, 512 + 4 * k, runAt);
        Put32BE(b, 512 + 4 * rows + 4 * k, 4);
    }
    const Bytes run = {0x7F, 0x10, 0x7F, 0x00};
    b.insert(b.end(), run.begin(), run.end());
    return b;
}

// A sample of tests/data/pixmill with the 32-bit fields after the last
// `box` name plus `skip` replaced: the sizes of a HEIF ispe box (big-endian;
// the HEIC is a grid, whose ispe follows its tile's) or of a WebP lossless
// header (little-endian).
Bytes SampleClaiming(const char* file, const char* box, std::size_t skip, std::vector<std::uint32_t> values,
                     bool bigEndian) {
    Bytes b = ReadFileBytes(TestData(std::string("pixmill/") + file));
    const auto at = std::find_end(b.begin(), b.end(), box, box + 4);
    std::size_t pos = static_cast<std::size_t>(at - b.begin()) + 4 + skip;
    if (pos + 4 * values.size() > b.size()) return {};
    for (std::uint32_t v : values) {
        if (bigEndian) {
            Put32BE(b, pos, v);
        } else {
            Put16LE(b, pos, v & 0xFFFF);
            Put16LE(b, pos + 2, v >> 16);
        }
        pos += 4;
    }
    return b;
}

struct HugeCase {
    const char* name;
    TDecoderFn reader;
    Bytes (*make)();
    const char* reason;
};

const HugeCase kHugeClaims[] = {
    {"TiffRawRgb", DecodeTiff, [] { return TinyTiff(kHuge, kHuge, COMPRESSION_NONE, 2, 3, 8, Filler(40)); },
     "Truncated TIFF image data"},
    {"TiffRawGrey", DecodeTiff, [] { return TinyTiff(kHuge, kHuge, COMPRESSION_NONE, 1, 1, 8, Filler(40)); },
     "Truncated TIFF image data"},
    {"TiffPackBits", DecodeTiff,
     [] { return TinyTiff(kHuge, kHuge, COMPRESSION_PACKBITS, 1, 1, 8, Filler(40)); },
     "Truncated TIFF image data"},
    {"TiffLzw", DecodeTiff, [] { return TinyTiff(kHuge, kHuge, COMPRESSION_LZW, 2, 3, 8, Filler(40)); },
     "Truncated TIFF image data"},
    {"TiffDeflate", DecodeTiff,
     [] { return TinyTiff(kHuge, kHuge, COMPRESSION_ADOBE_DEFLATE, 1, 1, 8, Filler(40)); },
     "Truncated TIFF image data"},
    {"TiffFax4", DecodeTiff,
     [] { return TinyTiff(kHuge, kHuge, COMPRESSION_CCITTFAX4, 0, 1, 1, Filler(40)); },
     "Truncated TIFF image data"},
    {"TiffJpeg", DecodeTiff, [] { return TinyTiff(kHuge, kHuge, COMPRESSION_JPEG, 2, 3, 8, Filler(40)); },
     "Truncated TIFF image data"},
    {"PngRgb", DecodePng, [] { return PngClaiming(2, kHuge, kHuge); }, "Truncated PNG image data"},
    {"PngGrey", DecodePng, [] { return PngClaiming(0, kHuge, kHuge); }, "Truncated PNG image data"},
    {"JpegBaseline", DecodeJpeg, [] { return JpegClaiming(TJpegKind::Baseline, kHuge, kHuge); },
     "Truncated JPEG image data"},
    {"JpegProgressive", DecodeJpeg, [] { return JpegClaiming(TJpegKind::Progressive, kHuge, kHuge); },
     "Truncated JPEG image data"},
    {"GifFrame", DecodeGif, [] { return GifClaiming(kHuge, kHuge); },
     "Image data ends before the last pixel"},
    {"GifScreen", DecodeGif, [] { return GifClaiming(kHuge, 16); },
     "Logical screen too large for the image it holds"},
    {"TargaRle", DecodeTarga, [] { return TargaClaiming(kHuge, kHuge); }, "Truncated Targa image data"},
    {"SgiRowsSharingBytes", DecodeSgi, [] { return SgiClaiming(kHuge, 64); }, "Truncated SGI image data"},
    // The lossless header after its signature byte: 14 bits width - 1, 14 bits height - 1.
    {"WebpLossless", DecodeWebp,
     [] { return SampleClaiming("lossless.webp", "VP8L", 5, {16382u | (16382u << 14)}, false); },
     "Picture too large for the WebP data"},
    // ispe: version and flags, then width and height.
    {"Avif", DecodeHeif,
     [] {
         return SampleClaiming("plain.avif", "ispe", 4, {kHuge, kHuge}, true);
     },
     "Picture too large for the HEIF data"},
    // The grid's tile, whose ispe comes first: libheif's cap, set to ours, refuses it.
    {"HeicTile", DecodeHeif,
     [] {
         Bytes b = ReadFileBytes(TestData("pixmill/rotated90.heic"));
         const char* ispe = "ispe";
         const std::size_t at =
             static_cast<std::size_t>(std::search(b.begin(), b.end(), ispe, ispe + 4) - b.begin());
         Put32BE(b, at + 8, 20000);
         Put32BE(b, at + 12, 20000);
         return b;
     },
     "Memory allocation error: Security limit exceeded: Image size 20000x20000 exceeds the maximum image "
     "size "
     "16384x16384"},
    // Found by fuzzing: a 32 x 32 AVIF whose alpha plane's AV1 stream codes a
    // far larger frame than its ispe says. It made libheif allocate 700 MB
    // until its cap was set to ours.
    {"AvifAlphaFrame", DecodeHeif,
     [] { return ReadFileBytes(TestData("pixmill/found_alpha_frame_too_large.avif")); },
     "Memory allocation error: Security limit exceeded: Image size 27759x25344 exceeds the maximum image "
     "size "
     "16384x16384"},
    {"HeicRotated", DecodeHeif,
     [] {
         return SampleClaiming("rotated90.heic", "ispe", 4, {kHuge, kHuge / 2}, true);
     },
     "Picture too large for the HEIF data"},
};

TEST(HugeClaims, TinyFilesFailBeforeAllocatingThePicture) {
    for (const HugeCase& c : kHugeClaims) {
        SCOPED_TRACE(c.name);
        const Bytes file = c.make();
        ASSERT_LT(file.size(), 8192u);
        TLargestAllocation gate;
        const TDecoded d = Decode(c.reader, file);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.error, c.reason);
        EXPECT_LE(gate.largest, 64 * file.size());
    }
}

// Blank pictures near their coding's best ratio are real files and load.
TEST(HugeClaims, HighlyCompressedFilesStillLoad) {
    const int side = 2048;
    TTiffLayout deflate;
    deflate.width = deflate.height = side;
    deflate.compression = COMPRESSION_ADOBE_DEFLATE;
    deflate.rowsPerStrip = side;
    TTiffLayout lzw = deflate;
    lzw.compression = COMPRESSION_LZW;
    TGifFrame frame;
    frame.width = frame.height = side;
    frame.index = [](int, int) { return 0; };
    const struct {
        const char* name;
        TDecoderFn reader;
        Bytes file;
    } files[] = {
        {"png", DecodePng, MakePng(side, side, 0, 8, false, [](int, int, int) { return 0; })},
        {"tiff deflate", DecodeTiff, MakeTiff(deflate, [](int, int, int) { return 0; })},
        {"tiff lzw", DecodeTiff, MakeTiff(lzw, [](int, int, int) { return 0; })},
        {"gif", DecodeGif, MakeGif(side, side, {0, 0, 0, 255, 255, 255}, 0, {frame})},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const TDecoded d = Decode(f.reader, f.file);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.picture.Image.Width(), side);
    }
}

}  // namespace
}  // namespace pm::test

namespace pm {
namespace {

// An ancillary chunk that claims a gigabyte in a file of fifty bytes: libpng
// would only warn and allocate it (found by fuzzing); the reader refuses the
// file first. A chunk that fits, however large its declared length, passes.
TEST(HugeClaims, AChunkLongerThanTheFileFailsBeforeLibpngAllocatesIt) {
    const std::uint8_t head[] = {0x89, 'P',  'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a,  // signature
                                 0,    0,    0,   13,  'I',  'H',  'D',  'R',  0,    0, 0, 1, 0, 0, 0, 1,
                                 1,    3,    0,   0,   0,    0x52, 0xdc, 0x66, 0x5c,  // IHDR 1 x 1, CRC
                                 0x41, 0x54, 0,   3,   's',  'P',  'L',  'T',  0,    0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> file(std::begin(head), std::end(head));
    TPicture picture;
    std::string error;
    EXPECT_FALSE(DecodePng({file.data(), file.size(), "claim.png"}, picture, error));
    EXPECT_EQ(error, "sPLT: chunk data is too large");
}

}  // namespace
}  // namespace pm
