#include "imaging/Resample.h"

#include "imaging/Arith.h"
#include "imaging/SimdClones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pm {

float BoxFilter(float x) {
    return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleFilter(float x) {
    const float t = std::fabs(x);
    return t < 1.0f ? 1.0f - t : 0.0f;
}

float HermiteFilter(float x) {
    const float t = std::fabs(x);
    if (t < 1.0f) return (2.0f * t - 3.0f) * (x * x) + 1.0f;
    return 0.0f;
}

float BellFilter(float x) {
    const float t = std::fabs(x);
    if (t < 0.5f) return 0.75f - x * x;
    if (t < 1.5f) {
        const float v = t - 1.5f;
        return 0.5f * (v * v);
    }
    return 0.0f;
}

float SplineFilter(float x) {
    const float t = std::fabs(x);
    if (t < 1.0f) {
        const float tt = x * x;
        return 0.5f * (tt * t) - tt + 2.0f / 3.0f;
    }
    if (t < 2.0f) {
        const float v = 2.0f - t;
        return (v * v * v) / 6.0f;
    }
    return 0.0f;
}

namespace {
// sin(pi t) / (pi t) in single precision: pi t and the sine are each rounded
// to a float. The sine is taken in double precision so that its float value
// does not depend on the maths library's single-precision routine.
float Sinc(float t) {
    if (t == 0.0f) return 1.0f;
    const float pt = std::numbers::pi_v<float> * t;
    return static_cast<float>(std::sin(static_cast<double>(pt))) / pt;
}
}  // namespace

float Lanczos3Filter(float x) {
    if (std::fabs(x) < 3.0f) return Sinc(x) * Sinc(x / 3.0f);
    return 0.0f;
}

float MitchellFilter(float x) {
    const float t = std::fabs(x);
    const float tt = x * x;
    if (t < 1.0f) return (7.0f * (tt * t) - 12.0f * tt + 16.0f / 3.0f) / 6.0f;
    if (t < 2.0f) return (-(7.0f / 3.0f) * (tt * t) + 12.0f * tt - 20.0f * t + 32.0f / 3.0f) / 6.0f;
    return 0.0f;
}

TFilterInfo FilterInfo(int filter) {
    switch (filter) {
    case rfTriangle:
        return {TriangleFilter, 1.0f};
    case rfHermite:
        return {HermiteFilter, 1.0f};
    case rfBell:
        return {BellFilter, 1.5f};
    case rfSpline:
        return {SplineFilter, 2.0f};
    case rfLanczos3:
        return {Lanczos3Filter, 3.0f};
    case rfMitchell:
        return {MitchellFilter, 2.0f};
    default:
        return {BoxFilter, 0.5f};
    }
}

float ResampleScale(int sourceSize, int targetSize) {
    if (sourceSize == 1 || targetSize == 1)
        return static_cast<float>(targetSize) / static_cast<float>(sourceSize);
    return static_cast<float>(targetSize - 1) / static_cast<float>(sourceSize - 1);
}

TContributorTable BuildContributors(TFilterFunc filter, float radius, int sourceSize, int targetSize) {
    TContributorTable t;
    t.Start.reserve(static_cast<std::size_t>(targetSize) + 1);
    t.Total.reserve(static_cast<std::size_t>(targetSize));
    const float scale = ResampleScale(sourceSize, targetSize);
    const bool reduce = scale < 1.0f;
    const float width = reduce ? radius / scale : radius;
    const auto add = [&](long long j, std::int32_t weight, std::int32_t& total) {
        if (weight == 0) return;
        long long n = j < 0 ? -j : j < sourceSize ? j : 2LL * sourceSize - 1 - j;
        n = std::clamp<long long>(n, 0, sourceSize - 1);
        t.Pixel.push_back(static_cast<std::int32_t>(n));
        t.Weight.push_back(weight);
        total += weight;
    };
    for (int i = 0; i < targetSize; ++i) {
        t.Start.push_back(static_cast<std::int32_t>(t.Pixel.size()));
        std::int32_t total = 0;
        const float center = static_cast<float>(i) / scale;
        const long long left = static_cast<long long>(std::floor(center - width));
        const long long right = static_cast<long long>(std::ceil(center + width));
        for (long long j = left; j <= right; ++j) {
            const float d = center - static_cast<float>(j);
            if (reduce)
                add(j, RoundHalfEven(filter(d * scale) * scale * 256.0f), total);
            else
                add(j, RoundHalfEven(filter(d) * 256.0f), total);
        }
        t.Total.push_back(total);
    }
    t.Start.push_back(static_cast<std::int32_t>(t.Pixel.size()));
    return t;
}

std::uint8_t WeightedPixel(std::int32_t sum, std::int32_t total) {
    if (total != 0) return ClampToByte(sum / total);
    return ClampToByte(static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) >> 8));
}

