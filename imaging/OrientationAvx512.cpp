#include "imaging/OrientationAvx512.h"

#if PM_AVX2_LOOPS
// GCC 12 takes the undefined vectors inside its AVX-512 intrinsics for
// uninitialised variables.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <array>

namespace pm {

namespace {

#define PM_AVX512 [[gnu::target("avx512f,avx512bw,avx512vbmi"), gnu::always_inline]] inline

constexpr __mmask64 kSixteenPixels = (__mmask64(1) << 48) - 1;

// Byte picks that put pixel k of 48 bytes in 32-bit lane k, ascending or
// (from the last pixel back) descending; and the picks that pack sixteen
// lanes back into 48 bytes.
constexpr std::array<std::uint8_t, 64> Spread(bool descending) {
    std::array<std::uint8_t, 64> picks{};
    for (int k = 0; k < 16; ++k)
        for (int b = 0; b < 4; ++b)
            picks[std::size_t(4 * k + b)] = std::uint8_t(3 * (descending ? 15 - k : k) + (b < 3 ? b : 2));
    return picks;
}
constexpr std::array<std::uint8_t, 64> Pack() {
    std::array<std::uint8_t, 64> picks{};
    for (int j = 0; j < 48; ++j) picks[std::size_t(j)] = std::uint8_t(4 * (j / 3) + j % 3);
    return picks;
}
constexpr std::array<std::uint8_t, 64> kAscending = Spread(false), kDescending = Spread(true), kPack = Pack();

// Rows to columns of sixteen 32-bit lanes each.
PM_AVX512 void Transpose(__m512i* r) {
    __m512i t[16];
#pragma GCC unroll 8
    for (int i = 0; i < 16; i += 2) {
        t[i] = _mm512_unpacklo_epi32(r[i], r[i + 1]);
        t[i + 1] = _mm512_unpackhi_epi32(r[i], r[i + 1]);
    }
#pragma GCC unroll 4
    for (int i = 0; i < 16; i += 4) {
        r[i] = _mm512_unpacklo_epi64(t[i], t[i + 2]);
        r[i + 1] = _mm512_unpackhi_epi64(t[i], t[i + 2]);
        r[i + 2] = _mm512_unpacklo_epi64(t[i + 1], t[i + 3]);
        r[i + 3] = _mm512_unpackhi_epi64(t[i + 1], t[i + 3]);
    }
#pragma GCC unroll 2
    for (int i = 0; i < 16; i += 8)
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            t[i + k] = _mm512_shuffle_i32x4(r[i + k], r[i + k + 4], 0x88);
            t[i + k + 4] = _mm512_shuffle_i32x4(r[i + k], r[i + k + 4], 0xDD);
        }
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) {
        r[k] = _mm512_shuffle_i32x4(t[k], t[k + 8], 0x88);
        r[k + 8] = _mm512_shuffle_i32x4(t[k], t[k + 8], 0xDD);
    }
}

}  // namespace

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] void TurnSixteen(const std::uint8_t* at, std::ptrdiff_t step,
                                                                int columnStep, std::uint8_t* const* dst) {
    const bool descending = columnStep < 0;
    const __m512i spread = _mm512_loadu_si512((descending ? kDescending : kAscending).data());
    const std::uint8_t* first = descending ? at - 45 : at;  // the lowest of a row's sixteen pixels
    __m512i r[16];
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j)
        r[j] = _mm512_permutexvar_epi8(spread, _mm512_maskz_loadu_epi8(kSixteenPixels, first + j * step));
    Transpose(r);
    const __m512i pack = _mm512_loadu_si512(kPack.data());
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k)
        _mm512_mask_storeu_epi8(dst[k], kSixteenPixels, _mm512_permutexvar_epi8(pack, r[k]));
}

#undef PM_AVX512

}  // namespace pm
#endif
