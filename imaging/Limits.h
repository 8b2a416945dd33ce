#pragma once
// The one place that says how large an image may be. Every decoder and every
// allocation of pixel memory checks against these before it allocates.
#include <cstdint>

namespace pm {

constexpr std::int32_t kMaxImageSide = 65535;
// 2^28 pixels: 768 MiB at 24 bits per pixel, so a few working copies still fit.
constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 28;

inline bool ImageSizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

// Compressed pixel data may expand to at most this many pixels per byte
// (run-length encoders reach about 128); beyond a small picture, a file whose
// compressed data claims more is taken as damaged or hostile rather than
// allocated.
constexpr std::int64_t kMaxPixelsPerCompressedByte = 1024;
constexpr std::int64_t kFreeCompressedPixels = std::int64_t(1) << 20;

inline bool CompressedSizeAllowed(std::int64_t pixels, std::int64_t compressedBytes) {
    return pixels <= kFreeCompressedPixels ||
           (compressedBytes >= 0 && pixels / kMaxPixelsPerCompressedByte <= compressedBytes);
}

// A scaled copy made only for showing a picture (the zoom of an image frame)
// is refused beyond this many pixels (192 MiB at 24 bits per pixel).
constexpr std::int64_t kMaxDisplayPixels = std::int64_t(1) << 26;

}  // namespace pm
