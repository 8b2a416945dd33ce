#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"
#include "support/BmpBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

// The bytes of a file of the BMP suite ("g/pal8.bmp").
std::vector<std::uint8_t> SuiteFile(const std::string& name) {
    return test::ReadFileBytes(test::TestDataPath("bmpsuite/" + name));
}

bool Decode(const std::vector<std::uint8_t>& bytes, TPicture& out, std::string& error) {
    TDecodeInput in{bytes.data(), bytes.size(), "test.bmp"};
    return DecodeBmp(in, out, error);
}

// Decodes a suite file and converts it to 24 bits; the file's own depth in `bpp`.
TFastDIB Load24(const std::string& name, int* bpp = nullptr) {
    TPicture p;
    std::string error;
    EXPECT_TRUE(Decode(SuiteFile(name), p, error)) << name << ": " << error;
    if (bpp) *bpp = p.Image.Bpp();
    EXPECT_TRUE(ConvertDepth(p.Image, 24));
    return std::move(p.Image);
}

// The suite's pictures are 127 x 64; the pixel loops below rely on it.
::testing::AssertionResult IsSuiteSize(const TFastDIB& image) {
    if (image.Width() == 127 && image.Height() == 64) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the picture is " << image.Width() << " x " << image.Height() << ", not 127 x 64";
}

