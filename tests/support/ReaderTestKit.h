#pragma once
// Shared pieces of the reader tests: running a reader on bytes or on a file
// of the public test images (tests/data), reading pixels top-down, reference PNGs.
#include "decoders/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pm::test {

// Path of a file (or folder) below tests/data; a missing one fails the test
// with its name, and so does a file ReadFileBytes cannot read.
std::string TestDataPath(const std::string& relative);
// Every file with `extension` (".bmp") below a folder of tests/data, sorted.
std::vector<std::string> TestDataFiles(const std::string& folder, const std::string& extension);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
// Name of a parameterised case that reads `path`: its file name without the
// extension, every character outside [A-Za-z0-9_] turned into '_'.
std::string FileCaseName(const std::string& path);

struct TDecodeResult {
    bool ok = false;
    std::string error;
    TPicture picture;
};
TDecodeResult DecodeBytes(TDecoderFn reader, const std::vector<std::uint8_t>& bytes,
                          const std::string& fileName = std::string());
TDecodeResult DecodeTestFile(TDecoderFn reader, const std::string& relative);

// Pixel (x, y) with y counted from the top, as red/green/blue packed 0xRRGGBB.
std::uint32_t Rgb(const TFastDIB& image, int x, int y);

// Number of pixels whose red, green and blue differ between two pictures;
// -1 when their sizes differ.
long CountRgbDifferences(const TFastDIB& a, const TFastDIB& b);

// A file made by a test, with what the reader must make of it.
struct TBuiltFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
    int width = 0, height = 0, bpp = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top line first
};
// Each file decodes to its size, depth and pixels.
void ExpectBuiltFiles(TDecoderFn reader, const std::vector<TBuiltFile>& files);

// A file of tests/data and the size it must decode to (bpp 0: any depth).
struct TSizedFile {
    TSizedFile(const char* file, int width, int height, int bpp = 0)
        : file(file), width(width), height(height), bpp(bpp) {}
    const char* file;
    int width, height, bpp;
};
void ExpectFileSizes(TDecoderFn reader, const std::vector<TSizedFile>& files);

// A damaged file: the reader must fail and name its reason.
struct TBadFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
void ExpectAllFail(TDecoderFn reader, const std::vector<TBadFile>& files);

// A PNG's pixels as RGBA bytes, top line first (no colour conversion).
struct TRgbaImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};
bool ReadPngReference(const std::string& path, TRgbaImage& out);

// Number of pixels whose red, green and blue differ from the reference
// (pixels the reference leaves fully transparent count only when
// `compareTransparent`); -1 when the sizes differ.
long CountRgbDifferences(const TFastDIB& image, const TRgbaImage& reference, bool compareTransparent = true);

}  // namespace pm::test
