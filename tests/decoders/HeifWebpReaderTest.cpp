// The HEIF/AVIF and WebP readers over the samples of tests/data/pixmill
// (made by make_samples.cpp there): every file gives the pattern it was made
// from, lossless ones exactly, lossy ones within the codec's error, HEIF's
// rotation applied; cut or damaged files fail with a reason.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace pm::test {
namespace {

constexpr int kW = 64, kH = 48;

// The pattern make_samples.cpp encodes, at stored (x, y).
TColorTriple Pattern(int x, int y) {
    return {static_cast<std::uint8_t>((x + y) * 2), static_cast<std::uint8_t>(y * 5),
            static_cast<std::uint8_t>(x * 4)};
}

// Where upright pixel (u, v) comes from in the stored picture.
using TSourceOf = void (*)(int u, int v, int& x, int& y);
void AsStored(int u, int v, int& x, int& y) {
    x = u;
    y = v;
}
// Turned 90 degrees clockwise: the stored left column becomes the top line.
void TurnedClockwise(int u, int v, int& x, int& y) {
    x = v;
    y = kH - 1 - u;
}

struct SampleCase {
    const char* file;
    TDecoderFn reader;
    int width, height, bpp;
    TSourceOf sourceOf;
    int maxError;      // largest channel difference
    double meanError;  // mean channel difference
};

const SampleCase kSamples[] = {
    {"pixmill/lossless.webp", DecodeWebp, kW, kH, 24, AsStored, 0, 0.0},
    {"pixmill/lossy.webp", DecodeWebp, kW, kH, 24, AsStored, 24, 3.0},
    {"pixmill/animated.webp", DecodeWebp, kW, kH, 32, AsStored, 0, 0.0},
    {"pixmill/rotated90.heic", DecodeHeif, kH, kW, 24, TurnedClockwise, 24, 3.0},
    {"pixmill/plain.avif", DecodeHeif, kW, kH, 24, AsStored, 24, 3.0},
};

TEST(HeifWebpReaders, SamplesGiveTheirPatternUpright) {
    for (const SampleCase& c : kSamples) {
        SCOPED_TRACE(c.file);
        const TDecoded d = Decode(c.reader, ReadFileBytes(TestData(c.file)), c.file);
        ASSERT_TRUE(d.ok) << d.error;
        const TFastDIB& image = d.picture.Image;
        ASSERT_EQ(image.Width(), c.width);
        ASSERT_EQ(image.Height(), c.height);
        EXPECT_EQ(image.Bpp(), c.bpp);
        int worst = 0;
        long total = 0;
        for (int v = 0; v < c.height; ++v)
            for (int u = 0; u < c.width; ++u) {
                int x = 0, y = 0;
                c.sourceOf(u, v, x, y);
                const TColorTriple got = PixelAt(image, u, v), want = Pattern(x, y);
                for (int diff : {got.r - want.r, got.g - want.g, got.b - want.b}) {
                    worst = std::max(worst, std::abs(diff));
                    total += std::abs(diff);
                }
            }
        EXPECT_LE(worst, c.maxError);
        EXPECT_LE(double(total) / (3.0 * c.width * c.height), c.meanError);
    }
}

TEST(HeifWebpReaders, ExtensionsSelectTheirReaderInAnyCase) {
    for (const char* ext : {"heic", "HEIC", "heif", "Heif", "avif", "AVIF"})
        EXPECT_EQ(DecoderForExtension(ext), DecodeHeif) << ext;
    for (const char* ext : {"webp", "WEBP", "WebP"}) EXPECT_EQ(DecoderForExtension(ext), DecodeWebp) << ext;
}

// Through the loader: the picture, or the reason led by the format's name.
TEST(HeifWebpReaders, LoaderNamesTheFormatInItsReasons) {
    for (const char* file : {"pixmill/rotated90.heic", "pixmill/plain.avif", "pixmill/animated.webp"}) {
        TPicture picture;
        std::string error;
        EXPECT_TRUE(LoadPicture(TestData(file), picture, error)) << file << ": " << error;
    }
    // A PNG under each new extension.
    const Bytes png = ReadFileBytes(TestData("pillow/hopper.png"));
    TTempDir dir;
    for (const auto& [name, reason] : {std::pair<const char*, const char*>{"a.heic", "HEIF: Not a HEIF file"},
                                       {"b.HEIF", "HEIF: Not a HEIF file"},
                                       {"c.avif", "AVIF: Not a HEIF file"},
                                       {"d.webp", "WebP: Not a WebP file"}}) {
        TTempDir::Write(dir.Path(name), std::string(png.begin(), png.end()));
        TPicture picture;
        std::string error;
        EXPECT_FALSE(LoadPicture(dir.Path(name), picture, error)) << name;
        EXPECT_EQ(error, reason);
    }
}

// Every cut of each sample fails, and so does a file whose coded data is
// overwritten; each with a reason, never a crash.
TEST(HeifWebpReaders, CutAndDamagedFilesFailWithAReason) {
    for (const SampleCase& c : kSamples) {
        const Bytes whole = ReadFileBytes(TestData(c.file));
        for (double at : TruncationPoints()) {
            SCOPED_TRACE(std::string(c.file) + " cut at " + std::to_string(at));
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * at));
            const TDecoded d = Decode(c.reader, cut, c.file);
            EXPECT_FALSE(d.ok);
            EXPECT_FALSE(d.error.empty());
            // One log line each.
            EXPECT_EQ(d.error.find_first_of("\r\n"), std::string::npos) << d.error;
        }
    }
}

