#include "imaging/FreeRotateWide.h"

#if PM_AVX2_LOOPS
#include <immintrin.h>

#include <algorithm>

// GCC 12 takes the undefined vectors inside its AVX-512 shift intrinsics for
// uninitialised variables.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace pm {

namespace {

#define PM_AVX512 [[gnu::target("avx512f,avx512bw,avx512dq,avx512vbmi"), gnu::always_inline]] inline

// Byte picks from the 8-byte words of pixels 0-7 (bytes 0-63) and 8-15
// (64-127): for each pixel a 32-bit lane with one channel of the pixel in
// its first 16 bits and the same channel of its right neighbour in the next,
// the pixel lying at byte `at` of its word. Rows 0-2 are the channels of
// the upper line's words (at 2), rows 3-5 those of the lower line's (at 0).
struct TPicks {
    alignas(64) std::uint8_t bytes[6][64] = {};
    constexpr TPicks() {
        for (int row = 0; row < 6; ++row)
            for (int i = 0; i < 16; ++i) {
                const int at = 8 * i + (row < 3 ? 2 : 0) + row % 3;
                bytes[row][4 * i] = std::uint8_t(at);
                bytes[row][4 * i + 2] = std::uint8_t(at + 3);
            }
    }
};
constexpr TPicks kPicks;

PM_AVX512 __m512i Picks(int row) {
    return _mm512_load_si512(kPicks.bytes[row]);
}

// 256 * a + weight * (b - a) of a channel in both halves of each lane of
// `pairs` (a low, b high) with `weights` holding 256 - weight and weight the
// same way: one multiply-add of 16-bit pairs, exact for bytes.
PM_AVX512 __m512i WeighPair(__m512i pairs, __m512i weights) {
    return _mm512_madd_epi16(pairs, weights);
}

constexpr __mmask64 kPairBytes = 0x5555555555555555ULL;

// (fraction + 2^23) >> 24 without overflowing 32 bits.
PM_AVX512 __m512i Weight(__m512i fraction) {
    return _mm512_srli_epi32(_mm512_add_epi32(_mm512_srli_epi32(fraction, 23), _mm512_set1_epi32(1)), 1);
}

// Lanes p + i * step, i = 0 .. 15, as whole parts and fractions, and the
// step of sixteen lanes the same way.
PM_AVX512 void Lanes(long long p, long long step, __m512i& whole, __m512i& fraction, __m512i& stepWhole,
                     __m512i& stepFraction) {
    const __m512i first = _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0);
    const __m512i low =
        _mm512_add_epi64(_mm512_set1_epi64(p), _mm512_mullo_epi64(first, _mm512_set1_epi64(step)));
    const __m512i high = _mm512_add_epi64(low, _mm512_set1_epi64(8 * step));
    // The odd 32-bit halves of the sixteen positions are the whole parts,
    // the even ones the fractions.
    const __m512i odd = _mm512_set_epi32(31, 29, 27, 25, 23, 21, 19, 17, 15, 13, 11, 9, 7, 5, 3, 1);
    whole = _mm512_permutex2var_epi32(low, odd, high);
    fraction = _mm512_permutex2var_epi32(low, _mm512_sub_epi32(odd, _mm512_set1_epi32(1)), high);
    stepWhole = _mm512_set1_epi32(std::int32_t((16 * step) >> 32));
    stepFraction = _mm512_set1_epi32(std::int32_t(std::uint32_t(16 * step)));
}

// A channel of sixteen pixels from the pairs of neighbours of its upper
// and lower line, the value in byte 2 of each lane: both lines weighed
// across, then the two results down in one multiply-add of their values
// less 32768 (which fit 16 signed bits), the 32768s coming back as 2^23.
// The same number as the plain loop's mix.
PM_AVX512 __m512i MixDown(__m512i upperPairs, __m512i lowerPairs, __m512i wxPairs, __m512i wyPairs) {
    const __m512i upper = WeighPair(upperPairs, wxPairs), lower = WeighPair(lowerPairs, wxPairs);
    const __m512i both =
        _mm512_xor_si512(_mm512_mask_blend_epi16(0xAAAAAAAAu, upper, _mm512_slli_epi32(lower, 16)),
                         _mm512_set1_epi32(std::int32_t(0x80008000u)));
    return _mm512_add_epi32(_mm512_madd_epi16(both, wyPairs), _mm512_set1_epi32((1 << 23) + 32768));
}

// Byte picks that make sixteen three-byte pixels from the lanes of the
// three channels (each value in byte 2): the first two channels together,
// then the third into its bytes.
struct TPackPicks {
    alignas(64) std::uint8_t firstTwo[64] = {};
    alignas(64) std::uint8_t third[64] = {};
    constexpr TPackPicks() {
        for (int i = 0; i < 16; ++i) {
            firstTwo[3 * i] = std::uint8_t(4 * i + 2);
            firstTwo[3 * i + 1] = std::uint8_t(64 + 4 * i + 2);
            third[3 * i + 2] = std::uint8_t(4 * i + 2);
        }
    }
};
constexpr TPackPicks kPackPicks;
constexpr __mmask64 kThirdBytes = 0x4924924924924924ULL & ((__mmask64(1) << 48) - 1);

