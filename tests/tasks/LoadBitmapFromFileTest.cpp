#include "core/RunContext.h"
#include "decoders/FlawedFiles.h"
#include "decoders/PictureLoader.h"
#include "log/WriteLog.h"
#include "support/ReaderTestKit.h"
#include "support/TempDir.h"
#include "tasks/KX_LoadBitmapFromFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace pm {
namespace {

// Path of a file of the BMP suite ("g/pal8.bmp").
std::string SuiteFile(const std::string& name) {
    return test::TestDataPath("bmpsuite/" + name);
}

struct Line {
    int kind;
    bool newMessage;
    TTextColorArray segments;
};

void ExpectLog(const std::vector<TLogCapture::Entry>& got, const std::vector<Line>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].Kind, want[i].kind);
        EXPECT_EQ(got[i].NewMessage, want[i].newMessage);
        EXPECT_TRUE(got[i].ToFile);
        EXPECT_TRUE(got[i].ToConsole);
        ASSERT_EQ(got[i].Segments.size(), want[i].segments.size());
        for (std::size_t k = 0; k < want[i].segments.size(); ++k) {
            EXPECT_EQ(got[i].Segments[k].Text, want[i].segments[k].Text);
            EXPECT_EQ(got[i].Segments[k].Color, want[i].segments[k].Color) << got[i].Segments[k].Text;
        }
    }
}

Line Loading(const std::string& file) {
    return {
        lmInfo, true, {{"Loading image \"", LogTextColor}, {file, LogValueColor}, {"\" ... ", LogTextColor}}};
}

Line CantLoad(const std::string& file) {
    return {lmError,
            true,
            {{"Can't load image \"", LogErrorColor}, {file, LogValueColor}, {"\" !", LogErrorColor}}};
}

// The reason, on a line of its own after the error.
Line Reason(const std::string& text) {
    return {lmWarning, true, {{text, LogTextColor}}};
}

TEST(LoadBitmapFromFile, SuccessIsOneLineEndingInComplete) {
    const std::string file = SuiteFile("g/pal8.bmp");
    TBitmap bmp;
    TLogCapture capture;
    EXPECT_TRUE(LoadBitmapFromFile(file, bmp));
    ExpectLog(capture.Take(), {Loading(file), {lmInfo, false, {{"Complete", LogDoneColor}}}});
    EXPECT_EQ(bmp.Width(), 127);
    EXPECT_EQ(bmp.PixelFormat(), 8);  // the file's own depth
}

