// Feeds arbitrary bytes to the WebP reader.
#include "decoders/Decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pm::TDecodeInput in{data, size, "fuzz"};
    pm::TPicture picture;
    std::string error;
    pm::DecodeWebp(in, picture, error);
    return 0;
}
