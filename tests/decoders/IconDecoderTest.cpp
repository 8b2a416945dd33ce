// The icon reader: entry choice, depths, the AND mask and alpha drawn on
// white, PNG entries, sample files and damaged files.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"

#include <gtest/gtest.h>
#include <png.h>

namespace pm::test {
namespace {

const std::vector<std::uint8_t> kPalette = {10, 20, 30, 200, 100, 50, 0, 0, 0, 255, 255, 255}; // BGR

TEST(IconReader, DepthsAndTheAndMask) {
    // AND bit set on the left column: a black pixel there is transparent and
    // shows white; any other colour shows inverted.
    auto andBit = [](int x, int) { return x == 0; };
    const struct {
        const char* name;
        int bpp;
        std::vector<std::uint8_t> palette;
        std::uint32_t black; // the value that is black
        std::function<std::uint32_t(int, int)> colour;
        std::function<TColorTriple(int, int)> expectedColour; // where the AND bit is clear
    } cases[] = {
        {"1bit",
         1,
         {0, 0, 0, 200, 100, 50},
         0,
         [](int x, int y) { return std::uint32_t((x + y) & 1); },
         [](int x, int y) {
             return (x + y) & 1 ? TColorTriple{200, 100, 50} : TColorTriple{0, 0, 0};
         }},
        {"4bit", 4, kPalette, 2, [](int x, int y) { return std::uint32_t((x + y) % 4); },
         [](int x, int y) {
             const int i = (x + y) % 4;
             return TColorTriple{kPalette[3 * i], kPalette[3 * i + 1], kPalette[3 * i + 2]};
         }},
        {"8bit", 8, kPalette, 2, [](int x, int y) { return std::uint32_t((x * y) % 4); },
         [](int x, int y) {
             const int i = (x * y) % 4;
             return TColorTriple{kPalette[3 * i], kPalette[3 * i + 1], kPalette[3 * i + 2]};
         }},
        {"24bit",
         24,
         {},
         0,
         [](int x, int y) { return std::uint32_t(x * 20 + (y * 30 << 8) + (77 << 16)); },
         [](int x, int y) {
             return TColorTriple{static_cast<std::uint8_t>(x * 20), static_cast<std::uint8_t>(y * 30), 77};
         }},
    };
    for (const auto& c : cases) {
        const int w = 9, h = 7;
        // Black under the mask at the top of the left column.
        auto colour = [&](int x, int y) { return x == 0 && y < 3 ? c.black : c.colour(x, y); };
        const Bytes ico = MakeIco({MakeIconDib(w, h, c.bpp, c.palette, colour, andBit)}, {{w, h}}, {c.bpp});
        TDecoded d = Decode(DecodeIcon, ico);
        ASSERT_TRUE(d.ok) << c.name << ": " << d.error;
        EXPECT_EQ(d.picture.Kind, TPictureKind::Icon);
        const TFastDIB& img = d.picture.Image;
        ASSERT_EQ(img.Width(), w);
        ASSERT_EQ(img.Height(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                TColorTriple want = x == 0 && y < 3 ? TColorTriple{0, 0, 0} : c.expectedColour(x, y);
                if (x == 0)
                    want = {static_cast<std::uint8_t>(255 - want.b), static_cast<std::uint8_t>(255 - want.g),
                            static_cast<std::uint8_t>(255 - want.r)};
                ASSERT_EQ(PixelAt(img, x, y), want) << c.name << " at " << x << "," << y;
            }
        EXPECT_EQ(PixelAt(img, 0, 0), (TColorTriple{255, 255, 255})) << c.name; // transparent shows white
    }
}

TEST(IconReader, AlphaIsBlendedOverWhite) {
    auto bgra = [](int x, int) -> std::uint32_t {
        const std::uint32_t alpha[] = {0, 128, 255};
        return (alpha[x] << 24) | (200u << 16) | (100u << 8) | 0u; // red 200, green 100, blue 0
    };
    const Bytes ico = MakeIco({MakeIconDib(
                                  3, 1, 32, {}, bgra, [](int, int) { return true; }, false)},
                              {{3, 1}}, {32});
    TDecoded d = Decode(DecodeIcon, ico);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(PixelAt(d.picture.Image, 0, 0), (TColorTriple{255, 255, 255}));
    EXPECT_EQ(PixelAt(d.picture.Image, 1, 0), (TColorTriple{127, 177, 227}));
    EXPECT_EQ(PixelAt(d.picture.Image, 2, 0), (TColorTriple{0, 100, 200}));
}

TEST(IconReader, TakesTheLargestThenDeepestEntry) {
    auto solid = [](std::uint32_t v) { return [v](int, int) { return v; }; };
    auto none = [](int, int) { return false; };
    const Bytes small = MakeIconDib(4, 4, 24, {}, solid(0x0000FF), none); // red, 4 x 4
    const Bytes big4 = MakeIconDib(8, 8, 4, kPalette, solid(1), none);    // 8 x 8, 4 bits
    const Bytes big24 = MakeIconDib(8, 8, 24, {}, solid(0x00FF00), none); // 8 x 8, 24 bits
    const Bytes ico = MakeIco({small, big24, big4}, {{4, 4}, {8, 8}, {8, 8}}, {24, 24, 4});
    TDecoded d = Decode(DecodeIcon, ico);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.Image.Width(), 8);
    EXPECT_EQ(PixelAt(d.picture.Image, 3, 3), (TColorTriple{0, 255, 0}));
    // A PNG entry of 16 x 16 beats them; its transparent half shows white.
    const Bytes png = MakePng(16, 16, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, [](int x, int, int c) {
        return c == 3 ? (x < 8 ? 0 : 255) : c == 2 ? 90 : 10;
    });
    TDecoded withPng = Decode(DecodeIcon, MakeIco({small, png}, {{4, 4}, {16, 16}}, {24, 32}));
    ASSERT_TRUE(withPng.ok) << withPng.error;
    EXPECT_EQ(withPng.picture.Image.Width(), 16);
    EXPECT_EQ(PixelAt(withPng.picture.Image, 0, 5), (TColorTriple{255, 255, 255}));
    EXPECT_EQ(PixelAt(withPng.picture.Image, 12, 5), (TColorTriple{90, 10, 10}));
}

TEST(IconSamples, Load) {
    const struct {
        const char* file;
        int size;
    } cases[] = {{"pillow/hopper.ico", 16},     {"pillow/hopper_256x256.ico", 256},
                 {"pillow/pillow.ico", 256},    {"pillow/black_and_white.ico", 16},
                 {"oiio-images/oiio.ico", 256}, {"exiftool/ICO.ico", 1}};
    for (const auto& c : cases) {
        TDecoded d = Decode(DecodeIcon, ReadFileBytes(TestData(c.file)));
        ASSERT_TRUE(d.ok) << c.file << ": " << d.error;
        EXPECT_EQ(d.picture.Image.Width(), c.size) << c.file;
        EXPECT_EQ(d.picture.Image.Height(), c.size) << c.file;
    }
}

TEST(IconDamaged, FailsCleanly) {
    const Bytes good = MakeIco({MakeIconDib(
                                   16, 16, 8, kPalette, [](int x, int) { return std::uint32_t(x % 4); },
                                   [](int, int) { return false; })},
                               {{16, 16}}, {8});
    ASSERT_TRUE(Decode(DecodeIcon, good).ok);
    for (double cut : TruncationPoints()) {
        Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * cut));
        EXPECT_FALSE(Decode(DecodeIcon, part).ok) << "cut at " << cut;
    }
    auto patched = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        Bytes b = good;
        std::size_t i = at;
        for (std::uint8_t v : bytes) b[i++] = v;
        return b;
    };
    EXPECT_FALSE(Decode(DecodeIcon, patched(4, {0, 0})).ok);                  // no entries
    EXPECT_FALSE(Decode(DecodeIcon, patched(18, {0xFF, 0xFF, 0, 0})).ok);     // offset beyond the file
    EXPECT_FALSE(Decode(DecodeIcon, patched(22 + 4, {0, 0, 0, 0})).ok);       // zero width
    EXPECT_FALSE(Decode(DecodeIcon, patched(22 + 4, {0xFF, 0xFF, 0, 0})).ok); // width beyond the data
    EXPECT_FALSE(Decode(DecodeIcon, patched(22 + 14, {7, 0})).ok);            // depth 7
    EXPECT_FALSE(Decode(DecodeIcon, patched(2, {3, 0})).ok);                  // not an icon
    for (const char* bad : {"pillow/decompression_bomb.ico"})
        EXPECT_FALSE(Decode(DecodeIcon, ReadFileBytes(TestData(bad))).ok) << bad;
}

} // namespace
} // namespace pm::test
