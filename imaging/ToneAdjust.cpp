#include "imaging/ToneAdjust.h"

#include "imaging/ToneColourAvx2.h"
#include "imaging/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if PM_AVX2_LOOPS
#include <immintrin.h>
#endif

namespace pm {

TToneCurve MakeToneCurve(const TToneSettings& s) {
    TToneCurve curve{};
    const double spread = s.High > s.Low ? s.High - s.Low : 255.0;
    const double low = s.High > s.Low ? s.Low : 0.0;
    const double slope = 1.0 + s.Contrast / 100.0;
    const double power = 100.0 / std::max(1, s.GammaHundredths);
    for (int v = 0; v < 256; ++v) {
        double x = std::clamp((v - low) * 255.0 / spread, 0.0, 255.0);
        x = std::clamp(x + 255.0 * s.Brightness / 100.0, 0.0, 255.0);
        x = std::clamp((x - 127.5) * slope + 127.5, 0.0, 255.0);
        x = 255.0 * std::pow(x / 255.0, power);
        curve[std::size_t(v)] = std::uint8_t(std::clamp(std::nearbyint(x), 0.0, 255.0));
    }
    return curve;
}

void AutoLevels(const TFastDIB& image, int clipTenthsPercent, int& low, int& high) {
    // Counted two bytes at a time, in a table of all byte pairs: half the
    // counter updates, which bound the speed. 32-bit counts are folded into
    // the total before they could overflow.
    std::array<std::uint64_t, 256> histogram{};
    std::vector<std::uint32_t> pairs(65536);
    const std::size_t n = std::size_t(image.Width()) * 3;
    std::uint64_t pending = 0;
    const auto flush = [&] {
        for (std::size_t v = 0; v < pairs.size(); ++v) {
            histogram[v & 255] += pairs[v];
            histogram[v >> 8] += pairs[v];
            pairs[v] = 0;
        }
        pending = 0;
    };
    for (int row = 0; row < image.Height(); ++row) {
        if (pending + n > 0xFFFFFFFFu) flush();
        pending += n;
        const std::uint8_t* p = image.Row(row);
        std::size_t i = 0;
        for (; i + 2 <= n; i += 2) ++pairs[p[i] | std::size_t(p[i + 1]) << 8];
        if (i < n) ++histogram[p[i]];
    }
    flush();
    const std::uint64_t clip = n * std::uint64_t(image.Height()) * std::uint64_t(clipTenthsPercent) / 1000;
    // The first value, from each end, past which more than `clip` lie.
    std::uint64_t sum = 0;
    low = 0;
    while (low < 255 && (sum += histogram[std::size_t(low)]) <= clip) ++low;
    sum = 0;
    high = 255;
    while (high > 0 && (sum += histogram[std::size_t(high)]) <= clip) --high;
}

namespace {

PM_LOOP_BODY int Byte(int v) {
    return std::min(std::max(v, 0), 255);
}

PM_LOOP_BODY int Saturated(int c, int y, int sat) {
    return y + (((c - y) * sat + 512) >> 10);
}

// The colour step on a row of `w` pixels whose curve is applied already.
// Branch-free integer arithmetic on each pixel alone, so the compiler
// vectorises it (the luma never exceeds 255: its weights add up to 256).
PM_LOOP_BODY void GreyRowLoop(std::uint8_t* p, int w, int) {
    for (int x = 0; x < w; ++x, p += 3) {
        const int y = (77 * p[2] + 150 * p[1] + 29 * p[0] + 128) >> 8;
        p[0] = p[1] = p[2] = std::uint8_t(y);
    }
}

PM_LOOP_BODY void SaturateRowLoop(std::uint8_t* p, int w, int sat) {
    for (int x = 0; x < w; ++x, p += 3) {
        const int r = p[2], g = p[1], b = p[0];
        const int y = (77 * r + 150 * g + 29 * b + 128) >> 8;
        p[0] = std::uint8_t(Byte(Saturated(b, y, sat)));
        p[1] = std::uint8_t(Byte(Saturated(g, y, sat)));
        p[2] = std::uint8_t(Byte(Saturated(r, y, sat)));
    }
}

PM_LOOP_BODY void SepiaRowLoop(std::uint8_t* p, int w, int sat) {
    for (int x = 0; x < w; ++x, p += 3) {
        int r = p[2], g = p[1], b = p[0];
        const int y = (77 * r + 150 * g + 29 * b + 128) >> 8;
        r = Byte(Saturated(r, y, sat)), g = Byte(Saturated(g, y, sat)), b = Byte(Saturated(b, y, sat));
        const int sr = (kSepia[0][0] * r + kSepia[0][1] * g + kSepia[0][2] * b + 512) >> 10;
        const int sg = (kSepia[1][0] * r + kSepia[1][1] * g + kSepia[1][2] * b + 512) >> 10;
        const int sb = (kSepia[2][0] * r + kSepia[2][1] * g + kSepia[2][2] * b + 512) >> 10;
        p[0] = std::uint8_t(std::min(sb, 255));
        p[1] = std::uint8_t(std::min(sg, 255));
        p[2] = std::uint8_t(std::min(sr, 255));
    }
}

// The curve on `n` bytes in place. One table look-up a byte, except where
// the AVX2 loops run on a processor with the byte permutes of AVX-512 VBMI:
// two of those look 64 bytes up in the 256-byte table at once.
#if PM_AVX2_LOOPS
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] std::size_t CurveBytesVbmi(std::uint8_t* p, std::size_t n,
                                                                          const TToneCurve& curve) {
    const __m512i t0 = _mm512_loadu_si512(curve.data()), t1 = _mm512_loadu_si512(curve.data() + 64);
    const __m512i t2 = _mm512_loadu_si512(curve.data() + 128), t3 = _mm512_loadu_si512(curve.data() + 192);
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i v = _mm512_loadu_si512(p + i);
        // Bits 0-6 pick from the two 128-byte halves, bit 7 picks the half.
        const __m512i low = _mm512_permutex2var_epi8(t0, v, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, v, t3);
        _mm512_storeu_si512(p + i, _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high));
    }
    return i;
}

bool VbmiInProcessor() {
    static const bool has = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
    return has;
}
#endif

void CurveBytes(std::uint8_t* __restrict p, std::size_t n, const TToneCurve& curve) {
    std::size_t i = 0;
#if PM_AVX2_LOOPS
    if (ActiveLoopPath() == TLoopPath::Avx2 && VbmiInProcessor()) i = CurveBytesVbmi(p, n, curve);
#endif
    // A copy of the table the stores cannot touch, so the look-ups need not
    // wait for them.
    const TToneCurve table = curve;
    for (; i < n; ++i) p[i] = table[p[i]];
}

bool IsIdentity(const TToneCurve& curve) {
    for (std::size_t v = 0; v < 256; ++v)
        if (curve[v] != v) return false;
    return true;
}

}  // namespace

void AdjustTones(TFastDIB& image, const TToneCurve& curve, int saturationPercent, TColorMode mode) {
    AdjustTones(image, image, curve, saturationPercent, mode);
}

void AdjustTones(const TFastDIB& source, TFastDIB& image, const TToneCurve& curve, int saturationPercent,
                 TColorMode mode) {
    const int w = image.Width();
    const std::size_t n = std::size_t(w) * 3;
    const bool identity = IsIdentity(curve);
    const int sat = saturationPercent * 1024 / 100;
    void (*colour)(std::uint8_t*, int, int) = nullptr;
    if (mode == TColorMode::Greyscale)
        colour = TLoopVersions<GreyRowLoop>::Run;
    else if (mode == TColorMode::Sepia)
        colour = TLoopVersions<SepiaRowLoop>::Run;
    else if (saturationPercent != 100)
        colour = TLoopVersions<SaturateRowLoop>::Run;
#if PM_AVX2_LOOPS
    const bool wideColour = ActiveLoopPath() == TLoopPath::Avx2 && sat >= 0 && sat <= 4096;
#endif
    for (int row = 0; row < image.Height(); ++row) {
        std::uint8_t* p = image.Row(row);
        if (&source != &image) std::memcpy(p, source.Row(row), n);
        // The curve is the same for the three channels: one table look-up a
        // byte, then the colour step on the row while it is in the cache.
        if (!identity) CurveBytes(p, n, curve);
        if (!colour) continue;
        int done = 0;
#if PM_AVX2_LOOPS
        if (wideColour) done = ColourPixelsAvx2(p, w, sat, mode);
#endif
        colour(p + 3 * std::size_t(done), w - done, sat);
    }
}

}  // namespace pm
