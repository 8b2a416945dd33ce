#pragma once
// The metadata a picture file carries, gathered from its bytes for the result
// to take over: the blocks as the file holds them, never decoded pixels.
#include "core/ImageMetadata.h"

#include <cstddef>
#include <cstdint>

namespace pm {

// What the file holds of EXIF, XMP, IPTC and an RGB colour profile; a part
// that is missing, damaged, too large or (a profile) not for RGB pixels is
// left empty. A TIFF's EXIF block is rebuilt from its tags without the ones
// that describe its own pixel layout. Nothing here fails or throws.
TImageMetadata ReadSourceMetadata(const std::uint8_t* data, std::size_t size);

// A profile's header opens with its length and names its colour space.
bool IsRgbProfile(const std::uint8_t* data, std::size_t size);

}  // namespace pm
