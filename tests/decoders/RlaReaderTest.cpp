#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

std::vector<std::uint8_t> Record(const std::vector<std::uint8_t>& rle) {
    TBytes b;
    b.U16BE(static_cast<unsigned>(rle.size())).Append(rle);
    return b.Bytes();
}

// A file whose active window is (left..left+w-1, bottom..bottom+h-1);
// `lines` are the scanlines, bottom first, each the concatenated records.
std::vector<std::uint8_t> Rla(int left, int bottom, int w, int h, int colours, int mattes, int bits,
                              const std::vector<std::vector<std::uint8_t>>& lines, int colourType = 0) {
    TBytes b;
    b.U16BE(0).U16BE(1000).U16BE(0).U16BE(1000);  // the full window
    b.U16BE(left).U16BE(left + w - 1).U16BE(bottom).U16BE(bottom + h - 1);
    b.U16BE(1).U16BE(colourType).U16BE(colours).U16BE(mattes).U16BE(0).U16BE(0xFFFE);
    b.PadTo(658).U16BE(bits).U16BE(0).U16BE(bits).U16BE(0).U16BE(0).PadTo(740);
    std::uint32_t offset = 740 + 4 * static_cast<std::uint32_t>(h);
    for (const auto& l : lines) {
        b.U32BE(offset);
        offset += static_cast<std::uint32_t>(l.size());
    }
    for (const auto& l : lines) b.Append(l);
    return b.Bytes();
}

std::vector<std::uint8_t> Cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    TBytes b;
    for (const auto& p : parts) b.Append(p);
    return b.Bytes();
}

TEST(RlaReader, ChannelsAndMatteOfTheActiveWindow) {
    // Red: a run; green: literals; blue: a run; an unread fourth colour
    // channel; matte: a run. The first scanline is the bottom line.
    const auto bottom =
        Cat({Record({1, 200}), Record({0xFE, 1, 2}), Record({1, 50}), Record({1, 9}), Record({1, 255})});
    const auto top =
        Cat({Record({1, 10}), Record({1, 20}), Record({1, 30}), Record({1, 9}), Record({1, 128})});
    const TDecodeResult r = DecodeBytes(DecodeRla, Rla(100, 40, 2, 2, 4, 1, 8, {bottom, top}));
    ASSERT_TRUE(r.ok) << r.error;
    const TFastDIB& img = r.picture.Image;
    ASSERT_EQ(img.Width(), 2);
    ASSERT_EQ(img.Height(), 2);
    ASSERT_EQ(img.Bpp(), 32);
    EXPECT_EQ(Rgb(img, 0, 1), 0xC80132u);
    EXPECT_EQ(Rgb(img, 1, 1), 0xC80232u);
    EXPECT_EQ(Rgb(img, 1, 0), 0x0A141Eu);
    EXPECT_EQ(img.Row(0)[3], 255);  // alpha of the bottom line
    EXPECT_EQ(img.Row(1)[3], 128);
}

TEST(RlaReader, SixteenBitSamplesStoreHighBytesFirst) {
    // Samples 0x1234 and 0xFF00: high bytes 12 FF, then low bytes 34 00.
    const auto line = Record({0xFC, 0x12, 0xFF, 0x34, 0x00});
    const TDecodeResult r = DecodeBytes(DecodeRla, Rla(0, 0, 2, 1, 1, 0, 16, {line}, 1));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.picture.Image.Bpp(), 8);
    EXPECT_EQ(Rgb(r.picture.Image, 0, 0), 0x121212u);
    EXPECT_EQ(Rgb(r.picture.Image, 1, 0), 0xFEFEFEu);
}

TEST(RlaReader, DamagedFilesFailCleanly) {
    const auto rgb = Cat({Record({1, 1}), Record({1, 2}), Record({1, 3})});
    std::vector<TBadFile> cases;
    cases.push_back({"short header", std::vector<std::uint8_t>(700, 0)});
    cases.push_back({"empty window", Rla(5, 0, 0, 1, 3, 0, 8, {rgb})});
    cases.push_back({"no colour channels", Rla(0, 0, 2, 1, 0, 0, 8, {rgb})});
    cases.push_back({"float channels", Rla(0, 0, 2, 1, 3, 0, 32, {rgb}, 4)});
    cases.push_back({"scanline table cut", Rla(0, 0, 2, 3, 3, 0, 8, {})});
    cases.push_back({"record too short", Rla(0, 0, 3, 1, 3, 0, 8, {rgb})});
    cases.push_back({"record overruns", Rla(0, 0, 1, 1, 3, 0, 8, {rgb})});
    cases.push_back({"channel missing", Rla(0, 0, 2, 1, 3, 0, 8, {Cat({Record({1, 1}), Record({1, 2})})})});
    {
        auto bytes = Rla(0, 0, 2, 1, 3, 0, 8, {rgb});
        bytes[740] = 0x7F;  // the scanline offset points far behind the end
        cases.push_back({"scanline outside the file", bytes});
    }
    cases.push_back({"huge window", Rla(-30000, -30000, 60000, 60000, 3, 0, 8, {rgb})});
    ExpectAllFail(DecodeRla, cases);
}

}  // namespace
}  // namespace pm::test
