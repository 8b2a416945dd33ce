#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace pm::test {
namespace {

// Builders for the block structure; `major` selects the old (3) or the
// chunked (4 and later) layout.
std::vector<std::uint8_t> Block(int major, int id, const std::vector<std::uint8_t>& body) {
    TBytes b;
    b.Text(std::string_view("~BK\0", 4)).U16LE(id);
    if (major < 4) b.U32LE(static_cast<std::uint32_t>(body.size()));
    b.U32LE(static_cast<std::uint32_t>(body.size())).Append(body);
    return b.Bytes();
}

std::vector<std::uint8_t> Attributes(int major, int w, int h, int compression, int depth) {
    TBytes b;
    if (major >= 4) b.U32LE(46);
    b.U32LE(w)
        .U32LE(h)
        .Zeros(8)
        .U8(1)
        .U16LE(compression)
        .U16LE(depth)
        .U16LE(1)
        .U32LE(256)
        .U8(0)
        .U32LE(0)
        .U32LE(0)
        .U16LE(1);
    if (major >= 4) b.U32LE(1);
    return Block(major, 0, b.Bytes());
}

std::vector<std::uint8_t> Channel(int major, const std::vector<std::uint8_t>& data, int channelType,
                                  int bitmapType = 0) {
    TBytes b;
    if (major >= 4) b.U32LE(16);
    b.U32LE(static_cast<std::uint32_t>(data.size()))
        .U32LE(0)
        .U16LE(bitmapType)
        .U16LE(channelType)
        .Append(data);
    return Block(major, 5, b.Bytes());
}

// A layer bank with one raster layer whose saved rectangle is (l, t, r, b).
std::vector<std::uint8_t> LayerBank(int major, int l, int t, int r, int bt,
                                    const std::vector<std::vector<std::uint8_t>>& channels,
                                    bool extensionBlock = false) {
    TBytes rects;
    rects.U32LE(l).U32LE(t).U32LE(r).U32LE(bt).U32LE(l).U32LE(t).U32LE(r).U32LE(bt);
    TBytes rest;
    rest.Raw({255, 0, 1, 0, 0}).Zeros(32).Zeros(3).Zeros(42);
    TBytes layer;
    if (major < 4) {
        layer.Text("Layer").PadTo(256).U8(0).Append(rects.Bytes()).Append(rest.Bytes());
        layer.U16LE(1).U16LE(static_cast<unsigned>(channels.size()));
    } else {
        layer.U32LE(static_cast<std::uint32_t>(4 + 2 + 5 + 1 + 32 + rest.Size()))
            .U16LE(5)
            .Text("Layer")
            .U8(1);
        layer.Append(rects.Bytes()).Append(rest.Bytes());
        if (extensionBlock) layer.Append(Block(major, 0x21, std::vector<std::uint8_t>(12, 7)));
        layer.U32LE(8).U16LE(1).U16LE(static_cast<unsigned>(channels.size()));
    }
    for (const auto& c : channels) layer.Append(c);
    return Block(major, 3, Block(major, 4, layer.Bytes()));
}

std::vector<std::uint8_t> PspFile(int major, const std::vector<std::vector<std::uint8_t>>& blocks) {
    TBytes b;
    b.Text("Paint Shop Pro Image File\n\x1a").PadTo(32).U16LE(major).U16LE(0);
    for (const auto& blk : blocks) b.Append(blk);
    return b.Bytes();
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

TEST(PspReader, PublicFileGivesItsRasterLayer) {
    const TDecodeResult r = DecodeTestFile(DecodePsp, "exiftool/PSP.psp");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.picture.Image.Width(), 8);
    ASSERT_EQ(r.picture.Image.Height(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Rgb(r.picture.Image, x, y), 0xFFFFFFu);
}

TEST(PspReader, BuiltFilesGiveTheirPixels) {
    { // Old layout, uncompressed rows padded to four bytes.
        std::vector<std::vector<std::uint8_t>> ch;
        for (int c = 1; c <= 3; ++c)
            ch.push_back(Channel(3, {std::uint8_t(c), 2, 3, 0, 4, 5, std::uint8_t(6 * c), 0}, c));
        const auto bytes = PspFile(3, {Attributes(3, 3, 2, 0, 24), LayerBank(3, 0, 0, 3, 2, ch)});
        const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x010203u);
        EXPECT_EQ(Rgb(r.picture.Image, 2, 1), 0x060C12u);
    }
    { // Run-length palette image with a layer extension block before the bitmap chunk.
        TBytes pal;
        pal.U32LE(8).U32LE(3).Raw({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});
        const auto bytes =
            PspFile(10, {Attributes(10, 4, 2, 1, 8), Block(10, 2, pal.Bytes()),
                         LayerBank(10, 0, 0, 4, 2, {Channel(10, {0x84, 1, 4, 2, 0, 1, 2}, 0)}, true)});
        const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.picture.Image.Bpp(), 8);
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x00FF00u);
        EXPECT_EQ(Rgb(r.picture.Image, 0, 1), 0x0000FFu);
        EXPECT_EQ(Rgb(r.picture.Image, 1, 1), 0xFF0000u);
        EXPECT_EQ(Rgb(r.picture.Image, 3, 1), 0x0000FFu);
    }
    { // Deflated channels of a layer smaller than the canvas: the rest is white.
        std::vector<std::vector<std::uint8_t>> ch;
        for (int c = 1; c <= 3; ++c) ch.push_back(Channel(6, Deflate({std::uint8_t(10 * c)}), c));
        ch.push_back(Channel(6, Deflate({0}), 0, 1)); // a transparency mask: not part of the picture
        const auto bytes = PspFile(6, {Attributes(6, 3, 2, 2, 24), LayerBank(6, 1, 1, 2, 2, ch)});
        const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Rgb(r.picture.Image, 1, 1), 0x0A141Eu);
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0xFFFFFFu);
        EXPECT_EQ(Rgb(r.picture.Image, 2, 1), 0xFFFFFFu);
    }
    { // A full-size composite in the composite bank wins over the layer.
        TBytes attrs;
        attrs.U32LE(24).U32LE(1).U32LE(1).U16LE(24).U16LE(0).U16LE(1).U32LE(0).U16LE(0);
        TBytes image;
        image.U32LE(8).U16LE(1).U16LE(3);
        for (int c = 1; c <= 3; ++c) image.Append(Channel(6, {std::uint8_t(c), 0, 0, 0}, c));
        TBytes bank;
        bank.U32LE(8).U32LE(1).Append(Block(6, 17, attrs.Bytes())).Append(Block(6, 9, image.Bytes()));
        std::vector<std::vector<std::uint8_t>> layer;
        for (int c = 1; c <= 3; ++c) layer.push_back(Channel(6, {99, 0, 0, 0}, c));
        const auto bytes = PspFile(
            6, {Attributes(6, 1, 1, 0, 24), Block(6, 16, bank.Bytes()), LayerBank(6, 0, 0, 1, 1, layer)});
        const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x010203u);
    }
}

