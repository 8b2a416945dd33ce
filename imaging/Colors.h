#pragma once
// Framework colour values ($00BBGGRR, or $80000000 + index for a system
// colour) turned into pixel colours.
#include "imaging/FastDIB.h"
#include "log/LogTypes.h"

#include <cstdint>

namespace pm {

// Number of entries of the system-colour table (indices 0 .. 30).
constexpr int kSystemColorCount = 31;

// The RGB value ($00BBGGRR) of system colour `index` from the fixed table of
// the classic desktop defaults (button face silver, window white, highlight
// navy, ...); an index outside the table gives black.
TColor SystemColor(int index);

// A system colour (top bit set; index = low byte) becomes its RGB value from
// the table; any other value is returned unchanged.
TColor ResolveColor(TColor color);

// Red from bits 0-7, green 8-15, blue 16-23 of ResolveColor(color).
TColorTriple ColorToTriple(TColor color);

// The low three bytes of the stored value, without resolving system colours.
inline TColorTriple RawColorToTriple(TColor color) {
    return {static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
            static_cast<std::uint8_t>(color)};
}

// True when blue, green and red are all equal.
inline bool SameColor(TColorTriple a, TColorTriple b) {
    return a.b == b.b && a.g == b.g && a.r == b.r;
}

}  // namespace pm
