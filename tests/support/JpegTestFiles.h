#pragma once
// Small JPEG files made with libjpeg for tests, and byte-level helpers to
// build or damage JPEG streams.
#include <cstdint>
#include <string>
#include <vector>

namespace pm::test {

enum class TJpegKind {
    Baseline,    // YCbCr, 4:4:4
    Subsampled,  // YCbCr, 4:2:0
    Progressive, // YCbCr, simple progression
    Grey,        // one component
    Rgb,         // three components stored as RGB (Adobe transform 0)
    Cmyk,        // plain inks, no Adobe marker
    AdobeCmyk,   // inverted inks, Adobe marker
    AdobeYcck,   // inverted inks, Adobe marker, YCCK transform
    Restarts,    // YCbCr, 4:2:0, a restart marker after every MCU row
    Arithmetic,  // YCbCr, 4:2:0, arithmetic coding
};

// Pixel of picture line y (0 = top), column x, as red, green, blue. Smooth,
// with every channel different, so swapped channels or flipped lines show.
struct TRgb {
    int r, g, b;
};
TRgb TestPattern(int x, int y, int width, int height);

// A width x height JPEG of TestPattern in the given kind, quality 100.
// CMYK kinds store the inks that give the pattern's colours.
std::vector<std::uint8_t> MakeJpeg(TJpegKind kind, int width, int height);

// A marker segment: FF, code, big-endian length (payload + 2), payload.
std::vector<std::uint8_t> Segment(std::uint8_t code, const std::string& payload);

// `jpeg` with `segment` inserted right after the SOI marker.
std::vector<std::uint8_t> InsertAfterSoi(const std::vector<std::uint8_t>& jpeg,
                                         const std::vector<std::uint8_t>& segment);

// Writes bytes to a file; false on failure.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace pm::test
