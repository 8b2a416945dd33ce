// The EPS reader: rendering through Ghostscript at the bounding box's size
// (when the program is installed), the TIFF preview of DOS EPS files without
// it, a hostile file that never ends, and damaged files.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"
#include "decoders/EpsRender.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace pm::test {
namespace {

bool GhostscriptInstalled() {
    return std::system("gs --version > /dev/null 2>&1") == 0;
}

// Restores the renderer settings after each test.
class EpsReader : public ::testing::Test {
protected:
    void TearDown() override {
        SetGhostscriptProgram("gs");
        SetGhostscriptTimeout(30);
    }
};

const std::string kBlueBox =
    "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 100 200 130 220\n%%EndComments\n"
    "0 0 1 setrgbcolor 100 200 20 20 rectfill\n1 0 0 setrgbcolor 120 200 10 20 rectfill\n"
    "showpage\n%%EOF\n";

Bytes TiffPreview() {
    return MakeTiff(RgbLayout(6, 4), [](int x, int y, int c) {
        return c == 0 ? x * 40 : c == 1 ? y * 60 : 7;
    });
}

TEST_F(EpsReader, RendersAtTheBoundingBoxSize) {
    if (!GhostscriptInstalled()) GTEST_SKIP() << "Ghostscript is not installed";
    const Bytes file(kBlueBox.begin(), kBlueBox.end());
    TDecoded d = Decode(DecodeEps, file, "box.eps");
    ASSERT_TRUE(d.ok) << d.error;
    const TFastDIB& img = d.picture.Image;
    ASSERT_EQ(img.Width(), 30);
    ASSERT_EQ(img.Height(), 20);
    // The box's lower left corner lands on the picture's bottom left.
    EXPECT_EQ(PixelAt(img, 0, 0), (TColorTriple{255, 0, 0}));
    EXPECT_EQ(PixelAt(img, 19, 19), (TColorTriple{255, 0, 0}));
    EXPECT_EQ(PixelAt(img, 20, 0), (TColorTriple{0, 0, 255}));
    EXPECT_EQ(PixelAt(img, 29, 19), (TColorTriple{0, 0, 255}));
    // The PostScript part of a DOS EPS is rendered in preference to its preview.
    TDecoded dos = Decode(DecodeEps, MakeDosEps(kBlueBox, {}, TiffPreview()), "box.eps");
    ASSERT_TRUE(dos.ok) << dos.error;
    EXPECT_EQ(dos.picture.Image.Width(), 30);
}

TEST_F(EpsReader, SampleFilesMatchTheirExpectedRenderings) {
    if (!GhostscriptInstalled()) GTEST_SKIP() << "Ghostscript is not installed";
    for (const char* name : {"non_zero_bb", "zero_bb", "reqd_showpage"}) {
        TDecoded d = Decode(DecodeEps, ReadFileBytes(TestData(std::string("pillow/eps/") + name + ".eps")));
        ASSERT_TRUE(d.ok) << name << ": " << d.error;
        const Bytes png = ReadFileBytes(TestData(std::string("pillow/eps/") + name + ".png"));
        TDecoded want = Decode(DecodePng, png);
        ASSERT_TRUE(want.ok);
        ASSERT_EQ(d.picture.Image.Width(), want.picture.Image.Width()) << name;
        ASSERT_EQ(d.picture.Image.Height(), want.picture.Image.Height()) << name;
        // Renderer versions may differ in a few edge pixels.
        long far = 0, total = 0;
        for (int y = 0; y < d.picture.Image.Height(); ++y)
            for (int x = 0; x < d.picture.Image.Width(); ++x, ++total) {
                const TColorTriple a = PixelAt(d.picture.Image, x, y), b = PixelAt(want.picture.Image, x, y);
                if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 96) ++far;
            }
        EXPECT_LT(far * 100, total * 2) << name << ": " << far << " of " << total << " pixels differ";
    }
}

TEST_F(EpsReader, WithoutGhostscriptUsesTheTiffPreview) {
    SetGhostscriptProgram("");
    TDecoded d = Decode(DecodeEps, MakeDosEps(kBlueBox, {}, TiffPreview()), "box.eps");
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.picture.Image.Width(), 6);
    EXPECT_EQ(PixelAt(d.picture.Image, 3, 2), (TColorTriple{7, 120, 120}));
    // The same when the program named is missing.
    SetGhostscriptProgram("/nonexistent/gs");
    EXPECT_TRUE(Decode(DecodeEps, MakeDosEps(kBlueBox, {}, TiffPreview())).ok);
    // Plain EPS and DOS EPS without preview fail cleanly.
    SetGhostscriptProgram("");
    const Bytes plain(kBlueBox.begin(), kBlueBox.end());
    TDecoded none = Decode(DecodeEps, plain);
    EXPECT_FALSE(none.ok);
    EXPECT_FALSE(none.error.empty());
    EXPECT_FALSE(Decode(DecodeEps, MakeDosEps(kBlueBox, {}, {})).ok);
    // Sample DOS EPS with a TIFF preview.
    TDecoded sample = Decode(DecodeEps, ReadFileBytes(TestData("pillow/eps/1.eps")));
    ASSERT_TRUE(sample.ok) << sample.error;
    EXPECT_GT(sample.picture.Image.Width(), 0);
}

TEST_F(EpsReader, AHangingFileIsStoppedByTheTimeLimit) {
    if (!GhostscriptInstalled()) GTEST_SKIP() << "Ghostscript is not installed";
    SetGhostscriptTimeout(2);
    const std::string forever = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n{} loop\n";
    const auto start = std::chrono::steady_clock::now();
    TDecoded d = Decode(DecodeEps, Bytes(forever.begin(), forever.end()));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(d.ok);
    EXPECT_LT(seconds, 20.0);  // generous: the limit is 2 s
}

TEST_F(EpsReader, DamagedFilesFail) {
    if (!GhostscriptInstalled()) SetGhostscriptProgram("");
    const std::vector<std::string> bad = {
        "%!PS-Adobe-3.0 EPSF-3.0\n0 0 10 10 rectfill\n",                 // no bounding box
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 0 10\n",            // zero width
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100000 10\n",       // too wide
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 60000 60000\n",     // too many pixels
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n1 0 div\n",  // an error
        "GIF89a not PostScript at all",
    };
    for (const std::string& text : bad)
        EXPECT_FALSE(Decode(DecodeEps, Bytes(text.begin(), text.end())).ok) << text;
    // DOS header whose sections lie outside the file.
    Bytes dos = MakeDosEps(kBlueBox, {}, TiffPreview());
    Bytes cut(dos.begin(), dos.begin() + 40);
    EXPECT_FALSE(Decode(DecodeEps, cut).ok);
    Bytes tiffOnly = MakeDosEps("", {}, TiffPreview());
    tiffOnly.resize(tiffOnly.size() / 2);
    EXPECT_FALSE(Decode(DecodeEps, tiffOnly).ok);
}

}  // namespace
}  // namespace pm::test
