#include "imaging/FastDIB.h"

#include "imaging/DibFormat.h"
#include "imaging/Limits.h"
#include "imaging/PixelMemoryGate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace pm {

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::uint32_t NormalizedColorsUsed(int bpp, std::uint32_t colorsUsed) {
    if (bpp > 8 || bpp <= 0) return 0;
    return std::min<std::uint32_t>(colorsUsed, 1u << bpp);
}

void TFastDIB::SetupChannels(int r, int g, int b) {
    rBits_ = r;
    gBits_ = g;
    bBits_ = b;
    bMask_ = LowMask(b);
    gMask_ = LowMask(g) << b;
    rMask_ = LowMask(r) << (b + g);
}

void TFastDIB::SetupMasks(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    rMask_ = r;
    gMask_ = g;
    bMask_ = b;
    rBits_ = MaskSpan(r);
    gBits_ = MaskSpan(g);
    bBits_ = MaskSpan(b);
}

void TFastDIB::Allocate(bool overwrite) {
    const std::int64_t w = info_.biWidth, h = info_.biHeight;
    if (!ImageSizeAllowed(w, h)) throw std::length_error("Image size out of range");
    const std::int64_t bits = w * info_.biBitCount;
    stride_ = static_cast<int>(((bits + 31) & ~std::int64_t(31)) / 8);
    gap_ = stride_ - static_cast<int>((bits + 7) / 8);
    const std::size_t size = static_cast<std::size_t>(stride_) * static_cast<std::size_t>(h);
    if (IPixelMemoryGate* gate = ThreadPixelMemoryGate()) gate->BeforeAllocate(size, kPictureWorkingCopies);
    // Zeroed although new pixel memory is undefined by contract: a reader
    // that leaves gaps (RLE deltas) must not expose stale heap contents.
    if (!overwrite) {
        pixels_.assign(size, 0);
    } else {
        pixels_.clear();
        pixels_.resize(size);  // left as it is: the caller writes every pixel
        if (gap_ > 0)
            for (std::int64_t y = 0; y < h; ++y)
                std::fill_n(pixels_.data() + (y + 1) * stride_ - gap_, gap_, std::uint8_t(0));
    }
    info_.biSizeImage = static_cast<std::uint32_t>(size);
}

void TFastDIB::SetSizeForOverwrite(int width, int height, int bpp) {
    Clear();
    Shape(width, height, bpp, true);
}

void TFastDIB::SetSize(int width, int height, int bpp) {
    Shape(width, height, bpp, false);
}

void TFastDIB::Shape(int width, int height, int bpp, bool overwrite) {
    if (!SupportedDepth(bpp)) throw std::invalid_argument("Unsupported bit depth");
    if (width < 0 || height < 0) throw std::length_error("Negative image size");
    const int bits = bpp == 16 ? 5 : bpp == 32 ? 8 : 0;
    // Same geometry and plain layout: the pixels stay as they are.
    if (width == info_.biWidth && height == info_.biHeight && bpp == info_.biBitCount && rBits_ == bits &&
        gBits_ == bits && bBits_ == bits && info_.biCompression == 0 && stride_ != 0)
        return;
    if (!ImageSizeAllowed(width, height)) throw std::length_error("Image size out of range");
    info_.biSize = 40;
    info_.biPlanes = 1;
    info_.biWidth = width;
    info_.biHeight = height;
    info_.biBitCount = static_cast<std::uint16_t>(bpp);
    info_.biCompression = 0;
    info_.biClrUsed = NormalizedColorsUsed(bpp, info_.biClrUsed);
    SetupChannels(bits, bits, bits);
    Allocate(overwrite);
}

void TFastDIB::CopyFrom(const TFastDIB& other, bool copyPixels) {
    if (&other == this) return;
    info_ = other.info_;
    colors_ = other.colors_;
    rBits_ = other.rBits_;
    gBits_ = other.gBits_;
    bBits_ = other.bBits_;
    rMask_ = other.rMask_;
    gMask_ = other.gMask_;
    bMask_ = other.bMask_;
    stride_ = other.stride_;
    gap_ = other.gap_;
    if (copyPixels)
        pixels_ = other.pixels_;
    else
        pixels_.assign(other.pixels_.size(), 0);
}

