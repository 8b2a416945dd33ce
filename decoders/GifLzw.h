#pragma once
// The LZW data of one GIF image, decoded strictly: a code that the table does
// not hold yet, or data that ends before every pixel is known, is an error,
// never a picture with made-up pixels.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

struct TLzwOutcome {
    bool ok = false;
    std::string error;       // why, when not ok
    bool extraData = false;  // codes for more pixels than the image holds
};

// Decodes `data` (the sub-blocks joined) with the given minimum code size
// into `pixels`, whose size is the image's pixel count.
TLzwOutcome DecodeGifLzw(const std::vector<std::uint8_t>& data, int minCodeSize,
                         std::vector<std::uint8_t>& pixels);

}  // namespace pm
