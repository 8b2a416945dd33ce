#pragma once
// The inner loop of the any-angle turn in 512-bit vectors, sixteen pixels a
// step, for processors with AVX-512 byte and word instructions and byte
// permutes. Same arithmetic as the turn's other loops, so the same bytes.
#include "imaging/VectorLoops.h"

#include <cstdint>

namespace pm {

#if PM_AVX2_LOOPS
// Whether the processor has what InsideAvx512 needs beyond the other
// 512-bit loops (Avx512LoopsActive): the byte permutes and 64-bit multiplies.
bool Avx512TurnUsable();

// Pixels inside the picture from source position (px, py) in 32.32 fixed
// point, stepping by (stepX, stepY): each the bilinear mix of its four
// neighbours, `top` being line 0 of the picture and line y + 1 the stored
// row `stride` bytes below line y. Writes whole steps of sixteen pixels to
// `d` and returns how many it did.
int InsideAvx512(const std::uint8_t* top, long long stride, long long px, long long py, long long stepX,
                 long long stepY, int count, std::uint8_t* d);
#endif

}  // namespace pm
