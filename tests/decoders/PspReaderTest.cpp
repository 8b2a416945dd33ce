#include "PspBuilder.h"
#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

std::vector<std::uint8_t> Block(int major, int id, const std::vector<std::uint8_t>& body) {
    return PspBlock(major, id, body);
}
std::vector<std::uint8_t> Attributes(int major, int w, int h, int compression, int depth) {
    return PspAttributes(major, w, h, compression, depth);
}
std::vector<std::uint8_t> Channel(int major, const std::vector<std::uint8_t>& data, int channelType,
                                  int bitmapType = 0) {
    return PspChannel(major, data, channelType, bitmapType);
}
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw) {
    return PspDeflate(raw);
}

// A layer bank with one raster layer whose saved rectangle is (l, t, r, b).
std::vector<std::uint8_t> LayerBank(int major, int l, int t, int r, int bt,
                                    const std::vector<std::vector<std::uint8_t>>& channels,
                                    bool extensionBlock = false) {
    TPspLayerSpec layer;
    layer.left = l;
    layer.top = t;
    layer.right = r;
    layer.bottom = bt;
    layer.channels = channels;
    layer.extensionBlock = extensionBlock;
    return PspLayerBank(major, {layer});
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
    {  // Old layout, uncompressed rows padded to four bytes.
        std::vector<std::vector<std::uint8_t>> ch;
        for (int c = 1; c <= 3; ++c)
            ch.push_back(Channel(3, {std::uint8_t(c), 2, 3, 0, 4, 5, std::uint8_t(6 * c), 0}, c));
        const auto bytes = PspFile(3, {Attributes(3, 3, 2, 0, 24), LayerBank(3, 0, 0, 3, 2, ch)});
        const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x010203u);
        EXPECT_EQ(Rgb(r.picture.Image, 2, 1), 0x060C12u);
    }
    {  // Run-length palette image with a layer extension block before the bitmap chunk.
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
    {  // Deflated channels of a layer smaller than the canvas: the rest is white.
        std::vector<std::vector<std::uint8_t>> ch;
        for (int c = 1; c <= 3; ++c) ch.push_back(Channel(6, Deflate({std::uint8_t(10 * c)}), c));
        ch.push_back(Channel(6, Deflate({255}), 0, 1));  // an opaque transparency mask
        const auto bytes = PspFile(6, {Attributes(6, 3, 2, 2, 24), LayerBank(6, 1, 1, 2, 2, ch)});
        const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Rgb(r.picture.Image, 1, 1), 0x0A141Eu);
        EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0xFFFFFFu);
        EXPECT_EQ(Rgb(r.picture.Image, 2, 1), 0xFFFFFFu);
    }
    {  // A full-size composite in the composite bank wins over the layer.
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
    bank.U32LE(8).U32LE(1).Append(Block(6, 17, {1, 2, 3}));  // attributes cut short
    std::vector<std::vector<std::uint8_t>> layer;
    for (int c = 1; c <= 3; ++c) layer.push_back(Channel(6, {std::uint8_t(40 * c), 0, 0, 0}, c));
    const auto bytes =
        PspFile(6, {Attributes(6, 1, 1, 0, 24), Block(6, 16, bank.Bytes()), LayerBank(6, 0, 0, 1, 1, layer)});
    const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x285078u);
}

TEST(PspReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
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
        bytes.resize(bytes.size() - 1);  // the channel block runs past the end
        cases.push_back({"truncated block", bytes});
    }
    ExpectAllFail(DecodePsp, cases);
    EXPECT_TRUE(
        DecodeBytes(DecodePsp, good(0, {1, 2})).ok);  // the damaged ones above differ from this only as named
}

}  // namespace
}  // namespace pm::test

