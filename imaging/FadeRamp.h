#pragma once
// Colour ramps that fading borders paint their rings with, ring k in entry k.
#include "imaging/FastDIB.h"

#include <cstdint>
#include <vector>

namespace pm {

// The ramp of steps + 1 colours from `from` to `to`: for n = 0 .. 255 the
// colour from + MulDiv(n, to - from, 255) (per channel) goes to every entry k
// with MulDiv(n, steps, 256) <= k <= MulDiv(n + 1, steps, 256), later n
// overwriting earlier ones, so entry `steps` is `to`. Only the first `count`
// entries (at most steps + 1) are made: a huge number of steps costs no more
// than the entries a caller can use. Negative steps or count give no entries.
std::vector<TColorTriple> FadeRamp(TColorTriple from, TColorTriple to, int steps, int count);

// The same ramp from black to white as grey levels (entry k is the level of
// the grey FadeRamp(black, white, steps, count)[k]).
std::vector<std::uint8_t> GreyRamp(int steps, int count);

}  // namespace pm
