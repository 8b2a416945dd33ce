// JPEG decoding: pixels of files made with libjpeg in every colour layout,
// public sample files, and damaged files that must fail without harm.
#include "decoders/JpegDecoder.h"
#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"
#include "support/JpegTestFiles.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace pm {
namespace {

using test::MakeJpeg;
using test::TJpegKind;
using Bytes = std::vector<std::uint8_t>;

bool Decode(const Bytes& bytes, TPicture& pic, std::string& error) {
    return DecodeJpeg(TDecodeInput{bytes.data(), bytes.size(), "test.jpg"}, pic, error);
}

// Index of the first FF <code> marker after SOI, or npos.
std::size_t FindMarker(const Bytes& b, std::uint8_t code) {
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == code) return i;
    return std::string::npos;
}

struct ColourCase {
    const char* name;
    TJpegKind kind;
    int width, height;
    int bpp;
    int tolerance;  // largest allowed difference per channel
};

void PrintTo(const ColourCase& c, std::ostream* os) {
    *os << c.name;
}

class JpegColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(JpegColourTest, DecodesPixelsCloseToTheSource) {
    const ColourCase& c = GetParam();
    TPicture pic;
    std::string error;
    ASSERT_TRUE(Decode(MakeJpeg(c.kind, c.width, c.height), pic, error)) << error;
    const TFastDIB& img = pic.Image;
    ASSERT_EQ(img.Width(), c.width);
    ASSERT_EQ(img.Height(), c.height);
    ASSERT_EQ(img.Bpp(), c.bpp);
    EXPECT_EQ(pic.Kind, TPictureKind::Raster);
    int worst = 0;
    for (int y = 0; y < c.height; ++y) {
        const int row = c.height - 1 - y;  // picture line y is stored bottom-up
        for (int x = 0; x < c.width; ++x) {
            const test::TRgb want = test::TestPattern(x, y, c.width, c.height);
            if (c.bpp == 8) {
                const std::uint8_t index = img.Row(row)[x];
                const TRGBQuad q = img.Colors()[index];
                ASSERT_TRUE(q.r == index && q.g == index && q.b == index) << "grey palette";
                worst = std::max(worst, std::abs(index - want.g));
            } else {
                const TColorTriple p = img.Row24(row)[x];
                worst =
                    std::max({worst, std::abs(p.r - want.r), std::abs(p.g - want.g), std::abs(p.b - want.b)});
            }
        }
    }
    EXPECT_LE(worst, c.tolerance);
}

