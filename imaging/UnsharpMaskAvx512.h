#pragma once
// The two passes of UnsharpMask in 512-bit vectors, 32 values a step, for
// processors with AVX-512BW, VL and VNNI (Avx512LoopsActive()). The same
// exact integer arithmetic as the plain loops, so the same bytes. The rows
// blurred across are kept centred, value - 32768 in 16 signed bits (the
// value with its top bit flipped), which is what the multiply-adds take.
#include "imaging/VectorLoops.h"

#include <cstddef>
#include <cstdint>

namespace pm {

#if PM_AVX2_LOOPS
// Rows paired as the multiply-adds take them: per 32 values, the pairs
// (a, b) of the low halves of the unpacks of rows a and b, then those of the
// high halves. A paired row holds PairedRowWords(n) values.
constexpr std::size_t PairedRowWords(std::size_t n) {
    return (n + 31) / 32 * 64;
}

// All `n` values of a part of two rows blurred across, centred, into the
// paired row `out` (which starts at the part's first value, a multiple of
// 32); `first` and `second` hold the values from r pixels before the part
// to r pixels after it. The last step of 32 is written whole.
void BlurAcrossTwoRowsAvx512(const std::uint8_t* first, const std::uint8_t* second, const std::uint32_t* taps,
                             int r, std::size_t n, std::uint16_t* out);

// All `n` values of a line: the blur down of paired rows, pairs[j] weighed
// by the two taps of pairTaps[j] (the first in the low half), mixed with the
// source row `src` into `dst`.
void BlurDownPairsAndMixAvx512(const std::uint16_t* const* pairs, const std::uint32_t* pairTaps, int count,
                               std::size_t n, const std::uint8_t* src, std::uint8_t* dst, int amountPercent,
                               int limit);
#endif

}  // namespace pm
