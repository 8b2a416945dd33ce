// Feeds arbitrary bytes to the EPS reader. Rendering through Ghostscript is
// turned off (a process per input would swamp the fuzzer), so this covers
// the DOS EPS header, the bounding box scan and the preview images.
#include "decoders/Decoders.h"
#include "decoders/EpsRender.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once = (pm::SetGhostscriptProgram(""), true);
    (void)once;
    pm::TDecodeInput in{data, size, "fuzz.eps"};
    pm::TPicture picture;
    std::string error;
    pm::DecodeEps(in, picture, error);
    return 0;
}
