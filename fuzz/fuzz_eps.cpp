// The EPS reader on arbitrary bytes. Rendering through Ghostscript is
// turned off (a process per input would swamp the fuzzer), so this covers
// the DOS EPS header, the bounding box scan and the preview images.
#include "Harness.h"
#include "decoders/EpsRender.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once = (pm::SetGhostscriptProgram(""), true);
    (void)once;
    // An empty file fails without a reason of its own (the loader words that
    // case itself); every other failure must name one.
    if (size == 0) return 0;
    static const pm::fuzz::TTarget target{pm::DecodeEps, "fuzz.eps"};
    return pm::fuzz::DecodeOne(target, data, size);
}