PM_AVX512 __m512i PackPixels(__m512i c0, __m512i c1, __m512i c2) {
    const __m512i two = _mm512_permutex2var_epi8(c0, _mm512_load_si512(kPackPicks.firstTwo), c1);
    return _mm512_mask_permutexvar_epi8(two, kThirdBytes, _mm512_load_si512(kPackPicks.third), c2);
}

// The weights of both neighbours, 256 - weight low and weight high, from
// the fractions.
PM_AVX512 __m512i WeightPairs(__m512i fraction) {
    const __m512i weight = Weight(fraction);
    return _mm512_or_si512(_mm512_sub_epi32(_mm512_set1_epi32(256), weight), _mm512_slli_epi32(weight, 16));
}

#undef PM_AVX512

}  // namespace

bool Avx512TurnUsable() {
    static const bool has = Avx512PermutesAvailable() && __builtin_cpu_supports("avx512dq");
    return has;
}

[[gnu::target("avx512f,avx512bw,avx512dq,avx512vbmi")]] int
InsideAvx512(const std::uint8_t* top, long long stride, long long px, long long py, long long stepX,
             long long stepY, int count, std::uint8_t* d) {
    if (count < 16) return 0;
    __m512i hx, lx, stepHx, stepLx, hy, ly, stepHy, stepLy;
    Lanes(px, stepX, hx, lx, stepHx, stepLx);
    Lanes(py, stepY, hy, ly, stepHy, stepLy);
    const __m512i lineStep = _mm512_set1_epi32(std::int32_t(stride));
    constexpr __mmask64 kPixelBytes = (__mmask64(1) << 48) - 1;
    // The upper line's words start two bytes before the pixel, the lower
    // line's at it: a line inside the span has a stored row on the side each
    // word reaches past its two pixels.
    const std::uint8_t* upper = top - 2;
    const std::uint8_t* lower = top - stride;
    int done = 0;
    // The gathers' offsets from the two lines' words go forward by whole
    // steps, plus a pixel or a line where a fraction wraps.
    __m512i offset =
        _mm512_sub_epi32(_mm512_add_epi32(hx, _mm512_add_epi32(hx, hx)), _mm512_mullo_epi32(hy, lineStep));
    const __m512i offsetStep = _mm512_sub_epi32(_mm512_add_epi32(stepHx, _mm512_add_epi32(stepHx, stepHx)),
                                                _mm512_mullo_epi32(stepHy, lineStep));
    const __m512i three = _mm512_set1_epi32(3);
    for (; done + 16 <= count; done += 16, d += 48) {
        const __m512i wxPairs = WeightPairs(lx), wyPairs = WeightPairs(ly);
        const __m256i first = _mm512_castsi512_si256(offset), second = _mm512_extracti64x4_epi64(offset, 1);
        const __m512i u0 = _mm512_i32gather_epi64(first, upper, 1),
                      u1 = _mm512_i32gather_epi64(second, upper, 1);
        const __m512i l0 = _mm512_i32gather_epi64(first, lower, 1),
                      l1 = _mm512_i32gather_epi64(second, lower, 1);
        const __m512i c0 =
            MixDown(_mm512_maskz_permutex2var_epi8(kPairBytes, u0, Picks(0), u1),
                    _mm512_maskz_permutex2var_epi8(kPairBytes, l0, Picks(3), l1), wxPairs, wyPairs);
        const __m512i c1 =
            MixDown(_mm512_maskz_permutex2var_epi8(kPairBytes, u0, Picks(1), u1),
                    _mm512_maskz_permutex2var_epi8(kPairBytes, l0, Picks(4), l1), wxPairs, wyPairs);
        const __m512i c2 =
            MixDown(_mm512_maskz_permutex2var_epi8(kPairBytes, u0, Picks(2), u1),
                    _mm512_maskz_permutex2var_epi8(kPairBytes, l0, Picks(5), l1), wxPairs, wyPairs);
        _mm512_mask_storeu_epi8(d, kPixelBytes, PackPixels(c0, c1, c2));
        const __m512i nextX = _mm512_add_epi32(lx, stepLx), nextY = _mm512_add_epi32(ly, stepLy);
        const __mmask16 carryX = _mm512_cmplt_epu32_mask(nextX, lx),
                        carryY = _mm512_cmplt_epu32_mask(nextY, ly);
        lx = nextX;
        ly = nextY;
        offset = _mm512_add_epi32(offset, offsetStep);
        offset = _mm512_mask_add_epi32(offset, carryX, offset, three);
        offset = _mm512_mask_sub_epi32(offset, carryY, offset, lineStep);
    }
    return done;
}

}  // namespace pm
#endif
