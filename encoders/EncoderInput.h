#pragma once
// What the encoders beside JPEG and BMP share: the picture at 24 bits, its
// lines top first in the red, green, blue order the libraries take, and a
// finished stream handed on in pieces.
#include "encoders/ImageEncoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// `source` itself when it has 24 bits per pixel, else `copy` converted to
// 24 bits; null with the reason when it is empty or cannot be converted.
const TFastDIB* PictureAt24Bits(const TFastDIB& source, TFastDIB& copy, std::string& error);

// Picture line `y` (0 = top) of a 24-bit bitmap as red, green, blue bytes
// into `out` (3 x width bytes).
void LineToRgb(const TFastDIB& dib, int y, std::uint8_t* out);

// Gathers the small writes of a library into pieces of 64 KiB for the
// sink; Flush hands on the rest. After a failure it takes nothing more.
class TPieceSink {
public:
    explicit TPieceSink(const TByteSink& sink);
    bool Put(const std::uint8_t* data, std::size_t size);
    bool Flush();

private:
    const TByteSink& sink_;
    std::vector<std::uint8_t> piece_;
    bool failed_ = false;
};

// Hands `size` bytes to the sink in pieces of 64 KiB.
bool SinkAll(const TByteSink& sink, const std::uint8_t* data, std::size_t size);

}  // namespace pm
