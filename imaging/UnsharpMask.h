#pragma once
// Unsharp masking of a 24-bit picture: each channel moves away from its
// Gaussian-blurred value by `amountPercent` of the difference, where that
// difference is at least `threshold`.
#include "imaging/FastDIB.h"

#include <cstdint>
#include <vector>

namespace pm {

// The Gaussian of standard deviation `sigma` (pixels) over taps -r .. r with
// r = ceil(3 sigma), as integer weights summing to 1 << 14 (the remainder
// of rounding goes to the centre tap). Element i is tap i - r.
std::vector<std::uint32_t> GaussianTaps(double sigma);

// From a 24-bit `source` into `out`, a bitmap of its size and depth whose
// pixels all get written (its header and row padding stay as they are).
// The blur is separable, edges repeat the border pixels; the blurred values
// keep 8 fractional bits until the mix, which rounds halves away from zero
// so that an edge sharpens alike on both sides. The amount is at most 500
// (per cent); 0 copies the pixels.
void UnsharpMask(const TFastDIB& source, TFastDIB& out, double sigma, int amountPercent, int threshold);

}  // namespace pm
