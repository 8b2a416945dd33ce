#pragma once
// TFastDIB: the pixel bitmap every image task works on. Rows are stored
// bottom-up (row 0 is the bottom line of the picture), strides rounded up to
// 4 bytes; depths 1, 4, 8 (palette), 16 and 32 (optional bit fields) and 24.
// A picture line y counted from the top is row Height() - 1 - y.
#include "imaging/PixelStore.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// One 24-bit pixel exactly as it lies in memory: blue, green, red. Packed
// into a number, red is in bits 16-23, green 8-15, blue 0-7.
struct TColorTriple {
    std::uint8_t b = 0, g = 0, r = 0;
    friend bool operator==(const TColorTriple&, const TColorTriple&) = default;
    std::uint32_t Packed() const { return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b; }
    static TColorTriple FromPacked(std::uint32_t v) {
        return {std::uint8_t(v & 0xFF), std::uint8_t((v >> 8) & 0xFF), std::uint8_t((v >> 16) & 0xFF)};
    }
};
static_assert(sizeof(TColorTriple) == 3);

struct TRGBQuad {
    std::uint8_t b = 0, g = 0, r = 0, reserved = 0;
};

// The 40-byte Windows bitmap information header.
struct TBitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;  // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// How strictly LoadFromStream treats a pixel area that ends early.
struct TBmpReadOptions {
    // False: missing rows stay zero (what the bitmap transfer needs). True:
    // a pixel area that ends before the last row is an error, so a damaged
    // file fails instead of loading as a partly black picture.
    bool RequireAllPixels = false;
};

class TFastDIB {
public:
    TFastDIB() = default;
    TFastDIB(const TFastDIB&) = default;
    TFastDIB& operator=(const TFastDIB&) = default;
    TFastDIB(TFastDIB&&) noexcept = default;
    TFastDIB& operator=(TFastDIB&&) noexcept = default;

    int Width() const { return info_.biWidth; }
    int Height() const { return info_.biHeight; }
    int Bpp() const { return info_.biBitCount; }
    int Stride() const { return stride_; }  // bytes per stored row
    int Gap() const { return gap_; }        // stride minus the bytes the pixels of a row use
    std::size_t Size() const { return pixels_.size(); }
    bool Empty() const { return info_.biWidth == 0 || info_.biHeight == 0; }

    const TBitmapInfoHeader& Info() const { return info_; }
    std::array<TRGBQuad, 256>& Colors() { return colors_; }
    const std::array<TRGBQuad, 256>& Colors() const { return colors_; }

    // Channel layout for 16 and 32 bits (masks in use when compression is 3).
    int RBits() const { return rBits_; }
    int GBits() const { return gBits_; }
    int BBits() const { return bBits_; }
    int RShr() const { return 8 - (rBits_ < 8 ? rBits_ : 8); }
    int GShr() const { return 8 - (gBits_ < 8 ? gBits_ : 8); }
    int BShr() const { return 8 - (bBits_ < 8 ? bBits_ : 8); }
    int GPos() const { return bBits_; }
    int RPos() const { return bBits_ + gBits_; }
    // The channel masks pixels are read and written with: the bit-field masks
    // as loaded (compression 3), otherwise the packed layout of the bit counts.
    std::uint32_t RMask() const { return rMask_; }
    std::uint32_t GMask() const { return gMask_; }
    std::uint32_t BMask() const { return bMask_; }

    std::uint8_t* Bits() { return pixels_.data(); }
    const std::uint8_t* Bits() const { return pixels_.data(); }
    // Stored row index: 0 is the bottom line.
    std::uint8_t* Row(int row) { return pixels_.data() + static_cast<std::size_t>(row) * stride_; }
    const std::uint8_t* Row(int row) const {
        return pixels_.data() + static_cast<std::size_t>(row) * stride_;
    }
    TColorTriple* Row24(int row) { return reinterpret_cast<TColorTriple*>(Row(row)); }
    const TColorTriple* Row24(int row) const { return reinterpret_cast<const TColorTriple*>(Row(row)); }

