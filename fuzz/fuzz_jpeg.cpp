// Fuzz target for the JPEG reader (comment reader included).
#include "decoders/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pm::TPicture picture;
    std::string error;
    // The full size caps allow pictures of several hundred megabytes, more
    // than a fuzzer's memory budget; the code paths are the same.
    pm::TJpegLimits limits;
    limits.MaxPixels = std::int64_t(1) << 22;
    if (pm::DecodeJpegLimited(pm::TDecodeInput{data, size, "fuzz.jpg"}, picture, error, limits)) {
        // Touch the first and last stored bytes so a short buffer shows.
        const pm::TFastDIB& img = picture.Image;
        volatile std::uint8_t sink = img.Bits()[0];
        sink = img.Bits()[img.Size() - 1];
        (void)sink;
    }
    return 0;
}