TWeightDivider::TWeightDivider(std::int32_t total) : total_(total) {
    if (total >= 1 && total < 4096) {
        fast_ = true;
        limit_ = 256 * total - 1;
        magic_ = ((std::uint64_t(1) << 32) + static_cast<std::uint64_t>(total) - 1) /
                 static_cast<std::uint64_t>(total);
    }
}

namespace {

// Each column's list as a dense window of consecutive source pixels, the
// weights of a pixel that occurs more than once (mirrored at an edge) added
// up, every window padded with zero weights to the same number of taps, a
// multiple of 8: the same integer sums, but an inner loop of whole vector
// multiply-adds over plain consecutive arrays.
struct TWindows {
    std::vector<std::int32_t> First;
    std::vector<std::int16_t> Weight;  // Taps per column
    int Taps = 0;
};

// Empty when a merged weight does not fit 16 bits (never with these filters).
TWindows DenseWindows(const TContributorTable& ct, int targetSize) {
    TWindows w;
    std::vector<std::int32_t> lo(static_cast<std::size_t>(targetSize)),
        hi(static_cast<std::size_t>(targetSize));
    int longest = 0;
    for (int i = 0; i < targetSize; ++i) {
        const std::int32_t a = ct.Start[static_cast<std::size_t>(i)];
        const std::int32_t b = ct.Start[static_cast<std::size_t>(i) + 1];
        std::int32_t l = 0, h = -1;
        for (std::int32_t k = a; k < b; ++k) {
            const std::int32_t n = ct.Pixel[static_cast<std::size_t>(k)];
            l = k == a ? n : std::min(l, n);
            h = k == a ? n : std::max(h, n);
        }
        lo[static_cast<std::size_t>(i)] = l;
        hi[static_cast<std::size_t>(i)] = h;
        longest = std::max(longest, h - l + 1);
    }
    w.Taps = (longest + 7) / 8 * 8;
    w.First = lo;
    std::vector<std::int32_t> merged;
    w.Weight.reserve(static_cast<std::size_t>(targetSize) * static_cast<std::size_t>(w.Taps));
    for (int i = 0; i < targetSize; ++i) {
        const std::int32_t a = ct.Start[static_cast<std::size_t>(i)];
        const std::int32_t b = ct.Start[static_cast<std::size_t>(i) + 1];
        merged.assign(static_cast<std::size_t>(w.Taps), 0);
        for (std::int32_t k = a; k < b; ++k)
            merged[static_cast<std::size_t>(ct.Pixel[static_cast<std::size_t>(k)] -
                                            lo[static_cast<std::size_t>(i)])] +=
                ct.Weight[static_cast<std::size_t>(k)];
        for (std::int32_t m : merged) {
            if (m < INT16_MIN || m > INT16_MAX) return {};
            w.Weight.push_back(static_cast<std::int16_t>(m));
        }
    }
    return w;
}

// One picture line into three plain channel arrays.
PM_SIMD_CLONES void SplitLineChannels(const TColorTriple* line, int count, std::int16_t* red,
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

void HorizontalPassDense(const TContributorTable& ct, const TWindows& win, const TFastDIB& source,
                         TFastDIB& mid) {
    const int sw = source.Width(), tw = mid.Width();
    // A window may reach up to Taps - 1 pixels beyond the line with zero
    // weights; those entries stay 0.
    const std::size_t lane = static_cast<std::size_t>(sw) + static_cast<std::size_t>(win.Taps);
    std::vector<std::int16_t> channels(lane * 3, 0);
    std::int16_t* red = channels.data();
    std::int16_t* green = red + lane;
    std::int16_t* blue = green + lane;
    const std::vector<TWeightDivider> divide(ct.Total.begin(), ct.Total.end());
    for (int row = 0; row < source.Height(); ++row) {
        SplitLineChannels(source.Row24(row), sw, red, green, blue);
        TColorTriple* out = mid.Row24(row);
        const std::int16_t* w = win.Weight.data();
        for (int i = 0; i < tw; ++i, w += win.Taps) {
            const std::size_t c = static_cast<std::size_t>(i);
            const std::int32_t first = win.First[c];
            const TSums s = WindowSums(w, blue + first, green + first, red + first, win.Taps);
            const TWeightDivider& d = divide[c];
            out[i] = {d(s.b), d(s.g), d(s.r)};
        }
    }
}

// Reads the interleaved bytes of the source line directly (byte offsets of
// the contributors computed once); the sums are those of three separate
// channel arrays.
void HorizontalPassDirect(const TContributorTable& ct, const TFastDIB& source, TFastDIB& mid) {
    const int tw = mid.Width();
    std::vector<std::int32_t> offsets(ct.Pixel.size());
    for (std::size_t k = 0; k < offsets.size(); ++k) offsets[k] = ct.Pixel[k] * 3;
    const std::int32_t* offset = offsets.data();
    const std::int32_t* weight = ct.Weight.data();
    const std::int32_t* start = ct.Start.data();
    const std::vector<TWeightDivider> divide(ct.Total.begin(), ct.Total.end());
    for (int row = 0; row < source.Height(); ++row) {
        const std::uint8_t* line = source.Row(row);
        TColorTriple* out = mid.Row24(row);
        for (int i = 0; i < tw; ++i) {
            std::int32_t sr = 0, sg = 0, sb = 0;
            for (std::int32_t k = start[i]; k < start[i + 1]; ++k) {
                const std::uint8_t* p = line + offset[k];
                const std::int32_t w = weight[k];
                sb += w * p[0];
                sg += w * p[1];
                sr += w * p[2];
            }
            const TWeightDivider& d = divide[static_cast<std::size_t>(i)];
            out[i] = {d(sb), d(sg), d(sr)};
        }
    }
}

// Long lists (strong reductions, wide filters) run faster as dense windows,
// short ones as they are; both give the same sums.
void HorizontalPass(const TContributorTable& ct, const TFastDIB& source, TFastDIB& mid) {
    const TWindows win = DenseWindows(ct, mid.Width());
    if (!win.First.empty() && ct.Pixel.size() >= 10 * static_cast<std::size_t>(mid.Width()))
        HorizontalPassDense(ct, win, source, mid);
    else
        HorizontalPassDirect(ct, source, mid);
}

// Each target line is the weighted sum of whole intermediate lines; the
// integer sums are the same as column by column, only cache-friendly.
PM_SIMD_CLONES void VerticalPass(const TContributorTable& ct, const TFastDIB& mid, TFastDIB& target) {
    const int sh = mid.Height(), th = target.Height();
    const std::size_t bytes = static_cast<std::size_t>(target.Width()) * 3;
    std::vector<std::int32_t> acc(bytes);
    std::int32_t* a = acc.data();
    for (int i = 0; i < th; ++i) {
        const std::int32_t first = ct.Start[static_cast<std::size_t>(i)];
        const std::int32_t last = ct.Start[static_cast<std::size_t>(i) + 1];
        if (first == last) std::fill(acc.begin(), acc.end(), 0);
        for (std::int32_t k = first; k < last; ++k) {
            const std::uint8_t* line = mid.Row(sh - 1 - ct.Pixel[static_cast<std::size_t>(k)]);
            const std::int32_t w = ct.Weight[static_cast<std::size_t>(k)];
            if (k == first)
                for (std::size_t x = 0; x < bytes; ++x) a[x] = w * line[x];
            else
                for (std::size_t x = 0; x < bytes; ++x) a[x] += w * line[x];
        }
        const TWeightDivider divide(ct.Total[static_cast<std::size_t>(i)]);
        std::uint8_t* out = target.Row(th - 1 - i);
        for (std::size_t x = 0; x < bytes; ++x) out[x] = divide(a[x]);
    }
}

}  // namespace

void ResampleTwoPass(TFilterFunc filter, float radius, const TFastDIB& source, TFastDIB& target) {
    const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
    if (sw == 0 || sh == 0 || tw == 0 || th == 0) return;
    TFastDIB mid;
    mid.SetSize(tw, sh, 24);
    HorizontalPass(BuildContributors(filter, radius, sw, tw), source, mid);
    VerticalPass(BuildContributors(filter, radius, sh, th), mid, target);
}

void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, const TFastDIB& source,
                    TFastDIB& target) {
    const TFilterInfo info = FilterInfo(filter);
    if (radius == 0.0f) radius = info.Radius;
    TFastDIB result;
    result.SetSize(newWidth, newHeight, 24);
    if (source.Bpp() == 24) {
        ResampleTwoPass(info.Func, radius, source, result);
    } else {
        TFastDIB converted = source;
        if (!ConvertDepth(converted, 24)) throw std::runtime_error("Unsupported pixel depth");
        ResampleTwoPass(info.Func, radius, converted, result);
    }
    target.TakeOver(result);
}

void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, TFastDIB& bitmap) {
    ResampleBitmap(newWidth, newHeight, filter, radius, bitmap, bitmap);
}

}  // namespace pm
