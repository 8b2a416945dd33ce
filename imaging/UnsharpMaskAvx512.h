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
// All `n` values of a part of a row blurred across, centred: `padded`
// holds the values from r pixels before the part to r pixels after it.
void BlurAcrossAvx512(const std::uint8_t* padded, const std::uint32_t* taps, int r, std::size_t n,
                      std::uint16_t* out);

// Two rows of `n` centred values, a and b, as the multiply-adds take them:
// per 32 values, the pairs (a, b) of the unpacks' low halves, then those of
// the high halves. `out` holds PairedRowWords(n) values.
void PairRowsAvx512(const std::uint16_t* a, const std::uint16_t* b, std::size_t n, std::uint16_t* out);
constexpr std::size_t PairedRowWords(std::size_t n) {
    return (n + 31) / 32 * 64;
}

// All `n` values of a line: the blur down of the centred rows `lines`
// (lines[k] is the row at offset k - r) mixed with the source row `src`
// into `dst`.
void BlurDownAndMixAvx512(const std::uint16_t* const* lines, const std::uint32_t* taps, int r, std::size_t n,
                          const std::uint8_t* src, std::uint8_t* dst, int amountPercent, int limit);

// The same from paired rows: pairs[j] pairs the rows at offsets 2j - r
// and 2j - r + 1; the second row of pairs[r] is not used.
void BlurDownPairsAndMixAvx512(const std::uint16_t* const* pairs, const std::uint32_t* taps, int r,
                               std::size_t n, const std::uint8_t* src, std::uint8_t* dst, int amountPercent,
                               int limit);
#endif

}  // namespace pm
