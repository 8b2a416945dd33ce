// The saving task: file names, JPEG and BMP bytes, the comment segment,
// refusals, log messages and the comment's round trip through a scenario file.
#include "core/ClassRegistry.h"
#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/RunContext.h"
#include "core/ScenarioFile.h"
#include "log/WriteLog.h"
#include "tasks/PM__TSaveToFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <random>
#include <string>
#include <vector>

namespace pm {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("pm_save_" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string Str() const { return path_.string() + "/"; }
    // Names of all entries (recursive), relative to the folder.
    std::vector<std::string> Entries() const {
        std::vector<std::string> out;
        for (auto& e : fs::recursive_directory_iterator(path_))
            out.push_back(fs::relative(e.path(), path_).string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    fs::path path_;
};

Bytes ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Four flat 16 x 16 quadrants (whole JPEG blocks, so the colours survive
// compression closely); top-left, top-right, bottom-left, bottom-right.
const TColorTriple kQuadrants[4] = {{30, 40, 200}, {40, 200, 30}, {200, 40, 40}, {220, 220, 30}};

TBitmap QuadrantImage() {
    TBitmap bmp;
    bmp.SetSize(32, 32);
    TFastDIB& dib = bmp.MutableDib();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) dib.SetPixel(31 - y, x, kQuadrants[(y / 16) * 2 + x / 16]);
    return bmp;
}

// An image whose every byte differs, with a row gap (width 5 -> stride 16).
TBitmap NoiseImage(int w, int h) {
    TBitmap bmp;
    bmp.SetSize(w, h);
    TFastDIB& dib = bmp.MutableDib();
    std::mt19937 rng(7);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            dib.SetPixel(r, x, {std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())});
    return bmp;
}

struct Segment {
    int marker;
    std::size_t offset;  // of the FF byte
    Bytes payload;       // after the length bytes
};

// The marker segments from SOI up to and including SOS.
std::vector<Segment> JpegSegments(const Bytes& f) {
    std::vector<Segment> out;
    if (f.size() < 2 || f[0] != 0xFF || f[1] != 0xD8) return out;
    std::size_t p = 2;
    while (p + 4 <= f.size() && f[p] == 0xFF) {
        int m = f[p + 1];
        std::size_t len = (std::size_t(f[p + 2]) << 8) | f[p + 3];
        if (len < 2 || p + 2 + len > f.size()) break;
        out.push_back({m, p, Bytes(f.begin() + long(p + 4), f.begin() + long(p + 2 + len))});
        if (m == 0xDA) break;
        p += 2 + len;
    }
    return out;
}

bool HasMarker(const std::vector<Segment>& s, int m) {
    return std::any_of(s.begin(), s.end(), [m](const Segment& x) { return x.marker == m; });
}

struct Decoded {
    int width = 0, height = 0;
    Bytes rgb;  // top line first
};

Decoded DecodeJpeg(const Bytes& f) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, f.data(), static_cast<unsigned long>(f.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    Decoded out{int(d.output_width), int(d.output_height),
                Bytes(std::size_t(d.output_width) * d.output_height * 3)};
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out.rgb.data() + std::size_t(d.output_scanline) * d.output_width * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

struct LogLine {
    int kind;
    bool isNew;
    std::string text;
    TTextColorArray segments;
};

class SaveToFileTest : public ::testing::Test {
protected:
    SaveToFileTest() : task(&ctx) { task.SrcBitmap = QuadrantImage(); }

    void Target(const std::string& t) { ctx.GeneralObject().BitmapsInfo.TargetFileName = t; }

    bool Run(TSaveToFile& t) {
        TLogCapture capture;
        bool ok = t.Execute(vsCurrent);
        log.clear();
        for (const auto& e : capture.Take()) {
            std::string text;
            for (const auto& s : e.Segments) text += s.Text;
            log.push_back({e.Kind, e.NewMessage, text, e.Segments});
        }
        return ok;
    }
    bool Run() { return Run(task); }

    bool Logged(const std::string& text, int kind) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const LogLine& l) { return l.text == text && l.kind == kind; });
    }

    TempDir dir;
    TRunContext ctx;
    TSaveToFile task;
    std::vector<LogLine> log;
};

