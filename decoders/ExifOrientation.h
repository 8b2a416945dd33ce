#pragma once
// The EXIF orientation of a JPEG, PNG or WebP file: how its stored raster is to be
// turned to stand upright.
#include <cstddef>
#include <cstdint>

namespace pm {

// The orientation tag (1 to 8) of the file's EXIF block (a JPEG's APP1
// segment, a PNG's eXIf chunk, a WebP's EXIF chunk), read from the file bytes already in memory. 1 (upright
// as stored) when the file has no EXIF block, no orientation tag, a value outside 1-8, or a block that cannot
// be read: a damaged EXIF block never fails a load.
int ReadExifOrientation(const std::uint8_t* data, std::size_t size);

// Mutes Exiv2's own messages and sets up its XMP support, once per process;
// every caller of Exiv2 calls it first.
void PrepareExiv2();

}  // namespace pm
