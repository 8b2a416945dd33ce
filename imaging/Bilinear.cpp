#include "imaging/Bilinear.h"

#include <cstdint>
#include <vector>

namespace pm {

namespace {

struct TColumnStep {
    int X0, X1;        // the two source columns
    std::uint32_t Fx;  // fraction of the way from X0 to X1, 0 .. 65535
};

struct TWeights {
    std::uint32_t A0, A1, B0, B1;
};

// Walks the target in 16.16 fixed point and calls
// blend(rowA, rowB, column step, weights, target row, target column).
// Positions are kept in 64 bits so that sources wider or higher than 32768
// pixels do not wrap; below that they equal the 32-bit sums.
template <typename Blend> void Walk(const TFastDIB& source, TFastDIB& target, Blend blend) {
    const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
    const std::int64_t xs = (static_cast<std::int64_t>(sw - 1) << 16) / tw;
    const std::int64_t ys = (static_cast<std::int64_t>(sh - 1) << 16) / th;
    std::vector<TColumnStep> columns(static_cast<std::size_t>(tw));
    std::int64_t x = 0;
    for (TColumnStep& c : columns) {
        c.X0 = static_cast<int>(x >> 16);
        c.X1 = c.X0 + 1 < sw ? c.X0 + 1 : sw - 1;
        c.Fx = static_cast<std::uint32_t>(x & 0xFFFF);
        x += xs;
    }
    std::int64_t y = 0;
    for (int k = 0; k < th; ++k, y += ys) {
        const int y0 = static_cast<int>(y >> 16);
        const std::uint32_t fy = static_cast<std::uint32_t>(y & 0xFFFF);
        const std::uint8_t* a = source.Row(y0);
        const std::uint8_t* b = y0 < sh - 1 ? source.Row(y0 + 1) : a;
        const std::uint32_t wa = 65536 - fy, wb = fy + 1;  // together 65537
        std::uint8_t* out = target.Row(k);
        for (int c = 0; c < tw; ++c) {
            const TColumnStep& s = columns[static_cast<std::size_t>(c)];
            const std::uint32_t a1 = (wa * s.Fx) >> 16, b1 = (wb * s.Fx) >> 16;
            blend(a, b, s, TWeights{wa - a1, a1, wb - b1, b1}, out, c);
        }
    }
}

inline std::uint32_t Mix(const TWeights& w, std::uint32_t a0, std::uint32_t a1, std::uint32_t b0,
                         std::uint32_t b1) {
    return (w.A0 * a0 + w.A1 * a1 + w.B0 * b0 + w.B1 * b1) >> 16;
}

struct TChannelMasks {
    std::uint32_t Mask[3];  // red, green, blue
    int Low[3];
};

int LowBit(std::uint32_t m) {
    int lo = 0;
    while (m && !(m & (1u << lo))) ++lo;
    return lo;
}

TChannelMasks MasksOf(const TFastDIB& bmp) {
    TChannelMasks m{};
    if (bmp.Info().biCompression == 3) {
        for (int i = 0; i < 3; ++i) {
            const TRGBQuad& q = bmp.Colors()[static_cast<std::size_t>(i)];
            m.Mask[i] = q.b | (std::uint32_t(q.g) << 8) | (std::uint32_t(q.r) << 16) |
                        (std::uint32_t(q.reserved) << 24);
        }
    } else {
        m.Mask[0] = ((1u << bmp.RBits()) - 1) << bmp.RPos();
        m.Mask[1] = ((1u << bmp.GBits()) - 1) << bmp.GPos();
        m.Mask[2] = (1u << bmp.BBits()) - 1;
    }
    for (int i = 0; i < 3; ++i) m.Low[i] = LowBit(m.Mask[i]);
    return m;
}

bool Usable(const TFastDIB& b) {
    return b.Width() > 0 && b.Height() > 0 && b.Size() != 0;
}

}  // namespace

void BilinearResize24(const TFastDIB& source, TFastDIB& target) {
    Walk(source, target,
         [](const std::uint8_t* a, const std::uint8_t* b, const TColumnStep& s, const TWeights& w,
            std::uint8_t* out, int c) {
             const int i0 = s.X0 * 3, i1 = s.X1 * 3;
             for (int ch = 0; ch < 3; ++ch)
                 out[c * 3 + ch] =
                     static_cast<std::uint8_t>(Mix(w, a[i0 + ch], a[i1 + ch], b[i0 + ch], b[i1 + ch]));
         });
}

void BilinearResize8(const TFastDIB& source, TFastDIB& target) {
    Walk(source, target,
         [](const std::uint8_t* a, const std::uint8_t* b, const TColumnStep& s, const TWeights& w,
            std::uint8_t* out,
            int c) { out[c] = static_cast<std::uint8_t>(Mix(w, a[s.X0], a[s.X1], b[s.X0], b[s.X1])); });
}

void BilinearResize32(const TFastDIB& source, TFastDIB& target) {
    Walk(source, target,
         [](const std::uint8_t* a, const std::uint8_t* b, const TColumnStep& s, const TWeights& w,
            std::uint8_t* out, int c) {
             const int i0 = s.X0 * 4, i1 = s.X1 * 4;
             for (int ch = 0; ch < 3; ++ch)
                 out[c * 4 + ch] =
                     static_cast<std::uint8_t>(Mix(w, a[i0 + ch], a[i1 + ch], b[i0 + ch], b[i1 + ch]));
         });
}

void BilinearResize16(const TFastDIB& source, TFastDIB& target) {
    const TChannelMasks in = MasksOf(source), out = MasksOf(target);
    Walk(source, target,
         [&](const std::uint8_t* a, const std::uint8_t* b, const TColumnStep& s, const TWeights& w,
             std::uint8_t* row, int c) {
             const auto at = [](const std::uint8_t* r, int x) -> std::uint32_t {
                 return r[x * 2] | (r[x * 2 + 1] << 8);
             };
             const std::uint32_t pa0 = at(a, s.X0), pa1 = at(a, s.X1), pb0 = at(b, s.X0), pb1 = at(b, s.X1);
             std::uint32_t v = 0;
             for (int ch = 0; ch < 3; ++ch) {
                 const std::uint32_t m = in.Mask[ch];
                 const int lo = in.Low[ch];
                 const std::uint32_t r =
                     Mix(w, (pa0 & m) >> lo, (pa1 & m) >> lo, (pb0 & m) >> lo, (pb1 & m) >> lo);
                 v |= (r << out.Low[ch]) & out.Mask[ch];
             }
             row[c * 2] = static_cast<std::uint8_t>(v);
             row[c * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
         });
}

bool BilinearResize(const TFastDIB& source, TFastDIB& target) {
    if (!Usable(source) || !Usable(target) || source.Bpp() != target.Bpp()) return false;
    switch (target.Bpp()) {
    case 8:
        target.Colors() = source.Colors();  // the indices mean the same colours
        BilinearResize8(source, target);
        return true;
    case 16:
        BilinearResize16(source, target);
        return true;
    case 24:
        BilinearResize24(source, target);
        return true;
    case 32:
        BilinearResize32(source, target);
        return true;
    default:
        return false;
    }
}

}  // namespace pm