void TFastDIB::Clear() {
    *this = TFastDIB();
}

int TFastDIB::NearestPaletteIndex(TColorTriple c) const {
    const int n = 1 << std::min<int>(info_.biBitCount, 8);
    int best = 0, bestDiff = 1 << 30;
    for (int i = 0; i < n; ++i) {
        const TRGBQuad& q = colors_[static_cast<std::size_t>(i)];
        const int d = std::abs(q.b - c.b) + std::abs(q.g - c.g) + std::abs(q.r - c.r);
        if (d < bestDiff) {
            bestDiff = d;
            best = i;
        }
    }
    return best;
}

namespace {

// One 8-bit channel value placed into its mask.
std::uint32_t PackChannel(std::uint8_t c, std::uint32_t mask, int bits) {
    if (mask == 0) return 0;
    // Wider channels get the value in their top bits, so that reading it back
    // gives the value that was written.
    const std::uint32_t v = bits <= 8 ? std::uint32_t(c) >> (8 - bits) : std::uint32_t(c) << (bits - 8);
    return (v << LowBit(mask)) & mask;
}

}  // namespace

void TFastDIB::Fill(TColorTriple c) {
    if (pixels_.empty()) return;
    const int w = Width(), h = Height();
    switch (Bpp()) {
    case 24: {
        TColorTriple* row0 = Row24(0);
        for (int x = 0; x < w; ++x) row0[x] = c;
        for (int y = 1; y < h; ++y) std::memcpy(Row(y), row0, static_cast<std::size_t>(w) * 3);
        break;
    }
    case 1:
    case 4:
    case 8: {
        const int idx = NearestPaletteIndex(c);
        std::uint8_t v = static_cast<std::uint8_t>(idx);
        if (Bpp() == 4) v = static_cast<std::uint8_t>((idx << 4) | idx);
        if (Bpp() == 1) v = idx ? 0xFF : 0x00;
        std::fill(pixels_.begin(), pixels_.end(), v);
        break;
    }
    case 16:
    case 32: {
        const std::uint32_t v = PackChannel(c.r, rMask_, rBits_) | PackChannel(c.g, gMask_, gBits_) |
                                PackChannel(c.b, bMask_, bBits_);
        for (int y = 0; y < h; ++y) {
            std::uint8_t* p = Row(y);
            for (int x = 0; x < w; ++x) {
                if (Bpp() == 16)
                    Put16(p + 2 * x, v);
                else
                    Put32(p + 4 * x, v);
            }
        }
        break;
    }
    default:
        break;
    }
}

TColorTriple TFastDIB::GetPixel(int row, int col) const {
    const std::uint8_t* p = Row(row);
    switch (Bpp()) {
    case 24:
        return reinterpret_cast<const TColorTriple*>(p)[col];
    case 32:
        if (info_.biCompression != 3) return {p[col * 4], p[col * 4 + 1], p[col * 4 + 2]};
        [[fallthrough]];
    case 16: {
        const std::uint32_t v = Bpp() == 16 ? Get16LE(p + col * 2) : Get32LE(p + col * 4);
        return {WidenReplicate(Extract(v, bMask_), bBits_), WidenReplicate(Extract(v, gMask_), gBits_),
                WidenReplicate(Extract(v, rMask_), rBits_)};
    }
    case 8: {
        const TRGBQuad& q = colors_[p[col]];
        return {q.b, q.g, q.r};
    }
    case 4: {
        const std::uint8_t byte = p[col / 2];
        const TRGBQuad& q = colors_[(col & 1) ? (byte & 0x0F) : (byte >> 4)];
        return {q.b, q.g, q.r};
    }
    case 1: {
        const std::uint8_t byte = p[col / 8];
        const TRGBQuad& q = colors_[(byte >> (7 - (col & 7))) & 1];
        return {q.b, q.g, q.r};
    }
    default:
        return {};
    }
}

