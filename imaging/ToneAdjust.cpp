#include "imaging/ToneAdjust.h"

#include <algorithm>
#include <cmath>

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
    std::array<std::uint64_t, 256> histogram{};
    const std::size_t n = std::size_t(image.Width()) * 3;
    for (int row = 0; row < image.Height(); ++row) {
        const std::uint8_t* p = image.Row(row);
        for (std::size_t i = 0; i < n; ++i) ++histogram[p[i]];
    }
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

// Sepia weights in 1/1024.
constexpr int kSepia[3][3] = {{402, 787, 194}, {357, 702, 172}, {279, 547, 134}};

inline std::uint8_t Byte(int v) {
    return std::uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

void AdjustTones(TFastDIB& image, const TToneCurve& curve, int saturationPercent, TColorMode mode) {
    const int w = image.Width();
    const bool curveOnly = saturationPercent == 100 && mode == TColorMode::Color;
    const int sat = saturationPercent * 1024 / 100;
    for (int row = 0; row < image.Height(); ++row) {
        TColorTriple* p = image.Row24(row);
        if (curveOnly) {
            for (int x = 0; x < w; ++x) p[x] = {curve[p[x].b], curve[p[x].g], curve[p[x].r]};
            continue;
        }
        for (int x = 0; x < w; ++x) {
            int r = curve[p[x].r], g = curve[p[x].g], b = curve[p[x].b];
            const int y = (77 * r + 150 * g + 29 * b + 128) >> 8;
            if (mode == TColorMode::Greyscale) {
                p[x] = {Byte(y), Byte(y), Byte(y)};
                continue;
            }
            r = y + (((r - y) * sat + 512) >> 10);
            g = y + (((g - y) * sat + 512) >> 10);
            b = y + (((b - y) * sat + 512) >> 10);
            if (mode == TColorMode::Sepia) {
                r = std::clamp(r, 0, 255), g = std::clamp(g, 0, 255), b = std::clamp(b, 0, 255);
                const int sr = (kSepia[0][0] * r + kSepia[0][1] * g + kSepia[0][2] * b + 512) >> 10;
                const int sg = (kSepia[1][0] * r + kSepia[1][1] * g + kSepia[1][2] * b + 512) >> 10;
                const int sb = (kSepia[2][0] * r + kSepia[2][1] * g + kSepia[2][2] * b + 512) >> 10;
                r = sr, g = sg, b = sb;
            }
            p[x] = {Byte(b), Byte(g), Byte(r)};
        }
    }
}

}  // namespace pm
