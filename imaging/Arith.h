#pragma once
// Integer arithmetic with fixed rounding, shared by every pixel routine so
// that the same settings give the same pixels on every machine.
#include <cstdint>

namespace pm {

// a * b / c with a 64-bit product, rounded to the nearest integer with
// halves away from zero: MulDiv(1, 128, 256) = 1, MulDiv(1, 127, 256) = 0,
// MulDiv(1, -128, 256) = -1. Returns -1 when c is 0 or the result does not
// fit in 32 bits (as the classic platform routine does).
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// Round to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2). Values beyond the 32-bit range saturate; NaN gives 0.
std::int32_t RoundHalfEven(double v);

// 0 below 0, 255 above 255, else v.
constexpr std::uint8_t ClampToByte(std::int32_t v) {
    return v < 0 ? std::uint8_t(0) : v > 255 ? std::uint8_t(255) : static_cast<std::uint8_t>(v);
}

}  // namespace pm
