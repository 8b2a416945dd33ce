// The HEIF and AVIF reader on arbitrary bytes.
#include "Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pm::fuzz::TTarget target{pm::DecodeHeif, "fuzz"};
    return pm::fuzz::DecodeOne(target, data, size);
}
