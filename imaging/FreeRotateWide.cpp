#include "imaging/FreeRotateWide.h"

#if PM_AVX2_LOOPS
#include <immintrin.h>

// GCC 12 takes the undefined vectors inside its AVX-512 shift intrinsics for
// uninitialised variables.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace pm {

namespace {

#define PM_AVX512 [[gnu::target("avx512f,avx512bw,avx512dq,avx512vbmi"), gnu::always_inline]] inline

PM_AVX512 __m512i Weigh(__m512i a, __m512i b, __m512i weight) {
    return _mm512_add_epi32(_mm512_slli_epi32(a, 8), _mm512_mullo_epi32(weight, _mm512_sub_epi32(b, a)));
}

// Byte picks from the 8-byte words of pixels 0-7 (bytes 0-63) and 8-15
// (64-127): for each pixel a 32-bit lane with one channel of the pixel in
// its first 16 bits and the same channel of its right neighbour in the next,
// the pixel lying at byte `at` of its word. Rows 0-2 are the channels of
// the upper line's words (at 2), rows 3-5 those of the lower line's (at 0);
// row 6 packs sixteen 32-bit lanes into three-byte pixels.
struct TPicks {
    alignas(64) std::uint8_t bytes[7][64] = {};
    constexpr TPicks() {
        for (int row = 0; row < 6; ++row)
            for (int i = 0; i < 16; ++i) {
                const int at = 8 * i + (row < 3 ? 2 : 0) + row % 3;
                bytes[row][4 * i] = std::uint8_t(at);
                bytes[row][4 * i + 2] = std::uint8_t(at + 3);
            }
        for (int j = 0; j < 48; ++j) bytes[6][j] = std::uint8_t(4 * (j / 3) + j % 3);
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

// Channel `c` of the mix, in its byte of the lane: the four neighbours from
// the upper words (u0 for pixels 0-7, u1 for 8-15) and lower ones.
template <int c>
PM_AVX512 __m512i MixChannel(__m512i u0, __m512i u1, __m512i l0, __m512i l1, __m512i wxPairs, __m512i wy) {
    constexpr __mmask64 kPairBytes = 0x5555555555555555ULL;
    const __m512i upper = WeighPair(_mm512_maskz_permutex2var_epi8(kPairBytes, u0, Picks(c), u1), wxPairs);
    const __m512i lower =
        WeighPair(_mm512_maskz_permutex2var_epi8(kPairBytes, l0, Picks(3 + c), l1), wxPairs);
    const __m512i value =
        _mm512_srli_epi32(_mm512_add_epi32(Weigh(upper, lower, wy), _mm512_set1_epi32(32768)), 16);
    return _mm512_slli_epi32(value, 8 * c);
}

// (fraction + 2^23) >> 24 without overflowing 32 bits.
PM_AVX512 __m512i Weight(__m512i fraction) {
    return _mm512_srli_epi32(_mm512_add_epi32(_mm512_srli_epi32(fraction, 23), _mm512_set1_epi32(1)), 1);
}

// One step of sixteen lanes: a fraction that wraps carries into the whole part.
PM_AVX512 void Advance(__m512i& whole, __m512i& fraction, __m512i stepWhole, __m512i stepFraction) {
    const __m512i next = _mm512_add_epi32(fraction, stepFraction);
    const __mmask16 carry = _mm512_cmplt_epu32_mask(next, fraction);
    whole = _mm512_add_epi32(whole, stepWhole);
    whole = _mm512_mask_add_epi32(whole, carry, whole, _mm512_set1_epi32(1));
    fraction = next;
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

#undef PM_AVX512

}  // namespace

bool Avx512TurnUsable() {
    static const bool has = __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vbmi");
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
    const __m512i pack = Picks(6);
    constexpr __mmask64 kPixelBytes = (__mmask64(1) << 48) - 1;
    // The upper line's words start two bytes before the pixel, the lower
    // line's at it: a line inside the span has a stored row on the side each
    // word reaches past its two pixels.
    const std::uint8_t* upper = top - 2;
    const std::uint8_t* lower = top - stride;
    int done = 0;
    for (; done + 16 <= count; done += 16, d += 48) {
        const __m512i offset = _mm512_sub_epi32(_mm512_add_epi32(hx, _mm512_add_epi32(hx, hx)),
                                                _mm512_mullo_epi32(hy, lineStep));
        const __m256i first = _mm512_castsi512_si256(offset), second = _mm512_extracti64x4_epi64(offset, 1);
        const __m512i u0 = _mm512_i32gather_epi64(first, upper, 1),
                      u1 = _mm512_i32gather_epi64(second, upper, 1);
        const __m512i l0 = _mm512_i32gather_epi64(first, lower, 1),
                      l1 = _mm512_i32gather_epi64(second, lower, 1);
        const __m512i wx = Weight(lx), wy = Weight(ly);
        const __m512i wxPairs =
            _mm512_or_si512(_mm512_sub_epi32(_mm512_set1_epi32(256), wx), _mm512_slli_epi32(wx, 16));
        const __m512i result = _mm512_or_si512(_mm512_or_si512(MixChannel<0>(u0, u1, l0, l1, wxPairs, wy),
                                                               MixChannel<1>(u0, u1, l0, l1, wxPairs, wy)),
                                               MixChannel<2>(u0, u1, l0, l1, wxPairs, wy));
        _mm512_mask_storeu_epi8(d, kPixelBytes, _mm512_permutexvar_epi8(pack, result));
        Advance(hx, lx, stepHx, stepLx);
        Advance(hy, ly, stepHy, stepLy);
    }
    return done;
}

}  // namespace pm
#endif
