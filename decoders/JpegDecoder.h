#pragma once
// JPEG reading through libjpeg, with limits a caller may tighten (the fuzz
// target does, to stay within its memory budget).
#include "decoders/Picture.h"
#include "imaging/Limits.h"

#include <cstdint>
#include <string>

namespace pm {

struct TJpegLimits {
    // Checked on top of ImageSizeAllowed.
    std::int64_t MaxPixels = kMaxImagePixels;
    // A progressive file can hold thousands of tiny scans, each of which
    // costs a pass over the whole coefficient buffer; real files have a few
    // dozen at most.
    int MaxScans = 500;
};

// Greyscale files give 8 bits with a grey palette; YCbCr, RGB, CMYK and YCCK
// files give 24 bits. The first comment segment goes to `out.Comment`.
// A file whose data ends before its end-of-image marker fails: a picture
// with a missing part must not pass as a good one.
bool DecodeJpegLimited(const TDecodeInput& in, TPicture& out, std::string& error, const TJpegLimits& limits);

} // namespace pm