// The first byte after the header of the first box or chunk named `name`.
std::size_t After(const Bytes& file, const char* name, std::size_t header) {
    const auto at = std::search(file.begin(), file.end(), name, name + 4);
    return at == file.end() ? file.size() : static_cast<std::size_t>(at - file.begin()) + 4 + header;
}

// Overwrites bytes from `at` on, as far as the file goes.
void Overwrite(Bytes& file, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes)
        if (at < file.size()) file[at++] = b;
}

struct DamageCase {
    const char* what;
    const char* file;
    TDecoderFn reader;
    void (*damage)(Bytes& file);
    const char* reason;
};

// Damage the formats can tell from a picture: sizes that point past the data
// and codes that cannot occur. (Lossy data overwritten with other values
// mostly decodes to other pixels; no reader can know them wrong.)
const DamageCase kDamaged[] = {
    {"VP8 first partition longer than the data", "pixmill/lossy.webp", DecodeWebp,
     [](Bytes& f) {
         Overwrite(f, After(f, "VP8 ", 4), {0xF0, 0xFF, 0xFF});
     },
     "Damaged WebP header"},
    {"VP8L code lengths that cannot occur", "pixmill/lossless.webp", DecodeWebp,
     [](Bytes& f) {
         Overwrite(f, After(f, "VP8L", 4) + 5, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
     },
     "Damaged WebP image data"},
    {"animation frame longer than the file", "pixmill/animated.webp", DecodeWebp,
     [](Bytes& f) {
         Overwrite(f, After(f, "ANMF", 0), {0xFF, 0xFF, 0xFF, 0x0F});
     },
     "Damaged WebP animation"},
    {"HEVC unit longer than the data", "pixmill/rotated90.heic", DecodeHeif,
     [](Bytes& f) {
         Overwrite(f, After(f, "mdat", 0), {0x7F, 0xFF, 0xFF, 0xFF});
     },
     "Invalid input: Unspecified: NAL stream was rejected because a NAL unit size is invalid."},
    {"AV1 unit longer than the data", "pixmill/plain.avif", DecodeHeif,
     [](Bytes& f) {
         Overwrite(f, After(f, "mdat", 0) + 1, {0xFF, 0xFF, 0xFF, 0x0F});
     },
     "Invalid input: Unspecified: AV1 stream was rejected because an OBU size exceeds the remaining data."},
};

TEST(HeifWebpReaders, DamagedFilesFailWithTheirReason) {
    for (const DamageCase& c : kDamaged) {
        SCOPED_TRACE(c.what);
        Bytes file = ReadFileBytes(TestData(c.file));
        c.damage(file);
        const TDecoded d = Decode(c.reader, file, c.file);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.error, c.reason);
    }
}

TEST(HeifWebpReaders, ForeignFilesAreRefused) {
    const Bytes png = ReadFileBytes(TestData("pillow/hopper.png"));
    EXPECT_EQ(Decode(DecodeHeif, png).error, "Not a HEIF file");
    EXPECT_EQ(Decode(DecodeWebp, png).error, "Not a WebP file");
    EXPECT_EQ(Decode(DecodeHeif, ReadFileBytes(TestData("pixmill/lossy.webp"))).error, "Not a HEIF file");
    EXPECT_EQ(Decode(DecodeWebp, ReadFileBytes(TestData("pixmill/plain.avif"))).error, "Not a WebP file");
}

}  // namespace
}  // namespace pm::test
