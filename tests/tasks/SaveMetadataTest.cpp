// A result takes over its source's EXIF, XMP, IPTC and colour profile as the
// save task's Metadata setting says, told that the picture now stands upright
// at its new size; Convert_To_sRGB converts the pixels as Little CMS does.
#include "core/RunContext.h"
#include "decoders/PictureLoader.h"
#include "support/ReaderTestKit.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"
#include "tasks/ResultMetadata.h"
#include "tasks/SrgbConversion.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>
#include <lcms2.h>

#include <string>
#include <vector>

namespace pm {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct TSaveCase {
    int choice = kMetadataAll;
    bool upright = true;
    bool srgb = false;
    int format = 0;  // 0 JPEG, 1 BMP
};

// Loads `source` with the load task and saves it with the save task; the
// result's bytes, empty when either failed.
Bytes LoadAndSave(const std::string& source, const TSaveCase& c, const test::TTempDir& dir) {
    TRunContext ctx;
    TLoadFromFile load(&ctx);
    load.ApplyOrientation.SetValue(c.upright, vsCurrent);
    ctx.CurrentSourceFile = source;
    if (!load.Execute(vsCurrent)) return {};
    TSaveToFile save(&ctx);
    save.Out_Format.SetValue(c.format, vsCurrent);
    save.Metadata.SetValue(c.choice, vsCurrent);
    save.Convert_To_sRGB.SetValue(c.srgb, vsCurrent);
    save.SrcBitmap = load.DstBitmap;
    ctx.GeneralObject().BitmapsInfo.TargetFileName = dir.Path("result.jpg");
    if (!save.Execute(vsCurrent)) return {};
    const std::string text = test::TTempDir::Read(dir.Path(c.format == 0 ? "result.jpg" : "result.bmp"));
    return Bytes(text.begin(), text.end());
}

struct TFound {
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    Bytes icc;
};

TFound ReadBack(const Bytes& file) {
    auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
    image->readMetadata();
    TFound out{image->exifData(), image->xmpData(), image->iptcData(), {}};
    if (image->iccProfileDefined())
        out.icc.assign(image->iccProfile()->pData_, image->iccProfile()->pData_ + image->iccProfile()->size_);
    return out;
}

std::string Text(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string("<none>") : it->toString();
}

std::string Text(const Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    return it == xmp.end() ? std::string("<none>") : it->toString();
}

bool HasGroup(const Exiv2::ExifData& exif, const std::string& group) {
    for (const auto& d : exif)
        if (d.groupName() == group) return true;
    return false;
}

// camera.jpg: a 16 x 24 picture stored lying on its side (orientation 6) with
// facts, a location, a thumbnail, XMP, IPTC and a colour profile.
TEST(SaveMetadata, TheResultCarriesTheSourcesFactsAsAsked) {
    const std::string source = test::TestDataPath("metadata/camera.jpg");
    const std::string profile = test::TTempDir::Read(test::TestDataPath("metadata/test.icc"));
    const struct {
        const char* name;
        TSaveCase c;
        bool facts, location;
        const char* orientation;
    } cases[] = {
        {"all", {kMetadataAll, true}, true, true, "1"},
        {"all but location", {kMetadataAllButLocation, true}, true, false, "1"},
        {"all, left lying", {kMetadataAll, false}, true, true, "6"},
        {"none", {kMetadataNone, true}, false, false, ""},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        test::TTempDir dir;
        const Bytes result = LoadAndSave(source, k.c, dir);
        ASSERT_FALSE(result.empty());
        const TFound found = ReadBack(result);
        if (!k.facts) {
            EXPECT_TRUE(found.exif.empty());
            EXPECT_TRUE(found.xmp.empty());
            EXPECT_TRUE(found.iptc.empty());
            EXPECT_TRUE(found.icc.empty());
            continue;
        }
        EXPECT_EQ(Text(found.exif, "Exif.Image.Copyright"), "(c) 2026 Pixmill Tests");
        EXPECT_EQ(Text(found.exif, "Exif.Image.Model"), "TestCam 1");
        EXPECT_EQ(Text(found.exif, "Exif.Photo.DateTimeOriginal"), "2026:12:08 10:30:00");
        EXPECT_EQ(Text(found.exif, "Exif.Image.Orientation"), k.orientation);
        EXPECT_EQ(Text(found.xmp, "Xmp.tiff.Orientation"), k.orientation);
        // The result's own size, upright or not.
        EXPECT_EQ(Text(found.exif, "Exif.Photo.PixelXDimension"), k.c.upright ? "24" : "16");
        EXPECT_EQ(Text(found.exif, "Exif.Photo.PixelYDimension"), k.c.upright ? "16" : "24");
        EXPECT_FALSE(HasGroup(found.exif, "Thumbnail"));
        EXPECT_EQ(HasGroup(found.exif, "GPSInfo"), k.location);
        EXPECT_EQ(Text(found.xmp, "Xmp.exif.GPSLatitude") != "<none>", k.location);
        EXPECT_EQ(Text(found.xmp, "Xmp.dc.title"), "lang=\"x-default\" Pixmill sample");
        const auto caption = found.iptc.findKey(Exiv2::IptcKey("Iptc.Application2.Caption"));
        ASSERT_NE(caption, found.iptc.end());
        EXPECT_EQ(caption->toString(), "A test caption");
        EXPECT_EQ(std::string(found.icc.begin(), found.icc.end()), profile);
    }
}

// The segments of a JPEG up to its first table, as (marker, first bytes).
std::vector<std::string> Segments(const Bytes& jpeg) {
    std::vector<std::string> out;
    for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDB;) {
        const std::size_t length = std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        const std::size_t n = std::min<std::size_t>(length - 2, 4);
        out.push_back(std::to_string(jpeg[at + 1]) + ":" +
                      std::string(jpeg.begin() + static_cast<long>(at + 4),
                                  jpeg.begin() + static_cast<long>(at + 4 + n)));
        at += 2 + length;
    }
    return out;
}

