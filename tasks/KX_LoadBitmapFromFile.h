#pragma once
// Loading an image file of any accepted format into a framework bitmap, and
// the source image of the file being processed into the general object.
#include "core/RunContext.h"
#include "decoders/PictureLoader.h"
#include "imaging/Bitmap.h"

#include <string>

namespace pm {

// What a load learns beside the pixels: the file's EXIF orientation (1 when
// it has none) and, when the picture was decoded smaller (a TShrinkRequest),
// by which divisor and the stored size.
struct TLoadFacts {
    int Orientation = 1;
    int ScaleDivisor = 1;
    int FullWidth = 0;
    int FullHeight = 0;
};

// Logs "Loading image \"<file>\" ... " and its outcome; true on success.
// The picture is as stored, smaller only when `shrink` asks for it.
// `metadata`, when given, receives what the file carries of EXIF, XMP, IPTC
// and colour profile.
bool LoadBitmapFromFile(const std::string& fileName, TBitmap& bitmap, TLoadFacts* facts = nullptr,
                        TImageMetadata* metadata = nullptr, const TShrinkRequest* shrink = nullptr);

// The depth a loaded picture reports: 16-bit pictures with 5/5/5 channels
// are 15 bits.
std::uint8_t PictureDepth(const TFastDIB& dib);

// Loads into the general object's SrcBitmap, fills its BitmapsInfo, brings
// the image to 24 bits per pixel and, when asked, turns it upright by the
// file's EXIF orientation. `next`, the task that follows the load, may let
// a JPEG be decoded smaller (TBaseClass::InputShrinkDivisor); BitmapsInfo
// keeps the file's size and ctx.ShrunkLoadFor names `next` then.
bool LoadSourceImage(TRunContext& ctx, const std::string& fileName, bool applyOrientation = true,
                     const TBaseClass* next = nullptr);

}  // namespace pm
