// Whole runs on real image files: a source tree of JPEG, PNG and BMP files
// goes through pixmill-batch into a mirrored target tree.
#include "cli/BatchCli.h"
#include "decoders/PictureLoader.h"

#include "support/ReaderTestKit.h"
#include "support/ScenarioFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <jpeglib.h>
#include <map>
#include <set>
#include <setjmp.h>

namespace pm {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;
using test::WriteScenario;

struct TJpegInfo {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    std::vector<std::string> comments;
};

struct TJpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

// Decodes a whole JPEG file with libjpeg; ok only when every line decodes.
TJpegInfo DecodeJpeg(const std::string& file) {
    TJpegInfo info;
    const std::string bytes = TTempDir::Read(file);
    if (bytes.empty()) return info;
    jpeg_decompress_struct cinfo;
    TJpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) { longjmp(reinterpret_cast<TJpegError*>(c->err)->jump, 1); };
    err.mgr.output_message = [](j_common_ptr) {};
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return TJpegInfo{};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        info.comments.emplace_back(reinterpret_cast<const char*>(m->data), m->data_length);
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> row(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
    }
    info.width = static_cast<int>(cinfo.output_width);
    info.height = static_cast<int>(cinfo.output_height);
    info.components = cinfo.output_components;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    info.ok = true;
    return info;
}

struct TCliRun {
    int status = -1;
    std::string out, err;
};

TCliRun Cli(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    TCliRun r;
    r.status = CommandLineMain(args, out, err);
    for (auto [f, s] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
        std::rewind(f);
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s->append(buf, n);
        std::fclose(f);
    }
    return r;
}

