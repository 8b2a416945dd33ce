#pragma once
// Loading an image file of any accepted format into a framework bitmap, and
// the source image of the file being processed into the general object.
#include "core/RunContext.h"
#include "imaging/Bitmap.h"

#include <string>

namespace pm {

// Logs "Loading image \"<file>\" ... " and its outcome; true on success.
// The picture is as stored; `orientation`, when given, receives the file's
// EXIF orientation (1 when it has none).
// `metadata`, when given, receives what the file carries of EXIF, XMP, IPTC
// and colour profile.
bool LoadBitmapFromFile(const std::string& fileName, TBitmap& bitmap, int* orientation = nullptr,
                        TImageMetadata* metadata = nullptr);

// The depth a loaded picture reports: 16-bit pictures with 5/5/5 channels
// are 15 bits.
std::uint8_t PictureDepth(const TFastDIB& dib);

// Loads into the general object's SrcBitmap, fills its BitmapsInfo, brings
// the image to 24 bits per pixel and, when asked, turns it upright by the
// file's EXIF orientation.
bool LoadSourceImage(TRunContext& ctx, const std::string& fileName, bool applyOrientation = true);

}  // namespace pm