void TFastDIB::SetPixel(int row, int col, TColorTriple c) {
    std::uint8_t* p = Row(row);
    switch (Bpp()) {
    case 24:
        reinterpret_cast<TColorTriple*>(p)[col] = c;
        break;
    case 32:
        if (info_.biCompression != 3) {
            // The fourth byte belongs to the caller (alpha or padding).
            p[col * 4] = c.b;
            p[col * 4 + 1] = c.g;
            p[col * 4 + 2] = c.r;
            break;
        }
        [[fallthrough]];
    case 16: {
        const std::uint32_t v = PackChannel(c.r, rMask_, rBits_) | PackChannel(c.g, gMask_, gBits_) |
                                PackChannel(c.b, bMask_, bBits_);
        if (Bpp() == 16)
            Put16(p + col * 2, v);
        else
            Put32(p + col * 4, v);
        break;
    }
    case 8:
        p[col] = static_cast<std::uint8_t>(NearestPaletteIndex(c));
        break;
    case 4: {
        const std::uint8_t idx = static_cast<std::uint8_t>(NearestPaletteIndex(c));
        std::uint8_t& byte = p[col / 2];
        byte = (col & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | idx)
                         : static_cast<std::uint8_t>((byte & 0x0F) | (idx << 4));
        break;
    }
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (col & 7));
        std::uint8_t& byte = p[col / 8];
        byte = NearestPaletteIndex(c) ? static_cast<std::uint8_t>(byte | bit)
                                      : static_cast<std::uint8_t>(byte & ~bit);
        break;
    }
    default:
        break;
    }
}

void TFastDIB::TakeOver(TFastDIB& other) {
    if (&other == this) return;
    *this = std::move(other);
    other.Clear();
}

bool ConvertDepth(TFastDIB& bmp, int bpp) {
    if (bmp.Bpp() == bpp) return true;
    if (bpp != 24) return false;
    TFastDIB out;
    out.SetSize(bmp.Width(), bmp.Height(), 24);
    const int w = bmp.Width(), h = bmp.Height();
    const int src = bmp.Bpp();
    const bool bitFields = bmp.Info().biCompression == 3;
    const bool eightBit = bmp.RBits() == 8 && bmp.GBits() == 8 && bmp.BBits() == 8;
    const std::uint32_t rm = bmp.RMask(), gm = bmp.GMask(), bm = bmp.BMask();
    const int rl = LowBit(rm), gl = LowBit(gm), bl = LowBit(bm);
    const int rn = bmp.RBits(), gn = bmp.GBits(), bn = bmp.BBits();
    for (int y = 0; y < h; ++y) {
        TColorTriple* dst = out.Row24(y);
        const std::uint8_t* p = bmp.Row(y);
        if (src <= 8) {
            for (int x = 0; x < w; ++x) dst[x] = bmp.GetPixel(y, x);
        } else if (src == 32 && !bitFields) {
            for (int x = 0; x < w; ++x) dst[x] = {p[x * 4], p[x * 4 + 1], p[x * 4 + 2]};
        } else if (src == 16 || src == 32) {
            // 8/8/8 bit fields are read through their masks as well: their
            // channels need not lie in the first three bytes in that order.
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v = src == 16 ? Get16LE(p + x * 2) : Get32LE(p + x * 4);
                const std::uint32_t b = (v & bm) >> bl, g = (v & gm) >> gl, r = (v & rm) >> rl;
                if (eightBit)
                    dst[x] = {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                              static_cast<std::uint8_t>(r)};
                else
                    dst[x] = {WidenScale(b, bn), WidenScale(g, gn), WidenScale(r, rn)};
            }
        }
    }
    bmp.TakeOver(out);
    return true;
}

}  // namespace pm
