// TFastDIB's BMP file image: writing, reading (with the older and newer
// header forms and run-length decoding) and the stream-equivalent copy.
#include "imaging/DibFormat.h"
#include "imaging/FastDIB.h"
#include "imaging/Limits.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace pm {

namespace {

void Wr32(std::vector<std::uint8_t>& o, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Wr16(std::vector<std::uint8_t>& o, std::uint16_t v) {
    o.push_back(static_cast<std::uint8_t>(v));
    o.push_back(static_cast<std::uint8_t>(v >> 8));
}

constexpr std::size_t kFileHeaderSize = 14;

// Windows 2.x/OS/2 1.x core header.
constexpr std::uint32_t kCoreHeaderSize = 12;

bool KnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderSize || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

// OS/2 2.x headers are 16 to 64 bytes long; 40 (the Windows header) and the
// 52/56-byte Windows variants are read as Windows headers.
bool Os2v2HeaderSize(std::uint32_t size) {
    return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56;
}

// Run-length decoding into bottom-up rows, every run clipped at the row's
// width and at the top row. True when the data ended properly: an end of
// bitmap mark, or every row reached.
bool DecodeRle(TFastDIB& dib, const std::uint8_t* src, std::size_t n, bool rle4) {
    const int w = dib.Width(), h = dib.Height();
    int x = 0, y = 0;
    std::size_t i = 0;
    auto put = [&](int px, std::uint8_t idx) {
        if (px >= w || y >= h) return;
        std::uint8_t* row = dib.Row(y);
        if (rle4) {
            std::uint8_t& b = row[px / 2];
            b = (px & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (idx & 0x0F))
                         : static_cast<std::uint8_t>((b & 0x0F) | (idx << 4));
        } else {
            row[px] = idx;
        }
    };
    while (y < h) {
        if (i + 2 > n) return false;
        const std::uint8_t count = src[i], value = src[i + 1];
        i += 2;
        if (count > 0) {  // encoded run
            for (int k = 0; k < count && x < w; ++k, ++x)
                put(x, rle4 ? static_cast<std::uint8_t>((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta: move right and up
            if (i + 2 > n) return false;
            x = std::min(x + src[i], w);
            y += src[i + 1];
            i += 2;
        } else {  // absolute run, padded to 16 bits
            const int len = value;
            const std::size_t bytes =
                rle4 ? static_cast<std::size_t>((len + 1) / 2) : static_cast<std::size_t>(len);
            if (bytes > n - i) return false;
            for (int k = 0; k < len && x < w; ++k, ++x) {
                const std::uint8_t v = rle4 ? static_cast<std::uint8_t>((k & 1) ? (src[i + k / 2] & 0x0F)
                                                                                : (src[i + k / 2] >> 4))
                                            : src[i + k];
                put(x, v);
            }
            i += bytes + (bytes & 1);
        }
    }
    return true;
}

}  // namespace

std::size_t TFastDIB::StreamTableSize() const {
    if (info_.biClrUsed != 0) return 4 * std::min<std::size_t>(info_.biClrUsed, 256);
    if (info_.biCompression == 3) return 12;
    if (info_.biBitCount <= 8 && info_.biBitCount > 0) return std::size_t(4) << info_.biBitCount;
    return 0;
}

void TFastDIB::SaveStreamHeader(std::vector<std::uint8_t>& out) const {
    const std::size_t tableSize = StreamTableSize();
    const std::size_t fileSize = pixels_.size() + tableSize + 54;
    out.clear();
    out.reserve(tableSize + 54);
    out.push_back('B');
    out.push_back('M');
    Wr32(out, static_cast<std::uint32_t>(fileSize));
    Wr16(out, 0);
    Wr16(out, 0);
    Wr32(out, static_cast<std::uint32_t>(tableSize + 54));
    Wr32(out, 40);
    Wr32(out, static_cast<std::uint32_t>(info_.biWidth));
    Wr32(out, static_cast<std::uint32_t>(info_.biHeight));
    Wr16(out, 1);
    Wr16(out, info_.biBitCount);
    Wr32(out, info_.biCompression);
    Wr32(out, static_cast<std::uint32_t>(pixels_.size()));
    Wr32(out, static_cast<std::uint32_t>(info_.biXPelsPerMeter));
    Wr32(out, static_cast<std::uint32_t>(info_.biYPelsPerMeter));
    Wr32(out, info_.biClrUsed);
    Wr32(out, info_.biClrImportant);
    const std::uint8_t* table = &colors_[0].b;
    out.insert(out.end(), table, table + tableSize);
}

void TFastDIB::SaveToStream(std::vector<std::uint8_t>& out) const {
    SaveStreamHeader(out);
    out.reserve(out.size() + pixels_.size());
    out.insert(out.end(), pixels_.begin(), pixels_.end());
}

void TFastDIB::AssignStreamImage(const TFastDIB& other) {
    TFastDIB copy(other);
    copy.MakeStreamImage();
    *this = std::move(copy);
}

void TFastDIB::MakeStreamImage() {
    if (Empty() || !SupportedDepth(Bpp()) || pixels_.empty()) {
        // The stream of an empty bitmap does not read back.
        Clear();
        return;
    }
    info_.biSize = 40;
    info_.biPlanes = 1;
    info_.biSizeImage = static_cast<std::uint32_t>(pixels_.size());
    const int bpp = Bpp();
    // The reader keeps only the colour-table part that means something for
    // the depth: the palette entries, or the three masks.
    std::size_t keep = 0;
    if (bpp <= 8) {
        const std::uint32_t used = NormalizedColorsUsed(bpp, info_.biClrUsed);
        info_.biClrUsed = used;
        keep = used ? used : (1u << bpp);
    } else {
        info_.biClrUsed = 0;
        if (info_.biCompression == 3) keep = 3;
    }
    std::fill(colors_.begin() + static_cast<std::ptrdiff_t>(keep), colors_.end(), TRGBQuad{});
    if (bpp > 8 && info_.biCompression == 3)
        SetupMasks(Get32LE(&colors_[0].b), Get32LE(&colors_[1].b), Get32LE(&colors_[2].b));
}

bool TFastDIB::LoadFromStream(const std::uint8_t* data, std::size_t size) {
    return LoadFromStream(data, size, TBmpReadOptions{}, nullptr);
}

bool TFastDIB::LoadFromStream(const std::uint8_t* data, std::size_t size, const TBmpReadOptions& options,
                              std::string* error) {
    return LoadDib(data, size, kFileHeaderSize, true, options, error);
}

bool TFastDIB::LoadFromPackedDIB(const std::uint8_t* data, std::size_t size, const TBmpReadOptions& options,
                                 std::string* error) {
    return LoadDib(data, size, 0, false, options, error);
}

bool TFastDIB::LoadDib(const std::uint8_t* data, std::size_t size, std::size_t infoAt, bool hasFileHeader,
                       const TBmpReadOptions& options, std::string* error) {
    auto fail = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    if (!data || size < infoAt + 4) return fail("File too short");
    const std::uint32_t headerSize = Get32LE(data + infoAt);
    if (!KnownHeaderSize(headerSize)) return fail("Unknown bitmap header");
    if (size - infoAt < headerSize) return fail("Bitmap header truncated");
    const std::uint8_t* hp = data + infoAt;
    const bool core = headerSize == kCoreHeaderSize;

    TFastDIB fresh;
    TBitmapInfoHeader& h = fresh.info_;
    std::int64_t width = 0, height = 0;
    int bpp = 0;
    std::uint32_t comp = 0, colorsUsed = 0;
    if (core) {
        width = Get16LE(hp + 4);
        height = Get16LE(hp + 6);
        bpp = Get16LE(hp + 10);
    } else {
        // Shorter OS/2 2.x headers end early; the fields they leave out are 0.
        std::uint8_t hb[40] = {};
        std::memcpy(hb, hp, std::min<std::size_t>(40, headerSize));
        width = static_cast<std::int32_t>(Get32LE(hb + 4));
        height = static_cast<std::int32_t>(Get32LE(hb + 8));
        bpp = Get16LE(hb + 14);
        comp = Get32LE(hb + 16);
        h.biXPelsPerMeter = static_cast<std::int32_t>(Get32LE(hb + 24));
        h.biYPelsPerMeter = static_cast<std::int32_t>(Get32LE(hb + 28));
        colorsUsed = Get32LE(hb + 32);
        h.biClrImportant = Get32LE(hb + 36);
    }
    // OS/2 2.x gives 3 and 4 other meanings (Huffman 1D, RLE24).
    if (Os2v2HeaderSize(headerSize) && comp >= 3) return fail("Unsupported compression");
    // 6 is bit fields with an alpha mask; the alpha is not used.
    const bool bitFields = comp == 3 || comp == 6;
    if (comp > 3 && comp != 6) return fail("Unsupported compression");
    if (!SupportedDepth(bpp)) return fail("Unsupported bit depth");
    if ((comp == 1 && bpp != 8) || (comp == 2 && bpp != 4) || (bitFields && bpp != 16 && bpp != 32))
        return fail("Compression does not match bit depth");
    if (width <= 0) return fail("Bad image width");
    if (height == 0) return fail("Bad image height");
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (topDown && (comp == 1 || comp == 2)) return fail("Top-down run-length data");
    if (!ImageSizeAllowed(width, height)) return fail("Image too large");

    // Bit-field masks lie 40 bytes into the header: inside the larger
    // headers, right behind the 40-byte one. The colour table follows both.
    std::size_t tableStart = infoAt + headerSize;
    std::uint32_t rm = 0, gm = 0, bm = 0;
    if (bitFields) {
        const std::size_t masksEnd = infoAt + 40 + (comp == 6 ? 16 : 12);
        if (masksEnd > size) return fail("Bitmap header truncated");
        rm = Get32LE(hp + 40);
        gm = Get32LE(hp + 44);
        bm = Get32LE(hp + 48);
        if ((rm | gm | bm) == 0) return fail("Bad bit-field masks");
        tableStart = std::max(tableStart, masksEnd);
    }
    const std::size_t entrySize = core ? 3 : 4;

    // Where the pixels start, as the file header says or, for a packed DIB,
    // right behind the colour table.
    std::uint64_t pixelOffset = 0;
    if (hasFileHeader) {
        pixelOffset = Get32LE(data + 10);
        if (pixelOffset < tableStart) return fail("Bad pixel data offset");
    } else {
        std::uint64_t entries = colorsUsed;
        if (entries == 0 && bpp <= 8) entries = std::uint64_t(1) << bpp;
        pixelOffset = tableStart + entries * entrySize;
    }

    // The palette: the entries the header declares, as far as they lie before
    // the pixel data and inside the file. Entries beyond stay black.
    if (bpp <= 8) {
        const std::uint32_t declared = colorsUsed ? NormalizedColorsUsed(bpp, colorsUsed) : (1u << bpp);
        const std::uint64_t limit = std::min<std::uint64_t>(size, pixelOffset);
        for (std::size_t k = 0; k < declared && tableStart + (k + 1) * entrySize <= limit; ++k) {
            const std::uint8_t* e = data + tableStart + k * entrySize;
            fresh.colors_[k] = {e[0], e[1], e[2], core ? std::uint8_t(0) : e[3]};
        }
        h.biClrUsed = core ? 0 : NormalizedColorsUsed(bpp, colorsUsed);
    } else {
        h.biClrUsed = 0;
    }

    h.biWidth = static_cast<std::int32_t>(width);
    h.biHeight = static_cast<std::int32_t>(height);
    h.biBitCount = static_cast<std::uint16_t>(bpp);
    // Run-length data is held uncompressed.
    h.biCompression = bitFields ? 3 : 0;
    if (bitFields) {
        const std::uint32_t masks[3] = {rm, gm, bm};
        for (int k = 0; k < 3; ++k)
            fresh.colors_[static_cast<std::size_t>(k)] = {
                static_cast<std::uint8_t>(masks[k]), static_cast<std::uint8_t>(masks[k] >> 8),
                static_cast<std::uint8_t>(masks[k] >> 16), static_cast<std::uint8_t>(masks[k] >> 24)};
        fresh.SetupMasks(rm, gm, bm);
    } else if (bpp == 16 || bpp == 32) {
        const int bits = bpp == 16 ? 5 : 8;
        fresh.SetupChannels(bits, bits, bits);
    }

    const std::size_t avail = pixelOffset < size ? size - static_cast<std::size_t>(pixelOffset) : 0;
    const bool rle = comp == 1 || comp == 2;
    if (options.RequireAllPixels && !rle) {
        // The last row's padding may be missing; its pixels may not.
        const std::int64_t bits = width * bpp;
        const std::int64_t stride = ((bits + 31) & ~std::int64_t(31)) / 8;
        const std::uint64_t needed = static_cast<std::uint64_t>(stride * (height - 1) + (bits + 7) / 8);
        if (avail < needed) return fail("Pixel data truncated");
    }
    if (options.RequireAllPixels && rle && avail < 2) return fail("Pixel data truncated");
    if (rle && !CompressedSizeAllowed(width * height, static_cast<std::int64_t>(avail)))
        return fail("Run-length data too short for the image size");

    try {
        fresh.Allocate();
    } catch (const std::length_error&) {
        return fail("Image too large");
    } catch (const std::bad_alloc&) {
        return fail("Not enough memory");
    }

    const std::uint8_t* src = data + (avail ? pixelOffset : 0);
    if (rle) {
        const bool complete = DecodeRle(fresh, src, avail, comp == 2);
        if (options.RequireAllPixels && !complete) return fail("Run-length data truncated");
    } else if (avail) {
        const std::size_t n = std::min(fresh.pixels_.size(), avail);
        if (topDown) {
            const std::size_t stride = static_cast<std::size_t>(fresh.stride_);
            const int rows = fresh.Height();
            for (int y = 0; y < rows; ++y) {
                const std::size_t from = static_cast<std::size_t>(y) * stride;
                if (from >= n) break;
                std::memcpy(fresh.Row(rows - 1 - y), src + from, std::min(stride, n - from));
            }
        } else {
            std::memcpy(fresh.pixels_.data(), src, n);
        }
    }
    *this = std::move(fresh);
    return true;
}

}  // namespace pm
