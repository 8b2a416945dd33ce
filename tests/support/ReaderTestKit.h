#pragma once
// Shared pieces of the reader tests: running a reader on bytes or on a file
// of the public test images, reading pixels top-down, reference PNGs.
#include "decoders/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pm::test {

std::string TestDataPath(const std::string& relative);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

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

} // namespace pm::test
