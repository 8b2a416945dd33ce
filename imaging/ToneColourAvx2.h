#pragma once
// The colour step of AdjustTones on 16 pixels at a time with AVX2: the same
// integer arithmetic in 16-bit lanes, so the same bytes as the plain loops.
#include "imaging/ToneAdjust.h"
#include "imaging/VectorLoops.h"

#include <cstdint>

namespace pm {

// Sepia weights in 1/1024: rows red, green, blue; columns the same.
constexpr int kSepia[3][3] = {{402, 787, 194}, {357, 702, 172}, {279, 547, 134}};

#if PM_AVX2_LOOPS
// Works on the first pixels of a row of `w` (a multiple of 16 of them) and
// returns how many it did; the caller does the rest. `sat` in 1/1024, at
// most 4096, is not used for greyscale.
int ColourPixelsAvx2(std::uint8_t* p, int w, int sat, TColorMode mode);
#endif

}  // namespace pm
