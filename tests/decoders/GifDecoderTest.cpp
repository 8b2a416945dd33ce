// The GIF reader: first frame, interlacing, local palettes, placement on the
// screen, the GIF test suite's expected first frames, and damaged files.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"
#include "decoders/PngReader.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

std::vector<std::uint8_t> Ramp(int n, int seed) {
    std::vector<std::uint8_t> p;
    for (int i = 0; i < n; ++i)
        p.insert(p.end(), {static_cast<std::uint8_t>(i * seed), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i ^ seed)});
    return p;
}

TColorTriple Entry(const std::vector<std::uint8_t>& rgb, int i) {
    const std::size_t k = 3 * static_cast<std::size_t>(i);
    return {rgb[k + 2], rgb[k + 1], rgb[k]};
}

TEST(GifReader, FramesLayoutsAndPalettes) {
    const auto global = Ramp(256, 3), local = Ramp(16, 17);
    const struct {
        const char* name;
        bool interlaced, useLocal;
        int left, top, fw, fh;
        int expectBpp;
    } cases[] = {{"plain", false, false, 0, 0, 23, 19, 8},
                 {"interlaced", true, false, 0, 0, 23, 19, 8},
                 {"localPalette", false, true, 0, 0, 23, 19, 4},
                 {"offsetFrame", true, false, 5, 3, 10, 9, 8},
                 {"frameBeyondScreen", false, false, 15, 12, 20, 20, 8}};
    for (const auto& c : cases) {
        auto index = [&](int x, int y) { return ((x * 7 + y * 3) % (c.useLocal ? 16 : 256)); };
        TGifFrame first{
            c.left, c.top, c.fw, c.fh, c.interlaced, c.useLocal ? local : std::vector<std::uint8_t>{}, index};
        TGifFrame second{0, 0, 23, 19, false, {}, [](int, int) { return 200; }};
        TDecoded d = Decode(DecodeGif, MakeGif(23, 19, global, 42, {first, second}));
        ASSERT_TRUE(d.ok) << c.name << ": " << d.error;
        const TFastDIB& img = d.picture.Image;
        ASSERT_EQ(img.Width(), 23) << c.name;
        ASSERT_EQ(img.Height(), 19) << c.name;
        EXPECT_EQ(img.Bpp(), c.expectBpp) << c.name;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 23; ++x) {
                const bool inFrame = x >= c.left && y >= c.top && x < c.left + c.fw && y < c.top + c.fh;
                // Outside the first frame: the screen's background colour.
                const TColorTriple want = !inFrame     ? Entry(global, 42)
                                          : c.useLocal ? Entry(local, index(x - c.left, y - c.top))
                                                       : Entry(global, index(x - c.left, y - c.top));
                ASSERT_EQ(PixelAt(img, x, y), want) << c.name << " at " << x << "," << y;
            }
    }
}

TEST(GifReader, TwoColoursGiveOneBit) {
    const std::vector<std::uint8_t> bw = {0, 0, 0, 255, 255, 255};
    TGifFrame f{0, 0, 9, 4, false, {}, [](int x, int y) { return (x + y) & 1; }};
    TDecoded d = Decode(DecodeGif, MakeGif(9, 4, bw, 0, {f}));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.Image.Bpp(), 1);
    EXPECT_EQ(PixelAt(d.picture.Image, 1, 0), (TColorTriple{255, 255, 255}));
    EXPECT_EQ(PixelAt(d.picture.Image, 1, 1), (TColorTriple{0, 0, 0}));
}

// The suite's expected first frames: every opaque pixel must match (the
// transparent ones keep their palette colour here).
TEST(GifSuite, FirstFramesMatchTheExpectedPictures) {
    for (const char* name :
         {"static_nontransparent", "static_transparent", "animated_loop", "animated_loop_interlaced",
          "animated_transparent_loop", "animated_transparent_frame_restoreprev_loop"}) {
        TDecoded d =
            Decode(DecodeGif, ReadFileBytes(TestData(std::string("gif-test-suite/") + name + ".gif")));
        ASSERT_TRUE(d.ok) << name << ": " << d.error;
        std::string frame = std::string("gif-test-suite/frames/") + name +
                            (std::string(name).rfind("static", 0) == 0 ? ".png" : "-0.png");
        const Bytes png = ReadFileBytes(TestData(frame));
        TFastDIB want;
        std::string error;
        ASSERT_TRUE(ReadPngImage(png.data(), png.size(), want, error, true)) << error;
        ASSERT_EQ(d.picture.Image.Width(), want.Width());
        ASSERT_EQ(d.picture.Image.Height(), want.Height());
        int opaque = 0;
        for (int y = 0; y < want.Height(); ++y)
            for (int x = 0; x < want.Width(); ++x) {
                const std::uint8_t* p = want.Row(want.Height() - 1 - y) + 4 * x;
                if (p[3] != 255) continue;
                ++opaque;
                ASSERT_EQ(PixelAt(d.picture.Image, x, y), (TColorTriple{p[0], p[1], p[2]}))
                    << name << " " << x << "," << y;
            }
        EXPECT_GT(opaque, 0) << name;
    }
}

TEST(GifDamaged, FailsCleanly) {
    TGifFrame f{0, 0, 40, 30, false, {}, [](int x, int y) { return (x * y) & 0xFF; }};
    const Bytes good = MakeGif(40, 30, Ramp(256, 5), 0, {f});
    ASSERT_TRUE(Decode(DecodeGif, good).ok);
    for (double cut : TruncationPoints()) {
        Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * cut));
        EXPECT_FALSE(Decode(DecodeGif, part).ok) << "cut at " << cut;
    }
    // No image at all, only the trailer.
    Bytes empty(good.begin(), good.begin() + 13 + 768);
    empty.push_back(0x3B);
    EXPECT_FALSE(Decode(DecodeGif, empty).ok);
    // A frame of zero width.
    Bytes zero = good;
    const std::size_t desc = 13 + 768; // image descriptor after the global palette
    ASSERT_EQ(zero[desc], 0x2C);
    zero[desc + 5] = zero[desc + 6] = 0;
    EXPECT_FALSE(Decode(DecodeGif, zero).ok);
    // Corrupt code size.
    Bytes corrupt = good;
    corrupt[desc + 10] = 0x0F;
    EXPECT_FALSE(Decode(DecodeGif, corrupt).ok);
    EXPECT_FALSE(Decode(DecodeGif, ReadFileBytes(TestData("pngsuite/basn0g01.png"))).ok);
}

} // namespace
} // namespace pm::test
