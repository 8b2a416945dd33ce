// The EXIF orientation as the loader reads it: from JPEG APP1 and PNG eXIf
// blocks through Exiv2, from a TIFF's own directory through its reader, and
// 1 for files without one or with one that cannot be read.
#include "decoders/ExifOrientation.h"
#include "decoders/Decoders.h"
#include "decoders/PictureLoader.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace pm {
namespace {

TEST(ExifOrientation, ReadFromTheFileBytes) {
    struct Case {
        const char* file;
        int orientation;
    } cases[] = {
        {"orientation/jpeg_orientation_1.jpg", 1},
        {"orientation/jpeg_orientation_2.jpg", 2},
        {"orientation/jpeg_orientation_3.jpg", 3},
        {"orientation/jpeg_orientation_4.jpg", 4},
        {"orientation/jpeg_orientation_5.jpg", 5},
        {"orientation/jpeg_orientation_6.jpg", 6},
        {"orientation/jpeg_orientation_7.jpg", 7},
        {"orientation/jpeg_orientation_8.jpg", 8},
        {"orientation/png_orientation_6.png", 6},
        {"orientation/webp_orientation_6.webp", 6},
        // A directory offset far outside the block: unreadable, so as stored.
        {"orientation/jpeg_damaged_exif.jpg", 1},
        // No EXIF block at all.
        {"pngsuite/basn2c08.png", 1},
        {"libtiff/quad-tile.jpg.tiff", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<std::uint8_t> bytes = test::ReadFileBytes(test::TestDataPath(c.file));
        EXPECT_EQ(ReadExifOrientation(bytes.data(), bytes.size()), c.orientation);
    }
}

TEST(ExifOrientation, DamagedOrForeignBytesGiveOne) {
    const std::vector<std::uint8_t> jpeg =
        test::ReadFileBytes(test::TestDataPath("orientation/jpeg_orientation_6.jpg"));
    const std::size_t exif = std::string(jpeg.begin(), jpeg.end()).find("Exif");
    ASSERT_NE(exif, std::string::npos);
    std::vector<std::vector<std::uint8_t>> inputs = {
        {},
        {0xFF, 0xD8},
        {'M', 'M', 0, 42, 0, 0, 0, 8},
        std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(exif + 12)),
    };
    // The orientation value (little-endian, after the block's 6-byte name,
    // the 8-byte header, the entry count and the entry's tag, type and
    // count) outside 1-8.
    const std::size_t value = exif + 6 + 8 + 2 + 8;
    ASSERT_EQ(jpeg[value], 6);
    for (std::uint8_t bad : {0, 9, 255}) {
        std::vector<std::uint8_t> out = jpeg;
        out[value] = bad;
        inputs.push_back(out);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ReadExifOrientation(inputs[i].data(), inputs[i].size()), 1);
    }
    EXPECT_EQ(ReadExifOrientation(nullptr, 0), 1);
}

std::vector<std::uint8_t> Bytes(const char* file) {
    return test::ReadFileBytes(test::TestDataPath(std::string("orientation/") + file));
}

std::vector<std::uint8_t> Spliced(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                  const std::vector<std::uint8_t>& insert) {
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    out.insert(out.end(), insert.begin(), insert.end());
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    return out;
}

// The EXIF block is found behind other segments and chunks: an XMP APP1
// segment and fill bytes before it in a JPEG, the eXIf chunk after the image
// data in a PNG.
TEST(ExifOrientation, FoundBehindOtherSegmentsAndChunks) {
    const std::vector<std::uint8_t> jpeg = Bytes("jpeg_orientation_6.jpg");
    const std::vector<std::uint8_t> xmp = {0xFF, 0xFF, 0xE1, 0x00, 0x0A, 'h', 't', 't', 'p', ':', '/', 0, 0};
    EXPECT_EQ(ReadExifOrientation(Spliced(jpeg, 2, xmp).data(), jpeg.size() + xmp.size()), 6);

    const std::vector<std::uint8_t> png = Bytes("png_orientation_6.png");
    const std::string text(png.begin(), png.end());
    const std::size_t exif = text.find("eXIf") - 4, idat = text.find("IDAT") - 4,
                      iend = text.find("IEND") - 4;
    ASSERT_LT(exif, idat);
    // The chunk (length, type, body, CRC) moved to just before IEND.
    std::vector<std::uint8_t> chunk(png.begin() + static_cast<std::ptrdiff_t>(exif),
                                    png.begin() + static_cast<std::ptrdiff_t>(idat));
    std::vector<std::uint8_t> moved(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(exif));
    moved.insert(moved.end(), png.begin() + static_cast<std::ptrdiff_t>(idat),
                 png.begin() + static_cast<std::ptrdiff_t>(iend));
    moved = Spliced(moved, moved.size(), chunk);
    moved.insert(moved.end(), png.begin() + static_cast<std::ptrdiff_t>(iend), png.end());
    ASSERT_EQ(moved.size(), png.size());
    EXPECT_EQ(ReadExifOrientation(moved.data(), moved.size()), 6);
    // Behind IEND it is no longer part of the file.
    std::vector<std::uint8_t> late(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(exif));
    late.insert(late.end(), png.begin() + static_cast<std::ptrdiff_t>(idat), png.end());
    late.insert(late.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(ReadExifOrientation(late.data(), late.size()), 1);
}

// The loader hands the orientation on with the raster as stored.
TEST(ExifOrientation, LoaderKeepsTheRasterAsStored) {
    struct Case {
        const char* file;
        int orientation, width, height;
    } cases[] = {
        {"orientation/jpeg_orientation_1.jpg", 1, 24, 16},
        {"orientation/jpeg_orientation_6.jpg", 6, 16, 24},
        {"orientation/png_orientation_6.png", 6, 16, 24},
        {"orientation/tiff_orientation_6.tif", 6, 16, 24},
        {"orientation/webp_orientation_6.webp", 6, 16, 24},
        {"orientation/jpeg_damaged_exif.jpg", 1, 16, 24},
        {"pngsuite/basn2c08.png", 1, 32, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TPicture picture;
        std::string error;
        ASSERT_TRUE(LoadPicture(test::TestDataPath(c.file), picture, error)) << error;
        EXPECT_EQ(picture.Orientation, c.orientation);
        EXPECT_EQ(picture.Image.Width(), c.width);
        EXPECT_EQ(picture.Image.Height(), c.height);
        EXPECT_TRUE(picture.Warnings.empty());
    }
}

}  // namespace
}  // namespace pm
