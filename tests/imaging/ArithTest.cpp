#include "imaging/Arith.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pm {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    struct Case {
        std::int32_t a, b, c, expected;
    };
    const Case cases[] = {
        {1, 128, 256, 1},
        {1, 127, 256, 0},
        {1, -128, 256, -1},
        {1, -127, 256, 0},
        {3, 1, 2, 2},
        {-3, 1, 2, -2},
        {5, 1, -2, -3},
        {255, 200, 255, 200},
        {60, 255, 256, 60},
        {7, 3, 3, 7},
        {2, 1, 3, 1},
        {1, 1, 3, 0},
        {100000, 100000, 100000, 100000},  // the product needs 64 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " " << c.b << " " << c.c;
}

TEST(MulDiv, DivisionByZeroAndOverflowGiveMinusOne) {
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(1 << 30, 4, 1), -1);
    EXPECT_EQ(MulDiv(-(1 << 30), 2, 1), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(MulDiv(-(1 << 30), 4, 1), -1);
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    const std::pair<double, std::int32_t> cases[] = {
        {2.5, 2}, {3.5, 4},       {-2.5, -2},     {-3.5, -4}, {0.5, 0},
        {1.5, 2}, {2.4999999, 2}, {2.5000001, 3}, {-0.4, 0},
    };
    for (auto [v, expected] : cases) EXPECT_EQ(RoundHalfEven(v), expected) << v;
}

TEST(RoundHalfEven, OutOfRangeSaturates) {
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

}  // namespace
}  // namespace pm
