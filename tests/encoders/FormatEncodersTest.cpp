// The PNG, TIFF, WebP and AVIF encoders: what our own readers make of their
// files (the same pixels for the lossless settings, close ones for the
// lossy), sizes that follow the settings, and the metadata each format holds.
#include "decoders/Decoders.h"
#include "decoders/MetadataBlocks.h"
#include "encoders/AvifEncoder.h"
#include "encoders/PngEncoder.h"
#include "encoders/TiffEncoder.h"
#include "encoders/WebpEncoder.h"
#include "support/RandomDib.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <functional>
#include <lcms2.h>
#include <memory>
#include <random>
#include <tiffio.h>

namespace pm {
namespace {

// Smooth gradients with a ripple and a little noise, like a small photo; odd
// sizes, so rows have padding and chroma blocks do not divide them.
TFastDIB PhotoLike(int w = 161, int h = 107) {
    TFastDIB d;
    d.SetSize(w, h, 24);
    std::mt19937 rng(5);
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            const double ripple = 20 * std::sin(x / 6.0) * std::cos(row / 9.0);
            auto level = [&](double v) {
                return static_cast<std::uint8_t>(std::clamp(v + ripple + int(rng() % 5), 0.0, 255.0));
            };
            d.SetPixel(row, x,
                       {level(40 + 180.0 * x / w), level(30 + 190.0 * row / h),
                        level(200 - 120.0 * (x + row) / (w + h))});
        }
    return d;
}

std::vector<std::uint8_t> Encode(const IImageEncoder& encoder, const TFastDIB& dib) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    const bool ok = encoder.SaveToSink(
        dib,
        [&](const std::uint8_t* p, std::size_t n) {
            bytes.insert(bytes.end(), p, p + n);
            return true;
        },
        error);
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(error, "");
    return bytes;
}

