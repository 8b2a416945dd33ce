#pragma once
// Fixed-point bilinear scaling. Rows are counted by stored row index (row 0
// is the bottom line), so the sampling grid starts at the bottom-left pixel.
#include "imaging/FastDIB.h"

namespace pm {

// Scales the whole of `source` onto the whole of `target` (sized by the
// caller, same depth) in 16.16 fixed point: steps xs = ((SW - 1) << 16) div
// TW and ys = ((SH - 1) << 16) div TH; for target row k the rows A = y0 and
// B = y0 + 1 (A again on the last source row) of y = k ys, weighted
// 65536 - fy and fy + 1 (together 65537); along the row the columns x0 and
// x0 + 1 (clamped into the row) of x = c xs, each row weight split by fx as
// (w fx) shr 16. Each channel is the weighted sum shr 16.
void BilinearResize24(const TFastDIB& source, TFastDIB& target);
// The same weights on byte values (8 bits), on the three channels unpacked
// through the colour masks and packed again (16 bits), and on the first
// three bytes of each pixel, the fourth left as it is (32 bits).
void BilinearResize8(const TFastDIB& source, TFastDIB& target);
void BilinearResize16(const TFastDIB& source, TFastDIB& target);
void BilinearResize32(const TFastDIB& source, TFastDIB& target);

// Picks the routine by the target's depth. False (nothing written) when a
// bitmap is empty, the depths differ or the depth has no routine.
bool BilinearResize(const TFastDIB& source, TFastDIB& target);

}  // namespace pm
