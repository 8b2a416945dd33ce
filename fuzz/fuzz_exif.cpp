// Feeds arbitrary bytes to the EXIF orientation reader: the JPEG segment and
// PNG chunk walks, and Exiv2 on the block they find.
#include "decoders/ExifOrientation.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = pm::ReadExifOrientation(data, size);
    if (orientation < 1 || orientation > 8) std::abort();
    return 0;
}
