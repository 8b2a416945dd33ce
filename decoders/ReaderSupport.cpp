#include "decoders/ReaderSupport.h"
#include "imaging/ByteOrder.h"

#include "imaging/Limits.h"

#include <new>
#include <stdexcept>

namespace pm {

const std::uint8_t* TByteReader::Take(std::size_t n) {
    if (!ok_ || n > Remaining()) {
        ok_ = false;
        pos_ = size_;
        return nullptr;
    }
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
}

bool TByteReader::Seek(std::uint64_t pos) {
    if (!ok_ || pos > size_) {
        ok_ = false;
        pos_ = size_;
        return false;
    }
    pos_ = static_cast<std::size_t>(pos);
    return true;
}

bool TByteReader::Skip(std::uint64_t n) {
    if (!ok_ || n > Remaining()) {
        ok_ = false;
        pos_ = size_;
        return false;
    }
    pos_ += static_cast<std::size_t>(n);
    return true;
}

const std::uint8_t* TByteReader::Bytes(std::uint64_t n) {
    if (n > Remaining()) {
        ok_ = false;
        pos_ = size_;
        return nullptr;
    }
    return Take(static_cast<std::size_t>(n));
}

std::uint8_t TByteReader::U8() {
    const std::uint8_t* p = Take(1);
    return p ? p[0] : 0;
}

std::uint16_t TByteReader::U16LE() {
    const std::uint8_t* p = Take(2);
    return p ? Get16LE(p) : 0;
}

std::uint16_t TByteReader::U16BE() {
    const std::uint8_t* p = Take(2);
    return p ? Get16BE(p) : 0;
}

std::uint32_t TByteReader::U32LE() {
    const std::uint8_t* p = Take(4);
    return p ? (Get32LE(p)) : 0;
}

std::uint32_t TByteReader::U32BE() {
    const std::uint8_t* p = Take(4);
    return p ? Get32BE(p) : 0;
}

std::uint64_t TByteReader::U64BE() {
    const std::uint8_t* p = Take(8);
    return p ? (std::uint64_t(Get32BE(p)) << 32) | Get32BE(p + 4) : 0;
}

bool CreateImage(TPicture& out, std::int64_t width, std::int64_t height, int bpp, std::string& error) {
    if (width <= 0 || height <= 0) return Fail(error, "Image has no pixels");
    if (!ImageSizeAllowed(width, height)) return Fail(error, "Image too large");
    try {
        out.Image.SetSize(static_cast<int>(width), static_cast<int>(height), bpp);
    } catch (const std::length_error&) {
        return Fail(error, "Image too large");
    } catch (const std::bad_alloc&) {
        return Fail(error, "Not enough memory for the image");
    }
    return true;
}

void SetGreyPalette(TFastDIB& image, int levels) {
    if (levels < 2) levels = 2;
    if (levels > 256) levels = 256;
    for (int i = 0; i < levels; ++i) {
        const std::uint8_t v = static_cast<std::uint8_t>((i * 255 + (levels - 1) / 2) / (levels - 1));
        image.Colors()[static_cast<std::size_t>(i)] = {v, v, v, 0};
    }
}

void PutIndex(TFastDIB& image, int row, int col, unsigned index) {
    std::uint8_t* p = image.Row(row);
    switch (image.Bpp()) {
    case 8:
        p[col] = static_cast<std::uint8_t>(index);
        break;
    case 4: {
        std::uint8_t& b = p[col / 2];
        b = (col & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F))
                      : static_cast<std::uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
        break;
    }
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (col & 7));
        std::uint8_t& b = p[col / 8];
        b = (index & 1) ? static_cast<std::uint8_t>(b | bit) : static_cast<std::uint8_t>(b & ~bit);
        break;
    }
    default:
        break;
    }
}

unsigned HighestIndex(const TFastDIB& image) {
    const int bpp = image.Bpp();
    if (bpp != 1 && bpp != 4 && bpp != 8) return 0;
    unsigned highest = 0;
    const int w = image.Width();
    for (int row = 0; row < image.Height(); ++row) {
        const std::uint8_t* p = image.Row(row);
        for (int x = 0; x < w; ++x) {
            const unsigned v = bpp == 8   ? p[x]
                               : bpp == 4 ? (x & 1 ? p[x / 2] & 0x0F : p[x / 2] >> 4)
                                          : (p[x / 8] >> (7 - (x & 7))) & 1;
            if (v > highest) highest = v;
        }
    }
    return highest;
}

}  // namespace pm
