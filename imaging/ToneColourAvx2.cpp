#include "imaging/ToneColourAvx2.h"

#if PM_AVX2_LOOPS
#include <immintrin.h>

#include <array>

namespace pm {

namespace {

using TMask = std::array<std::uint8_t, 16>;

// Byte shuffles between 16 packed three-byte pixels (three 16-byte blocks)
// and one channel's 16 bytes; 0x80 selects nothing.
constexpr std::array<std::array<TMask, 3>, 3> GatherMasks() {
    std::array<std::array<TMask, 3>, 3> m{};
    for (int channel = 0; channel < 3; ++channel)
        for (int block = 0; block < 3; ++block)
            for (int i = 0; i < 16; ++i) {
                const int at = 3 * i + channel - 16 * block;
                m[channel][block][i] = at >= 0 && at < 16 ? std::uint8_t(at) : 0x80;
            }
    return m;
}

constexpr std::array<std::array<TMask, 3>, 3> ScatterMasks() {
    std::array<std::array<TMask, 3>, 3> m{};
    for (int channel = 0; channel < 3; ++channel)
        for (int block = 0; block < 3; ++block)
            for (int i = 0; i < 16; ++i) {
                const int at = 16 * block + i;
                m[channel][block][i] = at % 3 == channel ? std::uint8_t(at / 3) : 0x80;
            }
    return m;
}

constexpr auto kGather = GatherMasks();
constexpr auto kScatter = ScatterMasks();

[[gnu::target("avx2")]] inline __m128i Mask(const TMask& m) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()));
}

// Channel `c` (0 blue, 1 green, 2 red) of 16 pixels widened to 16 bits.
[[gnu::target("avx2")]] inline __m256i Gather(const __m128i (&in)[3], int c) {
    const __m128i bytes = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(in[0], Mask(kGather[c][0])),
                                                    _mm_shuffle_epi8(in[1], Mask(kGather[c][1]))),
                                       _mm_shuffle_epi8(in[2], Mask(kGather[c][2])));
    return _mm256_cvtepu8_epi16(bytes);
}

// 16-bit lanes back to bytes, below 0 and above 255 clamped.
[[gnu::target("avx2")]] inline __m128i Narrow(__m256i v) {
    return _mm_packus_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

[[gnu::target("avx2")]] inline void Scatter(std::uint8_t* p, __m128i b, __m128i g, __m128i r) {
    for (int block = 0; block < 3; ++block) {
        const __m128i out = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, Mask(kScatter[0][block])),
                                                      _mm_shuffle_epi8(g, Mask(kScatter[1][block]))),
                                         _mm_shuffle_epi8(r, Mask(kScatter[2][block])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * block), out);
    }
}

// y + (((c - y) * sat + 512) >> 10): with (c - y) * 32 and sat both in 16
// bits, the rounding high multiply gives (x * sat * 32 + 2^14) >> 15, the
// same value.
[[gnu::target("avx2")]] inline __m256i Saturate(__m256i c, __m256i y, __m256i sat) {
    return _mm256_add_epi16(y, _mm256_mulhrs_epi16(_mm256_slli_epi16(_mm256_sub_epi16(c, y), 5), sat));
}

// (wr * r + wg * g + wb * b + 512) >> 10 in 32 bits: the sums exceed 16.
[[gnu::target("avx2")]] inline __m256i Sepia(__m256i rgLow, __m256i rgHigh, __m256i b1Low, __m256i b1High,
                                             const int (&w)[3]) {
    const __m256i rg = _mm256_set1_epi32(w[0] | (w[1] << 16)), b1 = _mm256_set1_epi32(w[2] | (512 << 16));
    const __m256i low =
        _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(rgLow, rg), _mm256_madd_epi16(b1Low, b1)), 10);
    const __m256i high =
        _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(rgHigh, rg), _mm256_madd_epi16(b1High, b1)), 10);
    return _mm256_packs_epi32(low, high);
}

}  // namespace

[[gnu::target("avx2")]] int ColourPixelsAvx2(std::uint8_t* p, int w, int sat, TColorMode mode) {
    const __m256i satv = _mm256_set1_epi16(short(sat));
    const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi16(255), one = _mm256_set1_epi16(1);
    int x = 0;
    for (; x + 16 <= w; x += 16, p += 48) {
        const __m128i in[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))};
        __m256i b = Gather(in, 0), g = Gather(in, 1), r = Gather(in, 2);
        // The luma's sum stays below 2^16: unsigned 16-bit lanes hold it.
        const __m256i sum = _mm256_add_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(r, _mm256_set1_epi16(77)),
                             _mm256_mullo_epi16(g, _mm256_set1_epi16(150))),
            _mm256_add_epi16(_mm256_mullo_epi16(b, _mm256_set1_epi16(29)), _mm256_set1_epi16(128)));
        const __m256i y = _mm256_srli_epi16(sum, 8);
        if (mode == TColorMode::Greyscale) {
            const __m128i grey = Narrow(y);
            Scatter(p, grey, grey, grey);
            continue;
        }
        r = Saturate(r, y, satv), g = Saturate(g, y, satv), b = Saturate(b, y, satv);
        if (mode == TColorMode::Sepia) {
            r = _mm256_min_epi16(_mm256_max_epi16(r, zero), top);
            g = _mm256_min_epi16(_mm256_max_epi16(g, zero), top);
            b = _mm256_min_epi16(_mm256_max_epi16(b, zero), top);
            const __m256i rgLow = _mm256_unpacklo_epi16(r, g), rgHigh = _mm256_unpackhi_epi16(r, g);
            const __m256i b1Low = _mm256_unpacklo_epi16(b, one), b1High = _mm256_unpackhi_epi16(b, one);
            r = Sepia(rgLow, rgHigh, b1Low, b1High, kSepia[0]);
            g = Sepia(rgLow, rgHigh, b1Low, b1High, kSepia[1]);
            b = Sepia(rgLow, rgHigh, b1Low, b1High, kSepia[2]);
        }
        Scatter(p, Narrow(b), Narrow(g), Narrow(r));
    }
    return x;
}

}  // namespace pm

#endif
