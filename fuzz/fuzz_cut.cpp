// Feeds arbitrary bytes to the Dr. Halo reader, and the same bytes to the
// palette reader as if they were the companion PAL file.
#include "decoders/DecodeCut.h"
#include "decoders/Decoders.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pm::TDecodeInput in{data, size, std::string()};
    pm::TPicture picture;
    std::string error;
    if (pm::DecodeCut(in, picture, error)) {
        if (picture.Image.Empty() || !pm::ConvertDepth(picture.Image, 24)) std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    std::array<pm::TRGBQuad, 256> palette;
    pm::ReadHaloPalette(data, size, palette);
    return 0;
}