TEST_F(SaveToFileTest, TargetNameGetsTheExtensionOfTheChosenFormat) {
    struct Case {
        std::string target;
        int format;
        std::string bmpExt;
        std::string written;
    } cases[] = {
        {"name.tif", 0, ".bmp", "name.jpg"}, {"a.jpg", 1, ".BMP", "a.BMP"},
        {"a.b.tif", 0, ".bmp", "a.b.jpg"},   {"noext", 0, ".bmp", "noext.jpg"},
        {"noext", 1, ".bmp", "noext.bmp"},   {"a.jpg", 1, "", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " -> " + c.written);
        TempDir d;
        TSaveToFile t(&ctx);
        t.SrcBitmap = QuadrantImage();
        t.Out_Format.SetValue(c.format, vsCurrent);
        t.Image_Extension_BMP.SetValue(c.bmpExt, vsCurrent);
        Target(d.Str() + c.target);
        EXPECT_TRUE(Run(t));
        // Exactly the result, no temporary file beside it.
        EXPECT_EQ(d.Entries(), std::vector<std::string>{c.written});
    }
}

TEST_F(SaveToFileTest, SuccessLogsEveryStep) {
    Target(dir.Str() + "out.png");
    ASSERT_TRUE(Run());
    const std::string full = dir.Str() + "out.jpg";
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].text, "Checking and preparing target directory ...");
    EXPECT_EQ(log[1].text, "Checking and preparing target filename ...");
    EXPECT_EQ(log[2].text, "Saving result image \"" + full + "\" ...");
    ASSERT_EQ(log[2].segments.size(), 3u);
    EXPECT_EQ(log[2].segments[1].Text, full);
    EXPECT_EQ(log[2].segments[1].Color, LogValueColor);
    EXPECT_EQ(log[2].segments[2].Color, LogTextColor);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(log[std::size_t(i)].isNew);
        EXPECT_EQ(log[std::size_t(i)].kind, lmInfo);
    }
    EXPECT_FALSE(log[3].isNew);
    EXPECT_EQ(log[3].kind, lmInfo);
    EXPECT_EQ(log[3].text, "Complete.");
    EXPECT_EQ(log[3].segments[0].Color, LogTextColor);
}

TEST_F(SaveToFileTest, DefaultsWriteBaselineQuality70WithoutCommentProgressiveOnRequest) {
    Target(dir.Str() + "name.bmp");
    ASSERT_TRUE(Run());
    const Bytes f = ReadAll(dir.Str() + "name.jpg");
    const auto segs = JpegSegments(f);
    ASSERT_GE(segs.size(), 3u);
    EXPECT_EQ(segs[0].marker, 0xE0);
    EXPECT_TRUE(HasMarker(segs, 0xC0));
    EXPECT_FALSE(HasMarker(segs, 0xC2));
    EXPECT_FALSE(HasMarker(segs, 0xFE));
    // Quality 70 scales the standard luminance DC step 16 to 10.
    ASSERT_TRUE(HasMarker(segs, 0xDB));
    const Segment& dqt =
        *std::find_if(segs.begin(), segs.end(), [](const Segment& s) { return s.marker == 0xDB; });
    EXPECT_EQ(dqt.payload[0], 0);  // 8-bit table 0
    EXPECT_EQ(dqt.payload[1], 10);

    task.Progressive_JPEG.SetValue(true, vsCurrent);
    ASSERT_TRUE(Run());
    const auto progressive = JpegSegments(ReadAll(dir.Str() + "name.jpg"));
    EXPECT_TRUE(HasMarker(progressive, 0xC2));
    EXPECT_FALSE(HasMarker(progressive, 0xC0));
}

