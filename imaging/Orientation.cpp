#include "imaging/Orientation.h"

#include "imaging/OrientationAvx512.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

// Whether a walk of `count` pixels may read a fourth byte after each pixel:
// not when it passes the last pixel of the raster.
bool WideReadable(const TFastDIB& src, const TLineWalk& walk, int count) {
    const std::uint8_t* last =
        src.Row(0) + std::ptrdiff_t(src.Height() - 1) * src.Stride() + 3 * std::ptrdiff_t(src.Width() - 1);
    const std::uint8_t* end = walk.start + walk.step * (count - 1);
    return walk.start != last && end != last;
}

// Copies `count` pixels of a walk to consecutive pixels at `d`. The first
// `wide` of them move as four bytes, one load and one store each: the byte
// too many lands on the next pixel, which is written after it.
inline void CopyWalk(std::uint8_t* d, const std::uint8_t* s, std::ptrdiff_t step, int count, int wide) {
    int u = 0;
    for (; u < wide; ++u, d += 3, s += step) {
        std::uint32_t v;
        std::memcpy(&v, s, 4);
        std::memcpy(d, &v, 4);
    }
    for (; u < count; ++u, d += 3, s += step) std::memcpy(d, s, 3);
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
    out.SetSizeForOverwrite(dw, dh, 24);  // every pixel is written below
    if (!swap) {
        for (int v = 0; v < dh; ++v) {
            const TLineWalk walk = WalkOf(dib, orientation, v);
            std::uint8_t* d = out.Row(dh - 1 - v);
            if (walk.step == 3)
                std::memcpy(d, walk.start, 3 * std::size_t(dw));
            else
                CopyWalk(d, walk.start, walk.step, dw, WideReadable(dib, walk, dw) ? dw - 1 : 0);
        }
    } else {
        // A source column becomes a picture line. Square tiles keep both the
        // source rows and the picture lines a tile touches in the first-level
        // cache, so each cache line is fetched about once.
        constexpr int kTile = 32;
#if PM_AVX2_LOOPS
        const bool turnSixteens = Avx512LoopsActive() && Avx512PermutesAvailable();
#endif
        for (int v0 = 0; v0 < dh; v0 += kTile) {
            const int lines = std::min(kTile, dh - v0);
            TLineWalk walks[kTile];
            std::uint8_t* rows[kTile];
            bool wide[kTile];
            for (int k = 0; k < lines; ++k) {
                walks[k] = WalkOf(dib, orientation, v0 + k);
                rows[k] = out.Row(dh - 1 - (v0 + k));
                wide[k] = WideReadable(dib, walks[k], dw);
            }
            for (int u0 = 0; u0 < dw; u0 += kTile) {
                const int u1 = std::min(dw, u0 + kTile);
                int done = 0;  // lines of the tile made in blocks of sixteen by sixteen
#if PM_AVX2_LOOPS
                if (turnSixteens && u1 - u0 == kTile) {
                    for (; done + 16 <= lines; done += 16)
                        for (int j = 0; j < kTile; j += 16) {
                            std::uint8_t* dst[16];
                            for (int k = 0; k < 16; ++k) dst[k] = rows[done + k] + 3 * std::ptrdiff_t(u0 + j);
                            TurnSixteen(walks[done].start + walks[done].step * (u0 + j), walks[done].step,
                                        int(walks[done + 1].start - walks[done].start), dst);
                        }
                }
#endif
                // The line's last pixel is copied exactly: nothing follows it.
                const int span = u1 - u0, wideSpan = u1 == dw ? span - 1 : span;
                for (int k = done; k < lines; ++k)
                    CopyWalk(rows[k] + 3 * std::ptrdiff_t(u0), walks[k].start + walks[k].step * u0,
                             walks[k].step, span, wide[k] ? wideSpan : 0);
            }
        }
    }
    return true;
}

}  // namespace pm
