#pragma once
// The in-place blur the decoration effects use.
#include "imaging/FastDIB.h"

namespace pm {

// Blurs in place, stored rows 0 .. n-1 (row 0 is the bottom line), each from
// column 0 to w-1. A pixel becomes, per channel, (p[l] + p[r] + q[l] + q[r])
// div 4 with rows p = y - d, q = y + d and columns l = x - d, r = x + d,
// each clamped into the bitmap, read from the bitmap as it is at that moment:
// rows before y, and columns before x of the current row, already hold
// blurred values. 24 and 32 bits average the first three bytes of a pixel
// (the fourth byte of a 32-bit pixel stays), 8 bits the byte values, 16 bits
// the channels widened to 8 bits and packed again; other depths are left
// unchanged.
void SplitBlur(TFastDIB& bmp, int d);

}  // namespace pm