TEST(LoadBitmapFromFile, FailuresLogTheErrorAndThenWhy) {
    test::TempDir dir;
    const std::string missing = dir.Path("missing.bmp");
    const std::string pal = dir.Write("colours.PAL", test::ReadFileBytes(SuiteFile("g/pal8.bmp")));
    const std::string damaged = dir.Write("short.bmp", test::ReadFileBytes(SuiteFile("b/shortfile.bmp")));
    const std::string notBmp = dir.Write("text.bmp", std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    const std::string folder = dir.Path("folder.bmp");
    std::filesystem::create_directory(folder);
    struct Case {
        std::string file;
        std::vector<Line> after;  // the lines after the loading message
    } cases[] = {
        {missing,
         {{lmError,
           true,
           {{"File \"", LogErrorColor}, {missing, LogValueColor}, {"\" not found!", LogErrorColor}}}}},
        {folder,
         {{lmError,
           true,
           {{"File \"", LogErrorColor}, {folder, LogValueColor}, {"\" not found!", LogErrorColor}}}}},
        {pal, {CantLoad(pal), Reason("Unknown picture file extension (.PAL)")}},
        {damaged, {CantLoad(damaged), Reason("BMP: Pixel data truncated")}},
        {notBmp, {CantLoad(notBmp), Reason("BMP: Not a bitmap file")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TBitmap bmp;
        bmp.SetSize(3, 3);
        TLogCapture capture;
        EXPECT_FALSE(LoadBitmapFromFile(c.file, bmp));
        std::vector<Line> want = {Loading(c.file)};
        want.insert(want.end(), c.after.begin(), c.after.end());
        ExpectLog(capture.Take(), want);
        EXPECT_EQ(bmp.Width(), 3);  // left as it was
    }
}

// The name that leads a reader's reasons, by file extension.
std::string FormatOf(const std::string& extension) {
    static const std::map<std::string, std::string> names = {
        {"bmp", "BMP"}, {"gif", "GIF"}, {"pcx", "PCX"}, {"tif", "TIFF"}, {"jpg", "JPEG"},
        {"png", "PNG"}, {"cut", "CUT"}, {"psp", "PSP"}, {"eps", "EPS"},  {"psd", "PSD"},
    };
    return names.at(extension);
}

TEST(LoadBitmapFromFile, DamagedFilesOfEveryFormatSayWhyTheyFail) {
    test::TempDir dir;
    for (const test::TFlawedFile& f : test::DamagedFiles(test::GhostscriptAvailable())) {
        SCOPED_TRACE(f.name);
        const std::string file = dir.Write("damaged." + f.extension, f.bytes);
        TBitmap bmp;
        TLogCapture capture;
        EXPECT_FALSE(LoadBitmapFromFile(file, bmp));
        ExpectLog(capture.Take(),
                  {Loading(file), CantLoad(file), Reason(FormatOf(f.extension) + ": " + f.reason)});
    }
}

TEST(LoadBitmapFromFile, HarmlessOdditiesLoadAndAreNamedAfterComplete) {
    test::TempDir dir;
    for (const test::TFlawedFile& f : test::HarmlessOddities(test::GhostscriptAvailable())) {
        SCOPED_TRACE(f.name);
        const std::string file = dir.Write("odd." + f.extension, f.bytes);
        TBitmap bmp;
        TLogCapture capture;
        EXPECT_TRUE(LoadBitmapFromFile(file, bmp));
        ExpectLog(capture.Take(), {Loading(file),
                                   {lmInfo, false, {{"Complete", LogDoneColor}}},
                                   Reason(FormatOf(f.extension) + ": " + f.reason)});
        EXPECT_FALSE(bmp.Empty());
    }
}

TEST(LoadSourceImage, RecordsTheFileDepthAndBringsTheImageToTwentyFourBits) {
    struct Case {
        const char* file;
        int bitsPerPixel;
        const char* sameAs;  // a 24-bit file showing the same pixels, if any
    } cases[] = {
        {"g/pal1.bmp", 1, nullptr},           {"g/pal4.bmp", 4, nullptr},
        {"g/pal8.bmp", 8, nullptr},           {"g/rgb16.bmp", 15, nullptr},
        {"g/rgb16bfdef.bmp", 15, nullptr},    {"g/rgb16-565.bmp", 16, nullptr},
        {"g/rgb24.bmp", 24, "g/rgb24.bmp"},   {"g/rgb32.bmp", 32, "g/rgb24.bmp"},
        {"g/rgb32bf.bmp", 32, "g/rgb24.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TRunContext ctx;
        TBaseClass& g = ctx.GeneralObject();
        g.DstBitmap.SetSize(1, 1);
        TLogCapture capture;
        ASSERT_TRUE(LoadSourceImage(ctx, SuiteFile(c.file)));
        capture.Take();
        EXPECT_EQ(g.BitmapsInfo.SourceFileName, SuiteFile(c.file));
        EXPECT_EQ(g.BitmapsInfo.Width, 127);
        EXPECT_EQ(g.BitmapsInfo.Height, 64);
        EXPECT_EQ(g.BitmapsInfo.BitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(g.SrcBitmap.PixelFormat(), 24);
        EXPECT_TRUE(g.DstBitmap.Empty());  // the bitmaps were reset first
        // The 24-bit image is the conversion of the decoded one.
        TPicture picture;
        std::string error;
        ASSERT_TRUE(LoadPicture(SuiteFile(c.file), picture, error));
        ASSERT_TRUE(ConvertDepth(picture.Image, 24));
        const TFastDIB& src = g.SrcBitmap.Dib();
        int wrong = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 127; ++x) wrong += !(src.GetPixel(y, x) == picture.Image.GetPixel(y, x));
        EXPECT_EQ(wrong, 0);
    }
}

TEST(LoadSourceImage, FailureLeavesTheGeneralObjectReset) {
    TRunContext ctx;
    TBaseClass& g = ctx.GeneralObject();
    g.SrcBitmap.SetSize(4, 4);
    TLogCapture capture;
    EXPECT_FALSE(LoadSourceImage(ctx, SuiteFile("b/shortfile.bmp")));
    EXPECT_TRUE(g.SrcBitmap.Empty());
    EXPECT_EQ(capture.Take().size(), 3u);  // loading, the error, and why
}

}  // namespace
}  // namespace pm
