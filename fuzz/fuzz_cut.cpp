// The Dr. Halo reader on arbitrary bytes (a decoded picture is also
// converted to 24 bits, as the loader does), and the same bytes read as if
// they were the companion PAL file.
#include "Harness.h"
#include "decoders/DecodeCut.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pm::fuzz::TTarget target{pm::DecodeCut, "", true};
    pm::fuzz::DecodeOne(target, data, size);
    std::array<pm::TRGBQuad, 256> palette;
    pm::ReadHaloPalette(data, size, palette);
    return 0;
}
