#pragma once
// How close two 24-bit pictures are: peak signal-to-noise ratio over all
// three channels, for checking a faster path against the exact one.
#include "imaging/FastDIB.h"

namespace pm {

// PSNR in dB of two 24-bit pictures of equal size (255 as the peak);
// infinity for equal pixels, -1 when the sizes or depths differ.
double Psnr24(const TFastDIB& a, const TFastDIB& b);

}  // namespace pm
