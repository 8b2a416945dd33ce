#pragma once
// A real photo as a camera would store it, for tests of the JPEG paths: the
// Photo CD picture of the test data (768 x 512), written as a JPEG file.
#include "decoders/PictureLoader.h"
#include "encoders/JPEGImage.h"

#include <fstream>
#include <string>

namespace pm::test {

// Writes `pcdFile` as the JPEG `jpegFile` of the given quality; false on failure.
inline bool WritePhotoJpeg(const std::string& pcdFile, const std::string& jpegFile, int quality = 90) {
    TPicture picture;
    std::string error;
    if (!LoadPicture(pcdFile, picture, error)) return false;
    TJPEGImage jpeg;
    jpeg.CompressionQuality = quality;
    std::ofstream out(jpegFile, std::ios::binary);
    return jpeg.SaveToSink(
               picture.Image,
               [&out](const std::uint8_t* data, std::size_t size) {
                   return bool(out.write(reinterpret_cast<const char*>(data), std::streamsize(size)));
               },
               error) &&
           bool(out.flush());
}

}  // namespace pm::test