double Psnr(const TFastDIB& a, const TFastDIB& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const std::uint32_t p = test::Rgb(a, x, y), q = test::Rgb(b, x, y);
            for (int shift : {0, 8, 16}) {
                const double d = double((p >> shift) & 255) - double((q >> shift) & 255);
                sum += d * d;
            }
        }
    const double mse = sum / (3.0 * a.Width() * a.Height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

using TMakeEncoder = std::function<std::unique_ptr<IImageEncoder>()>;

struct TFormatCase {
    std::string name;
    TMakeEncoder make;
    TDecoderFn reader;
    double minPsnr;  // 0: every pixel as it was
};

std::unique_ptr<IImageEncoder> Png(int level, bool interlaced) {
    auto e = std::make_unique<TPngEncoder>();
    e->CompressionLevel = level;
    e->Interlaced = interlaced;
    return e;
}
std::unique_ptr<IImageEncoder> Tiff(TTiffCompression c) {
    auto e = std::make_unique<TTiffEncoder>();
    e->Compression = c;
    return e;
}
std::unique_ptr<IImageEncoder> Webp(int quality, bool lossless, int effort = 4) {
    auto e = std::make_unique<TWebpEncoder>();
    e->Quality = quality;
    e->Lossless = lossless;
    e->Effort = effort;
    return e;
}
std::unique_ptr<IImageEncoder> Avif(int quality, int speed = 6) {
    auto e = std::make_unique<TAvifEncoder>();
    e->Quality = quality;
    e->Speed = speed;
    return e;
}

TEST(FormatEncoders, OurReadersGetThePicturesBack) {
    const TFormatCase cases[] = {
        {"PNG level 0", [] { return Png(0, false); }, DecodePng, 0},
        {"PNG level 6", [] { return Png(6, false); }, DecodePng, 0},
        {"PNG level 9 interlaced", [] { return Png(9, true); }, DecodePng, 0},
        {"TIFF none", [] { return Tiff(TTiffCompression::None); }, DecodeTiff, 0},
        {"TIFF LZW", [] { return Tiff(TTiffCompression::LZW); }, DecodeTiff, 0},
        {"TIFF Deflate", [] { return Tiff(TTiffCompression::Deflate); }, DecodeTiff, 0},
        {"TIFF JPEG", [] { return Tiff(TTiffCompression::JPEG); }, DecodeTiff, 35},
        {"WebP lossless", [] { return Webp(80, true); }, DecodeWebp, 0},
        {"WebP lossless effort 0", [] { return Webp(0, true, 0); }, DecodeWebp, 0},
        {"WebP defaults", [] { return std::make_unique<TWebpEncoder>(); }, DecodeWebp, 35},
        {"AVIF defaults", [] { return std::make_unique<TAvifEncoder>(); }, DecodeHeif, 35},
    };
    const TFastDIB source = PhotoLike();
    // Other depths are written as their 24-bit picture.
    TFastDIB at8 = test::RandomDib(37, 11, 8, 3), at8as24 = at8;
    ASSERT_TRUE(ConvertDepth(at8as24, 24));
    for (const TFormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto encoder = c.make();
        for (const auto& [dib, expected] :
             {std::pair<const TFastDIB*, const TFastDIB*>{&source, &source}, {&at8, &at8as24}}) {
            if (c.minPsnr > 0 && dib == &at8) continue;  // noise is no fair test of a lossy codec
            const test::TDecodeResult r = test::DecodeBytes(c.reader, Encode(*encoder, *dib));
            ASSERT_TRUE(r.ok) << r.error;
            TFastDIB got = r.picture.Image;
            ASSERT_TRUE(ConvertDepth(got, 24));
            ASSERT_EQ(got.Width(), expected->Width());
            ASSERT_EQ(got.Height(), expected->Height());
            if (c.minPsnr == 0)
                EXPECT_EQ(test::CountRgbDifferences(got, *expected), 0);
            else
                EXPECT_GE(Psnr(got, *expected), c.minPsnr);
        }
    }
}

TEST(FormatEncoders, SettingsMoveTheSizeTheExpectedWay) {
    // The first of each pair makes the smaller file.
    const std::pair<TMakeEncoder, TMakeEncoder> pairs[] = {
        {[] { return Png(9, false); }, [] { return Png(0, false); }},
        {[] { return Png(6, false); }, [] { return Png(1, false); }},
        {[] { return Tiff(TTiffCompression::Deflate); }, [] { return Tiff(TTiffCompression::None); }},
        {[] { return Tiff(TTiffCompression::LZW); }, [] { return Tiff(TTiffCompression::None); }},
        {[] { return Tiff(TTiffCompression::JPEG); }, [] { return Tiff(TTiffCompression::Deflate); }},
        {[] { return Webp(40, false); }, [] { return Webp(90, false); }},
        {[] { return Webp(80, false); }, [] { return Webp(80, true); }},
        {[] { return Avif(30); }, [] { return Avif(80); }},
    };
    const TFastDIB source = PhotoLike();
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        SCOPED_TRACE(i);
        EXPECT_LT(Encode(*pairs[i].first(), source).size(), Encode(*pairs[i].second(), source).size());
    }
}

