// The load task turns pictures upright by their EXIF orientation (unless
// Apply_Orientation is off) before the next task, and the general object
// learns the upright size.
#include "core/RunContext.h"
#include "decoders/PictureLoader.h"
#include "support/ReaderTestKit.h"
#include "support/RecordingConsole.h"
#include "tasks/KX_LoadBitmapFromFile.h"
#include "tasks/PM__TLoadFromFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace pm {
namespace {

std::string Sample(const std::string& name) {
    return test::TestDataPath("orientation/" + name);
}

// Largest difference of any channel; -1 when the sizes differ.
int LargestDifference(const TFastDIB& a, const TFastDIB& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int most = 0;
    for (int r = 0; r < a.Height(); ++r)
        for (int x = 0; x < a.Width(); ++x) {
            const TColorTriple p = a.GetPixel(r, x), q = b.GetPixel(r, x);
            most = std::max({most, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    return most;
}

// Runs the load task on `file` with Apply_Orientation as given.
struct TLoaded {
    bool ok = false;
    TFastDIB image;
    TBitmapsInfo info;
    std::vector<std::string> log;
};

TLoaded RunLoadTask(const std::string& file, bool apply) {
    TRunContext ctx;
    TLoadFromFile task(&ctx);
    task.ApplyOrientation.SetValue(apply, vsCurrent);
    ctx.CurrentSourceFile = file;
    test::TLogRecorder log;
    TLoaded out;
    out.ok = task.Execute(vsCurrent);
    out.image = task.DstBitmap.Dib();
    out.info = ctx.GeneralObject().BitmapsInfo;
    out.log = log.Texts();
    return out;
}

// The eight files are one scene stored in the eight ways (lossless turns of
// one JPEG), so upright they are the same pixels, byte for byte.
TEST(LoadOrientation, EveryOrientationGivesTheSameUprightPicture) {
    const TLoaded reference = RunLoadTask(Sample("jpeg_orientation_1.jpg"), true);
    ASSERT_TRUE(reference.ok);
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        const std::string file = Sample("jpeg_orientation_" + std::to_string(n) + ".jpg");
        const TLoaded got = RunLoadTask(file, true);
        ASSERT_TRUE(got.ok);
        EXPECT_EQ(LargestDifference(got.image, reference.image), 0);
        EXPECT_EQ(got.info.Width, 24);
        EXPECT_EQ(got.info.Height, 16);
        EXPECT_EQ(got.info.BitsPerPixel, 24);
        EXPECT_EQ(got.info.Orientation, n);
        EXPECT_EQ(got.info.OrientationApplied, n != 1);
        EXPECT_EQ(got.log, std::vector<std::string>{"Loading image \"" + file + "\" ... Complete"});
    }
}

TEST(LoadOrientation, TiffPngAndWebpStandUprightToo) {
    const TLoaded jpeg = RunLoadTask(Sample("jpeg_orientation_1.jpg"), true);
    const TLoaded tiff = RunLoadTask(Sample("tiff_orientation_6.tif"), true);
    const TLoaded png = RunLoadTask(Sample("png_orientation_6.png"), true);
    const TLoaded webp = RunLoadTask(Sample("webp_orientation_6.webp"), true);
    ASSERT_TRUE(tiff.ok && png.ok && webp.ok && jpeg.ok);
    for (const TLoaded* l : {&tiff, &png, &webp}) {
        EXPECT_EQ(l->info.Width, 24);
        EXPECT_EQ(l->info.Height, 16);
        EXPECT_EQ(l->info.Orientation, 6);
    }
    // Both lossless: the same pixels; the JPEG within its colour rounding.
    EXPECT_EQ(LargestDifference(tiff.image, png.image), 0);
    EXPECT_EQ(LargestDifference(webp.image, png.image), 0);
    EXPECT_LE(LargestDifference(jpeg.image, png.image), 2);
    EXPECT_EQ(test::Rgb(png.image, 0, 0), 0xC81E1Eu);    // red block top left
    EXPECT_EQ(test::Rgb(png.image, 23, 15), 0xF0F0F0u);  // white block bottom right
}

// Off, or with an EXIF block that cannot be read, the picture is handed on
// as stored (16 x 24) and the load succeeds.
TEST(LoadOrientation, StoredRasterWhenOffOrUnreadable) {
    struct Case {
        const char* file;
        bool apply;
        int orientation;
    } cases[] = {
        {"jpeg_orientation_6.jpg", false, 6}, {"tiff_orientation_6.tif", false, 6},
        {"png_orientation_6.png", false, 6},  {"webp_orientation_6.webp", false, 6},
        {"jpeg_damaged_exif.jpg", true, 1},
    };
    TPicture stored;
    std::string error;
    ASSERT_TRUE(LoadPicture(Sample("jpeg_orientation_6.jpg"), stored, error));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const TLoaded got = RunLoadTask(Sample(c.file), c.apply);
        ASSERT_TRUE(got.ok);
        EXPECT_EQ(got.info.Width, 16);
        EXPECT_EQ(got.info.Height, 24);
        EXPECT_EQ(got.info.Orientation, c.orientation);
        EXPECT_FALSE(got.info.OrientationApplied);
        EXPECT_LE(LargestDifference(got.image, stored.Image), 2);
        EXPECT_EQ(got.log.size(), 1u);
    }
}

TEST(LoadOrientation, SettingIsSavedLoadedAndOptional) {
    struct Case {
        const char* stored;  // null: the key is missing (a file written before it)
        bool before, after;
    } cases[] = {{"No", true, false}, {"Yes", false, true}, {nullptr, false, true}, {nullptr, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        TLoadFromFile task;
        task.ApplyOrientation.SetValue(c.before, vsCurrent);
        TINIObject ini;
        for (const auto& f : task.Formats) ini.AddRecord(f->Enabled.Name, "Yes");
        if (c.stored) ini.AddRecord("Apply_Orientation", c.stored);
        test::TLogRecorder log;
        task.LoadSettings(ini);
        EXPECT_EQ(task.ApplyOrientation.GetValue(vsCurrent), c.after);
        EXPECT_TRUE(log.Texts().empty());
    }
    TLoadFromFile fresh;
    const TINIObject& saved = fresh.SaveSettings("Load");
    ASSERT_EQ(saved.Count(), 2 + TLoadFromFile::kFormatCount + 1);
    EXPECT_EQ(saved[saved.Count() - 1].Name, "Apply_Orientation");
    EXPECT_EQ(saved[saved.Count() - 1].Data, "Yes");
}

// The main window's test image follows the scenario's load task.
TEST(LoadOrientation, TestImageFollowsTheFirstTask) {
    TLoadFromFile load;
    EXPECT_TRUE(TLoadFromFile::LoadsUpright(&load));
    load.ApplyOrientation.SetValue(false, vsCurrent);
    EXPECT_FALSE(TLoadFromFile::LoadsUpright(&load));
    EXPECT_TRUE(TLoadFromFile::LoadsUpright(nullptr));
}

}  // namespace
}  // namespace pm
