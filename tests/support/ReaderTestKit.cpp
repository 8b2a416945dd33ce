#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace pm::test {

std::string TestDataPath(const std::string& relative) {
    const std::string path = std::string(PIXMILL_TESTDATA_DIR) + "/" + relative;
    if (!std::filesystem::exists(path)) ADD_FAILURE() << "Missing test data: " << path;
    return path;
}

std::vector<std::string> TestDataFiles(const std::string& folder, const std::string& extension) {
    std::vector<std::string> files;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(TestDataPath(folder), error), end;
    for (; !error && it != end; it.increment(error))
        if (it->is_regular_file() && it->path().extension() == extension)
            files.push_back(it->path().string());
    if (error) ADD_FAILURE() << "Cannot list test data folder " << folder << ": " << error.message();
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !std::filesystem::is_regular_file(path)) {
        ADD_FAILURE() << "Cannot read file " << path;
        return {};
    }
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string FileCaseName(const std::string& path) {
    std::string name = std::filesystem::path(path).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

TDecodeResult DecodeBytes(TDecoderFn reader, const std::vector<std::uint8_t>& bytes,
                          const std::string& fileName) {
    TDecodeResult r;
    TDecodeInput in{bytes.data(), bytes.size(), fileName};
    r.ok = reader(in, r.picture, r.error);
    return r;
}

TDecodeResult DecodeTestFile(TDecoderFn reader, const std::string& relative) {
    const std::string path = TestDataPath(relative);
    return DecodeBytes(reader, ReadFileBytes(path), path);
}

std::uint32_t Rgb(const TFastDIB& image, int x, int y) {
    return image.GetPixel(image.Height() - 1 - y, x).Packed();
}

long CountRgbDifferences(const TFastDIB& a, const TFastDIB& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    long differing = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) differing += Rgb(a, x, y) != Rgb(b, x, y);
    return differing;
}

namespace {

// Whether the reader succeeded; a failure is reported with its reason.
bool Succeeded(const TDecodeResult& r) {
    if (!r.ok) ADD_FAILURE() << r.error;
    return r.ok;
}

}  // namespace

void ExpectBuiltFiles(TDecoderFn reader, const std::vector<TBuiltFile>& files) {
    for (const TBuiltFile& f : files) {
        SCOPED_TRACE(f.name);
        const TDecodeResult r = DecodeBytes(reader, f.bytes);
        if (!Succeeded(r)) continue;
        const TFastDIB& img = r.picture.Image;
        if (img.Width() != f.width || img.Height() != f.height) {
            ADD_FAILURE() << "size " << img.Width() << "x" << img.Height() << ", expected " << f.width << "x"
                          << f.height;
            continue;
        }
        EXPECT_EQ(img.Bpp(), f.bpp);
        for (int i = 0; i < f.width * f.height; ++i)
            EXPECT_EQ(Rgb(img, i % f.width, i / f.width), f.pixels[static_cast<std::size_t>(i)])
                << "pixel " << i;
    }
}

void ExpectFileSizes(TDecoderFn reader, const std::vector<TSizedFile>& files) {
    for (const TSizedFile& f : files) {
        SCOPED_TRACE(f.file);
        const TDecodeResult r = DecodeTestFile(reader, f.file);
        if (!Succeeded(r)) continue;
        EXPECT_EQ(r.picture.Image.Width(), f.width);
        EXPECT_EQ(r.picture.Image.Height(), f.height);
        if (f.bpp) {
            EXPECT_EQ(r.picture.Image.Bpp(), f.bpp);
        }
    }
}

void ExpectAllFail(TDecoderFn reader, const std::vector<TBadFile>& files) {
    for (const TBadFile& f : files) {
        SCOPED_TRACE(f.name);
        const TDecodeResult r = DecodeBytes(reader, f.bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
    }
}

bool ReadPngReference(const std::string& path, TRgbaImage& out) {
    png_image im{};
    im.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&im, path.c_str())) return false;
    im.format &= ~PNG_FORMAT_FLAG_COLORMAP;
    const unsigned channels = PNG_IMAGE_SAMPLE_CHANNELS(im.format);
    const bool alpha = (im.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    std::vector<std::uint8_t> native(PNG_IMAGE_SIZE(im));
    if (!png_image_finish_read(&im, nullptr, native.data(), 0, nullptr)) return false;
    out.width = static_cast<int>(im.width);
    out.height = static_cast<int>(im.height);
    const std::size_t n = std::size_t(out.width) * out.height;
    out.rgba.assign(n * 4, 255);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* s = &native[i * channels];
        std::uint8_t* d = &out.rgba[i * 4];
        if (channels < 3) {
            d[0] = d[1] = d[2] = s[0];
        } else {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
        if (alpha) d[3] = s[channels - 1];
    }
    return true;
}

long CountRgbDifferences(const TFastDIB& image, const TRgbaImage& reference, bool compareTransparent) {
    if (image.Width() != reference.width || image.Height() != reference.height) return -1;
    long differing = 0;
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const std::uint8_t* p = &reference.rgba[(std::size_t(y) * reference.width + x) * 4];
            if (!compareTransparent && p[3] == 0) continue;
            const std::uint32_t want = (std::uint32_t(p[0]) << 16) | (p[1] << 8) | p[2];
            if (Rgb(image, x, y) != want) ++differing;
        }
    return differing;
}

}  // namespace pm::test
