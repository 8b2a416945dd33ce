// The JPEG reader (comment reader included) on arbitrary bytes.
#include "Harness.h"
#include "decoders/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The full size caps allow pictures of several hundred megabytes, more
    // than a fuzzer's memory budget; the code paths are the same.
    static const pm::fuzz::TTarget target{
        [](const pm::TDecodeInput& in, pm::TPicture& picture, std::string& error) {
            pm::TJpegLimits limits;
            limits.MaxPixels = std::int64_t(1) << 22;
            return pm::DecodeJpegLimited(in, picture, error, limits);
        },
        "fuzz.jpg"};
    return pm::fuzz::DecodeOne(target, data, size);
}
