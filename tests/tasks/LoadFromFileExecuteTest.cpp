// The LoadFromFile task on real files: the loaded image, what the general
// object learns about it, the target file name and the failure messages.
#include "core/RunContext.h"
#include "log/WriteLog.h"
#include "support/JpegTestFiles.h"
#include "tasks/PM__TLoadFromFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace pm {
namespace {

namespace fs = std::filesystem;
using test::TJpegKind;

struct TargetCase {
    const char* name;
    const char* sourceDirectory;
    const char* sourceFile;
    const char* targetDirectory;
    const char* expected;
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << c.name;
}

class TargetNameTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetNameTest, FoldsTheSourceDirectoryIntoOneFolder) {
    const TargetCase& c = GetParam();
    EXPECT_EQ(MakeTargetFileName(c.sourceFile, c.sourceDirectory, c.targetDirectory), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TargetNameTest,
    ::testing::Values(
        TargetCase{"SubDirectory", "/photos/", "/photos/2001/a.jpg", "/out/", "/out/_photos/2001/a.jpg"},
        TargetCase{"DirectlyInSource", "/photos/", "/photos/a.jpg", "/out/", "/out/_photos/a.jpg"},
        TargetCase{"NestedKeepSeparators", "/Photos/", "/Photos/2002/May/a.jpg", "/web/",
                   "/web/_Photos/2002/May/a.jpg"},
        TargetCase{"DeepSourceDirectory", "/data/in/", "/data/in/x/y/b.png", "/o/", "/o/_data_in/x/y/b.png"},
        TargetCase{"SourceWithoutTrailingSeparator", "/photos", "/photos/2001/a.jpg", "/out/",
                   "/out/_photos/2001/a.jpg"},
        // A file outside the source directory with a shorter path: every
        // separator of its path is folded, and no more.
        TargetCase{"OutsideAndShorter", "/home/user/photos/", "/x/a.jpg", "/out/", "/out/_x_a.jpg"},
        TargetCase{"NoDirectoryPart", "/photos/", "a.jpg", "/out/", "/out/a.jpg"},
        TargetCase{"EmptySourceDirectory", "", "/p/a.jpg", "/out/", "/out//p/a.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

// A scratch directory per test, removed afterwards.
class LoadFromFileExecute : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("pm_load_") + info->name() + "_" + std::to_string(::getpid());
        for (char& ch : name)
            if (ch == '/') ch = '_';
        dir_ = fs::temp_directory_path() / name;
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "2001");
        item_.SourceDirectory = dir_.string() + "/";
        item_.TargetDirectory = "/out/";
        ctx_.CurrentProjectItem = &item_;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Put(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
        const std::string path = (dir_ / relative).string();
        EXPECT_TRUE(test::WriteFileBytes(path, bytes));
        return path;
    }
    std::string SourceDirFolded() const {
        std::string s = dir_.string();
        for (char& ch : s)
            if (ch == '/') ch = '_';
        return s;
    }

    fs::path dir_;
    PrItemRec item_;
    TRunContext ctx_;
};

TEST_F(LoadFromFileExecute, LoadsColourFileAndNamesTheTarget) {
    ctx_.CurrentSourceFile = Put("2001/a.jpg", test::MakeJpeg(TJpegKind::Baseline, 21, 13));
    TLoadFromFile task(&ctx_);
    ASSERT_TRUE(task.Execute(vsCurrent));

    const TBaseClass& g = ctx_.GeneralObject();
    EXPECT_EQ(g.BitmapsInfo.SourceFileName, ctx_.CurrentSourceFile);
    EXPECT_EQ(g.BitmapsInfo.Width, 21);
    EXPECT_EQ(g.BitmapsInfo.Height, 13);
    EXPECT_EQ(g.BitmapsInfo.BitsPerPixel, 24);
    EXPECT_EQ(g.BitmapsInfo.TargetFileName, "/out/" + SourceDirFolded() + "/2001/a.jpg");
    ASSERT_EQ(task.DstBitmap.Width(), 21);
    ASSERT_EQ(task.DstBitmap.Height(), 13);
    ASSERT_EQ(task.DstBitmap.PixelFormat(), 24);
    const test::TRgb want = test::TestPattern(20, 0, 21, 13);  // top right
    const TColorTriple got = task.DstBitmap.Dib().Row24(12)[20];
    EXPECT_NEAR(got.r, want.r, 3);
    EXPECT_NEAR(got.g, want.g, 3);
    EXPECT_NEAR(got.b, want.b, 3);
}

TEST_F(LoadFromFileExecute, GreyFileKeepsItsDepthInTheInfoButBecomes24Bit) {
    ctx_.CurrentSourceFile = Put("g.JPEG", test::MakeJpeg(TJpegKind::Grey, 9, 30));
    TLoadFromFile task(&ctx_);
    ASSERT_TRUE(task.Execute(vsCurrent));

    const TBaseClass& g = ctx_.GeneralObject();
    EXPECT_EQ(g.BitmapsInfo.BitsPerPixel, 8);
    EXPECT_EQ(g.SrcBitmap.PixelFormat(), 24);
    EXPECT_EQ(g.BitmapsInfo.TargetFileName, "/out/" + SourceDirFolded() + "/g.JPEG");
    ASSERT_EQ(task.DstBitmap.PixelFormat(), 24);
    const TColorTriple p = task.DstBitmap.Dib().Row24(0)[4];  // bottom line
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);
    EXPECT_NEAR(p.g, test::TestPattern(4, 29, 9, 30).g, 2);
}

TEST_F(LoadFromFileExecute, WithoutProjectItemThereIsNoTarget) {
    ctx_.CurrentProjectItem = nullptr;
    ctx_.CurrentSourceFile = Put("a.jpg", test::MakeJpeg(TJpegKind::Baseline, 4, 4));
    ctx_.GeneralObject().BitmapsInfo.TargetFileName = "/left/over.jpg";
    TLoadFromFile task(&ctx_);
    ASSERT_TRUE(task.Execute(vsCurrent));
    EXPECT_EQ(ctx_.GeneralObject().BitmapsInfo.TargetFileName, "");
    EXPECT_EQ(task.DstBitmap.Width(), 4);
}

TEST_F(LoadFromFileExecute, IgnoresItsOwnSourceBitmap) {
    ctx_.CurrentSourceFile = Put("a.jpg", test::MakeJpeg(TJpegKind::Baseline, 5, 6));
    TLoadFromFile task(&ctx_);
    task.SrcBitmap.SetSize(50, 50);
    ASSERT_TRUE(task.Execute(vsCurrent));
    EXPECT_EQ(task.DstBitmap.Width(), 5);
    EXPECT_EQ(task.DstBitmap.Height(), 6);
}

// Failures log the loader's messages and nothing else, and the task fails.
struct FailureCase {
    const char* name;
    const char* file;        // relative to the scratch directory
    bool create;             // write a damaged JPEG there first
    TTextColorArray second;  // the message after "Loading image ..."; %F stands for the path
    const char* reason;      // the warning line that says why, if any
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadFromFileFailure : public LoadFromFileExecute, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoadFromFileFailure, LogsTheLoaderMessages) {
    const FailureCase& c = GetParam();
    const std::string path = (dir_ / c.file).string();
    if (c.create) {
        std::vector<std::uint8_t> bytes = test::MakeJpeg(TJpegKind::Baseline, 32, 32);
        bytes.resize(bytes.size() / 2);
        Put(c.file, bytes);
    }
    ctx_.CurrentSourceFile = path;
    TLoadFromFile task(&ctx_);
    TLogCapture capture;
    EXPECT_FALSE(task.Execute(vsCurrent));
    const auto entries = capture.Take();

    ASSERT_EQ(entries.size(), *c.reason ? 3u : 2u);
    EXPECT_EQ(entries[0].Kind, lmInfo);
    EXPECT_TRUE(entries[0].NewMessage);
    ASSERT_EQ(entries[0].Segments.size(), 3u);
    EXPECT_EQ(entries[0].Segments[0].Text, "Loading image \"");
    EXPECT_EQ(entries[0].Segments[1].Text, path);
    EXPECT_EQ(entries[0].Segments[2].Text, "\" ... ");

    EXPECT_EQ(entries[1].Kind, lmError);
    EXPECT_TRUE(entries[1].NewMessage);
    EXPECT_TRUE(entries[1].ToFile && entries[1].ToConsole);
    ASSERT_EQ(entries[1].Segments.size(), c.second.size());
    for (std::size_t i = 0; i < c.second.size(); ++i) {
        const std::string want = c.second[i].Text == "%F" ? path : c.second[i].Text;
        EXPECT_EQ(entries[1].Segments[i].Text, want);
        EXPECT_EQ(entries[1].Segments[i].Color, c.second[i].Color);
    }
    if (*c.reason) {
        EXPECT_EQ(entries[2].Kind, lmWarning);
        EXPECT_TRUE(entries[2].NewMessage);
        ASSERT_EQ(entries[2].Segments.size(), 1u);
        EXPECT_EQ(entries[2].Segments[0].Text, c.reason);
    }
    EXPECT_TRUE(task.DstBitmap.Empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFromFileFailure,
    ::testing::Values(
        FailureCase{"Missing",
                    "nothing.jpg",
                    false,
                    {{"File \"", LogErrorColor}, {"%F", LogValueColor}, {"\" not found!", LogErrorColor}},
                    ""},
        FailureCase{"Truncated",
                    "half.jpg",
                    true,
                    {{"Can't load image \"", LogErrorColor}, {"%F", LogValueColor}, {"\" !", LogErrorColor}},
                    "JPEG: Premature end of JPEG file"},
        FailureCase{"PaletteHasNoReader",
                    "colours.pal",
                    true,
                    {{"Can't load image \"", LogErrorColor}, {"%F", LogValueColor}, {"\" !", LogErrorColor}},
                    "Unknown picture file extension (.pal)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm
