#include "imaging/ResampleParts.h"

#include "imaging/VectorLoops.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pm {

namespace {

PM_LOOP_BODY void SplitLineChannelsLoop(const TColorTriple* line, int count, std::int16_t* red,
                                        std::int16_t* green, std::int16_t* blue) {
    for (int i = 0; i < count; ++i) {
        red[i] = line[i].r;
        green[i] = line[i].g;
        blue[i] = line[i].b;
    }
}

// The three channel sums of one target pixel over a padded window.
struct TSums {
    std::int32_t b, g, r;
};

#if defined(__SSE2__)
inline TSums WindowSums(const std::int16_t* w, const std::int16_t* blue, const std::int16_t* green,
                        const std::int16_t* red, int taps) {
    __m128i sb = _mm_setzero_si128(), sg = sb, sr = sb;
    for (int t = 0; t < taps; t += 8) {
        const __m128i wv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + t));
        sb = _mm_add_epi32(sb,
                           _mm_madd_epi16(wv, _mm_loadu_si128(reinterpret_cast<const __m128i*>(blue + t))));
        sg = _mm_add_epi32(sg,
                           _mm_madd_epi16(wv, _mm_loadu_si128(reinterpret_cast<const __m128i*>(green + t))));
        sr =
            _mm_add_epi32(sr, _mm_madd_epi16(wv, _mm_loadu_si128(reinterpret_cast<const __m128i*>(red + t))));
    }
    // Fold the four lanes of each sum: b g r 0 in one register.
    const __m128i zero = _mm_setzero_si128();
    const __m128i bg = _mm_add_epi32(_mm_unpacklo_epi32(sb, sg), _mm_unpackhi_epi32(sb, sg));
    const __m128i r0 = _mm_add_epi32(_mm_unpacklo_epi32(sr, zero), _mm_unpackhi_epi32(sr, zero));
    const __m128i s = _mm_add_epi32(_mm_unpacklo_epi64(bg, r0), _mm_unpackhi_epi64(bg, r0));
    alignas(16) std::int32_t out[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(out), s);
    return {out[0], out[1], out[2]};
}
#else
inline TSums WindowSums(const std::int16_t* w, const std::int16_t* blue, const std::int16_t* green,
                        const std::int16_t* red, int taps) {
    std::int32_t sb = 0, sg = 0, sr = 0;
    for (int t = 0; t < taps; ++t) {
        const std::int32_t wt = w[t];
        sb += wt * blue[t];
        sg += wt * green[t];
        sr += wt * red[t];
    }
    return {sb, sg, sr};
}
#endif

// Each target line is the weighted sum of whole source lines; the integer
// sums are the same as column by column, only cache-friendly.
PM_LOOP_BODY void WeightedLineSumLoop(const std::uint8_t* const* lines, const std::int32_t* weights,
                                      int count, std::int32_t total, std::int32_t* __restrict acc,
                                      std::size_t bytes, std::uint8_t* __restrict out) {
    if (count == 0) std::fill(acc, acc + bytes, 0);
    for (int k = 0; k < count; ++k) {
        const std::uint8_t* line = lines[k];
        const std::int32_t w = weights[k];
        if (k == 0)
            for (std::size_t x = 0; x < bytes; ++x) acc[x] = w * line[x];
        else
            for (std::size_t x = 0; x < bytes; ++x) acc[x] += w * line[x];
    }
    const TWeightDivider divide(total);
    for (std::size_t x = 0; x < bytes; ++x) out[x] = divide(acc[x]);
}

}  // namespace

void SplitLineChannels(const TColorTriple* line, int count, std::int16_t* red, std::int16_t* green,
                       std::int16_t* blue) {
    TLoopVersions<SplitLineChannelsLoop>::Run(line, count, red, green, blue);
}

// The pixels written never overlap the windows or the dividers; saying so
// (__restrict) spares a reload of them after every stored byte.
void DenseWindowLine(const TWindows& win, const TWeightDivider* divide, const std::int16_t* red,
                     const std::int16_t* green, const std::int16_t* blue, TColorTriple* __restrict out,
                     int count) {
    const std::int16_t* w = win.Weight.data();
    const std::int32_t* first = win.First.data();
    const int taps = win.Taps;
    for (int i = 0; i < count; ++i, w += taps) {
        const std::size_t c = static_cast<std::size_t>(i);
        const TSums s = WindowSums(w, blue + first[c], green + first[c], red + first[c], taps);
        const TWeightDivider& d = divide[c];
        out[i] = {d(s.b), d(s.g), d(s.r)};
    }
}

void WeightedLineSum(const std::uint8_t* const* lines, const std::int32_t* weights, int count,
                     std::int32_t total, std::int32_t* acc, std::size_t bytes, std::uint8_t* out) {
    TLoopVersions<WeightedLineSumLoop>::Run(lines, weights, count, total, acc, bytes, out);
}

}  // namespace pm
