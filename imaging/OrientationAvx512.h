#pragma once
// Sixteen by sixteen pixels of a turn that swaps a picture's sides, in
// 512-bit vectors, for processors with AVX-512BW and VBMI byte permutes
// (Avx512PermutesAvailable()).
#include "imaging/VectorLoops.h"

#include <cstddef>
#include <cstdint>

namespace pm {

#if PM_AVX2_LOOPS
// Line k (0-15) of the result at dst[k] gets pixels j = 0-15 from
// `at` + j * step + k * columnStep (columnStep 3 or -3): sixteen source rows
// of sixteen neighbouring pixels, turned. Touches no byte outside those
// pixels.
void TurnSixteen(const std::uint8_t* at, std::ptrdiff_t step, int columnStep, std::uint8_t* const* dst);
#endif

}  // namespace pm
