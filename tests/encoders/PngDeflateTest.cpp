// PNG rows deflated in one piece: the rows inside are exactly the Sub
// filtered rows, no larger than zlib makes them, in files that libpng and
// other programs read to the end; pictures too large for one piece still
// come out whole through the streaming path.
#include "encoders/PngDeflate.h"
#include "encoders/PngEncoder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <png.h>
#include <zlib.h>

namespace pm {
namespace {

// Gradients with some noise: compressible, but not trivially.
TFastDIB Gradient(int w, int h) {
    TFastDIB d;
    d.SetSize(w, h, 24);
    unsigned noise = 1;
    for (int row = 0; row < h; ++row) {
        TColorTriple* p = d.Row24(row);
        for (int x = 0; x < w; ++x) {
            noise = noise * 1103515245 + 12345;
            p[x] = {std::uint8_t(x * 255 / w), std::uint8_t(row * 255 / h),
                    std::uint8_t((x + row + (noise >> 29)) & 255)};
        }
    }
    return d;
}

// The rows as PNG filters them with Sub, top row first, red first.
std::vector<std::uint8_t> SubFiltered(const TFastDIB& d) {
    std::vector<std::uint8_t> out;
    for (int y = d.Height() - 1; y >= 0; --y) {
        out.push_back(1);
        const TColorTriple* p = d.Row24(y);
        for (int x = 0; x < d.Width(); ++x) {
            const TColorTriple left = x > 0 ? p[x - 1] : TColorTriple{};
            out.push_back(std::uint8_t(p[x].r - left.r));
            out.push_back(std::uint8_t(p[x].g - left.g));
            out.push_back(std::uint8_t(p[x].b - left.b));
        }
    }
    return out;
}

std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& packed, std::size_t size) {
    std::vector<std::uint8_t> out(size + 1);
    uLongf n = out.size();
    EXPECT_EQ(uncompress(out.data(), &n, packed.data(), packed.size()), Z_OK);
    out.resize(n);
    return out;
}

TEST(PngDeflate, HoldsTheSubFilteredRowsNoLargerThanZlibMakesThem) {
    const TFastDIB d = Gradient(161, 107);
    const std::vector<std::uint8_t> rows = SubFiltered(d);
    std::size_t previous = SIZE_MAX;
    for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE(level);
        const std::vector<std::uint8_t> packed = DeflatePngRows(d, level);
        ASSERT_FALSE(packed.empty());
        EXPECT_EQ(Inflate(packed, rows.size()), rows);
        std::vector<std::uint8_t> byZlib(compressBound(rows.size()));
        uLongf n = byZlib.size();
        ASSERT_EQ(compress2(byZlib.data(), &n, rows.data(), rows.size(), level), Z_OK);
        EXPECT_LE(packed.size(), n);
        EXPECT_LT(packed.size(), previous);
        previous = packed.size();
    }
}

TEST(PngDeflate, LeavesRowsBeyondItsLimitToTheStreamingPath) {
    const TFastDIB d = Gradient(100, 10);
    const std::size_t filtered = (1 + 3 * 100) * 10;
    EXPECT_FALSE(DeflatePngRows(d, 6, filtered).empty());
    EXPECT_TRUE(DeflatePngRows(d, 6, filtered - 1).empty());
}

std::vector<std::uint8_t> EncodePng(const TFastDIB& d, int level) {
    TPngEncoder e;
    e.CompressionLevel = level;
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(e.SaveToSink(
        d,
        [&](const std::uint8_t* p, std::size_t n) {
            bytes.insert(bytes.end(), p, p + n);
            return true;
        },
        error))
        << error;
    return bytes;
}

// libpng reads the whole file, IEND and every checksum included.
void ExpectLibpngReadsThePicture(const std::vector<std::uint8_t>& bytes, const TFastDIB& d) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) << image.message;
    image.format = PNG_FORMAT_BGR;
    ASSERT_EQ(image.width, png_uint_32(d.Width()));
    ASSERT_EQ(image.height, png_uint_32(d.Height()));
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    // Bottom row first, at the stride of the bitmap, as it lies in memory.
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), -d.Width() * 3, nullptr))
        << image.message;
    EXPECT_EQ(image.warning_or_error, 0) << image.message;
    std::size_t differences = 0;
    for (int y = 0; y < d.Height(); ++y)
        differences +=
            std::memcmp(pixels.data() + std::size_t(y) * d.Width() * 3, d.Row(y), d.Width() * 3) != 0;
    EXPECT_EQ(differences, 0u);
}

TEST(PngDeflate, FilesThatLibpngAndImageMagickReadToTheEnd) {
    struct TCase {
        int width, height, level;
    } const cases[] = {
        {161, 107, 0},
        {161, 107, 6},
        {800, 533, 9},
        {1, 1, 6},
        // Beyond what is deflated in one piece: libpng streams it.
        {4733, 4733, 1},
    };
    const bool haveIdentify = std::system("identify -version > /dev/null 2>&1") == 0;
    test::TTempDir dir;
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const TFastDIB d = Gradient(c.width, c.height);
        const std::vector<std::uint8_t> bytes = EncodePng(d, c.level);
        ExpectLibpngReadsThePicture(bytes, d);
        if (!haveIdentify) continue;
        const std::string file = dir.Write("out.png", bytes);
        EXPECT_EQ(std::system(("identify -regard-warnings '" + file + "' > /dev/null 2>&1").c_str()), 0);
    }
}

}  // namespace
}  // namespace pm
