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

// Where a coding can skip pixels without coding them (BMP's RLE deltas and
// end-of-bitmap escape; the clearing chunk of an animation frame), its own
// expansion (RLE8 runs give 255 pixels from 2 bytes, 127.5:1) gives no bound.
// Such data may expand to at most this many pixels per byte beyond a small
// picture; a file that claims more is taken as damaged or hostile rather
// than allocated.
constexpr std::int64_t kMaxPixelsPerCompressedByte = 1024;
constexpr std::int64_t kFreeCompressedPixels = std::int64_t(1) << 20;

inline bool CompressedSizeAllowed(std::int64_t pixels, std::int64_t compressedBytes) {
    return pixels <= kFreeCompressedPixels ||
           (compressedBytes >= 0 && pixels / kMaxPixelsPerCompressedByte <= compressedBytes);
}

// What a file can hold: the most a coding expands its bytes. Before it
// allocates, a reader compares the output a file claims with the coded
// bytes actually present times this figure, so a tiny file cannot make it
// allocate a huge picture only to find the data missing.
enum class TCoding {
    Raw,        // uncompressed: a byte out per byte in
    PackBits,   // a count byte and a value give 128 bytes from 2: 64:1 (also Dr. Halo, RLA, SGI, PSP runs)
    RleRun128,  // Targa: a header byte and a pixel give 128 pixels; counted as pixels x (bytes + 1)
    PcxRle,     // 0xC0 | count (up to 63) and a value: 31.5:1, rounded up
    Deflate,    // a 258-byte match costs at least 2 bits (1-bit length and distance codes): 1032:1
    Lzw,        // a string of a table of 2^n entries is at most 2^n bytes: 4096 from 12 bits, 2731:1
    // JPEG counts 8x8 blocks, not bytes. A sequential scan codes a block in
    // at least 2 bits (a 1-bit DC difference and a 1-bit end of block). A
    // progressive file codes the AC bands of up to 32767 blocks with one
    // end-of-band run of a few bits, so its DC scan, at least 1 bit a block,
    // is all that bounds it. Arithmetic coding gives no useful bound.
    JpegSequential,
    JpegProgressive,
    Fax,  // CCITT Group 3/4 counts rows: a blank row (one vertical-mode code) can take 1 bit
};

// Output units (bytes; blocks for JPEG; rows for fax) per coded byte.
constexpr std::uint64_t MaxExpansion(TCoding coding) {
    switch (coding) {
    case TCoding::Raw:
        return 1;
    case TCoding::PackBits:
        return 64;
    case TCoding::RleRun128:
        return 128;
    case TCoding::PcxRle:
        return 32;
    case TCoding::Deflate:
        return 1032;
    case TCoding::Lzw:
        return 2731;
    case TCoding::JpegSequential:
        return 4;
    case TCoding::JpegProgressive:
        return 8;
    case TCoding::Fax:
        return 8;
    }
    return 1;
}

// True when `codedBytes` present in a file can expand to `output` units.
constexpr bool CodedDataCanHold(TCoding coding, std::uint64_t codedBytes, std::uint64_t output) {
    return output / MaxExpansion(coding) <= codedBytes;
}

// A scaled copy made only for showing a picture (the zoom of an image frame)
// is refused beyond this many pixels (192 MiB at 24 bits per pixel).
constexpr std::int64_t kMaxDisplayPixels = std::int64_t(1) << 26;

}  // namespace pm