// The metadata follows the JFIF segment and the comment stays last before
// the tables; a source without metadata gives the segments it always gave.
TEST(SaveMetadata, SegmentsFollowTheJfifSegmentAndTheCommentStaysBeforeTheTables) {
    const struct {
        const char* source;
        std::vector<std::string> segments;
    } cases[] = {
        {"metadata/camera.jpg", {"224:JFIF", "225:Exif", "225:http", "237:Phot", "226:ICC_", "254:note"}},
        {"pillow/hopper.jpg", {"224:JFIF", "254:note"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        test::TTempDir dir;
        TRunContext ctx;
        TLoadFromFile load(&ctx);
        ctx.CurrentSourceFile = test::TestDataPath(c.source);
        ASSERT_TRUE(load.Execute(vsCurrent));
        TSaveToFile save(&ctx);
        save.JPEG_Comment.SetValue("note", vsCurrent);
        save.SrcBitmap = load.DstBitmap;
        ctx.GeneralObject().BitmapsInfo.TargetFileName = dir.Path("r.jpg");
        ASSERT_TRUE(save.Execute(vsCurrent));
        const std::string text = test::TTempDir::Read(dir.Path("r.jpg"));
        EXPECT_EQ(Segments(Bytes(text.begin(), text.end())), c.segments);
    }
}

// The converted pixels are those Little CMS gives for the source's profile;
// the result then carries the sRGB profile. A BMP result keeps them exact.
TEST(SaveMetadata, ConvertToSrgbGivesLittleCmsPixels) {
    const std::string source = test::TestDataPath("metadata/wide.png");
    TPicture picture;
    std::string error;
    Bytes bytes;
    ASSERT_TRUE(LoadPicture(source, picture, error, bytes)) << error;
    ASSERT_TRUE(ConvertDepth(picture.Image, 24));
    // The profile of the PNG's iCCP chunk.
    TImageMetadata meta;
    cmsHPROFILE wide = nullptr;
    {
        auto image = Exiv2::ImageFactory::open(source);
        image->readMetadata();
        ASSERT_TRUE(image->iccProfileDefined());
        meta.Icc.assign(image->iccProfile()->pData_,
                        image->iccProfile()->pData_ + image->iccProfile()->size_);
        wide = cmsOpenProfileFromMem(meta.Icc.data(), static_cast<cmsUInt32Number>(meta.Icc.size()));
    }
    ASSERT_NE(wide, nullptr);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(wide, TYPE_BGR_8, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    TFastDIB expected = picture.Image;
    for (int y = 0; y < expected.Height(); ++y)
        cmsDoTransform(t, expected.Row(y), expected.Row(y), static_cast<cmsUInt32Number>(expected.Width()));
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(wide);

    test::TTempDir dir;
    const Bytes bmp = LoadAndSave(source, {kMetadataAll, true, true, 1}, dir);
    ASSERT_FALSE(bmp.empty());
    TPicture result;
    ASSERT_TRUE(LoadPicture(dir.Path("result.bmp"), result, error)) << error;
    ASSERT_TRUE(ConvertDepth(result.Image, 24));
    int changed = 0;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x) {
            const TColorTriple e = expected.GetPixel(y, x), r = result.Image.GetPixel(y, x);
            ASSERT_TRUE(e.r == r.r && e.g == r.g && e.b == r.b) << "at " << x << "," << y;
            const TColorTriple s = picture.Image.GetPixel(y, x);
            changed += s.r != r.r || s.g != r.g || s.b != r.b;
        }
    EXPECT_GT(changed, expected.Width() * expected.Height() / 2);

    const Bytes jpeg = LoadAndSave(source, {kMetadataAll, true, true, 0}, dir);
    EXPECT_EQ(ReadBack(jpeg).icc, SrgbProfileBytes());
    EXPECT_EQ(ReadBack(LoadAndSave(source, {kMetadataAll, true, false, 0}, dir)).icc, meta.Icc);
}

// A damaged block is left out with a line in the log; the result is still written.
TEST(SaveMetadata, UnreadableBlocksAreLeftOutWithAWarning) {
    TImageMetadata source;
    source.Exif = {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2};
    source.Xmp = "<x:xmpmeta><unclosed";
    source.Iptc = {0x1C, 2, 120, 0, 2, 'h', 'i'};
    std::vector<std::string> warnings;
    const TImageMetadata out = PrepareResultMetadata(source, kMetadataAll, {10, 10, true, false}, warnings);
    EXPECT_TRUE(out.Exif.empty());
    EXPECT_TRUE(out.Xmp.empty());
    EXPECT_EQ(out.Iptc, source.Iptc);
    EXPECT_EQ(warnings.size(), 2u);
}

}  // namespace
}  // namespace pm
