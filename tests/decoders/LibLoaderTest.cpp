// The picture loader's choice of the library-backed readers by extension,
// and what a file under the wrong extension does.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>

namespace pm::test {
namespace {

TEST(LibLoader, ExtensionsChooseTheirReaders) {
    const struct {
        const char* ext;
        TDecoderFn fn;
    } cases[] = {{"png", &DecodePng},   {"PNG", &DecodePng},      {"tif", &DecodeTiff},
                 {"TIFF", &DecodeTiff}, {"fax", &DecodeTiff},     {"gif", &DecodeGif},
                 {"Ico", &DecodeIcon},  {"wmf", &DecodeMetafile}, {"EMF", &DecodeMetafile},
                 {"eps", &DecodeEps}};
    for (const auto& c : cases) EXPECT_EQ(DecoderForExtension(c.ext), c.fn) << c.ext;
}

TEST(LibLoader, KindsAndWrongExtensions) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "pixmill-libloader-test";
    std::filesystem::create_directories(dir);
    const Bytes png = MakePng(3, 2, PNG_COLOR_TYPE_RGB, 8, false, [](int, int, int c) { return c * 100; });
    auto write = [&](const char* name, const Bytes& b) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return (dir / name).string();
    };
    TPicture picture;
    std::string error;
    EXPECT_TRUE(LoadPicture(write("a.png", png), picture, error)) << error;
    EXPECT_EQ(picture.Kind, TPictureKind::Raster);
    for (const char* wrong : {"a.gif", "a.tif", "a.ico", "a.wmf", "a.eps"}) {
        error.clear();
        EXPECT_FALSE(LoadPicture(write(wrong, png), picture, error)) << wrong;
        EXPECT_FALSE(error.empty()) << wrong;
    }
    TWmfBuilder wmf;
    EXPECT_TRUE(LoadPicture(write("m.wmf", wmf.Finish(true, 0, 0, 10, 10, 96, 0)), picture, error)) << error;
    EXPECT_EQ(picture.Kind, TPictureKind::Metafile);
    EXPECT_TRUE(LoadPicture(TestData("pillow/hopper.ico"), picture, error)) << error;
    EXPECT_EQ(picture.Kind, TPictureKind::Icon);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace pm::test