TEST_F(SaveToFileTest, QualityScalesTheTablesAndIsClampedToItsRange) {
    struct Case {
        int quality;
        int lumaDC;  // first entry of the luminance table
        bool warned;
    } cases[] = {{70, 10, false}, {50, 16, false}, {10, 80, false}, {100, 1, false},
                 {1, 255, false}, {0, 255, true},  {-5, 255, true}, {300, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quality);
        task.Compression_Quality.SetValue(c.quality, vsCurrent);
        Target(dir.Str() + "q.jpg");
        ASSERT_TRUE(Run());
        const auto segs = JpegSegments(ReadAll(dir.Str() + "q.jpg"));
        auto dqt = std::find_if(segs.begin(), segs.end(), [](const Segment& s) { return s.marker == 0xDB; });
        ASSERT_NE(dqt, segs.end());
        EXPECT_EQ(dqt->payload[1], c.lumaDC);
        bool warned =
            std::any_of(log.begin(), log.end(), [](const LogLine& l) { return l.kind == lmWarning; });
        EXPECT_EQ(warned, c.warned);
    }
}

TEST_F(SaveToFileTest, CommentSegmentSitsBetweenJfifAndFirstQuantisationTable) {
    struct Case {
        std::size_t length;
        bool written;
    } cases[] = {{5, true}, {1, true}, {65533, true}, {65534, false}, {0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string comment(c.length, 'x');
        for (std::size_t i = 0; i < comment.size(); ++i) comment[i] = char('A' + i % 26);
        if (c.length >= 2) comment.replace(0, 2, "\r\n");  // kept as it is
        task.JPEG_Comment.SetValue(comment, vsCurrent);
        Target(dir.Str() + "c.jpg");
        ASSERT_TRUE(Run());
        const Bytes f = ReadAll(dir.Str() + "c.jpg");
        const auto segs = JpegSegments(f);
        ASSERT_GE(segs.size(), 3u);
        EXPECT_EQ(segs[0].marker, 0xE0);
        if (!c.written) {
            EXPECT_FALSE(HasMarker(segs, 0xFE));
            EXPECT_EQ(segs[1].marker, 0xDB);
            EXPECT_EQ(Logged("JPEG comment is longer than 65533 bytes and is not written.", lmWarning),
                      c.length > 65533);
            continue;
        }
        ASSERT_EQ(segs[1].marker, 0xFE);
        EXPECT_EQ(segs[2].marker, 0xDB);
        const std::size_t at = segs[1].offset;
        const std::size_t len = c.length + 2;
        EXPECT_EQ(f[at], 0xFF);
        EXPECT_EQ(f[at + 1], 0xFE);
        EXPECT_EQ(f[at + 2], len >> 8);
        EXPECT_EQ(f[at + 3], len & 0xFF);
        EXPECT_EQ(std::string(segs[1].payload.begin(), segs[1].payload.end()), comment);
    }
}

TEST_F(SaveToFileTest, JpegKeepsColoursAndOrientation) {
    Target(dir.Str() + "colours.jpg");
    task.Compression_Quality.SetValue(95, vsCurrent);
    ASSERT_TRUE(Run());
    const Decoded d = DecodeJpeg(ReadAll(dir.Str() + "colours.jpg"));
    ASSERT_EQ(d.width, 32);
    ASSERT_EQ(d.height, 32);
    for (int q = 0; q < 4; ++q) {
        SCOPED_TRACE(q);
        const int x = (q % 2) * 16 + 8, y = (q / 2) * 16 + 8;
        const std::uint8_t* px = &d.rgb[(std::size_t(y) * 32 + std::size_t(x)) * 3];
        EXPECT_NEAR(px[0], kQuadrants[q].r, 6);
        EXPECT_NEAR(px[1], kQuadrants[q].g, 6);
        EXPECT_NEAR(px[2], kQuadrants[q].b, 6);
    }
}

TEST_F(SaveToFileTest, BmpIsTheBitmapByteForByte) {
    for (int w : {5, 8}) {
        SCOPED_TRACE(w);
        const TBitmap src = NoiseImage(w, 3);
        task.SrcBitmap = src;
        task.Out_Format.SetValue(1, vsCurrent);
        Target(dir.Str() + "b.tif");
        ASSERT_TRUE(Run());
        const Bytes f = ReadAll(dir.Str() + "b.bmp");
        const std::size_t stride = (std::size_t(w) * 3 + 3) / 4 * 4;
        ASSERT_EQ(f.size(), 54 + stride * 3);
        EXPECT_EQ(f[0], 'B');
        EXPECT_EQ(f[1], 'M');
        EXPECT_EQ(f[10], 54);  // pixels right after the headers
        EXPECT_EQ(f[28], 24);  // bits per pixel
        for (int r = 0; r < 3; ++r)
            for (int x = 0; x < w; ++x) {
                const TColorTriple c = src.Dib().GetPixel(r, x);
                const std::size_t at = 54 + std::size_t(r) * stride + std::size_t(x) * 3;
                ASSERT_EQ(f[at], c.b);
                ASSERT_EQ(f[at + 1], c.g);
                ASSERT_EQ(f[at + 2], c.r);
            }
    }
}

TEST_F(SaveToFileTest, ExistingFileIsReplaced) {
    WriteAll(dir.Str() + "x.jpg", "old contents");
    Target(dir.Str() + "x.jpg");
    ASSERT_TRUE(Run());
    const Bytes f = ReadAll(dir.Str() + "x.jpg");
    ASSERT_GE(f.size(), 2u);
    EXPECT_EQ(f[0], 0xFF);
    EXPECT_EQ(f[1], 0xD8);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"x.jpg"});
}

