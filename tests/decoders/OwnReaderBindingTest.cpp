#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace pm::test {
namespace {

TEST(OwnReaderBinding, ExtensionsSelectTheirReaderInAnyCase) {
    struct Binding {
        const char* ext;
        TDecoderFn fn;
    };
    const Binding bindings[] = {
        {"tga", DecodeTarga},    {"WIN", DecodeTarga}, {"Vst", DecodeTarga}, {"vda", DecodeTarga},
        {"ICB", DecodeTarga},    {"pcx", DecodePcx},   {"PCC", DecodePcx},   {"scr", DecodePcx},
        {"rla", DecodeRla},      {"RPF", DecodeRla},   {"sgi", DecodeSgi},   {"rgb", DecodeSgi},
        {"RGBA", DecodeSgi},     {"bw", DecodeSgi},    {"psd", DecodePsd},   {"PDD", DecodePsd},
        {"ppm", DecodePnm},      {"PGM", DecodePnm},   {"pbm", DecodePnm},   {"cel", DecodeAutodesk},
        {"PIC", DecodeAutodesk}, {"pcd", DecodePcd},   {"CUT", DecodeCut},   {"psp", DecodePsp},
    };
    for (const Binding& b : bindings) EXPECT_EQ(DecoderForExtension(b.ext), b.fn) << b.ext;
    EXPECT_EQ(DecoderForExtension("PAL"), nullptr);
}

// A file of another format under one of our extensions fails with a reason.
TEST(OwnReaderBinding, ForeignFilesFailCleanly) {
    const std::vector<std::uint8_t> png = ReadFileBytes(TestDataPath("pillow/hopper.png"));
    const std::vector<std::uint8_t> jpeg = ReadFileBytes(TestDataPath("pillow/hopper.jpg"));
    ASSERT_FALSE(png.empty());
    ASSERT_FALSE(jpeg.empty());
    for (TDecoderFn fn : {DecodeTarga, DecodePcx, DecodeSgi, DecodePnm, DecodePsd, DecodePsp, DecodeCut,
                          DecodeAutodesk, DecodeRla, DecodePcd}) {
        for (const auto* bytes : {&png, &jpeg}) {
            const TDecodeResult r = DecodeBytes(fn, *bytes);
            EXPECT_FALSE(r.ok);
            EXPECT_FALSE(r.error.empty());
        }
    }
}

TEST(OwnReaderBinding, LoaderDecodesByExtension) {
    const auto dir = std::filesystem::temp_directory_path() / "pixmill_own_reader_binding";
    std::filesystem::create_directories(dir);
    const auto path = dir / "Picture.PGM";
    {
        std::ofstream f(path, std::ios::binary);
        f << "P2 2 1 255\n7 9\n";
    }
    TPicture picture;
    std::string error;
    ASSERT_TRUE(LoadPicture(path.string(), picture, error)) << error;
    EXPECT_EQ(picture.Kind, TPictureKind::Raster);
    EXPECT_EQ(Rgb(picture.Image, 1, 0), 0x090909u);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace pm::test
