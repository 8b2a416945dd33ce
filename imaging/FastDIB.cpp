#include "imaging/FastDIB.h"

#include "imaging/Limits.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pm {

namespace {

std::uint32_t Rd32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t Rd16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void Wr32(std::vector<std::uint8_t>& o, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Wr16(std::vector<std::uint8_t>& o, std::uint16_t v) {
    o.push_back(static_cast<std::uint8_t>(v));
    o.push_back(static_cast<std::uint8_t>(v >> 8));
}

int MaskSpan(std::uint32_t mask) {
    if (mask == 0) return 0;
    int lo = 0, hi = 31;
    while (!(mask & (1u << lo))) ++lo;
    while (!(mask & (1u << hi))) --hi;
    return hi - lo + 1;
}

int LowBit(std::uint32_t mask) {
    if (mask == 0) return 0;
    int lo = 0;
    while (!(mask & (1u << lo))) ++lo;
    return lo;
}

// Widening an n-bit channel to 8 bits by bit replication.
std::uint8_t Widen(std::uint32_t v, int n) {
    switch (n) {
    case 1: return v ? 255 : 0;
    case 2: return static_cast<std::uint8_t>(v * 85);
    case 3: return static_cast<std::uint8_t>((v << 5) | (v << 2) | (v >> 1));
    case 4: return static_cast<std::uint8_t>((v << 4) | v);
    case 5: return static_cast<std::uint8_t>((v << 3) | (v >> 2));
    case 6: return static_cast<std::uint8_t>((v << 2) | (v >> 4));
    case 7: return static_cast<std::uint8_t>((v << 1) | (v >> 6));
    case 8: return static_cast<std::uint8_t>(v);
    default: return n > 8 ? static_cast<std::uint8_t>(v >> (n - 8)) : 0;
    }
}

// The depth conversion's widening: ((v + 1) * 2^(8 - n) - 1) mod 256.
std::uint8_t WidenConvert(std::uint32_t v, int n) {
    if (n <= 0) return 0;
    if (n >= 8) return static_cast<std::uint8_t>(v >> (n - 8));
    return static_cast<std::uint8_t>(((v + 1) << (8 - n)) - 1);
}

}  // namespace

void TFastDIB::SetupChannels(int r, int g, int b) {
    rBits_ = r;
    gBits_ = g;
    bBits_ = b;
}

void TFastDIB::Allocate() {
    const std::int64_t w = info_.biWidth, h = info_.biHeight;
    if (!ImageSizeAllowed(w, h)) throw std::length_error("Image size out of range");
    stride_ = static_cast<int>(((w * info_.biBitCount + 31) & ~std::int64_t(31)) / 8);
    gap_ = stride_ - static_cast<int>((w * info_.biBitCount + 7) / 8);
    const std::size_t size = static_cast<std::size_t>(stride_) * static_cast<std::size_t>(h);
    info_.biSizeImage = static_cast<std::uint32_t>(size);
    pixels_.assign(size, 0);
}

void TFastDIB::SetSize(int width, int height, int bpp) {
    int r = 0, g = 0, b = 0;
    if (bpp == 16) r = g = b = 5;
    if (bpp == 32) r = g = b = 8;
    if (width == info_.biWidth && height == info_.biHeight && bpp == info_.biBitCount && r == rBits_ &&
        g == gBits_ && b == bBits_ && info_.biCompression == 0 && !pixels_.empty())
        return;
    if (width < 0 || height < 0) throw std::length_error("Negative image size");
    info_.biWidth = width;
    info_.biHeight = height;
    info_.biBitCount = static_cast<std::uint16_t>(bpp);
    info_.biCompression = 0;
    SetupChannels(r, g, b);
    Allocate();
}

void TFastDIB::CopyFrom(const TFastDIB& other, bool copyPixels) {
    info_ = other.info_;
    colors_ = other.colors_;
    SetupChannels(other.rBits_, other.gBits_, other.bBits_);
    stride_ = other.stride_;
    gap_ = other.gap_;
    if (copyPixels)
        pixels_ = other.pixels_;
    else
        pixels_.assign(other.pixels_.size(), 0);
}

void TFastDIB::Clear() { *this = TFastDIB(); }

int TFastDIB::NearestPaletteIndex(TColorTriple c) const {
    const int n = 1 << std::min<int>(info_.biBitCount, 8);
    int best = 0, bestDiff = 1 << 30;
    for (int i = 0; i < n; ++i) {
        const TRGBQuad& q = colors_[static_cast<std::size_t>(i)];
        int d = std::abs(q.b - c.b) + std::abs(q.g - c.g) + std::abs(q.r - c.r);
        if (d < bestDiff) {
            bestDiff = d;
            best = i;
        }
    }
    return best;
}

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
        int idx = NearestPaletteIndex(c);
        std::uint8_t v = static_cast<std::uint8_t>(idx);
        if (Bpp() == 4) v = static_cast<std::uint8_t>((idx << 4) | idx);
        if (Bpp() == 1) v = idx ? 0xFF : 0x00;
        std::fill(pixels_.begin(), pixels_.end(), v);
        break;
    }
    case 16:
    case 32: {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPixel(y, x, c);
        break;
    }
    default: break;
    }
}

