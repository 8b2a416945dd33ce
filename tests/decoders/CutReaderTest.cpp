#include "decoders/DecodeCut.h"
#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace pm::test {
namespace {

// Two lines: "4 x index 3" and "1, 2, then 2 x index 7".
std::vector<std::uint8_t> SmallCut() {
    TBytes b;
    b.U16LE(4).U16LE(2).U16LE(0);
    b.U16LE(3).Raw({0x84, 3, 0});
    b.U16LE(6).Raw({0x02, 1, 2, 0x82, 7, 0});
    return b.Bytes();
}

// A palette whose entry i is (i, 2i, 255 - i) on a 0..255 scale, stored on
// a 0..63 scale for red to check the scaling.
std::vector<std::uint8_t> HaloPalette(int entries) {
    TBytes b;
    b.U16LE(0x4841).U16LE(0x0A).U16LE(0).U8(0x0A).U8(0).U16LE(0).U16LE(0);
    b.U16LE(entries - 1).U16LE(63).U16LE(255).U16LE(255).Text("Dr. Halo").PadTo(40);
    for (int i = 0; i < entries; ++i) {
        if (b.Size() % 512 > 506) b.PadTo(b.Size() + (512 - b.Size() % 512));
        b.U16LE(i % 64).U16LE((2 * i) & 255).U16LE(255 - i);
    }
    return b.Bytes();
}

class CutFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("pixmill_cut_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::filesystem::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    std::filesystem::path dir_;
};

TEST_F(CutFolder, WithoutPaletteIndicesShowAsGreyUpToTheHighestUsed) {
    const std::string file = Write("pic.cut", SmallCut());
    const TDecodeResult r = DecodeBytes(DecodeCut, SmallCut(), file);
    ASSERT_TRUE(r.ok) << r.error;
    const TFastDIB& img = r.picture.Image;
    ASSERT_EQ(img.Width(), 4);
    ASSERT_EQ(img.Height(), 2);
    EXPECT_EQ(Rgb(img, 0, 0), 0x6D6D6Du);  // 3 of 7
    EXPECT_EQ(Rgb(img, 0, 1), 0x242424u);  // 1 of 7
    EXPECT_EQ(Rgb(img, 3, 1), 0xFFFFFFu);
}

TEST_F(CutFolder, PaletteFileOfTheSameNameGivesTheColours) {
    for (const char* palName : {"pic.pal", "pic.PAL", "pic.Pal"}) {
        SCOPED_TRACE(palName);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        const std::string file = Write("pic.cut", SmallCut());
        Write(palName, HaloPalette(256));
        Write("other.pal", std::vector<std::uint8_t>(100, 0));
        TPicture picture;
        std::string error;
        ASSERT_TRUE(LoadPicture(file, picture, error)) << error;
        EXPECT_EQ(Rgb(picture.Image, 0, 0), 0x0C06FCu);  // index 3: red 3 of 63
        EXPECT_EQ(Rgb(picture.Image, 2, 1), 0x1C0EF8u);  // index 7
    }
}

TEST_F(CutFolder, UnreadablePaletteFallsBackToGrey) {
    const std::string file = Write("pic.cut", SmallCut());
    Write("pic.pal", TBytes().Text("JASC-PAL\n0100\n").Bytes());
    const TDecodeResult r = DecodeBytes(DecodeCut, SmallCut(), file);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Rgb(r.picture.Image, 3, 1), 0xFFFFFFu);
    EXPECT_EQ(FindHaloPaletteFile((dir_ / "missing.cut").string()), "");
}

TEST(HaloPalette, EntriesSkipTheEndsOfFiveHundredTwelveByteBlocks) {
    const auto bytes = HaloPalette(256);
    std::array<TRGBQuad, 256> pal;
    ASSERT_TRUE(ReadHaloPalette(bytes.data(), bytes.size(), pal));
    // Entry 78 is the first one placed after a block boundary.
    EXPECT_EQ(pal[78].r, 57);  // 14 of 63
    EXPECT_EQ(pal[78].g, 156);
    EXPECT_EQ(pal[78].b, 177);
    EXPECT_EQ(pal[255].r, 255);
    EXPECT_EQ(pal[255].g, 254);
    EXPECT_EQ(pal[255].b, 0);
    EXPECT_FALSE(ReadHaloPalette(bytes.data(), 10, pal));
    auto hardware = bytes;
    hardware[7] = 1;  // a hardware-specific palette
    EXPECT_FALSE(ReadHaloPalette(hardware.data(), hardware.size(), pal));
}

TEST(CutReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"zero height", TBytes().U16LE(4).U16LE(0).U16LE(0).Zeros(8).Bytes()});
    cases.push_back({"line missing", TBytes().U16LE(2).U16LE(2).U16LE(0).U16LE(3).Raw({0x82, 1, 0}).Bytes()});
    cases.push_back({"line length past the end",
                     TBytes().U16LE(2).U16LE(1).U16LE(0).U16LE(30).Raw({0x82, 1, 0}).Bytes()});
    cases.push_back(
        {"run past the width", TBytes().U16LE(2).U16LE(1).U16LE(0).U16LE(3).Raw({0x83, 1, 0}).Bytes()});
    cases.push_back(
        {"literal past its line", TBytes().U16LE(4).U16LE(1).U16LE(0).U16LE(3).Raw({0x04, 1, 2}).Bytes()});
    cases.push_back(
        {"huge and nearly empty", TBytes().U16LE(65535).U16LE(65535).U16LE(0).Zeros(200).Bytes()});
    cases.push_back({"a PNG", ReadFileBytes(TestDataPath("pillow/hopper.png"))});
    ExpectAllFail(DecodeCut, cases);
}

}  // namespace
}  // namespace pm::test
