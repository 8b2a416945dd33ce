#pragma once
// Plain copies of pixel blocks between bitmaps, in picture coordinates
// (y = 0 is the top line).
#include "imaging/FastDIB.h"

namespace pm {

// Copies the width x height block at (sx, sy) of `src` to (dx, dy) of `dst`.
// Only pixels that lie inside both bitmaps are copied; the rest of `dst`
// keeps its pixels. Pixels are converted when the depths differ (through
// GetPixel/SetPixel). A width or height of 0 or less copies nothing and
// succeeds. Fails (copying nothing) when a bitmap that would be touched has
// no pixel memory or a depth other than 1, 4, 8, 16, 24 or 32.
bool BlockCopy(TFastDIB& dst, int dx, int dy, int width, int height, const TFastDIB& src, int sx, int sy);

// Covers `dst` with copies of the whole `tile`, the first at the top-left
// corner, then every tile width across and every tile height down; the last
// tiles are cut at the edges. The same pixels as one BlockCopy per tile.
// Fails when the tile is empty or a copy would fail.
bool TileBitmap(TFastDIB& dst, const TFastDIB& tile);

}  // namespace pm
