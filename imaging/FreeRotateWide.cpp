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

// Channel `c` of the mix, in its byte of the lane, from the channel's pairs
// of neighbours on the upper and the lower line.
template <int c>
PM_AVX512 __m512i MixPairs(__m512i upperPairs, __m512i lowerPairs, __m512i wxPairs, __m512i wy) {
    const __m512i upper = WeighPair(upperPairs, wxPairs), lower = WeighPair(lowerPairs, wxPairs);
    const __m512i value =
        _mm512_srli_epi32(_mm512_add_epi32(Weigh(upper, lower, wy), _mm512_set1_epi32(32768)), 16);
    return _mm512_slli_epi32(value, 8 * c);
}

constexpr __mmask64 kPairBytes = 0x5555555555555555ULL;

// Channel `c` from the gathered words: upper ones (u0 for pixels 0-7, u1
// for 8-15) and lower ones.
template <int c>
PM_AVX512 __m512i MixChannel(__m512i u0, __m512i u1, __m512i l0, __m512i l1, __m512i wxPairs, __m512i wy) {
    return MixPairs<c>(_mm512_maskz_permutex2var_epi8(kPairBytes, u0, Picks(c), u1),
                       _mm512_maskz_permutex2var_epi8(kPairBytes, l0, Picks(3 + c), l1), wxPairs, wy);
}

// Channel `c` from 64-byte windows of two lines each: `at` holds for each
// pixel the byte of its left neighbour in the window of the upper line,
// plus 64 when the pixel lies on the second of the two.
template <int c>
PM_AVX512 __m512i MixWindows(__m512i up0, __m512i up1, __m512i low0, __m512i low1, __m512i at,
                             __m512i wxPairs, __m512i wy) {
    const __m512i upper = _mm512_add_epi32(at, _mm512_set1_epi32((2 + c) | (5 + c) << 16));
    const __m512i lower = _mm512_add_epi32(at, _mm512_set1_epi32(c | (3 + c) << 16));
    return MixPairs<c>(_mm512_maskz_permutex2var_epi8(kPairBytes, up0, upper, up1),
                       _mm512_maskz_permutex2var_epi8(kPairBytes, low0, lower, low1), wxPairs, wy);
}

// The 64 bytes from `p`, those outside [begin, end) read as zero and not
// touched.
PM_AVX512 __m512i Window(const std::uint8_t* p, std::uintptr_t begin, std::uintptr_t end) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
    __mmask64 keep = ~__mmask64(0);
    if (at < begin) keep = begin - at >= 64 ? 0 : keep << (begin - at);
    if (at + 64 > end) keep &= end <= at ? 0 : (__mmask64(1) << (end - at)) - 1;
    return _mm512_maskz_loadu_epi8(keep, p);
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
InsideAvx512(const std::uint8_t* top, long long stride, int lines, long long px, long long py,
             long long stepX, long long stepY, int count, std::uint8_t* d) {
    if (count < 16) return 0;
    // Near a level turn sixteen pixels lie on at most two neighbouring lines
    // and within sixteen columns: their neighbours then come from 64-byte
    // windows of three lines instead of gathers, whose loads of the same
    // cache lines over and over cost more.
    const bool level = (stepY < 0 ? -stepY : stepY) < (1LL << 28);
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(top - (lines - 1) * stride),
                         end = reinterpret_cast<std::uintptr_t>(top + stride);
    const auto line = [&](int y) { return top - std::clamp(y, 0, lines - 1) * stride; };
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
        const __m512i wx = Weight(lx), wy = Weight(ly);
        const __m512i wxPairs =
            _mm512_or_si512(_mm512_sub_epi32(_mm512_set1_epi32(256), wx), _mm512_slli_epi32(wx, 16));
        if (level) {
            const int x0 = _mm_cvtsi128_si32(_mm512_castsi512_si128(hx)) - (stepX < 0 ? 16 : 0);
            const int y0 = _mm_cvtsi128_si32(_mm512_castsi512_si128(hy)) - (stepY < 0 ? 1 : 0);
            const __m512i dx = _mm512_sub_epi32(hx, _mm512_set1_epi32(x0));
            const __m512i dy = _mm512_sub_epi32(hy, _mm512_set1_epi32(y0));
            const __m512i base =
                _mm512_add_epi32(_mm512_add_epi32(dx, _mm512_add_epi32(dx, dx)), _mm512_slli_epi32(dy, 6));
            const __m512i at = _mm512_or_si512(base, _mm512_slli_epi32(base, 16));
            const std::uint8_t *l0 = line(y0), *l1 = line(y0 + 1), *l2 = line(y0 + 2);
            const __m512i up0 = Window(l0 + 3 * x0 - 2, begin, end),
                          up1 = Window(l1 + 3 * x0 - 2, begin, end);
            const __m512i low0 = Window(l1 + 3 * x0, begin, end), low1 = Window(l2 + 3 * x0, begin, end);
            const __m512i result =
                _mm512_or_si512(_mm512_or_si512(MixWindows<0>(up0, up1, low0, low1, at, wxPairs, wy),
                                                MixWindows<1>(up0, up1, low0, low1, at, wxPairs, wy)),
                                MixWindows<2>(up0, up1, low0, low1, at, wxPairs, wy));
            _mm512_mask_storeu_epi8(d, kPixelBytes, _mm512_permutexvar_epi8(pack, result));
            Advance(hx, lx, stepHx, stepLx);
            Advance(hy, ly, stepHy, stepLy);
            continue;
        }
        const __m512i offset = _mm512_sub_epi32(_mm512_add_epi32(hx, _mm512_add_epi32(hx, hx)),
                                                _mm512_mullo_epi32(hy, lineStep));
        const __m256i first = _mm512_castsi512_si256(offset), second = _mm512_extracti64x4_epi64(offset, 1);
        const __m512i u0 = _mm512_i32gather_epi64(first, upper, 1),
                      u1 = _mm512_i32gather_epi64(second, upper, 1);
        const __m512i l0 = _mm512_i32gather_epi64(first, lower, 1),
                      l1 = _mm512_i32gather_epi64(second, lower, 1);
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