TColorTriple TFastDIB::GetPixel(int row, int col) const {
    const std::uint8_t* p = Row(row);
    switch (Bpp()) {
    case 24: return reinterpret_cast<const TColorTriple*>(p)[col];
    case 32:
        if (info_.biCompression != 3) return {p[col * 4], p[col * 4 + 1], p[col * 4 + 2]};
        [[fallthrough]];
    case 16: {
        std::uint32_t v = Bpp() == 16 ? Rd16(p + col * 2) : Rd32(p + col * 4);
        std::uint32_t rm, gm, bm;
        if (info_.biCompression == 3) {
            rm = Rd32(&colors_[0].b);
            gm = Rd32(&colors_[1].b);
            bm = Rd32(&colors_[2].b);
        } else {
            bm = (1u << bBits_) - 1;
            gm = ((1u << gBits_) - 1) << GPos();
            rm = ((1u << rBits_) - 1) << RPos();
        }
        return {Widen((v & bm) >> LowBit(bm), bBits_), Widen((v & gm) >> LowBit(gm), gBits_),
                Widen((v & rm) >> LowBit(rm), rBits_)};
    }
    case 8: {
        const TRGBQuad& q = colors_[p[col]];
        return {q.b, q.g, q.r};
    }
    case 4: {
        std::uint8_t byte = p[col / 2];
        const TRGBQuad& q = colors_[(col & 1) ? (byte & 0x0F) : (byte >> 4)];
        return {q.b, q.g, q.r};
    }
    case 1: {
        std::uint8_t byte = p[col / 8];
        const TRGBQuad& q = colors_[(byte >> (7 - (col & 7))) & 1];
        return {q.b, q.g, q.r};
    }
    default: return {};
    }
}