    // (Re)allocates pixel memory; unchanged geometry keeps the pixels.
    // Throws std::length_error for sizes beyond the limits of Limits.h and
    // std::invalid_argument for a depth other than 1, 4, 8, 16, 24 or 32.
    void SetSize(int width, int height, int bpp);
    // A fresh plain bitmap of that size whose pixels the caller overwrites
    // whole: only the padding at the rows' ends is set (to zero), sparing a
    // pass over the memory. Throws as SetSize.
    void SetSizeForOverwrite(int width, int height, int bpp);
    // Header and colour table of `other`, same geometry; pixels when asked.
    void CopyFrom(const TFastDIB& other, bool copyPixels);
    void Fill(TColorTriple c);
    // No bounds checking: callers pass positions inside the bitmap.
    TColorTriple GetPixel(int row, int col) const;
    void SetPixel(int row, int col, TColorTriple c);
    // Takes everything of `other`, which is left empty.
    void TakeOver(TFastDIB& other);
    // Releases the pixel memory; the bitmap becomes empty.
    void Clear();

    // The BMP file image (file header, info header, colour table, pixels).
    void SaveToStream(std::vector<std::uint8_t>& out) const;
    // The part of that image before the pixels, which follow as the stored
    // rows from Row(0) up, Size() bytes in all.
    void SaveStreamHeader(std::vector<std::uint8_t>& out) const;
    // Reads a BMP file image: 12-byte OS/2 headers, 16- to 64-byte OS/2 2.x
    // headers, 40-byte Windows headers and their 52/56/108/124-byte
    // successors; RLE4/RLE8, bit fields, top-down rows (stored bottom-up
    // here). Defensive: absurd or inconsistent sizes are rejected (false),
    // corrupt runs are clipped, nothing is read outside `data` and nothing is
    // allocated beyond Limits.h. A short pixel area leaves the missing rows
    // zero unless `options` says otherwise. On failure the bitmap is
    // unchanged and `error` (when given) holds a short reason.
    bool LoadFromStream(const std::uint8_t* data, std::size_t size);
    bool LoadFromStream(const std::vector<std::uint8_t>& data) {
        return LoadFromStream(data.data(), data.size());
    }
    bool LoadFromStream(const std::uint8_t* data, std::size_t size, const TBmpReadOptions& options,
                        std::string* error);
    // The same for a packed DIB: the information header, colour table and
    // pixels without the 14-byte file header (the pixels follow the table).
    bool LoadFromPackedDIB(const std::uint8_t* data, std::size_t size, const TBmpReadOptions& options,
                           std::string* error);
    // Becomes exactly what SaveToStream of `other` read back with
    // LoadFromStream gives, without the stream.
    void AssignStreamImage(const TFastDIB& other);
    // Becomes in place what AssignStreamImage of itself would give, without
    // copying the pixels.
    void MakeStreamImage();

    int NearestPaletteIndex(TColorTriple c) const;

private:
    bool LoadDib(const std::uint8_t* data, std::size_t size, std::size_t infoAt, bool hasFileHeader,
                 const TBmpReadOptions& options, std::string* error);
    void Shape(int width, int height, int bpp, bool overwrite);
    // Zeroed pixels, or only the row padding zeroed when `overwrite`.
    void Allocate(bool overwrite = false);
    void SetupChannels(int r, int g, int b);
    void SetupMasks(std::uint32_t r, std::uint32_t g, std::uint32_t b);
    // The number of colour-table bytes SaveToStream writes.
    std::size_t StreamTableSize() const;

    TBitmapInfoHeader info_;
    std::array<TRGBQuad, 256> colors_{};
    int rBits_ = 0, gBits_ = 0, bBits_ = 0;
    std::uint32_t rMask_ = 0, gMask_ = 0, bMask_ = 0;
    int stride_ = 0, gap_ = 0;
    TPixelBytes pixels_;
};

// Converts in place; only conversions to 24 bits are supported (false otherwise).
bool ConvertDepth(TFastDIB& bmp, int bpp);

}  // namespace pm