// Every file below `root`, relative, sorted.
std::vector<std::string> Tree(const std::string& root) {
    std::vector<std::string> out;
    if (!fs::is_directory(root)) return out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.push_back(fs::relative(e.path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

// The folder below the target that mirrors a source folder: the source path
// with its separators turned into "_".
std::string Mirror(std::string sourceDir) {
    sourceDir.pop_back();
    for (char& c : sourceDir)
        if (c == '/' || c == ':') c = '_';
    return sourceDir + "/";
}

class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest() : src(dir.MakeDir("photos")), tgt(dir.MakeDir("web")) {
        Copy("pillow/hopper.jpg", "photos/hopper.jpg");               // 128 x 128 colour photo
        Copy("pillow/hopper_gray.jpg", "photos/2001/May/gray.JPG");   // greyscale
        Copy("pillow/pil_sample_cmyk.jpg", "photos/2001/cmyk.jpeg");  // CMYK
        dir.Put("photos/.hidden.jpg", "never read");
        dir.Put("photos/.cache/x.jpg", "never read");
        dir.Put("photos/notes.txt", "not an image");
    }
    void Copy(const std::string& from, const std::string& to) {
        fs::create_directories(fs::path(dir.Path(to)).parent_path());
        std::error_code error;
        fs::copy_file(test::TestDataPath(from), dir.Path(to), error);
        EXPECT_FALSE(error) << "Cannot copy " << from << ": " << error.message();
    }

    TTempDir dir;
    std::string src, tgt;
};

TEST_F(EndToEndTest, SourceTreeBecomesAMirroredTreeOfJpegs) {
    const std::string scenario = dir.Path("web.pms");
    ASSERT_TRUE(WriteScenario(scenario, {"JPEG"}, {0, "Made by Pixmill"}));
    const TCliRun r = Cli({"run", "--scenario", scenario, "--source", src, "--target", tgt});
    ASSERT_EQ(r.status, kExitComplete) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Project complete."), std::string::npos);

    const std::string m = Mirror(src);
    EXPECT_EQ(Tree(tgt),
              (std::vector<std::string>{m + "2001/May/gray.jpg", m + "2001/cmyk.jpg", m + "hopper.jpg"}));
    for (const std::string& f : Tree(tgt)) {
        const TJpegInfo info = DecodeJpeg(tgt + f);
        ASSERT_TRUE(info.ok) << f;
        EXPECT_EQ(info.components, 3) << f;
        EXPECT_EQ(info.comments, std::vector<std::string>{"Made by Pixmill"}) << f;
    }
    const TJpegInfo hopper = DecodeJpeg(tgt + m + "hopper.jpg");
    EXPECT_EQ(hopper.width, 128);
    EXPECT_EQ(hopper.height, 128);
}

// Each reader is tested once it is part of the build.
TEST_F(EndToEndTest, PngAndBmpSourcesBecomeJpegs) {
    const bool png = DecoderForExtension("PNG") != nullptr, bmp = DecoderForExtension("BMP") != nullptr;
    if (!png && !bmp) GTEST_SKIP() << "no PNG or BMP reader in this build";
    const std::string m = Mirror(src);
    std::set<std::string> formats;
    std::map<std::string, std::pair<int, int>> expected;  // result file and its size
    if (png) {
        Copy("pillow/hopper.png", "photos/png/hopper.png");
        Copy("pngsuite/basn6a08.png", "photos/png/alpha.png");  // 32 x 32 RGBA
        formats.insert("PNG");
        expected[m + "png/alpha.jpg"] = {32, 32};
        expected[m + "png/hopper.jpg"] = {128, 128};
    }
    if (bmp) {
        Copy("bmpsuite/g/pal8.bmp", "photos/pal8.BMP");  // 127 x 64 palette
        formats.insert("Bitmap");
        expected[m + "pal8.jpg"] = {127, 64};
    }
    const std::string scenario = dir.Path("web.pms");
    ASSERT_TRUE(WriteScenario(scenario, formats, {0, "Made by Pixmill"}));
    const TCliRun r = Cli({"run", "--scenario", scenario, "--source", src, "--target", tgt});
    ASSERT_EQ(r.status, kExitComplete) << r.out << r.err;
    std::vector<std::string> names;
    for (const auto& [f, size] : expected) names.push_back(f);
    EXPECT_EQ(Tree(tgt), names);
    for (const auto& [f, size] : expected) {
        const TJpegInfo info = DecodeJpeg(tgt + f);
        ASSERT_TRUE(info.ok) << f;
        EXPECT_EQ(info.width, size.first) << f;
        EXPECT_EQ(info.height, size.second) << f;
        EXPECT_EQ(info.comments, std::vector<std::string>{"Made by Pixmill"}) << f;
    }
}

TEST_F(EndToEndTest, TwoItemsEachWithItsOwnScenarioAndFailuresDoNotStopTheRun) {
    dir.Put("photos/2001/broken.jpg", "\xFF\xD8 this is not a JPEG");
    const std::string toJpeg = dir.Path("jpeg.pms"), toBmp = dir.Path("bmp.pms");
    ASSERT_TRUE(WriteScenario(toJpeg, {"JPEG"}, {0, "from JPEG"}));
    ASSERT_TRUE(WriteScenario(toBmp, {"JPEG"}, {1, ""}));
    const std::string out1 = dir.MakeDir("out1"), out2 = dir.MakeDir("out2");
    auto item = [&](int n, const std::string& scan, const std::string& target, const std::string& scenario) {
        return "[Item" + std::to_string(n) + "]\nSourceDirectory=\"" + src + "\"\nSourceScanSubDir=" + scan +
               "\nTargetDirectory=\"" + target + "\"\nScenarioFileName=\"" + scenario + "\"\n";
    };
    const std::string project = dir.Put("p.pmp", item(1, "Yes", out1, toJpeg) + item(2, "No", out2, toBmp));
    const std::string logFile = dir.Path("run.log");
    const TCliRun r = Cli({"run", project, "--log", logFile});
    EXPECT_EQ(r.status, kExitErrors) << r.out;
    EXPECT_EQ(r.err, "pixmill-batch: the run ended with \"Project error(s)!\": 1 of 5 files failed\n");

    const std::string m = Mirror(src);
    EXPECT_EQ(Tree(out1),
              (std::vector<std::string>{m + "2001/May/gray.jpg", m + "2001/cmyk.jpg", m + "hopper.jpg"}));
    EXPECT_EQ(Tree(out2), (std::vector<std::string>{m + "hopper.bmp"}));
    for (const std::string& f : Tree(out1)) {
        const TJpegInfo info = DecodeJpeg(out1 + f);
        EXPECT_TRUE(info.ok) << f;
        EXPECT_EQ(info.comments, std::vector<std::string>{"from JPEG"}) << f;
    }
    const std::string bmp = TTempDir::Read(out2 + m + "hopper.bmp");
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(bmp.size(), 54u + 128u * 128u * 3u);

    // Every file of the first item comes before the second item's scenario.
    const std::string log = TTempDir::Read(logFile);
    const std::size_t lastOfFirst = log.rfind("2001/May/gray.JPG"), second = log.find(toBmp);
    ASSERT_NE(lastOfFirst, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(lastOfFirst, second);
    EXPECT_NE(log.find("(e) Scenario processing failed!"), std::string::npos);
    EXPECT_NE(log.find("(i) Project error(s)!"), std::string::npos);
}

}  // namespace
}  // namespace pm