void TFastDIB::SetPixel(int row, int col, TColorTriple c) {
    std::uint8_t* p = Row(row);
    switch (Bpp()) {
    case 24: reinterpret_cast<TColorTriple*>(p)[col] = c; break;
    case 32:
        if (info_.biCompression != 3) {
            p[col * 4] = c.b;
            p[col * 4 + 1] = c.g;
            p[col * 4 + 2] = c.r;
            break;
        }
        [[fallthrough]];
    case 16: {
        std::uint32_t bm, gm, rm;
        if (info_.biCompression == 3) {
            rm = Rd32(&colors_[0].b);
            gm = Rd32(&colors_[1].b);
            bm = Rd32(&colors_[2].b);
        } else {
            bm = (1u << bBits_) - 1;
            gm = ((1u << gBits_) - 1) << GPos();
            rm = ((1u << rBits_) - 1) << RPos();
        }
        std::uint32_t v = (((std::uint32_t(c.b) >> BShr()) << LowBit(bm)) & bm) |
                          (((std::uint32_t(c.g) >> GShr()) << LowBit(gm)) & gm) |
                          (((std::uint32_t(c.r) >> RShr()) << LowBit(rm)) & rm);
        if (Bpp() == 16) {
            p[col * 2] = static_cast<std::uint8_t>(v);
            p[col * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
        } else {
            for (int i = 0; i < 4; ++i) p[col * 4 + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
        break;
    }
    case 8: p[col] = static_cast<std::uint8_t>(NearestPaletteIndex(c)); break;
    case 4: {
        std::uint8_t idx = static_cast<std::uint8_t>(NearestPaletteIndex(c));
        std::uint8_t& byte = p[col / 2];
        byte = (col & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | idx)
                         : static_cast<std::uint8_t>((byte & 0x0F) | (idx << 4));
        break;
    }
    case 1: {
        std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (col & 7));
        std::uint8_t& byte = p[col / 8];
        byte = NearestPaletteIndex(c) ? (byte | bit) : (byte & ~bit);
        break;
    }
    default: break;
    }
}

void TFastDIB::TakeOver(TFastDIB& other) {
    if (&other == this) return;
    *this = std::move(other);
    other.Clear();
}

void TFastDIB::SaveToStream(std::vector<std::uint8_t>& out) const {
    std::size_t tableSize = 0;
    if (info_.biClrUsed != 0)
        tableSize = 4 * std::min<std::size_t>(info_.biClrUsed, 256);
    else if (info_.biCompression == 3)
        tableSize = 12;
    else if (info_.biBitCount <= 8 && info_.biBitCount > 0)
        tableSize = 4u << info_.biBitCount;
    const std::size_t fileSize = pixels_.size() + tableSize + 54;
    out.clear();
    out.reserve(fileSize);
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
    out.insert(out.end(), pixels_.begin(), pixels_.end());
}

namespace {

// Run-length decoding into bottom-up rows, clipped at the bitmap's edges.
void DecodeRle(TFastDIB& dib, const std::uint8_t* src, std::size_t n, bool rle4) {
    const int w = dib.Width(), h = dib.Height();
    int x = 0, y = 0;
    std::size_t i = 0;
    auto put = [&](int px, std::uint8_t idx) {
        if (px < 0 || px >= w || y < 0 || y >= h) return;
        std::uint8_t* row = dib.Row(y);
        if (rle4) {
            std::uint8_t& b = row[px / 2];
            b = (px & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (idx & 0x0F))
                         : static_cast<std::uint8_t>((b & 0x0F) | (idx << 4));
        } else {
            row[px] = idx;
        }
    };
    while (i + 1 < n && y < h) {
        std::uint8_t count = src[i], value = src[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k, ++x)
                put(x, rle4 ? static_cast<std::uint8_t>((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= n) break;
            x += src[i];
            y += src[i + 1];
            i += 2;
        } else {  // absolute run, padded to 16 bits
            const int len = value;
            const std::size_t bytes = rle4 ? static_cast<std::size_t>((len + 1) / 2) : static_cast<std::size_t>(len);
            if (i + bytes > n) break;
            for (int k = 0; k < len; ++k, ++x) {
                std::uint8_t v = rle4 ? static_cast<std::uint8_t>((k & 1) ? (src[i + k / 2] & 0x0F) : (src[i + k / 2] >> 4))
                                      : src[i + k];
                put(x, v);
            }
            i += (bytes + 1) & ~std::size_t(1);
        }
    }
}

}  // namespace

bool TFastDIB::LoadFromStream(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 18) return false;
    const std::size_t headLen = std::min<std::size_t>(size, 1078);
    const std::uint32_t headerSize = Rd32(data + 14);
    const std::uint32_t offBits = Rd32(data + 10);
    TBitmapInfoHeader h;
    TFastDIB fresh;
    std::array<TRGBQuad, 256>& pal = fresh.colors_;
    int bpp = 0;
    if (headerSize == 12) {
        if (headLen < 26) return false;
        h.biWidth = Rd16(data + 18);
        h.biHeight = Rd16(data + 20);
        bpp = Rd16(data + 24);
        if (bpp <= 8) {
            const std::size_t entries = std::size_t(1) << bpp;
            for (std::size_t k = 0; k < entries && 26 + k * 3 + 3 <= headLen; ++k)
                pal[k] = {data[26 + k * 3], data[27 + k * 3], data[28 + k * 3], 0};
        }
    } else if (headerSize >= 16 && headerSize <= 124) {
        // 40-byte Windows header and its larger successors; OS/2 2.x headers
        // share the first 16 bytes and zero-extend the rest.
        std::uint8_t hb[40] = {};
        std::memcpy(hb, data + 14, std::min<std::size_t>({40, headerSize, headLen - 14}));
        h.biWidth = static_cast<std::int32_t>(Rd32(hb + 4));
        h.biHeight = static_cast<std::int32_t>(Rd32(hb + 8));
        bpp = Rd16(hb + 14);
        h.biCompression = Rd32(hb + 16);
        h.biXPelsPerMeter = static_cast<std::int32_t>(Rd32(hb + 24));
        h.biYPelsPerMeter = static_cast<std::int32_t>(Rd32(hb + 28));
        h.biClrUsed = Rd32(hb + 32);
        h.biClrImportant = Rd32(hb + 36);
        if (headerSize < 40 && h.biCompression != 0) return false;
        // Bit-field masks follow a 40-byte header and sit at the same place
        // inside the larger headers, so the table always starts after 40 bytes
        // of header for them; palettes follow the whole header.
        const std::size_t tableStart = 14 + ((h.biCompression == 3) ? 40 : headerSize);
        for (std::size_t k = 0; k < 256 && tableStart + k * 4 + 4 <= headLen; ++k)
            std::memcpy(&pal[k], data + tableStart + k * 4, 4);
        if (h.biClrUsed > 256) h.biClrUsed = 0;
    } else {
        return false;
    }
    const bool topDown = h.biHeight < 0;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
    if (topDown) h.biHeight = -h.biHeight;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    const std::uint32_t comp = h.biCompression;
    if (comp == 1 && bpp != 8) return false;
    if (comp == 2 && bpp != 4) return false;
    if (comp == 3 && bpp != 16 && bpp != 32) return false;
    if (comp > 3) return false;
    if ((comp == 1 || comp == 2) && topDown) return false;
    if (!ImageSizeAllowed(h.biWidth, h.biHeight)) return false;

    fresh.info_ = h;
    fresh.info_.biBitCount = static_cast<std::uint16_t>(bpp);
    fresh.info_.biCompression = (comp == 3) ? 3 : 0;
    if (bpp == 16 || bpp == 32) {
        if (comp == 3) {
            const std::uint32_t rm = Rd32(&pal[0].b), gm = Rd32(&pal[1].b), bm = Rd32(&pal[2].b);
            if (!rm && !gm && !bm) return false;
            fresh.SetupChannels(MaskSpan(rm), MaskSpan(gm), MaskSpan(bm));
        } else {
            fresh.SetupChannels(bpp == 16 ? 5 : 8, bpp == 16 ? 5 : 8, bpp == 16 ? 5 : 8);
        }
    }
    if (bpp > 8 && comp != 3) pal = {};
    try {
        fresh.Allocate();
    } catch (const std::exception&) {
        return false;
    }
    if (offBits < size) {
        const std::uint8_t* src = data + offBits;
        const std::size_t avail = size - offBits;
        if (comp == 1 || comp == 2) {
            DecodeRle(fresh, src, avail, comp == 2);
        } else {
            const std::size_t n = std::min(fresh.pixels_.size(), avail);
            if (topDown) {
                const std::size_t stride = static_cast<std::size_t>(fresh.stride_);
                for (int y = 0; y < fresh.Height(); ++y) {
                    const std::size_t from = static_cast<std::size_t>(y) * stride;
                    if (from >= n) break;
                    std::memcpy(fresh.Row(fresh.Height() - 1 - y), src + from, std::min(stride, n - from));
                }
            } else {
                std::memcpy(fresh.pixels_.data(), src, n);
            }
        }
    }
    *this = std::move(fresh);
    return true;
}

bool ConvertDepth(TFastDIB& bmp, int bpp) {
    if (bmp.Bpp() == bpp) return true;
    if (bpp != 24) return false;
    TFastDIB out;
    out.SetSize(bmp.Width(), bmp.Height(), 24);
    const int w = bmp.Width(), h = bmp.Height();
    const int src = bmp.Bpp();
    const bool plain32 = src == 32 && bmp.RBits() == 8 && bmp.GBits() == 8 && bmp.BBits() == 8;
    for (int y = 0; y < h; ++y) {
        TColorTriple* dst = out.Row24(y);
        const std::uint8_t* p = bmp.Row(y);
        if (src <= 8) {
            for (int x = 0; x < w; ++x) dst[x] = bmp.GetPixel(y, x);
        } else if (plain32 && bmp.Info().biCompression != 3) {
            for (int x = 0; x < w; ++x) dst[x] = {p[x * 4], p[x * 4 + 1], p[x * 4 + 2]};
        } else {
            std::uint32_t rm, gm, bm;
            if (bmp.Info().biCompression == 3) {
                rm = Rd32(&bmp.Colors()[0].b);
                gm = Rd32(&bmp.Colors()[1].b);
                bm = Rd32(&bmp.Colors()[2].b);
            } else {
                bm = (1u << bmp.BBits()) - 1;
                gm = ((1u << bmp.GBits()) - 1) << bmp.GPos();
                rm = ((1u << bmp.RBits()) - 1) << bmp.RPos();
            }
            const bool eight = bmp.RBits() == 8 && bmp.GBits() == 8 && bmp.BBits() == 8;
            for (int x = 0; x < w; ++x) {
                std::uint32_t v = src == 16 ? Rd16(p + x * 2) : Rd32(p + x * 4);
                if (eight) {
                    dst[x] = {static_cast<std::uint8_t>((v & bm) >> LowBit(bm)),
                              static_cast<std::uint8_t>((v & gm) >> LowBit(gm)),
                              static_cast<std::uint8_t>((v & rm) >> LowBit(rm))};
                } else {
                    dst[x] = {WidenConvert((v & bm) >> LowBit(bm), bmp.BBits()),
                              WidenConvert((v & gm) >> LowBit(gm), bmp.GBits()),
                              WidenConvert((v & rm) >> LowBit(rm), bmp.RBits())};
                }
            }
        }
    }
    bmp.TakeOver(out);
    return true;
}

}  // namespace pm
