#pragma once
// Channel-mask and colour-table helpers shared by TFastDIB's
// pixel access, its depth conversion and its BMP stream reader and writer.
#include "imaging/ByteOrder.h"

#include <bit>
#include <cstdint>

namespace pm {

inline bool SupportedDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// The n lowest bits set (n up to 32).
inline std::uint32_t LowMask(int n) {
    return n >= 32 ? 0xFFFFFFFFu : n <= 0 ? 0u : (1u << n) - 1;
}
inline int LowBit(std::uint32_t mask) {
    return mask ? std::countr_zero(mask) : 0;
}
// Highest set bit minus lowest set bit plus one; 0 for an empty mask.
inline int MaskSpan(std::uint32_t mask) {
    return mask ? 32 - std::countl_zero(mask) - std::countr_zero(mask) : 0;
}
inline std::uint32_t Extract(std::uint32_t v, std::uint32_t mask) {
    return (v & mask) >> LowBit(mask);
}

// Pixel access widens an n-bit channel by bit replication (31 -> 255,
// 0 -> 0); channels wider than 8 bits give their top 8 bits.
inline std::uint8_t WidenReplicate(std::uint32_t v, int n) {
    switch (n) {
    case 1:
        return v ? 255 : 0;
    case 2:
        return static_cast<std::uint8_t>(v * 85);
    case 3:
        return static_cast<std::uint8_t>((v << 5) | (v << 2) | (v >> 1));
    case 4:
        return static_cast<std::uint8_t>((v << 4) | v);
    case 5:
        return static_cast<std::uint8_t>((v << 3) | (v >> 2));
    case 6:
        return static_cast<std::uint8_t>((v << 2) | (v >> 4));
    case 7:
        return static_cast<std::uint8_t>((v << 1) | (v >> 6));
    case 8:
        return static_cast<std::uint8_t>(v);
    default:
        return n > 8 ? static_cast<std::uint8_t>(v >> (n - 8)) : 0;
    }
}

// The depth conversion widens an n-bit channel as ((v + 1) * 2^(8 - n) - 1)
// mod 256 (5 bits: 0 -> 7, 31 -> 255). A missing channel stays 0 and channels
// wider than 8 bits give their top 8 bits.
inline std::uint8_t WidenScale(std::uint32_t v, int n) {
    if (n <= 0) return 0;
    if (n >= 8) return static_cast<std::uint8_t>(v >> (n - 8));
    return static_cast<std::uint8_t>(((v + 1) << (8 - n)) - 1);
}

// The colours-used field a bitmap of this depth keeps: at most 2^depth for
// palette depths, 0 above 8 bits (no palette is kept there).
std::uint32_t NormalizedColorsUsed(int bpp, std::uint32_t colorsUsed);

}  // namespace pm