std::vector<std::uint8_t> SrgbProfile() {
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

TImageMetadata HandBuiltMetadata() {
    TImageMetadata m;
    // A little-endian TIFF header; IFD0 with Orientation (274) = 1 and the
    // pointer to an EXIF directory holding DateTimeOriginal (36867).
    m.Exif = {'I',  'I',  42, 0, 8,  0, 0, 0,               // header
              2,    0,                                      // IFD0 at 8
              0x12, 0x01, 3,  0, 1,  0, 0, 0, 1,  0, 0, 0,  // Orientation
              0x69, 0x87, 4,  0, 1,  0, 0, 0, 38, 0, 0, 0,  // EXIF directory at 38
              0,    0,    0,  0,                            // no IFD1
              1,    0,                                      // EXIF directory
              0x03, 0x90, 2,  0, 20, 0, 0, 0, 56, 0, 0, 0,  // DateTimeOriginal at 56
              0,    0,    0,  0};
    for (char c : std::string("2024:05:06 07:08:09")) m.Exif.push_back(static_cast<std::uint8_t>(c));
    m.Exif.push_back(0);
    m.Xmp = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta "
            "xmlns:x=\"adobe:ns:meta/\">"
            "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" dc:format=\"pixmill-test\"/></rdf:RDF></x:xmpmeta>"
            "<?xpacket end=\"w\"?>";
    // Record 2, dataset 120 (caption), 5 bytes.
    m.Iptc = {0x1C, 2, 120, 0, 5, 'h', 'e', 'l', 'l', 'o'};
    m.Icc = SrgbProfile();
    return m;
}

// The date the EXIF block of a whole file gives, read by Exiv2.
std::string ExifDate(const std::vector<std::uint8_t>& file) {
    try {
        auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
        image->readMetadata();
        const auto it = image->exifData().findKey(Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"));
        return it == image->exifData().end() ? std::string() : it->toString();
    } catch (...) {
        return "unreadable";
    }
}

bool Contains(const std::vector<std::uint8_t>& bytes, const void* part, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(part);
    return std::search(bytes.begin(), bytes.end(), p, p + size) != bytes.end();
}

// The value of a counted TIFF tag of the first directory.
std::vector<std::uint8_t> TiffTag(const std::vector<std::uint8_t>& file, ttag_t tag) {
    const std::string path = ::testing::TempDir() + "pixmill-tags.tif";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    std::vector<std::uint8_t> value;
    if (TIFF* tif = TIFFOpen(path.c_str(), "r")) {
        std::uint32_t count = 0;
        void* data = nullptr;
        if (TIFFGetField(tif, tag, &count, &data) && data)
            value.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + count);
        TIFFClose(tif);
    }
    std::remove(path.c_str());
    return value;
}

// A small picture and the hand-built metadata for it.
class FormatEncodersMetadata : public ::testing::Test {
protected:
    const TImageMetadata meta = HandBuiltMetadata();
    const TFastDIB source = PhotoLike(40, 30);
};

TEST_F(FormatEncodersMetadata, GoesWhereEachFormatKeepsIt) {
    struct Case {
        std::string name;
        TMakeEncoder make;
        TDecoderFn reader;
        bool containerExif;  // found by the readers' own search for the EXIF block and profile
    } cases[] = {
        {"PNG", [] { return Png(6, false); }, DecodePng, true},
        {"WebP lossy", [] { return Webp(80, false); }, DecodeWebp, true},
        {"WebP lossless", [] { return Webp(80, true); }, DecodeWebp, true},
        {"AVIF", [] { return Avif(60); }, DecodeHeif, true},
        {"TIFF", [] { return Tiff(TTiffCompression::Deflate); }, DecodeTiff, false},
        {"TIFF JPEG", [] { return Tiff(TTiffCompression::JPEG); }, DecodeTiff, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto encoder = c.make();
        const std::vector<std::uint8_t> plain = Encode(*encoder, source);
        encoder->Metadata = &meta;
        const std::vector<std::uint8_t> file = Encode(*encoder, source);
        EXPECT_TRUE(Contains(file, meta.Xmp.data(), meta.Xmp.size()));
        EXPECT_FALSE(Contains(plain, meta.Xmp.data(), meta.Xmp.size()));
        if (c.containerExif) {
            const TMetadataBlocks blocks = FindMetadataBlocks(file.data(), file.size());
            EXPECT_EQ(std::vector<std::uint8_t>(blocks.Exif.Data, blocks.Exif.Data + blocks.Exif.Size),
                      meta.Exif);
            EXPECT_EQ(blocks.ProfileBytes, meta.Icc);
            EXPECT_TRUE(FindMetadataBlocks(plain.data(), plain.size()).ProfileBytes.empty());
        } else {
            EXPECT_EQ(TiffTag(file, TIFFTAG_ICCPROFILE), meta.Icc);
            // Whole 32-bit words.
            std::vector<std::uint8_t> iptc = meta.Iptc;
            iptc.resize(12);
            EXPECT_EQ(TiffTag(file, TIFFTAG_RICHTIFFIPTC), iptc);
            EXPECT_TRUE(TiffTag(plain, TIFFTAG_ICCPROFILE).empty());
            EXPECT_EQ(ExifDate(file), "2024:05:06 07:08:09");
            EXPECT_EQ(ExifDate(plain), "");
        }
        // The picture stays as it was with its metadata.
        const test::TDecodeResult with = test::DecodeBytes(c.reader, file),
                                  without = test::DecodeBytes(c.reader, plain);
        ASSERT_TRUE(with.ok) << with.error;
        EXPECT_EQ(test::CountRgbDifferences(with.picture.Image, without.picture.Image), 0);
    }
}

TEST_F(FormatEncodersMetadata, BlocksTheLibrariesRefuseAreLeftOutWithAWarning) {
    struct Case {
        std::string name;
        TMakeEncoder make;
        TDecoderFn reader;  // the picture is read back with it
        std::function<void(TImageMetadata&)> spoil;
        std::string warningStart;
        std::function<bool(const std::vector<std::uint8_t>&)> leftOut;
    } cases[] = {
        {"PNG, a profile that is no profile", [] { return Png(6, false); }, DecodePng,
         [](TImageMetadata& m) { m.Icc.assign(200, 7); }, "PNG: ",
         [](const std::vector<std::uint8_t>& f) {
             return FindMetadataBlocks(f.data(), f.size()).Profile == TProfileState::None;
         }},
        {"TIFF, an EXIF block that is no TIFF structure", [] { return Tiff(TTiffCompression::LZW); },
         DecodeTiff, [](TImageMetadata& m) { m.Exif.assign(40, 0xAB); },
         "The EXIF block can't be written into the TIFF file (",
         [](const std::vector<std::uint8_t>& f) { return ExifDate(f).empty(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TImageMetadata spoilt = meta;
        c.spoil(spoilt);
        auto encoder = c.make();
        encoder->Metadata = &spoilt;
        const std::vector<std::uint8_t> file = Encode(*encoder, source);
        ASSERT_EQ(encoder->Warnings.size(), 1u);
        EXPECT_EQ(encoder->Warnings[0].rfind(c.warningStart, 0), 0u) << encoder->Warnings[0];
        // The block is left out; the rest and the picture are written.
        EXPECT_TRUE(c.leftOut(file));
        EXPECT_TRUE(Contains(file, meta.Xmp.data(), meta.Xmp.size()));
        EXPECT_EQ(test::CountRgbDifferences(test::DecodeBytes(c.reader, file).picture.Image, source), 0);
        // The next file starts without warnings.
        encoder->Metadata = nullptr;
        Encode(*encoder, source);
        EXPECT_TRUE(encoder->Warnings.empty());
    }
}

TEST(FormatEncoders, RefuseAnEmptyPictureAndStopAtAFailingSink) {
    const TFastDIB source = PhotoLike(300, 200);
    const TMakeEncoder makers[] = {[] { return Png(6, false); }, [] { return Tiff(TTiffCompression::LZW); },
                                   [] { return Webp(80, false); }, [] { return Avif(60, 9); }};
    for (std::size_t i = 0; i < std::size(makers); ++i) {
        SCOPED_TRACE(i);
        const auto encoder = makers[i]();
        std::string error;
        int calls = 0;
        EXPECT_FALSE(encoder->SaveToSink(
            TFastDIB(), [&](const std::uint8_t*, std::size_t) { return ++calls > 0; }, error));
        EXPECT_EQ(error, "Image is empty, nothing to save!");
        EXPECT_EQ(calls, 0);
        // The caller names the file when the sink fails.
        error.clear();
        EXPECT_FALSE(encoder->SaveToSink(
            source, [&](const std::uint8_t*, std::size_t) { return false; }, error));
        EXPECT_EQ(error, "");
    }
}

}  // namespace
}  // namespace pm
