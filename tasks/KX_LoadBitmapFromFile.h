#pragma once
// Loading an image file of any accepted format into a framework bitmap, and
// the source image of the file being processed into the general object.
#include "core/RunContext.h"
#include "imaging/Bitmap.h"

#include <string>

namespace pm {

// Logs "Loading image \"<file>\" ... " and its outcome; true on success.
bool LoadBitmapFromFile(const std::string& fileName, TBitmap& bitmap);

// Loads into the general object's SrcBitmap, fills its BitmapsInfo and brings
// the image to 24 bits per pixel.
bool LoadSourceImage(TRunContext& ctx, const std::string& fileName);

}  // namespace pm
