#pragma once
// Moving pictures between the engine's bitmaps (bottom-up BGR rows) and QImage.
#include "imaging/FastDIB.h"

#include <QImage>

namespace pm {

// A 24-bit copy of `dib` (other depths are converted first); a null image
// when `dib` is empty or cannot be converted.
QImage DibToQImage(const TFastDIB& dib);
// A 24-bit TFastDIB with the pixels of `image`; empty for a null image.
TFastDIB QImageToDib(const QImage& image);

}  // namespace pm