TEST(PspReader, DamagedCompositeBankFallsBackToTheLayer) {
    TBytes bank;
    bank.U32LE(8).U32LE(1).Append(Block(6, 17, {1, 2, 3})); // attributes cut short
    std::vector<std::vector<std::uint8_t>> layer;
    for (int c = 1; c <= 3; ++c) layer.push_back(Channel(6, {std::uint8_t(40 * c), 0, 0, 0}, c));
    const auto bytes =
        PspFile(6, {Attributes(6, 1, 1, 0, 24), Block(6, 16, bank.Bytes()), LayerBank(6, 0, 0, 1, 1, layer)});
    const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x285078u);
}

TEST(PspReader, DamagedFilesFailCleanly) {
    struct Bad {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Bad> cases;
    const auto good = [](int compression, const std::vector<std::uint8_t>& data) {
        return PspFile(
            6, {Attributes(6, 2, 1, compression, 8), LayerBank(6, 0, 0, 2, 1, {Channel(6, data, 0)})});
    };
    cases.push_back({"not PSP", TBytes().Text("Paint Shop Pro Image Filx").Zeros(40).Bytes()});
    cases.push_back({"no attributes", PspFile(6, {})});
    cases.push_back({"no layers", PspFile(6, {Attributes(6, 2, 1, 0, 8)})});
    cases.push_back({"zero size", PspFile(6, {Attributes(6, 0, 1, 0, 8)})});
    cases.push_back({"huge canvas, tiny file", PspFile(6, {Attributes(6, 60000, 60000, 0, 24)})});
    cases.push_back({"unknown depth", PspFile(6, {Attributes(6, 2, 1, 0, 16)})});
    cases.push_back({"JPEG compression", PspFile(6, {Attributes(6, 2, 1, 3, 24)})});
    cases.push_back({"short uncompressed channel", good(0, {1})});
    cases.push_back({"short run-length channel", good(1, {0x81, 5})});
    cases.push_back({"corrupt deflate", good(2, {0x78, 0x9C, 0xFF, 0xFF, 0xFF})});
    {
        auto bytes = good(0, {1, 2});
        bytes.resize(bytes.size() - 1); // the channel block runs past the end
        cases.push_back({"truncated block", bytes});
    }
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        const TDecodeResult r = DecodeBytes(DecodePsp, c.bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
    }
    EXPECT_TRUE(
        DecodeBytes(DecodePsp, good(0, {1, 2})).ok); // the damaged ones above differ from this only as named
}

} // namespace
} // namespace pm::test
