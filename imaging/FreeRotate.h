#pragma once
// Turning a 24-bit picture by any angle onto a canvas grown to hold it.
#include "imaging/FastDIB.h"

namespace pm {

// The size of the canvas that holds a w x h picture turned by `degrees`.
void TurnedSize(int w, int h, double degrees, int& outW, int& outH);

// Turns `src` clockwise by `degrees` about its centre into `out` (sized by
// TurnedSize), mirrored first when asked. Each pixel is sampled bilinearly
// (8-bit weights) from its four nearest source pixels, those outside the
// picture counting as `background`, so the edges blend into it.
void FreeRotate(const TFastDIB& src, double degrees, bool mirrorX, bool mirrorY, TColorTriple background,
                TFastDIB& out);

}  // namespace pm
