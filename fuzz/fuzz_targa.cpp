// Feeds arbitrary bytes to the reader; a decoded picture is also converted
// to 24 bits, as the loader does, so its geometry must be consistent.
#include "decoders/Decoders.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pm::TDecodeInput in{data, size, std::string()};
    pm::TPicture picture;
    std::string error;
    if (pm::DecodeTarga(in, picture, error)) {
        if (picture.Image.Empty() || !pm::ConvertDepth(picture.Image, 24)) std::abort();
    } else if (error.empty()) {
        std::abort();  // every failure names its reason
    }
    return 0;
}
