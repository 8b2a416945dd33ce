#include "imaging/Resample.h"
#include "imaging/ResampleParts.h"

#include "imaging/Arith.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

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
    return BuildContributors(filter, radius, sourceSize, targetSize, sourceSize, 1);
}

TContributorTable BuildContributors(TFilterFunc filter, float radius, int sourceSize, int targetSize,
                                    int fullSize, int divisor, bool reversed) {
    TContributorTable t;
    t.Start.reserve(static_cast<std::size_t>(targetSize) + 1);
    t.Total.reserve(static_cast<std::size_t>(targetSize));
    // With divisor 1 the offset is 0 and both divisions by the divisor are
    // exact, so the full-size path keeps every bit.
    const float fullScale = ResampleScale(fullSize, targetSize);
    const float scale = fullScale * static_cast<float>(divisor);
    // Where the centre of the first source pixel lies on the full grid; a
    // reversed direction starts with the part block of the stored picture's end.
    const int partBlock = reversed ? divisor * sourceSize - fullSize : 0;
    const float offset = static_cast<float>(divisor - 1) * 0.5f - static_cast<float>(partBlock);
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
        const float center = (static_cast<float>(i) / fullScale - offset) / static_cast<float>(divisor);
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

TWeightDivider::TWeightDivider(std::int32_t total) : total_(total) {
    if (total >= 1 && total < 4096) {
        fast_ = true;
        limit_ = 256 * total - 1;
        magic_ = ((std::uint64_t(1) << 32) + static_cast<std::uint64_t>(total) - 1) /
                 static_cast<std::uint64_t>(total);
    }
}

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

}  // namespace pm
