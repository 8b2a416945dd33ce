#include "imaging/Resample.h"

#include "imaging/Arith.h"
#include "imaging/Limits.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

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
} // namespace

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

namespace {

// One picture line into three plain channel arrays.
void SplitLineChannels(const TColorTriple* line, int count, std::int32_t* red, std::int32_t* green,
                       std::int32_t* blue) {
    for (int i = 0; i < count; ++i) {
        red[i] = line[i].r;
        green[i] = line[i].g;
        blue[i] = line[i].b;
    }
}

void HorizontalPass(const TContributorTable& ct, const TFastDIB& source, TFastDIB& mid) {
    const int sw = source.Width(), tw = mid.Width();
    std::vector<std::int32_t> channels(static_cast<std::size_t>(sw) * 3);
    std::int32_t* red = channels.data();
    std::int32_t* green = red + sw;
    std::int32_t* blue = green + sw;
    const std::int32_t* pixel = ct.Pixel.data();
    const std::int32_t* weight = ct.Weight.data();
    for (int row = 0; row < source.Height(); ++row) {
        SplitLineChannels(source.Row24(row), sw, red, green, blue);
        TColorTriple* out = mid.Row24(row);
        for (int i = 0; i < tw; ++i) {
            std::int32_t sr = 0, sg = 0, sb = 0;
            for (std::int32_t k = ct.Start[static_cast<std::size_t>(i)];
                 k < ct.Start[static_cast<std::size_t>(i) + 1]; ++k) {
                const std::int32_t n = pixel[k], w = weight[k];
                sr += w * red[n];
                sg += w * green[n];
                sb += w * blue[n];
            }
            const std::int32_t total = ct.Total[static_cast<std::size_t>(i)];
            out[i] = {WeightedPixel(sb, total), WeightedPixel(sg, total), WeightedPixel(sr, total)};
        }
    }
}

// Each target line is the weighted sum of whole intermediate lines; the
// integer sums are the same as column by column, only cache-friendly.
void VerticalPass(const TContributorTable& ct, const TFastDIB& mid, TFastDIB& target) {
    const int sh = mid.Height(), th = target.Height();
    const std::size_t bytes = static_cast<std::size_t>(target.Width()) * 3;
    std::vector<std::int32_t> acc(bytes);
    for (int i = 0; i < th; ++i) {
        std::fill(acc.begin(), acc.end(), 0);
        std::int32_t* a = acc.data();
        for (std::int32_t k = ct.Start[static_cast<std::size_t>(i)];
             k < ct.Start[static_cast<std::size_t>(i) + 1]; ++k) {
            const std::uint8_t* line = mid.Row(sh - 1 - ct.Pixel[static_cast<std::size_t>(k)]);
            const std::int32_t w = ct.Weight[static_cast<std::size_t>(k)];
            for (std::size_t x = 0; x < bytes; ++x) a[x] += w * line[x];
        }
        const std::int32_t total = ct.Total[static_cast<std::size_t>(i)];
        std::uint8_t* out = target.Row(th - 1 - i);
        for (std::size_t x = 0; x < bytes; ++x) out[x] = WeightedPixel(a[x], total);
    }
}

} // namespace

void ResampleTwoPass(TFilterFunc filter, float radius, const TFastDIB& source, TFastDIB& target) {
    const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
    if (sw == 0 || sh == 0 || tw == 0 || th == 0) return;
    TFastDIB mid;
    mid.SetSize(tw, sh, 24);
    HorizontalPass(BuildContributors(filter, radius, sw, tw), source, mid);
    VerticalPass(BuildContributors(filter, radius, sh, th), mid, target);
}

void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, TFastDIB& bitmap) {
    const TFilterInfo info = FilterInfo(filter);
    if (radius == 0.0f) radius = info.Radius;
    TFastDIB target;
    target.SetSize(newWidth, newHeight, 24);
    if (bitmap.Bpp() != 24 && !ConvertDepth(bitmap, 24)) throw std::runtime_error("Unsupported pixel depth");
    ResampleTwoPass(info.Func, radius, bitmap, target);
    bitmap.TakeOver(target);
}

} // namespace pm
