// The save task's formats after JPEG and BMP: each result carries its own
// extension, is read back by the picture loader with the BMP result's pixels
// (close ones for the lossy settings) and follows its settings; scenarios
// written before these settings existed load as they did.
#include "core/RunContext.h"
#include "decoders/PictureLoader.h"
#include "log/WriteLog.h"
#include "support/ReaderTestKit.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace pm {
namespace {

TBitmap Gradient() {
    TBitmap bmp;
    bmp.SetSize(67, 45);
    TFastDIB& dib = bmp.MutableDib();
    for (int r = 0; r < 45; ++r)
        for (int x = 0; x < 67; ++x)
            dib.SetPixel(r, x, {std::uint8_t(x * 3), std::uint8_t(r * 5), std::uint8_t(100 + (x ^ r) % 7)});
    return bmp;
}

struct TRun {
    bool ok = false;
    std::vector<std::string> log;  // the text of each message
    std::string bytes;
};

TRun Save(TSaveToFile& task, const test::TTempDir& dir, const std::string& result) {
    TRunContext ctx;
    ctx.GeneralObject().BitmapsInfo.TargetFileName = dir.Path("photo.jpeg");
    task.SetContext(&ctx);
    task.SrcBitmap = Gradient();
    TRun run;
    TLogCapture capture;
    run.ok = task.Execute(vsCurrent);
    for (const auto& e : capture.Take()) {
        std::string text;
        for (const auto& s : e.Segments) text += s.Text;
        run.log.push_back(text);
    }
    run.bytes = test::TTempDir::Read(dir.Path(result));
    task.SetContext(nullptr);
    return run;
}

double Psnr(const TFastDIB& a, const TFastDIB& b) {
    double sum = 0;
    for (int r = 0; r < a.Height(); ++r)
        for (int x = 0; x < a.Width(); ++x) {
            const TColorTriple p = a.GetPixel(r, x), q = b.GetPixel(r, x);
            sum += (p.r - q.r) * (p.r - q.r) + (p.g - q.g) * (p.g - q.g) + (p.b - q.b) * (p.b - q.b);
        }
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * 3 * a.Width() * a.Height() / sum);
}

TEST(SaveFormats, EachFormatWritesItsFileWithItsSettings) {
    struct Case {
        std::string name;
        int format;
        std::function<void(TSaveToFile&)> set;
        std::string result;
        double minPsnr;  // 0: the BMP result's pixels exactly
        std::function<bool(const std::string&)> check;
    } cases[] = {
        {"PNG", 2, [](TSaveToFile&) {}, "photo.png", 0,
         [](const std::string& f) { return f.substr(1, 3) == "PNG" && f[28] == 0; }},
        {"PNG interlaced", 2, [](TSaveToFile& t) { t.PNG_Interlaced.SetValue(true, vsCurrent); }, "photo.png",
         0, [](const std::string& f) { return f[28] == 1; }},
        {"TIFF, Deflate by default", 3, [](TSaveToFile&) {}, "photo.tif", 0,
         [](const std::string& f) {
             return f.find(std::string("\x03\x01\x03\x00\x01\x00\x00\x00\x08\x00", 10)) != std::string::npos;
         }},
        {"TIFF LZW as .tiff", 3,
         [](TSaveToFile& t) {
             t.TIFF_Compression.SetValue(1, vsCurrent);
             t.Image_Extension_TIF.SetValue(".tiff", vsCurrent);
         },
         "photo.tiff", 0,
         [](const std::string& f) {
             return f.find(std::string("\x03\x01\x03\x00\x01\x00\x00\x00\x05\x00", 10)) != std::string::npos;
         }},
        {"TIFF JPEG", 3, [](TSaveToFile& t) { t.TIFF_Compression.SetValue(3, vsCurrent); }, "photo.tif", 35,
         [](const std::string& f) {
             return f.find(std::string("\x03\x01\x03\x00\x01\x00\x00\x00\x07\x00", 10)) != std::string::npos;
         }},
        {"WebP", 4, [](TSaveToFile&) {}, "photo.webp", 35,
         [](const std::string& f) { return f.substr(12, 4) == "VP8 "; }},
        {"WebP lossless", 4, [](TSaveToFile& t) { t.WebP_Lossless.SetValue(true, vsCurrent); }, "photo.webp",
         0, [](const std::string& f) { return f.substr(12, 4) == "VP8L"; }},
        {"AVIF", 5, [](TSaveToFile&) {}, "photo.avif", 35,
         [](const std::string& f) { return f.substr(4, 8) == "ftypavif"; }},
    };
    test::TTempDir dir;
    TSaveToFile bmpTask;
    bmpTask.Out_Format.SetValue(1, vsCurrent);
    ASSERT_TRUE(Save(bmpTask, dir, "photo.bmp").ok);
    TPicture bmp;
    std::string error;
    ASSERT_TRUE(LoadPicture(dir.Path("photo.bmp"), bmp, error)) << error;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSaveToFile task;
        task.Out_Format.SetValue(c.format, vsCurrent);
        c.set(task);
        const TRun run = Save(task, dir, c.result);
        ASSERT_TRUE(run.ok);
        EXPECT_EQ(run.log.back(), "Complete.");
        EXPECT_TRUE(c.check(run.bytes));
        TPicture got;
        ASSERT_TRUE(LoadPicture(dir.Path(c.result), got, error)) << error;
        ASSERT_TRUE(ConvertDepth(got.Image, 24));
        ASSERT_EQ(got.Image.Width(), bmp.Image.Width());
        ASSERT_EQ(got.Image.Height(), bmp.Image.Height());
        if (c.minPsnr == 0)
            EXPECT_EQ(Psnr(got.Image, bmp.Image), 99);
        else
            EXPECT_GE(Psnr(got.Image, bmp.Image), c.minPsnr);
    }
}

