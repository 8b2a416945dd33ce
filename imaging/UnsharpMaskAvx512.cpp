#include "imaging/UnsharpMaskAvx512.h"

#if PM_AVX2_LOOPS
// GCC 12's 512-bit shifts start from an "undefined" vector, which
// -Wmaybe-uninitialized takes for a fault.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <vector>

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

}  // namespace

[[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni")]] void BlurAcrossAvx512(const std::uint8_t* padded,
                                                                              const std::uint32_t* taps,
                                                                              int r, std::size_t n,
                                                                              std::uint16_t* out) {
    const __m512i centre = _mm512_set1_epi32(std::int32_t(taps[r]));  // pairs (tap, 0)
    const __m512i half = _mm512_set1_epi32(32), top = _mm512_set1_epi16(std::int16_t(0x8000));
    for (std::size_t i = 0; i < n; i += 32) {
        const __mmask32 lanes = StepMask(n - i);
        const std::uint8_t* at = padded + i;
        const __m512i c = Widened(lanes, at + 3 * r);
        __m512i low = _mm512_dpwssd_epi32(half, _mm512_unpacklo_epi16(c, c), centre);
        __m512i high = _mm512_dpwssd_epi32(half, _mm512_unpackhi_epi16(c, c), centre);
        for (int k = 1; k <= r; ++k) {
            const __m512i t = PairTap(taps[r + k]);
            const __m512i a = Widened(lanes, at + 3 * (r - k)), b = Widened(lanes, at + 3 * (r + k));
            low = _mm512_dpwssd_epi32(low, _mm512_unpacklo_epi16(a, b), t);
            high = _mm512_dpwssd_epi32(high, _mm512_unpackhi_epi16(a, b), t);
        }
        // The packs undo the unpacks' order within each 128-bit lane.
        const __m512i rounded = _mm512_packus_epi32(_mm512_srli_epi32(low, 6), _mm512_srli_epi32(high, 6));
        _mm512_mask_storeu_epi16(out + i, lanes, _mm512_xor_si512(rounded, top));
    }
}

[[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni")]] void
PairRowsAvx512(const std::uint16_t* a, const std::uint16_t* b, std::size_t n, std::uint16_t* out) {
    for (std::size_t i = 0; i < n; i += 32, out += 64) {
        const __mmask32 lanes = StepMask(n - i);
        const __m512i x = _mm512_maskz_loadu_epi16(lanes, a + i), y = _mm512_maskz_loadu_epi16(lanes, b + i);
        _mm512_storeu_si512(out, _mm512_unpacklo_epi16(x, y));
        _mm512_storeu_si512(out + 32, _mm512_unpackhi_epi16(x, y));
    }
}

[[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni")]] void
BlurDownAndMixAvx512(const std::uint16_t* const* lines, const std::uint32_t* taps, int r, std::size_t n,
                     const std::uint8_t* src, std::uint8_t* dst, int amountPercent, int limit) {
    const __m512i centre = _mm512_set1_epi32(std::int32_t(taps[r]));  // pairs (tap, 0)
    const TMix mix(amountPercent, limit);
    for (std::size_t i = 0; i < n; i += 32) {
        const __mmask32 lanes = StepMask(n - i);
        const __m512i c = _mm512_maskz_loadu_epi16(lanes, lines[r] + i);
        __m512i low = _mm512_dpwssd_epi32(mix.start, _mm512_unpacklo_epi16(c, c), centre);
        __m512i high = _mm512_dpwssd_epi32(mix.start, _mm512_unpackhi_epi16(c, c), centre);
        for (int k = 1; k <= r; ++k) {
            const __m512i t = PairTap(taps[r + k]);
            const __m512i a = _mm512_maskz_loadu_epi16(lanes, lines[r - k] + i);
            const __m512i b = _mm512_maskz_loadu_epi16(lanes, lines[r + k] + i);
            low = _mm512_dpwssd_epi32(low, _mm512_unpacklo_epi16(a, b), t);
            high = _mm512_dpwssd_epi32(high, _mm512_unpackhi_epi16(a, b), t);
        }
        mix.Into(low, high, lanes, src + i, dst + i);
    }
}

[[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni")]] void
BlurDownPairsAndMixAvx512(const std::uint16_t* const* pairs, const std::uint32_t* taps, int r, std::size_t n,
                          const std::uint8_t* src, std::uint8_t* dst, int amountPercent, int limit) {
    // The taps of each pair, the first in the low half.
    std::vector<std::uint32_t> pairTaps(std::size_t(r) + 1);
    for (int j = 0; j <= r; ++j) pairTaps[j] = taps[2 * j] | (j < r ? taps[2 * j + 1] << 16 : 0);
    const TMix mix(amountPercent, limit);
    for (std::size_t i = 0; i < n; i += 32) {
        __m512i low = mix.start, high = mix.start;
        for (int j = 0; j <= r; ++j) {
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