TEST(BmpSuite, FilesThatShowTheSamePictureDecodeToTheSamePixels) {
    struct Case {
        const char* file;
        const char* reference;
        int bpp;
    } cases[] = {
        {"g/pal1wb.bmp", "g/pal1.bmp", 1},
        {"g/pal4rle.bmp", "g/pal4.bmp", 4},
        {"g/pal8-0.bmp", "g/pal8.bmp", 8},
        {"g/pal8rle.bmp", "g/pal8.bmp", 8},
        {"g/pal8topdown.bmp", "g/pal8.bmp", 8},
        {"g/pal8os2.bmp", "g/pal8.bmp", 8},
        {"g/pal8v4.bmp", "g/pal8.bmp", 8},
        {"g/pal8v5.bmp", "g/pal8.bmp", 8},
        {"g/rgb16bfdef.bmp", "g/rgb16.bmp", 16},
        {"g/rgb16-565pal.bmp", "g/rgb16-565.bmp", 16},
        {"g/rgb24pal.bmp", "g/rgb24.bmp", 24},
        {"g/rgb32.bmp", "g/rgb24.bmp", 32},
        {"g/rgb32bfdef.bmp", "g/rgb24.bmp", 32},
        {"g/rgb32bf.bmp", "g/rgb24.bmp", 32},
        // Questionable forms that are read the same way.
        {"q/pal8offs.bmp", "g/pal8.bmp", 8},
        {"q/pal8oversizepal.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2-hs.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2-sz.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2sp.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2v2.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2v2-16.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2v2-40sz.bmp", "g/pal8.bmp", 8},
        {"q/pal8os2v2-sz.bmp", "g/pal8.bmp", 8},
        {"q/rgb24largepal.bmp", "g/rgb24.bmp", 24},
        {"q/rgb24prof.bmp", "g/rgb24.bmp", 24},
        {"q/rgb24lprof.bmp", "g/rgb24.bmp", 24},
        {"q/rgb32h52.bmp", "g/rgb24.bmp", 32},
        {"q/rgb32-xbgr.bmp", "g/rgb24.bmp", 32},
        {"q/rgb32fakealpha.bmp", "g/rgb24.bmp", 32},
        {"q/rgba16-5551.bmp", "g/rgb16.bmp", 16},
        {"q/rgb16faketrns.bmp", "g/rgb16.bmp", 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        int bpp = 0;
        const TFastDIB image = Load24(c.file, &bpp);
        EXPECT_EQ(bpp, c.bpp);
        EXPECT_EQ(image.Width(), 127);
        EXPECT_EQ(image.Height(), 64);
        EXPECT_EQ(test::CountRgbDifferences(image, Load24(c.reference)), 0);
    }
}

// The 16-bit files hold the 24-bit picture with each channel rounded to
// 5 (or 6) bits; the conversion widens v to ((v + 1) * 2^(8 - n) - 1).
TEST(BmpSuite, SixteenBitFilesAreTheTrueColourPictureAtFewerBits) {
    const TFastDIB ref = Load24("g/rgb24.bmp");
    ASSERT_TRUE(IsSuiteSize(ref));
    struct Case {
        const char* file;
        int r, g, b;
    } cases[] = {{"g/rgb16.bmp", 5, 5, 5}, {"g/rgb16-565.bmp", 5, 6, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const TFastDIB image = Load24(c.file);
        ASSERT_TRUE(IsSuiteSize(image));
        auto expect = [](int v, int n) {
            const int q = (v * ((1 << n) - 1) + 127) / 255;
            return ((q + 1) << (8 - n)) - 1;
        };
        int wrong = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 127; ++x) {
                const TColorTriple s = ref.GetPixel(y, x), d = image.GetPixel(y, x);
                wrong += d.r != expect(s.r, c.r) || d.g != expect(s.g, c.g) || d.b != expect(s.b, c.b);
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(BmpSuite, GoodFilesKeepTheirDepthAndSize) {
    struct Case {
        const char* file;
        int w, h, bpp;
    } cases[] = {
        {"g/pal1.bmp", 127, 64, 1},     {"g/pal1bg.bmp", 127, 64, 1},        {"g/pal4gs.bmp", 127, 64, 4},
        {"g/pal8gs.bmp", 127, 64, 8},   {"g/pal8nonsquare.bmp", 127, 32, 8}, {"g/pal8w124.bmp", 124, 61, 8},
        {"g/pal8w125.bmp", 125, 62, 8}, {"g/pal8w126.bmp", 126, 63, 8},      {"g/rgb24.bmp", 127, 64, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TPicture p;
        std::string error;
        ASSERT_TRUE(Decode(SuiteFile(c.file), p, error)) << error;
        EXPECT_EQ(p.Kind, TPictureKind::Raster);
        EXPECT_EQ(p.Image.Width(), c.w);
        EXPECT_EQ(p.Image.Height(), c.h);
        EXPECT_EQ(p.Image.Bpp(), c.bpp);
    }
}

TEST(BmpSuite, TwoColourPicturesDifferOnlyInTheirPalette) {
    const TFastDIB bw = Load24("g/pal1.bmp"), colour = Load24("g/pal1bg.bmp");
    ASSERT_TRUE(IsSuiteSize(bw));
    ASSERT_TRUE(IsSuiteSize(colour));
    TPicture p;
    std::string error;
    ASSERT_TRUE(Decode(SuiteFile("g/pal1bg.bmp"), p, error));
    const TRGBQuad c0 = p.Image.Colors()[0], c1 = p.Image.Colors()[1];
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 127; ++x) {
            const TRGBQuad& c = bw.GetPixel(y, x).r == 0 ? c0 : c1;
            wrong += !(colour.GetPixel(y, x) == TColorTriple{c.b, c.g, c.r});
        }
    EXPECT_EQ(wrong, 0);
}

TEST(BmpSuite, SkippedRunLengthPixelsTakePaletteEntryZero) {
    // Delta codes leave pixels unset; every other pixel is the picture's.
    for (const char* file :
         {"q/pal8rletrns.bmp", "q/pal4rletrns.bmp", "q/pal8rlecut.bmp", "q/pal4rlecut.bmp"}) {
        SCOPED_TRACE(file);
        const bool eight = std::string(file).find("pal8") != std::string::npos;
        const TFastDIB full = Load24(eight ? "g/pal8.bmp" : "g/pal4.bmp");
        ASSERT_TRUE(IsSuiteSize(full));
        TPicture p;
        std::string error;
        ASSERT_TRUE(Decode(SuiteFile(file), p, error)) << error;
        const TRGBQuad z = p.Image.Colors()[0];
        ASSERT_TRUE(ConvertDepth(p.Image, 24));
        ASSERT_TRUE(IsSuiteSize(p.Image));
        int skipped = 0, wrong = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 127; ++x) {
                const TColorTriple c = p.Image.GetPixel(y, x);
                if (c == TColorTriple{z.b, z.g, z.r})
                    ++skipped;
                else
                    wrong += !(c == full.GetPixel(y, x));
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(skipped, 100);
    }
}

TEST(BmpSuite, BadFilesFailOrLoadWithinBounds) {
    struct Case {
        const char* file;
        bool loads;
        std::string says;  // the error, or the first warning of a file that loads
    } cases[] = {
        {"badbitcount.bmp", false, "Unsupported bit depth"},
        {"badbitssize.bmp", true, "The image size field says 2129587950 bytes, only 1024 follow the header"},
        {"baddens1.bmp", true, ""},
        {"baddens2.bmp", true, ""},
        {"badfilesize.bmp", true, "The file size field says 2111692253 bytes, the file holds 1086"},
        {"badheadersize.bmp", false, "Unknown bitmap header"},
        {"badpalettesize.bmp", true, ""},
        {"badplanes.bmp", true, ""},
        {"badrle.bmp", false, "A run goes past the end of its row"},
        {"badrle4.bmp", false, "A run goes past the end of its row"},
        {"badrle4bis.bmp", false, "A delta moves out of the picture"},
        {"badrle4ter.bmp", false, "A delta moves out of the picture"},
        {"badrlebis.bmp", false, "A delta moves out of the picture"},
        {"badrleter.bmp", false, "A delta moves out of the picture"},
        {"badwidth.bmp", false, "Bad image width"},
        {"pal8badindex.bmp", true, "Pixels use colours the colour table does not hold"},
        {"reallybig.bmp", false, "Image too large"},
        {"rgb16-880.bmp", true, ""},
        {"rletopdown.bmp", false, "Top-down run-length data"},
        {"shortfile.bmp", false, "Pixel data truncated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TPicture p;
        std::string error;
        const bool ok = Decode(SuiteFile(std::string("b/") + c.file), p, error);
        EXPECT_EQ(ok, c.loads) << error;
        if (ok) {
            EXPECT_EQ(p.Image.Width(), 127);
            EXPECT_TRUE(ConvertDepth(p.Image, 24));
            EXPECT_EQ(p.Warnings.empty() ? std::string() : p.Warnings.front(), c.says);
        } else {
            EXPECT_EQ(error, c.says);
        }
    }
}

TEST(BmpSuite, EveryFileDecodesOrFailsCleanly) {
    int decoded = 0, failed = 0;
    for (const std::string& file : test::TestDataFiles("bmpsuite", ".bmp")) {
        SCOPED_TRACE(file);
        TPicture p;
        std::string error;
        const std::vector<std::uint8_t> bytes = test::ReadFileBytes(file);
        if (Decode(bytes, p, error)) {
            ++decoded;
            EXPECT_FALSE(p.Image.Empty());
            EXPECT_TRUE(ConvertDepth(p.Image, 24));
        } else {
            ++failed;
            EXPECT_FALSE(error.empty());
        }
        // Every prefix of the file as well: the reader must never read past the end.
        for (std::size_t n = 0; n < bytes.size(); n += 97) {
            TDecodeInput cut{bytes.data(), n, "cut.bmp"};
            TPicture q;
            DecodeBmp(cut, q, error);
        }
    }
    EXPECT_GE(decoded, 27 + 30);
    EXPECT_GE(failed, 10);
}

TEST(BmpDecoder, PackedDibWithoutFileHeader) {
    const std::vector<std::uint8_t> dib = test::MakeBmp({.width = 2,
                                                         .height = 1,
                                                         .bpp = 8,
                                                         .colorsUsed = 2,
                                                         .palette = {0x000000, 0x102030},
                                                         .pixels = {1, 0, 0, 0},
                                                         .fileHeader = false});
    TPicture p;
    std::string error;
    ASSERT_TRUE(Decode(dib, p, error)) << error;
    EXPECT_EQ(p.Image.Bpp(), 8);
    EXPECT_EQ(p.Image.GetPixel(0, 0), (TColorTriple{0x30, 0x20, 0x10}));
    EXPECT_EQ(p.Image.GetPixel(0, 1), (TColorTriple{0, 0, 0}));

    std::vector<std::uint8_t> junk = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    EXPECT_FALSE(Decode(junk, p, error));
    EXPECT_EQ(error, "Not a bitmap file");
    EXPECT_FALSE(Decode({}, p, error));
}

TEST(BmpDecoder, BoundToTheBitmapExtensionsInAnyCase) {
    for (const char* ext : {"BMP", "bmp", "Rle", "dib", "DIB"})
        EXPECT_EQ(DecoderForExtension(ext), &DecodeBmp) << ext;
    EXPECT_EQ(DecoderForExtension("PAL"), nullptr);
}

}  // namespace
}  // namespace pm