TEST_F(SaveToFileTest, ReadOnlyTargetIsNotReplaced) {
    const std::string full = dir.Str() + "ro.jpg";
    WriteAll(full, "keep me");
    fs::permissions(full, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Target(dir.Str() + "ro.png");
    EXPECT_FALSE(Run());
    ASSERT_FALSE(log.empty());
    const LogLine& last = log.back();
    EXPECT_EQ(last.text, "Can't delete old file \"" + full + "\"!");
    EXPECT_EQ(last.kind, lmError);
    EXPECT_TRUE(last.isNew);
    ASSERT_EQ(last.segments.size(), 3u);
    EXPECT_EQ(last.segments[0].Color, LogErrorColor);
    EXPECT_EQ(last.segments[1].Color, LogValueColor);
    EXPECT_FALSE(Logged("Saving result image \"" + full + "\" ...", lmInfo));
    const Bytes f = ReadAll(full);
    EXPECT_EQ(std::string(f.begin(), f.end()), "keep me");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"ro.jpg"});
}

TEST_F(SaveToFileTest, MissingTargetDirectoryIsCreatedWithItsParents) {
    Target(dir.Str() + "one/two/three/pic.tif");
    ASSERT_TRUE(Run());
    EXPECT_TRUE(FileExists(dir.Str() + "one/two/three/pic.jpg"));
}

TEST_F(SaveToFileTest, RefusalsWriteNothing) {
    WriteAll(dir.Str() + "blocker", "a file where a folder should be");
    struct Case {
        std::string target;  // relative to the test folder unless absolute
        int format;
        bool emptyImage;
        std::string message;  // the last new message
    } cases[] = {
        {"@pic.jpg", 0, false, "Empty target path name!"},
        {"", 0, false, "Empty target filename!"},
        {"blocker/sub/pic.jpg", 0, false,
         "Can't create target directory \"" + dir.Str() + "blocker/sub/\" !"},
        {"empty.jpg", 0, true, "Image is empty, nothing to save!"},
        {"empty.jpg", 1, true, "Image is empty, nothing to save!"},
        {"empty.jpg", 4, true, "Image is empty, nothing to save!"},
        {"other.jpg", 6, false, "Unknown output format 6!"},
        {"other.jpg", -1, false, "Unknown output format -1!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " " + std::to_string(c.format));
        TSaveToFile t(&ctx);
        if (!c.emptyImage) t.SrcBitmap = QuadrantImage();
        t.Out_Format.SetValue(c.format, vsCurrent);
        Target(c.target[0] == '@' ? c.target.substr(1) : dir.Str() + c.target);
        EXPECT_FALSE(Run(t));
        ASSERT_FALSE(log.empty());
        const LogLine& last =
            *std::find_if(log.rbegin(), log.rend(), [](const LogLine& l) { return l.isNew; });
        EXPECT_EQ(last.text, c.message);
        EXPECT_EQ(last.kind, lmError);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"blocker"});
    }
}