namespace pm::test {
namespace {

// Without a composite, the program shows the visible raster layers bottom to
// top: each at its rectangle (cut at the canvas), through its transparency
// mask and opacity, over white.
TEST(PspReader, LayersAreComposedAsTheProgramShowsThem) {
    auto layer = [](int l, int t, int r, int b, const std::vector<std::vector<std::uint8_t>>& rgb) {
        TPspLayerSpec s;
        s.left = l;
        s.top = t;
        s.right = r;
        s.bottom = b;
        for (int c = 0; c < 3; ++c)
            s.channels.push_back(PspChannel(6, rgb[static_cast<std::size_t>(c)], c + 1));
        return s;
    };
    TPspLayerSpec bottom =
        layer(0, 0, 3, 2, {{10, 20, 30, 40, 50, 60}, std::vector<std::uint8_t>(6, 100), {0, 0, 0, 0, 0, 0}});
    TPspLayerSpec hidden = layer(0, 0, 3, 2,
                                 {std::vector<std::uint8_t>(6, 255), std::vector<std::uint8_t>(6, 255),
                                  std::vector<std::uint8_t>(6, 255)});
    hidden.visible = false;
    // Half opaque, its mask fading the second pixel; the third lies off the canvas.
    TPspLayerSpec glaze = layer(1, 1, 4, 2, {{200, 200, 9}, {0, 0, 9}, {250, 250, 9}});
    glaze.opacity = 128;
    glaze.channels.push_back(PspChannel(6, {255, 51, 255}, 0, 1));
    TPspLayerSpec multiply = layer(0, 0, 1, 1, {{1}, {2}, {3}});
    multiply.blend = 3;
    TPspLayerSpec vector = layer(
        0, 0, 3, 2,
        {std::vector<std::uint8_t>(6, 7), std::vector<std::uint8_t>(6, 7), std::vector<std::uint8_t>(6, 7)});
    vector.type = 3;
    const auto bytes = PspFile(
        6, {PspAttributes(6, 3, 2, 0, 24), PspLayerBank(6, {bottom, hidden, glaze, multiply, vector})});

    const TDecodeResult r = DecodeBytes(DecodePsp, bytes);
    ASSERT_TRUE(r.ok) << r.error;
    const TFastDIB& img = r.picture.Image;
    ASSERT_EQ(img.Width(), 3);
    ASSERT_EQ(img.Height(), 2);
    EXPECT_EQ(Rgb(img, 0, 0), 0x010203u);  // the top layer, blended as normal
    EXPECT_EQ(Rgb(img, 1, 0), 0x146400u);
    EXPECT_EQ(Rgb(img, 2, 0), 0x1E6400u);
    EXPECT_EQ(Rgb(img, 0, 1), 0x286400u);
    // Cover 128 of 255: red (200 * 128 + 50 * 127 + 127) / 255 = 125.
    EXPECT_EQ(Rgb(img, 1, 1), 0x7D327Du);
    // Cover (128 * 51 + 127) / 255 = 26.
    EXPECT_EQ(Rgb(img, 2, 1), 0x4A5A19u);
    EXPECT_EQ(r.picture.Warnings,
              (std::vector<std::string>{"Layer blend modes other than normal are drawn as normal",
                                        "Vector, adjustment and mask layers are left out"}));

    // A layer over part of the canvas leaves white around it; a fully
    // transparent mask lets the canvas show through.
    TPspLayerSpec small = layer(1, 0, 2, 1, {{5}, {6}, {7}});
    TPspLayerSpec clear = layer(0, 1, 1, 2, {{5}, {6}, {7}});
    clear.channels.push_back(PspChannel(6, {0}, 0, 1));
    const TDecodeResult s =
        DecodeBytes(DecodePsp, PspFile(6, {PspAttributes(6, 2, 2, 0, 24), PspLayerBank(6, {small, clear})}));
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(Rgb(s.picture.Image, 1, 0), 0x050607u);
    EXPECT_EQ(Rgb(s.picture.Image, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(s.picture.Image, 0, 1), 0xFFFFFFu);
    EXPECT_TRUE(s.picture.Warnings.empty());

    // Only hidden layers: nothing to show.
    EXPECT_FALSE(
        DecodeBytes(DecodePsp, PspFile(6, {PspAttributes(6, 3, 2, 0, 24), PspLayerBank(6, {hidden})})).ok);
}

}  // namespace
}  // namespace pm::test
