#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

std::vector<std::uint8_t> Animator1(int w, int h, const std::vector<std::uint8_t>& pixels) {
    TBytes b;
    b.U16LE(0x9119).U16LE(w).U16LE(h).U16LE(0).U16LE(0).U8(8).U8(0).U32LE(w * h).PadTo(32);
    for (int i = 0; i < 256; ++i) b.Raw({unsigned(i & 63), 63, 0});
    b.Append(pixels);
    return b.Bytes();
}

std::vector<std::uint8_t> Chunk(int type, const std::vector<std::uint8_t>& body) {
    TBytes b;
    b.U32LE(static_cast<std::uint32_t>(body.size() + 6)).U16LE(type).Append(body);
    return b.Bytes();
}

// A one-frame FLIC (Animator Pro CEL) with a prefix chunk before the frame.
std::vector<std::uint8_t> Flic(int w, int h, const std::vector<std::vector<std::uint8_t>>& chunks) {
    TBytes frame;
    for (const auto& c : chunks) frame.Append(c);
    TBytes b;
    b.U32LE(0).U16LE(0xAF12).U16LE(1).U16LE(w).U16LE(h).U16LE(8).U16LE(3).PadTo(80).U32LE(0).PadTo(128);
    b.Append(Chunk(0xF100, std::vector<std::uint8_t>(10, 0)));
    b.U32LE(static_cast<std::uint32_t>(frame.Size() + 16))
        .U16LE(0xF1FA)
        .U16LE(static_cast<unsigned>(chunks.size()));
    b.Zeros(8).Append(frame.Bytes());
    return b.Bytes();
}

std::vector<std::uint8_t> Palette256(std::initializer_list<std::array<std::uint8_t, 3>> colours) {
    TBytes b;
    b.U16LE(1).U8(0).U8(static_cast<unsigned>(colours.size()));
    for (const auto& c : colours) b.Raw({c[0], c[1], c[2]});
    return Chunk(4, b.Bytes());
}

TEST(AutodeskReader, AnimatorOneImageUsesItsSixBitPalette) {
    const TDecodeResult r = DecodeBytes(DecodeAutodesk, Animator1(3, 2, {0, 1, 63, 2, 3, 4}));
    ASSERT_TRUE(r.ok) << r.error;
    const TFastDIB& img = r.picture.Image;
    EXPECT_EQ(img.Bpp(), 8);
    EXPECT_EQ(Rgb(img, 0, 0), 0x00FF00u);
    EXPECT_EQ(Rgb(img, 2, 0), 0xFFFF00u);
    EXPECT_EQ(Rgb(img, 1, 1), 0x0CFF00u);  // 3 of 63
}

TEST(AutodeskReader, FlicChunksBuildTheFirstFrame) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> chunks;
        std::vector<std::uint32_t> pixels;  // 3 x 2, top line first
    };
    const auto pal = Palette256({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
    std::vector<Case> cases;
    cases.push_back({"byte run",
                     {pal, Chunk(15, {0, 0x02, 1, 0xFF, 3, 0, 0x03, 2})},
                     {0xFF0000, 0xFF0000, 0x0000FF, 0x00FF00, 0x00FF00, 0x00FF00}});
    cases.push_back({"copy",
                     {pal, Chunk(16, {1, 2, 3, 3, 2, 1})},
                     {0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF, 0x00FF00, 0xFF0000}});
    cases.push_back({"64-level palette and line delta",
                     {Chunk(11, {1, 0, 0, 2, 0, 0, 0, 63, 0, 0}), Chunk(12, {1, 0, 1, 0, 1, 1, 0xFE, 1})},
                     {0, 0, 0, 0, 0xFF0000, 0xFF0000}});
    cases.push_back({"word delta with a line skip",
                     {pal, Chunk(7, {1, 0, 0xFF, 0xFF, 1, 0, 1, 1, 3, 2})},
                     {0, 0, 0, 0, 0x0000FF, 0x00FF00}});
    cases.push_back(
        {"cleared frame", {pal, Chunk(16, {1, 1, 1, 1, 1, 1}), Chunk(13, {})}, {0, 0, 0, 0, 0, 0}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TDecodeResult r = DecodeBytes(DecodeAutodesk, Flic(3, 2, c.chunks));
        ASSERT_TRUE(r.ok) << r.error;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(Rgb(r.picture.Image, i % 3, i / 3), c.pixels[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(AutodeskReader, PublicCelsLoad) {
    ExpectFileSizes(DecodeAutodesk, {
                                        {"animator/animator1_CRSHAIR.CEL", 314, 146},
                                        {"animator/animator1_ZIN.CEL", 6, 6},
                                        {"animator/animator1_ZOUT.CEL", 6, 5},
                                        {"animator/animatorpro_flic_LOGO.CEL", 84, 88},
                                        {"animator/animatorpro_flic_RED.CEL", 42, 53},
                                        {"animator/animatorpro_flic_S-BULLET.CEL", 8, 6},
                                        {"animator/animatorpro_flic_SUN.CEL", 146, 140},
                                    });
    // The sun is drawn on black: its corner is black, its middle is not.
    const TDecodeResult sun = DecodeTestFile(DecodeAutodesk, "animator/animatorpro_flic_SUN.CEL");
    ASSERT_TRUE(sun.ok);
    EXPECT_EQ(Rgb(sun.picture.Image, 0, 0), 0u);
    EXPECT_NE(Rgb(sun.picture.Image, 73, 70), 0u);
}

TEST(AutodeskReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
    cases.push_back({"unknown magic", TBytes().U16LE(0x1234).Zeros(900).Bytes()});
    auto truncated = Animator1(10, 10, std::vector<std::uint8_t>(99, 1));
    cases.push_back({"truncated pixels", truncated});
    cases.push_back({"zero size", Animator1(0, 5, {})});
    cases.push_back({"byte run past the line", Flic(3, 2, {Chunk(15, {0, 0x04, 1})})});
    cases.push_back({"byte run cut short", Flic(3, 2, {Chunk(15, {0, 0x02, 1})})});
    cases.push_back({"copy too short", Flic(3, 2, {Chunk(16, {1, 2})})});
    cases.push_back({"line delta below the frame", Flic(3, 2, {Chunk(12, {5, 0, 1, 0, 1, 0, 1, 9})})});
    cases.push_back({"word delta past the line", Flic(3, 2, {Chunk(7, {1, 0, 1, 0, 0, 2, 1, 1, 1, 1})})});
    cases.push_back(
        {"no frame", TBytes().U32LE(0).U16LE(0xAF12).U16LE(1).U16LE(3).U16LE(2).U16LE(8).PadTo(128).Bytes()});
    {
        auto big = Flic(3, 2, {Chunk(16, {1, 2, 3, 4, 5, 6})});
        big[8] = 0xFF, big[9] = 0xFF, big[10] = 0xFF, big[11] = 0xFF;  // 65535 x 65535 from a few bytes
        cases.push_back({"huge", big});
    }
    ExpectAllFail(DecodeAutodesk, cases);
}

}  // namespace
}  // namespace pm::test