TEST_F(SaveToFileTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    // A folder standing where the result should go makes the final rename fail.
    fs::create_directory(dir.Str() + "busy.jpg");
    WriteAll(dir.Str() + "good.jpg", "previous result");
    for (const std::string target : {"busy.tif", "good.tif"}) {
        SCOPED_TRACE(target);
        TSaveToFile t(&ctx);
        if (target == "busy.tif") t.SrcBitmap = QuadrantImage();  // good.tif: an empty image
        Target(dir.Str() + target);
        EXPECT_FALSE(Run(t));
        EXPECT_TRUE(Logged("Failed!", lmError));
        EXPECT_FALSE(log.back().text.empty());
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"busy.jpg", "good.jpg"}));
    const Bytes f = ReadAll(dir.Str() + "good.jpg");
    EXPECT_EQ(std::string(f.begin(), f.end()), "previous result");
}

TEST_F(SaveToFileTest, WithoutRunContextTheTargetIsUnknown) {
    TSaveToFile t;
    t.SrcBitmap = QuadrantImage();
    EXPECT_FALSE(Run(t));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].text, "Can't get target filename!");
    EXPECT_EQ(log[0].kind, lmError);
}

TEST_F(SaveToFileTest, EditedSlotIsUsedWhenAsked) {
    task.Out_Format.SetValue(1, vsEdited);
    task.Image_Extension_BMP.SetValue(".dib", vsEdited);
    Target(dir.Str() + "e.jpg");
    TLogCapture capture;
    ASSERT_TRUE(task.Execute(vsEdited));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"e.dib"});
}

// The comment is the one setting whose text may hold line breaks.
TEST(SaveToFileSettings, CommentSurvivesScenarioSaveAndReload) {
    const std::string comments[] = {
        "",
        "one line",
        "C:\\new\\photos\\raw",  // backslashes of an old one-line comment stay as they are
        "line 1\r\nline 2\r\n",
        "a\nb\rc\\n\\\\d\\",
        "\"quoted\"\r\n  blanks  ",
    };
    for (const std::string& comment : comments) {
        SCOPED_TRACE(comment);
        TempDir d;
        TRunContext ctx;
        TTaskList list;
        for (const char* type : {"TLoadFromFile", "TSaveToFile"})
            list.push_back(std::make_unique<TaskRec>(TaskRec{type, MakeTask(type, &ctx)}));
        auto& save = static_cast<TSaveToFile&>(*list[1]->Task);
        save.JPEG_Comment.SetValue(comment, vsCurrent);
        const std::string file = d.Str() + "s.pms";
        TLogCapture capture;
        ASSERT_TRUE(WriteScenarioFile(list, file));

        // Every record on its own line; the marker only where it is needed.
        const Bytes raw = ReadAll(file);
        const std::string text(raw.begin(), raw.end());
        const bool multiLine = comment.find_first_of("\r\n") != std::string::npos;
        EXPECT_EQ(text.find("JPEG_Comment_Escaped=Yes") != std::string::npos, multiLine);
        if (!multiLine) {
            EXPECT_NE(text.find("JPEG_Comment=\"" + comment + "\""), std::string::npos);
        }

        TTaskList loaded;
        ASSERT_TRUE(ReadScenario(ctx, file, loaded));
        ASSERT_EQ(loaded.size(), 2u);
        auto& back = static_cast<TSaveToFile&>(*loaded[1]->Task);
        EXPECT_EQ(back.JPEG_Comment.GetValue(vsCurrent), comment);
        for (const auto& e : capture.Take())
            for (const auto& s : e.Segments)
                EXPECT_EQ(s.Text.find("Could't read variable"), std::string::npos);
    }
}

TEST(SaveToFileSettings, BackslashesAreTakenLiterallyWithoutTheMarker) {
    TINIObject ini;
    ini.AddRecord("JPEG_Comment", "C:\\new\\n");
    TSaveToFile t;
    TLogCapture capture;
    t.LoadSettings(ini);
    EXPECT_EQ(t.JPEG_Comment.GetValue(vsCurrent), "C:\\new\\n");

    ini.AddRecord("JPEG_Comment_Escaped", "Yes");
    t.LoadSettings(ini);
    EXPECT_EQ(t.JPEG_Comment.GetValue(vsCurrent), "C:\new\n");
}

}  // namespace
}  // namespace pm
