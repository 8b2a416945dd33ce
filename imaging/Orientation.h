#pragma once
// Turning a picture upright from its EXIF orientation.
#include "imaging/FastDIB.h"

namespace pm {

// EXIF orientation values: where the stored raster's first row and column
// belong. 5 to 8 swap width and height.
enum TOrientation : int {
    orNormal = 1,
    orMirrorHorizontal = 2,
    orRotate180 = 3,
    orMirrorVertical = 4,
    orTranspose = 5,   // mirror about the top-left to bottom-right diagonal
    orRotate90 = 6,    // clockwise
    orTransverse = 7,  // mirror about the other diagonal
    orRotate270 = 8,   // clockwise (90 counter-clockwise)
};

inline bool OrientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Whether the upright picture's columns (X) or rows (Y) run against the
// stored picture's own (the stored ones being rows for 5 to 8).
inline bool OrientationReversesX(int orientation) {
    return orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
}
inline bool OrientationReversesY(int orientation) {
    return orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8;
}

// Turns a 24-bit picture upright in one pass over its pixels (none for 1 or
// a value outside 2-8). False, with the picture unchanged, for other depths.
bool ApplyOrientation(TFastDIB& dib, int orientation);
// The same from `dib` into `out` (another bitmap), leaving `dib` as it is; 1
// or a value outside 2-8 copies it.
bool OrientInto(const TFastDIB& dib, int orientation, TFastDIB& out);

}  // namespace pm
