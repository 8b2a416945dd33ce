#include "imaging/Arith.h"

#include <cmath>
#include <limits>

namespace pm {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) return -1;
    const std::int64_t p = std::int64_t(a) * b;
    // Magnitudes as unsigned so that even INT64_MIN-sized values stay exact.
    const std::uint64_t num = p < 0 ? 0 - std::uint64_t(p) : std::uint64_t(p);
    const std::uint64_t den = c < 0 ? 0 - std::uint64_t(std::int64_t(c)) : std::uint64_t(c);
    const std::uint64_t q = (num + den / 2) / den;
    const bool negative = (p < 0) != (c < 0);
    if (q > std::uint64_t(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0)) return -1;
    return negative ? static_cast<std::int32_t>(0 - static_cast<std::int64_t>(q))
                    : static_cast<std::int32_t>(q);
}

std::int32_t RoundHalfEven(double v) {
    if (std::isnan(v)) return 0;
    // nearbyint follows the current rounding mode, which is never changed
    // here: to nearest, ties to even.
    const double r = std::nearbyint(v);
    if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

}  // namespace pm
