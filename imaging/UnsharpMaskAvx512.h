#pragma once
// The two passes of UnsharpMask in 512-bit vectors, for processors with
// AVX-512BW, VL, VNNI (Avx512LoopsActive()) and VBMI
// (Avx512PermutesAvailable()). The same exact integer arithmetic as the
// plain loops, so the same bytes. The rows blurred across are kept centred,
// value - 32768 in 16 signed bits (the value with its top bit flipped),
// which is what the multiply-adds take.
#include "imaging/VectorLoops.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pm {

#if PM_AVX2_LOOPS
// Rows paired as the multiply-adds take them: per 32 values, the pairs
// (a, b) of values 0-15 of rows a and b, then those of values 16-31. A
// paired row holds PairedRowWords(n) values.
constexpr std::size_t PairedRowWords(std::size_t n) {
    return (n + 31) / 32 * 64;
}

// The taps of a blur across in groups of four, as BlurAcrossTwoRowsAvx512
// takes them: the top 7 bits of each tap as the bytes of a word per group,
// then the bottom 7 bits.
std::vector<std::uint32_t> QuadTaps(const std::vector<std::uint32_t>& taps);

// The scratch words BlurAcrossTwoRowsAvx512 takes for taps reaching r
// pixels either side.
std::size_t AcrossScratchWords(int r);

// All `n` values of a part of two rows blurred across, centred, into the
// paired row `out` (which starts at the part's first value, a multiple of
// 32); `first` and `second` hold the values from r pixels before the part
// to r pixels after it. `pairTaps` holds r + 1 pairs of taps, tap 2j in the
// low half of pair j and tap 2j + 1 (0 past the end) in the high half. The
// last step of 32 is written whole.
void BlurAcrossTwoRowsAvx512(const std::uint8_t* first, const std::uint8_t* second,
                             const std::uint32_t* pairTaps, int r, std::size_t n, std::uint32_t* scratch,
                             std::uint16_t* out);

// All `n` values of up to four consecutive lines: the blur down of paired
// rows, mixed with the source rows src[l] into dst[l]. Line l has the
// alignment a = (alignment + l) & 1 and takes `count` paired rows from
// pairs[(alignment + l) >> 1] on, the j-th weighed by the two taps of
// pairTaps[a * (count + 2) + j] (the first in the low half); pairTaps[count]
// and pairTaps[count + 1], and the two after the odd ones, are zeros.
void BlurDownPairsAndMixAvx512(const std::uint16_t* const* pairs, const std::uint32_t* pairTaps, int count,
                               int alignment, int lines, std::size_t n, const std::uint8_t* const* src,
                               std::uint8_t* const* dst, int amountPercent, int limit);
#endif

}  // namespace pm
