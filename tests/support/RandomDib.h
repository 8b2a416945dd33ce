#pragma once
// A bitmap of random pixel bytes (row gaps included) and, up to 8 bits, a
// random colour table: for tests that compare two ways of writing it.
#include "imaging/FastDIB.h"

#include <cstdint>
#include <random>

namespace pm::test {

inline TFastDIB RandomDib(int w, int h, int bpp, unsigned seed) {
    TFastDIB d;
    d.SetSize(w, h, bpp);
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < d.Size(); ++i) d.Bits()[i] = static_cast<std::uint8_t>(rng());
    if (bpp <= 8)
        for (int i = 0; i < (1 << bpp); ++i)
            d.Colors()[i] = {std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng()), 0};
    return d;
}

}  // namespace pm::test
