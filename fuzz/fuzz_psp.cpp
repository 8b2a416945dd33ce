// The reader on arbitrary bytes; a decoded picture is also converted to 24
// bits, as the loader does, so its geometry must be consistent.
#include "Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pm::fuzz::TTarget target{pm::DecodePsp, "", true};
    return pm::fuzz::DecodeOne(target, data, size);
}
