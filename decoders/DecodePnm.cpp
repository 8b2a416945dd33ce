// Portable bit, grey and pixel maps (PBM, PGM, PPM): plain (P1-P3) and raw
// (P4-P6) forms, maximum sample values up to 65535.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

namespace pm {

namespace {

class TPnmText {
  public:
    TPnmText(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Pos() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }

    // Skips blanks and comments (from '#' to the end of the line).
    void SkipSpace() {
        while (pos_ < size_) {
            const std::uint8_t c = data_[pos_];
            if (c == '#') {
                while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r') ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
                ++pos_;
            } else {
                return;
            }
        }
    }
    // An unsigned decimal number of at most `limit`; false for anything else.
    bool Number(std::uint32_t limit, std::uint32_t& value) {
        SkipSpace();
        if (pos_ >= size_ || data_[pos_] < '0' || data_[pos_] > '9') return false;
        std::uint64_t v = 0;
        while (pos_ < size_ && data_[pos_] >= '0' && data_[pos_] <= '9') {
            v = v * 10 + (data_[pos_++] - '0');
            if (v > limit) return false;
        }
        value = static_cast<std::uint32_t>(v);
        return true;
    }
    // A plain bitmap sample: one digit, blanks optional between samples.
    bool Bit(std::uint32_t& value) {
        SkipSpace();
        if (pos_ >= size_ || (data_[pos_] != '0' && data_[pos_] != '1')) return false;
        value = data_[pos_++] - '0';
        return true;
    }
    // The single blank that ends the header of a raw map.
    bool OneBlank() {
        if (pos_ >= size_) return false;
        const std::uint8_t c = data_[pos_];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
        ++pos_;
        return true;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace

bool DecodePnm(const TDecodeInput& in, TPicture& out, std::string& error) {
    if (in.Size < 2 || in.Data[0] != 'P' || in.Data[1] < '1' || in.Data[1] > '6')
        return Fail(error, "Not a portable map");
    const int kind = in.Data[1] - '0';
    const bool plain = kind <= 3;
    const int family = plain ? kind : kind - 3; // 1 bitmap, 2 grey, 3 colour
    TPnmText t(in.Data + 2, in.Size - 2);
    std::uint32_t width = 0, height = 0, maxValue = 1;
    if (!t.Number(0x7FFFFFFF, width) || !t.Number(0x7FFFFFFF, height))
        return Fail(error, "Invalid portable map header");
    if (family != 1 && (!t.Number(65535, maxValue) || maxValue == 0))
        return Fail(error, "Invalid portable map maximum value");
    if (width == 0 || height == 0) return Fail(error, "Portable map has no pixels");
    if (!plain && !t.OneBlank()) return Fail(error, "Invalid portable map header");

    const int samples = family == 3 ? 3 : 1;
    const std::uint64_t pixels = std::uint64_t(width) * height;
    const std::uint64_t sampleBytes = maxValue > 255 ? 2 : 1;
    std::uint64_t needed;
    if (plain)
        needed = pixels * samples; // every sample takes at least one character
    else if (family == 1)
        needed = (std::uint64_t(width) + 7) / 8 * height;
    else
        needed = pixels * samples * sampleBytes;
    if (t.Remaining() < needed) return Fail(error, "Truncated portable map");

    if (!CreateImage(out, width, height, family == 1 ? 1 : family == 2 ? 8 : 24, error)) return false;
    TFastDIB& img = out.Image;
    if (family == 1) { // a set bit is black
        img.Colors()[0] = {255, 255, 255, 0};
        img.Colors()[1] = {0, 0, 0, 0};
    } else if (family == 2) {
        SetGreyPalette(img, 256);
    }

    const std::uint8_t* raw = in.Data + 2 + t.Pos();
    for (std::uint32_t y = 0; y < height; ++y) {
        const int row = static_cast<int>(height - 1 - y);
        std::uint8_t* d = img.Row(row);
        if (!plain && family == 1) {
            const std::size_t rowBytes = (width + 7) / 8;
            for (std::size_t i = 0; i < rowBytes; ++i) d[i] = raw[y * rowBytes + i];
            continue;
        }
        for (std::uint32_t x = 0; x < width; ++x) {
            for (int s = 0; s < samples; ++s) {
                std::uint32_t v;
                if (plain) {
                    if (!(family == 1 ? t.Bit(v) : t.Number(0xFFFFFFFF, v)))
                        return Fail(error, "Invalid or truncated portable map data");
                } else {
                    const std::uint8_t* p =
                        raw + ((std::uint64_t(y) * width + x) * samples + s) * sampleBytes;
                    v = sampleBytes == 2 ? Get16BE(p) : p[0];
                }
                if (family == 1) {
                    PutIndex(img, row, static_cast<int>(x), v);
                } else {
                    const std::uint8_t b = maxValue == 255 ? static_cast<std::uint8_t>(v > 255 ? 255 : v)
                                                           : ScaleSample(v, maxValue);
                    // Colour samples come red, green, blue; pixels lie blue, green, red.
                    d[x * samples + (samples == 3 ? 2 - s : 0)] = b;
                }
            }
        }
    }
    return true;
}

} // namespace pm