TEST(SaveFormats, ValuesOutsideTheirRangesAreBroughtInWithAWarning) {
    struct Case {
        int format;
        std::function<void(TSaveToFile&)> set;
        std::string warning;
        std::string result;
    } cases[] = {
        {2, [](TSaveToFile& t) { t.PNG_Compression_Level.SetValue(12, vsCurrent); },
         "PNG compression level 12 is out of range 0..9, 9 is used.", "photo.png"},
        {3, [](TSaveToFile& t) { t.TIFF_Compression.SetValue(7, vsCurrent); },
         "TIFF compression 7 is unknown, Deflate is used.", "photo.tif"},
        {4, [](TSaveToFile& t) { t.WebP_Quality.SetValue(-3, vsCurrent); },
         "WebP quality -3 is out of range 0..100, 0 is used.", "photo.webp"},
        {4, [](TSaveToFile& t) { t.WebP_Effort.SetValue(9, vsCurrent); },
         "WebP effort 9 is out of range 0..6, 6 is used.", "photo.webp"},
        {5, [](TSaveToFile& t) { t.AVIF_Quality.SetValue(101, vsCurrent); },
         "AVIF quality 101 is out of range 0..100, 100 is used.", "photo.avif"},
        {5, [](TSaveToFile& t) { t.AVIF_Speed.SetValue(11, vsCurrent); },
         "AVIF speed 11 is out of range 0..10, 10 is used.", "photo.avif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        test::TTempDir dir;
        TSaveToFile task;
        task.Out_Format.SetValue(c.format, vsCurrent);
        c.set(task);
        const TRun run = Save(task, dir, c.result);
        EXPECT_TRUE(run.ok);
        EXPECT_FALSE(run.bytes.empty());
        EXPECT_NE(std::find(run.log.begin(), run.log.end(), c.warning), run.log.end());
    }
}

TEST(SaveFormats, QualityAndLevelMoveTheSize) {
    // Each setting at a low and a high value; the first makes the smaller file.
    struct Case {
        int format;
        std::function<void(TSaveToFile&, bool)> set;
        std::string result;
    } cases[] = {
        {2, [](TSaveToFile& t, bool low) { t.PNG_Compression_Level.SetValue(low ? 9 : 0, vsCurrent); },
         "photo.png"},
        {4, [](TSaveToFile& t, bool low) { t.WebP_Quality.SetValue(low ? 30 : 95, vsCurrent); },
         "photo.webp"},
        {5, [](TSaveToFile& t, bool low) { t.AVIF_Quality.SetValue(low ? 20 : 90, vsCurrent); },
         "photo.avif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        test::TTempDir dir;
        std::size_t sizes[2];
        for (bool low : {true, false}) {
            TSaveToFile task;
            task.Out_Format.SetValue(c.format, vsCurrent);
            c.set(task, low);
            sizes[low ? 0 : 1] = Save(task, dir, c.result).bytes.size();
        }
        EXPECT_GT(sizes[0], 0u);
        EXPECT_LT(sizes[0], sizes[1]);
    }
}

// camera.jpg (see the metadata tests of the save task): its facts, XMP,
// IPTC and profile reach each format's result as far as the format holds them.
TEST(SaveFormats, EachFormatCarriesTheSourcesMetadata) {
    const std::string profile = test::TTempDir::Read(test::TestDataPath("metadata/test.icc"));
    // Exiv2 reads AVIF only when asked to.
    Exiv2::enableBMFF(true);
    const struct {
        int format;
        std::string result;
        bool iptc;
    } cases[] = {{2, "result.png", false},
                 {3, "result.tif", true},
                 {4, "result.webp", false},
                 {5, "result.avif", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        test::TTempDir dir;
        TRunContext ctx;
        TLoadFromFile load(&ctx);
        ctx.CurrentSourceFile = test::TestDataPath("metadata/camera.jpg");
        ASSERT_TRUE(load.Execute(vsCurrent));
        TSaveToFile save(&ctx);
        save.Out_Format.SetValue(c.format, vsCurrent);
        save.SrcBitmap = load.DstBitmap;
        ctx.GeneralObject().BitmapsInfo.TargetFileName = dir.Path("result.jpg");
        ASSERT_TRUE(save.Execute(vsCurrent));
        auto image = Exiv2::ImageFactory::open(dir.Path(c.result));
        image->readMetadata();
        auto text = [](const auto& data, const auto& key) {
            const auto it = data.findKey(key);
            return it == data.end() ? std::string("<none>") : it->toString();
        };
        EXPECT_EQ(text(image->exifData(), Exiv2::ExifKey("Exif.Image.Model")), "TestCam 1");
        EXPECT_EQ(text(image->exifData(), Exiv2::ExifKey("Exif.Photo.DateTimeOriginal")),
                  "2026:12:08 10:30:00");
        // Loading turned the picture upright.
        EXPECT_EQ(text(image->exifData(), Exiv2::ExifKey("Exif.Image.Orientation")), "1");
        EXPECT_EQ(text(image->xmpData(), Exiv2::XmpKey("Xmp.dc.title")), "lang=\"x-default\" Pixmill sample");
        EXPECT_EQ(text(image->iptcData(), Exiv2::IptcKey("Iptc.Application2.Caption")),
                  c.iptc ? "A test caption" : "<none>");
        ASSERT_TRUE(image->iccProfileDefined());
        EXPECT_EQ(std::string(image->iccProfile()->pData_,
                              image->iccProfile()->pData_ + image->iccProfile()->size_),
                  profile);
    }
}

TEST(SaveFormats, ScenarioOfTheFirstReleaseLoadsSilentlyWithTheDefaults) {
    TINIObject ini;
    for (const char* line : {"Out_Format=1", "Image_Extension_JPG=\".jpg\"", "Image_Extension_BMP=\".bmp\"",
                             "Compression_Quality=70", "JPEG_Comment=\"\"", "Progressive_JPEG=No"}) {
        const std::string s(line);
        ini.AddRecord(s.substr(0, s.find('=')), s.substr(s.find('=') + 1));
    }
    TSaveToFile task;
    task.WebP_Quality.SetValue(12, vsCurrent);
    TLogCapture capture;
    task.LoadSettings(ini);
    EXPECT_TRUE(capture.Take().empty());
    EXPECT_EQ(task.Out_Format.GetValue(vsCurrent), 1);
    EXPECT_EQ(task.WebP_Quality.GetValue(vsCurrent), 80);
    EXPECT_EQ(task.PNG_Compression_Level.GetValue(vsCurrent), 6);
    EXPECT_EQ(task.TIFF_Compression.GetValue(vsCurrent), 2);
    EXPECT_EQ(task.AVIF_Speed.GetValue(vsCurrent), 6);
    EXPECT_EQ(task.Image_Extension_AVIF.GetValue(vsCurrent), ".avif");
}

}  // namespace
}  // namespace pm
