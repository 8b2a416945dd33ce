#include "imaging/Orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace pm {

namespace {

// Where upright picture line v begins in the stored raster and how far apart
// its pixels lie there, in bytes. Lines count from the top; stored row r is
// picture line height - 1 - r.
struct TLineWalk {
    const std::uint8_t* start;
    std::ptrdiff_t step;
};

TLineWalk WalkOf(const TFastDIB& src, int orientation, int v) {
    const int w = src.Width(), h = src.Height();
    const std::ptrdiff_t stride = src.Stride();
    switch (orientation) {
    case orMirrorHorizontal:  // source (w-1-u, v)
        return {src.Row(h - 1 - v) + 3 * std::ptrdiff_t(w - 1), -3};
    case orRotate180:  // source (w-1-u, h-1-v)
        return {src.Row(v) + 3 * std::ptrdiff_t(w - 1), -3};
    case orMirrorVertical:  // source (u, h-1-v)
        return {src.Row(v), 3};
    case orTranspose:  // source (v, u)
        return {src.Row(h - 1) + 3 * std::ptrdiff_t(v), -stride};
    case orRotate90:  // source (v, h-1-u)
        return {src.Row(0) + 3 * std::ptrdiff_t(v), stride};
    case orTransverse:  // source (w-1-v, h-1-u)
        return {src.Row(0) + 3 * std::ptrdiff_t(w - 1 - v), stride};
    case orRotate270:  // source (w-1-v, u)
        return {src.Row(h - 1) + 3 * std::ptrdiff_t(w - 1 - v), -stride};
    default:  // source (u, v)
        return {src.Row(h - 1 - v), 3};
    }
}

inline void CopyPixel(std::uint8_t* dst, const std::uint8_t* src) {
    std::memcpy(dst, src, 3);
}

}  // namespace

bool ApplyOrientation(TFastDIB& dib, int orientation) {
    if (dib.Bpp() != 24) return false;
    if (orientation < 2 || orientation > 8 || dib.Empty()) return true;
    TFastDIB out;
    OrientInto(dib, orientation, out);
    dib.TakeOver(out);
    return true;
}

bool OrientInto(const TFastDIB& dib, int orientation, TFastDIB& out) {
    if (dib.Bpp() != 24 || &dib == &out) return false;
    if (orientation < 2 || orientation > 8 || dib.Empty()) {
        out = dib;
        return true;
    }
    const bool swap = OrientationSwapsSides(orientation);
    const int dw = swap ? dib.Height() : dib.Width();
    const int dh = swap ? dib.Width() : dib.Height();
    out.SetSize(dw, dh, 24);
    if (!swap) {
        for (int v = 0; v < dh; ++v) {
            const TLineWalk walk = WalkOf(dib, orientation, v);
            std::uint8_t* d = out.Row(dh - 1 - v);
            const std::uint8_t* s = walk.start;
            for (int u = 0; u < dw; ++u, d += 3, s += walk.step) CopyPixel(d, s);
        }
    } else {
        // A source column becomes a picture line. Square tiles keep both the
        // source rows and the picture lines a tile touches in the first-level
        // cache, so each cache line is fetched about once.
        constexpr int kTile = 32;
        for (int v0 = 0; v0 < dh; v0 += kTile) {
            const int lines = std::min(kTile, dh - v0);
            TLineWalk walks[kTile];
            std::uint8_t* rows[kTile];
            for (int k = 0; k < lines; ++k) {
                walks[k] = WalkOf(dib, orientation, v0 + k);
                rows[k] = out.Row(dh - 1 - (v0 + k));
            }
            for (int u0 = 0; u0 < dw; u0 += kTile) {
                const int u1 = std::min(dw, u0 + kTile);
                for (int k = 0; k < lines; ++k) {
                    std::uint8_t* d = rows[k] + 3 * std::ptrdiff_t(u0);
                    const std::uint8_t* s = walks[k].start + walks[k].step * u0;
                    for (int u = u0; u < u1; ++u, d += 3, s += walks[k].step) CopyPixel(d, s);
                }
            }
        }
    }
    return true;
}

}  // namespace pm
