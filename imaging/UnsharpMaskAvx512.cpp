#include "imaging/UnsharpMaskAvx512.h"

#if PM_AVX2_LOOPS
// GCC 12's 512-bit shifts start from an "undefined" vector, which
// -Wmaybe-uninitialized takes for a fault.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>


namespace pm {

namespace {

#define PM_AVX512 [[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni"), gnu::always_inline]] inline

// The lanes of a step that holds `left` values or more.
PM_AVX512 __mmask32 StepMask(std::size_t left) {
    return left >= 32 ? ~__mmask32(0) : __mmask32((1u << left) - 1);
}

// A tap for both halves of each pair of 16-bit values.
PM_AVX512 __m512i PairTap(std::uint32_t tap) {
    return _mm512_set1_epi32(std::int32_t(tap * 0x10001u));
}

// Up to 32 bytes from `at` on, widened to 16 bits.
PM_AVX512 __m512i Widened(__mmask32 lanes, const std::uint8_t* at) {
    return _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(lanes, at));
}

// The mix of the plain loop on 32 values in 16-bit lanes: `q` the bytes
// widened, `smooth` the blurred values plus 32768, so that a difference
// (at most 65280 either way) fits 16 bits as a sign and a size.
// `amount128` is the amount times 128. The result still to be clamped.
PM_AVX512 __m512i MixThirtyTwo(__m512i q, __m512i smooth, __m512i amount128, __m512i limit) {
    const __m512i scaled = _mm512_slli_epi16(q, 8);
    const __m512i apart =
        _mm512_or_si512(_mm512_subs_epu16(scaled, smooth), _mm512_subs_epu16(smooth, scaled));
    const __mmask32 negative = _mm512_cmplt_epu16_mask(scaled, smooth);
    // (amount * apart + 12800) >> 10 is (floor(amount * apart / 512) + 25)
    // >> 1, the bits dropped being worth less than 512; at most 31887.
    const __m512i shifted =
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mulhi_epu16(apart, amount128), _mm512_set1_epi16(25)), 1);
    // (shifted * 41944) >> 20 as the high half of the product shifted by 4.
    const __m512i size = _mm512_srli_epi16(
        _mm512_mulhi_epu16(shifted, _mm512_set1_epi16(std::int16_t(std::uint16_t(41944)))), 4);
    const __m512i moved = _mm512_mask_sub_epi16(_mm512_add_epi16(q, size), negative, q, size);
    return _mm512_mask_mov_epi16(moved, _mm512_cmplt_epu16_mask(apart, limit), q);
}

// The end of a blur down: its sums for 32 values, in the order of the
// unpacks, mixed with the source bytes into the result.
struct TMix {
    PM_AVX512 TMix(int amountPercent, int limit)
        : amount128(_mm512_set1_epi16(std::int16_t(std::uint16_t(amountPercent * 128)))),
          under(_mm512_set1_epi16(std::int16_t(std::uint16_t(limit)))) {}

    PM_AVX512 void Into(__m512i low, __m512i high, __mmask32 lanes, const std::uint8_t* src,
                        std::uint8_t* dst) const {
        // The packs undo the unpacks' order within each 128-bit lane.
        const __m512i smooth = _mm512_packus_epi32(_mm512_srli_epi32(low, 14), _mm512_srli_epi32(high, 14));
        const __m512i mixed = MixThirtyTwo(Widened(lanes, src), smooth, amount128, under);
        // Clamped to bytes: below zero here, above 255 in the narrowing.
        _mm512_mask_cvtusepi16_storeu_epi8(dst, lanes, _mm512_max_epi16(mixed, _mm512_setzero_si512()));
    }

    // Where the sums start: the rounding half, and the 32768 taken from
    // each value, which comes back as 32768 times the taps' sum (1 << 14).
    const __m512i start = _mm512_set1_epi32(8192 + (1 << 29));
    const __m512i amount128, under;
};

// The blur across of 32 values from `at` + 3r on, as 32-bit sums in the
// order of the unpacks: values 0-3, 8-11, 16-19 and 24-27 in `low`.
PM_AVX512 void AcrossSums(const std::uint8_t* at, __mmask32 lanes, const std::uint32_t* taps, int r,
                          __m512i& low, __m512i& high) {
    const __m512i centre = _mm512_set1_epi32(std::int32_t(taps[r]));  // pairs (tap, 0)
    const __m512i half = _mm512_set1_epi32(32);
    const __m512i c = Widened(lanes, at + 3 * r);
    low = _mm512_dpwssd_epi32(half, _mm512_unpacklo_epi16(c, c), centre);
    high = _mm512_dpwssd_epi32(half, _mm512_unpackhi_epi16(c, c), centre);
    for (int k = 1; k <= r; ++k) {
        const __m512i t = PairTap(taps[r + k]);
        const __m512i a = Widened(lanes, at + 3 * (r - k)), b = Widened(lanes, at + 3 * (r + k));
        low = _mm512_dpwssd_epi32(low, _mm512_unpacklo_epi16(a, b), t);
        high = _mm512_dpwssd_epi32(high, _mm512_unpackhi_epi16(a, b), t);
    }
}

// Two sums rounded and centred into pairs of 16-bit values, the first from
// `first`'s low half, the second from `second`'s.
PM_AVX512 __m512i PairOfSums(__m512i first, __m512i second) {
    const __m512i top = _mm512_set1_epi32(std::int32_t(0x80008000u));
    return _mm512_xor_si512(
        _mm512_mask_blend_epi16(0xAAAAAAAAu, _mm512_srli_epi32(first, 6), _mm512_slli_epi32(second, 10)),
        top);
}

}  // namespace

[[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni")]] void
BlurAcrossTwoRowsAvx512(const std::uint8_t* first, const std::uint8_t* second, const std::uint32_t* taps,
                        int r, std::size_t n, std::uint16_t* out) {
    for (std::size_t i = 0; i < n; i += 32, out += 64) {
        const __mmask32 lanes = StepMask(n - i);
        __m512i lowFirst, highFirst, lowSecond, highSecond;
        AcrossSums(first + i, lanes, taps, r, lowFirst, highFirst);
        AcrossSums(second + i, lanes, taps, r, lowSecond, highSecond);
        _mm512_storeu_si512(out, PairOfSums(lowFirst, lowSecond));
        _mm512_storeu_si512(out + 32, PairOfSums(highFirst, highSecond));
    }
}

[[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni")]] void
BlurDownPairsAndMixAvx512(const std::uint16_t* const* pairs, const std::uint32_t* pairTaps, int count,
                          std::size_t n, const std::uint8_t* src, std::uint8_t* dst, int amountPercent,
                          int limit) {
    const TMix mix(amountPercent, limit);
    for (std::size_t i = 0; i < n; i += 32) {
        __m512i low = mix.start, high = mix.start;
        for (int j = 0; j < count; ++j) {
            const __m512i t = _mm512_set1_epi32(std::int32_t(pairTaps[j]));
            const std::uint16_t* at = pairs[j] + 2 * i;
            low = _mm512_dpwssd_epi32(low, _mm512_loadu_si512(at), t);
            high = _mm512_dpwssd_epi32(high, _mm512_loadu_si512(at + 32), t);
        }
        mix.Into(low, high, StepMask(n - i), src + i, dst + i);
    }
}

#undef PM_AVX512

}  // namespace pm
#endif
