#include "imaging/BlockCopy.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pm {

namespace {

bool Usable(const TFastDIB& b) {
    switch (b.Bpp()) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return b.Size() != 0 && b.Width() > 0 && b.Height() > 0;
    default:
        return false;
    }
}

// Picture line y as stored row.
int RowOf(const TFastDIB& b, long long y) {
    return b.Height() - 1 - static_cast<int>(y);
}

}  // namespace

bool BlockCopy(TFastDIB& dst, int dx, int dy, int width, int height, const TFastDIB& src, int sx, int sy) {
    if (width <= 0 || height <= 0) return true;
    if (!Usable(dst) || !Usable(src)) return false;
    if (&dst == &src) {
        const TFastDIB copy = src;  // overlapping blocks read the state before the copy
        return BlockCopy(dst, dx, dy, width, height, copy, sx, sy);
    }
    // Offsets i (columns) and j (lines) of the block that fall inside both.
    const long long i0 = std::max({0LL, -static_cast<long long>(dx), -static_cast<long long>(sx)});
    const long long i1 = std::min({static_cast<long long>(width), static_cast<long long>(dst.Width()) - dx,
                                   static_cast<long long>(src.Width()) - sx});
    const long long j0 = std::max({0LL, -static_cast<long long>(dy), -static_cast<long long>(sy)});
    const long long j1 = std::min({static_cast<long long>(height), static_cast<long long>(dst.Height()) - dy,
                                   static_cast<long long>(src.Height()) - sy});
    if (i1 <= i0 || j1 <= j0) return true;
    const bool direct = dst.Bpp() == 24 && src.Bpp() == 24;
    for (long long j = j0; j < j1; ++j) {
        const int dr = RowOf(dst, dy + j), sr = RowOf(src, sy + j);
        if (direct) {
            std::memcpy(dst.Row24(dr) + dx + i0, src.Row24(sr) + sx + i0,
                        static_cast<std::size_t>(i1 - i0) * 3);
            continue;
        }
        for (long long i = i0; i < i1; ++i)
            dst.SetPixel(dr, static_cast<int>(dx + i), src.GetPixel(sr, static_cast<int>(sx + i)));
    }
    return true;
}

bool TileBitmap(TFastDIB& dst, const TFastDIB& tile) {
    if (!Usable(tile)) return false;
    if (dst.Width() == 0 || dst.Height() == 0) return true;
    if (!Usable(dst)) return false;
    const int bw = tile.Width(), bh = tile.Height(), nw = dst.Width(), nh = dst.Height();
    if (dst.Bpp() != 24) {
        for (int x = 0; x < nw; x += bw)
            for (int y = 0; y < nh; y += bh)
                if (!BlockCopy(dst, x, y, bw, bh, tile, 0, 0)) return false;
        return true;
    }
    // The first band of tiles line by line, then every further line repeats
    // the line one tile height above it.
    std::vector<TColorTriple> line(static_cast<std::size_t>(bw));
    for (int y = 0; y < nh; ++y) {
        TColorTriple* out = dst.Row24(RowOf(dst, y));
        if (y >= bh) {
            std::memcpy(out, dst.Row24(RowOf(dst, y - bh)), static_cast<std::size_t>(nw) * 3);
            continue;
        }
        const int tr = RowOf(tile, y);
        for (int x = 0; x < bw; ++x) line[static_cast<std::size_t>(x)] = tile.GetPixel(tr, x);
        for (int x = 0; x < nw; x += bw) std::copy_n(line.begin(), std::min(bw, nw - x), out + x);
    }
    return true;
}

}  // namespace pm
