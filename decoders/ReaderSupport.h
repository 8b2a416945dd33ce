#pragma once
// Small pieces our own readers share: a bounds-checked byte reader, the
// allocation of the decoded bitmap against the caps of imaging/Limits.h, and
// palette and sample helpers.
#include "decoders/Picture.h"
#include "imaging/ByteOrder.h"
#include "imaging/Limits.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

// Reads bytes and little- or big-endian numbers from a span. A read past the
// end never touches memory outside the span: the reader turns failed, yields
// zeros from then on, and the caller checks Ok() once after a group of
// fields.
class TByteReader {
public:
    TByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}

    bool Ok() const { return ok_; }
    std::size_t Pos() const { return pos_; }
    std::size_t Size() const { return size_; }
    std::size_t Remaining() const { return size_ - pos_; }
    bool Has(std::uint64_t n) const { return n <= Remaining(); }
    const std::uint8_t* Data() const { return data_; }

    // False (and failed) when `pos` lies beyond the end; the end itself is allowed.
    bool Seek(std::uint64_t pos);
    bool Skip(std::uint64_t n);
    // The next n bytes, or null (and failed) when fewer remain.
    const std::uint8_t* Bytes(std::uint64_t n);

    std::uint8_t U8();
    std::uint16_t U16LE();
    std::uint16_t U16BE();
    std::uint32_t U32LE();
    std::uint32_t U32BE();
    std::uint64_t U64BE();
    std::int16_t I16LE() { return static_cast<std::int16_t>(U16LE()); }
    std::int16_t I16BE() { return static_cast<std::int16_t>(U16BE()); }
    std::int32_t I32LE() { return static_cast<std::int32_t>(U32LE()); }
    std::int32_t I32BE() { return static_cast<std::int32_t>(U32BE()); }

private:
    const std::uint8_t* Take(std::size_t n);

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Sets `error` and returns false, so a reader can `return Fail(error, "...")`.
inline bool Fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

// Gives out.Image the geometry (1, 4, 8, 16 = 5/5/5, 24 or 32 bits), its
// pixels zeroed. False with a reason for a zero side or a size beyond the caps
// of imaging/Limits.h, so no reader allocates what the caps forbid.
bool CreateImage(TPicture& out, std::int64_t width, std::int64_t height, int bpp, std::string& error);

// The first `levels` palette entries become an even grey ramp (0 .. 255).
void SetGreyPalette(TFastDIB& image, int levels);

// A sample of `maxValue` levels scaled to 0..255 with rounding; values above
// the maximum count as the maximum.
inline std::uint8_t ScaleSample(std::uint32_t value, std::uint32_t maxValue) {
    if (maxValue == 0) return 0;
    if (value > maxValue) value = maxValue;
    return static_cast<std::uint8_t>((std::uint64_t(value) * 255 + maxValue / 2) / maxValue);
}
inline std::uint8_t Scale16(std::uint32_t value) {
    return ScaleSample(value, 65535);
}
// A 5-bit or 6-bit palette component widened by bit replication.
inline std::uint8_t Widen5(std::uint32_t v) {
    return static_cast<std::uint8_t>(((v & 31) << 3) | ((v & 31) >> 2));
}
inline std::uint8_t Widen6(std::uint32_t v) {
    return static_cast<std::uint8_t>(((v & 63) << 2) | ((v & 63) >> 4));
}

// Stores a palette index at (stored row, column) of a 1, 4 or 8-bit image;
// the most significant bits hold the leftmost pixel.
void PutIndex(TFastDIB& image, int row, int col, unsigned index);

// The highest palette index the pixels of a 1, 4 or 8-bit image use (0 for
// other depths), to tell whether they all have a colour-table entry.
unsigned HighestIndex(const TFastDIB& image);

}  // namespace pm
