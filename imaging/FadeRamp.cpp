#include "imaging/FadeRamp.h"

#include "imaging/Arith.h"

#include <algorithm>

namespace pm {

std::vector<TColorTriple> FadeRamp(TColorTriple from, TColorTriple to, int steps, int count) {
    if (steps < 0 || count <= 0) return {};
    const int size = static_cast<int>(std::min<long long>(count, static_cast<long long>(steps) + 1));
    std::vector<TColorTriple> ramp(static_cast<std::size_t>(size));
    const auto channel = [](int n, std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(a + MulDiv(n, b - a, 255));
    };
    for (int n = 0; n < 256; ++n) {
        // Neither product can overflow: both ends lie within 0 .. steps.
        const int lo = MulDiv(n, steps, 256), hi = std::min(MulDiv(n + 1, steps, 256), size - 1);
        if (lo > hi) continue;
        const TColorTriple c{channel(n, from.b, to.b), channel(n, from.g, to.g), channel(n, from.r, to.r)};
        std::fill(ramp.begin() + lo, ramp.begin() + hi + 1, c);
    }
    return ramp;
}

std::vector<std::uint8_t> GreyRamp(int steps, int count) {
    const std::vector<TColorTriple> colours = FadeRamp({0, 0, 0}, {255, 255, 255}, steps, count);
    std::vector<std::uint8_t> levels(colours.size());
    std::transform(colours.begin(), colours.end(), levels.begin(), [](TColorTriple c) { return c.r; });
    return levels;
}

}  // namespace pm