// Odd sizes leave partial blocks and row padding; heights above 16 need
// several reads of scanlines.
INSTANTIATE_TEST_SUITE_P(Layouts, JpegColourTest,
                         ::testing::Values(ColourCase{"Baseline", TJpegKind::Baseline, 37, 23, 24, 3},
                                           ColourCase{"Subsampled", TJpegKind::Subsampled, 64, 50, 24, 6},
                                           ColourCase{"Progressive", TJpegKind::Progressive, 41, 35, 24, 4},
                                           ColourCase{"Restarts", TJpegKind::Restarts, 40, 40, 24, 6},
                                           ColourCase{"Arithmetic", TJpegKind::Arithmetic, 40, 24, 24, 6},
                                           ColourCase{"Grey", TJpegKind::Grey, 33, 19, 8, 2},
                                           ColourCase{"Rgb", TJpegKind::Rgb, 20, 18, 24, 3},
                                           ColourCase{"Cmyk", TJpegKind::Cmyk, 30, 21, 24, 4},
                                           ColourCase{"AdobeCmyk", TJpegKind::AdobeCmyk, 30, 21, 24, 4},
                                           ColourCase{"AdobeYcck", TJpegKind::AdobeYcck, 31, 17, 24, 4},
                                           ColourCase{"OnePixel", TJpegKind::Baseline, 1, 1, 24, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegDecoder, KeepsTheFirstCommentSegment) {
    const Bytes file = test::InsertAfterSoi(
        test::InsertAfterSoi(MakeJpeg(TJpegKind::Baseline, 8, 8), test::Segment(0xFE, "second")),
        test::Segment(0xFE, "first"));
    TPicture pic;
    std::string error;
    ASSERT_TRUE(Decode(file, pic, error)) << error;
    EXPECT_EQ(pic.Comment, "first");
}

TEST(JpegDecoder, CommentReaderFailureFailsTheDecode) {
    // libjpeg skips stray bytes between segments with a warning; the comment
    // reader does not, and its verdict decides.
    Bytes file = MakeJpeg(TJpegKind::Baseline, 8, 8);
    file.insert(file.begin() + 2, {0x00, 0x11});
    TPicture pic;
    std::string error;
    EXPECT_FALSE(Decode(file, pic, error));
    EXPECT_EQ(error, "Garbage data found in JPEG file");
    EXPECT_TRUE(pic.Image.Empty());
}

TEST(JpegDecoder, ScanLimitStopsManyScanFiles) {
    const Bytes file = MakeJpeg(TJpegKind::Progressive, 16, 16);  // ten scans
    TPicture pic;
    std::string error;
    TJpegLimits limits;
    limits.MaxScans = 3;
    EXPECT_FALSE(DecodeJpegLimited(TDecodeInput{file.data(), file.size(), ""}, pic, error, limits));
    EXPECT_EQ(error, "Too many scans in JPEG file");
    limits.MaxScans = 10;
    EXPECT_TRUE(DecodeJpegLimited(TDecodeInput{file.data(), file.size(), ""}, pic, error, limits)) << error;
}

TEST(JpegDecoder, PixelLimitIsCheckedBeforeDecoding) {
    const Bytes file = MakeJpeg(TJpegKind::Baseline, 20, 10);
    TPicture pic;
    std::string error;
    TJpegLimits limits;
    limits.MaxPixels = 199;
    EXPECT_FALSE(DecodeJpegLimited(TDecodeInput{file.data(), file.size(), ""}, pic, error, limits));
    limits.MaxPixels = 200;
    EXPECT_TRUE(DecodeJpegLimited(TDecodeInput{file.data(), file.size(), ""}, pic, error, limits)) << error;
}

// Damaged files: each must give false, a reason and no picture.
struct DamageCase {
    const char* name;
    const char* reason;  // part of the expected error text
    Bytes (*make)();
};

Bytes SofPatched(TJpegKind kind, int width, int height) {
    Bytes b = MakeJpeg(kind, 16, 16);
    std::size_t sof = FindMarker(b, kind == TJpegKind::Progressive ? 0xC2 : 0xC0);
    if (sof == std::string::npos) return {};
    b[sof + 5] = static_cast<std::uint8_t>(height >> 8);
    b[sof + 6] = static_cast<std::uint8_t>(height);
    b[sof + 7] = static_cast<std::uint8_t>(width >> 8);
    b[sof + 8] = static_cast<std::uint8_t>(width);
    return b;
}

Bytes Truncated(TJpegKind kind, double keep) {
    Bytes b = MakeJpeg(kind, 64, 64);
    b.resize(static_cast<std::size_t>(b.size() * keep));
    return b;
}

const DamageCase kDamaged[] = {
    {"Empty", "Not a JPEG file", [] { return Bytes{}; }},
    {"SoiOnly", "Premature EOF in JPEG file",
     [] {
         return Bytes{0xFF, 0xD8};
     }},
    {"Garbage", "Not a JPEG file",
     [] { return Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 2, 3, 4, 5, 6, 7, 8}; }},
    {"SoiThenNoise", "Premature EOF in JPEG file",
     [] {
         Bytes b{0xFF, 0xD8};
         for (int i = 0; i < 200; ++i) b.push_back(static_cast<std::uint8_t>(i * 37 + 11));
         return b;
     }},
    {"HeaderOnly", "Premature EOF in JPEG file",
     [] {
         Bytes b = MakeJpeg(TJpegKind::Baseline, 16, 16);
         b.resize(FindMarker(b, 0xDA));
         return b;
     }},
    {"TruncatedBaseline", "Premature end of JPEG file", [] { return Truncated(TJpegKind::Baseline, 0.6); }},
    {"TruncatedProgressive", "Premature end of JPEG file",
     [] { return Truncated(TJpegKind::Progressive, 0.6); }},
    {"TruncatedArithmetic", "Premature end of JPEG file",
     [] { return Truncated(TJpegKind::Arithmetic, 0.7); }},
    {"TruncatedWithRestarts", "Premature end of JPEG file",
     [] { return Truncated(TJpegKind::Restarts, 0.7); }},
    {"MissingEndMarker", "Premature end of JPEG file",
     [] {
         Bytes b = MakeJpeg(TJpegKind::Baseline, 16, 16);
         b.resize(b.size() - 2);
         return b;
     }},
    {"ZeroWidth", "Empty JPEG image", [] { return SofPatched(TJpegKind::Baseline, 0, 16); }},
    {"ZeroHeight", "Empty JPEG image", [] { return SofPatched(TJpegKind::Baseline, 16, 0); }},
    {"HugeBaseline", "size out of range", [] { return SofPatched(TJpegKind::Baseline, 65000, 65000); }},
    {"HugeProgressive", "size out of range", [] { return SofPatched(TJpegKind::Progressive, 60000, 60000); }},
    {"BeyondLibjpegWidth", "Maximum supported image dimension",
     [] { return SofPatched(TJpegKind::Baseline, 65535, 1); }},
    {"TooManyPixels", "size out of range", [] { return SofPatched(TJpegKind::Baseline, 65000, 4200); }},
    {"BadComponentCount", "Empty JPEG image",
     [] {
         Bytes b = MakeJpeg(TJpegKind::Baseline, 16, 16);
         b[FindMarker(b, 0xC0) + 9] = 0;
         return b;
     }},
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class JpegDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(JpegDamageTest, FailsCleanly) {
    const Bytes file = GetParam().make();
    TPicture pic;
    std::string error;
    EXPECT_FALSE(Decode(file, pic, error));
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
    EXPECT_TRUE(pic.Image.Empty());
}

INSTANTIATE_TEST_SUITE_P(Files, JpegDamageTest, ::testing::ValuesIn(kDamaged),
                         [](const auto& info) { return std::string(info.param.name); });

// Public sample files.
std::string Sample(const char* name) {
    return test::TestDataPath(std::string("pillow/") + name);
}

TEST(JpegSamples, ColourPhotoMatchesItsBitmapCopy) {
    TPicture pic;
    std::string error;
    ASSERT_TRUE(LoadPicture(Sample("hopper.jpg"), pic, error)) << error;
    ASSERT_EQ(pic.Image.Bpp(), 24);
    // The segment's terminating zero is part of the text as stored.
    EXPECT_EQ(pic.Comment, std::string("File written by Adobe Photoshop\xA8 4.0", 37));

    TFastDIB ref;
    const Bytes bmp = test::ReadFileBytes(Sample("hopper.bmp"));
    ASSERT_TRUE(ref.LoadFromStream(bmp));
    ASSERT_EQ(ref.Bpp(), 24);
    ASSERT_EQ(pic.Image.Width(), ref.Width());
    ASSERT_EQ(pic.Image.Height(), ref.Height());
    long long sum = 0;
    for (int row = 0; row < ref.Height(); ++row)
        for (int x = 0; x < ref.Width(); ++x) {
            const TColorTriple a = pic.Image.Row24(row)[x], b = ref.Row24(row)[x];
            sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
    // Another decoder's rounding, not another picture: well under one level.
    EXPECT_LT(double(sum) / (3.0 * ref.Width() * ref.Height()), 1.0);
}

TEST(JpegSamples, GreyPhotoIsEightBit) {
    TPicture pic;
    std::string error;
    ASSERT_TRUE(LoadPicture(Sample("hopper_gray.jpg"), pic, error)) << error;
    EXPECT_EQ(pic.Image.Bpp(), 8);
    EXPECT_EQ(pic.Image.Width(), 128);
    EXPECT_EQ(pic.Image.Height(), 128);
}

TEST(JpegSamples, AdobeCmykIsNotInverted) {
    // The sample is red at its top left and black at its bottom right.
    TPicture pic;
    std::string error;
    ASSERT_TRUE(LoadPicture(Sample("pil_sample_cmyk.jpg"), pic, error)) << error;
    const TFastDIB& img = pic.Image;
    ASSERT_EQ(img.Bpp(), 24);
    ASSERT_EQ(img.Width(), 100);
    ASSERT_EQ(img.Height(), 100);
    const TColorTriple topLeft = img.Row24(img.Height() - 1)[0];
    EXPECT_GT(topLeft.r, 200);
    EXPECT_LT(topLeft.g, 60);
    EXPECT_LT(topLeft.b, 60);
    const TColorTriple bottomRight = img.Row24(0)[img.Width() - 1];
    EXPECT_LT(bottomRight.r + bottomRight.g + bottomRight.b, 90);
}

TEST(JpegSamples, EveryJpegExtensionSelectsTheReader) {
    for (const char* ext : {"jpg", "JPG", "jpeg", "JPEG", "Jpe", "JFIF", "jfif"})
        EXPECT_EQ(DecoderForExtension(ext), &DecodeJpeg) << ext;
}

}  // namespace
}  // namespace pm
