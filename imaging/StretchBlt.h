#pragma once
// The stretching blit of the "StretchBlt" resizing method, in the
// black-on-white stretching mode.
#include "imaging/FastDIB.h"

namespace pm {

// Stretches the whole of `source` onto the whole of the 24-bit `target`.
// Stepping rule, separately for columns and for picture lines (counted from
// the top): when the target is smaller, source position s belongs to target
// position s * T div S, and each target pixel is the bitwise AND of all the
// source pixels that belong to it (black on white: dark details survive);
// when it is larger or equal, target position t shows source position
// t * S div T, so pixels repeat. False (nothing written) when a bitmap is
// empty or the target is not 24 bits.
bool StretchBlt(const TFastDIB& source, TFastDIB& target);

}  // namespace pm
