#pragma once
// TJPEGImage: the JPEG encoder the saving task uses. Quality, progressive
// mode and a comment that goes into a comment segment right after the JFIF
// segment. The encoded bytes are handed to a sink as they are produced, so
// a large picture never has to be held twice in memory.
#include "imaging/FastDIB.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace pm {

// Takes the next piece of the encoded stream; false when it cannot.
using TByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

class TJPEGImage {
public:
    int CompressionQuality = 75;  // 1..100
    bool ProgressiveEncoding = false;
    // Written unchanged as 8-bit text; left out when empty or longer than 65533 bytes.
    std::string Comment;

    // Encodes `dib` (any depth; converted to 24 bits on a copy). False with a
    // reason when the picture is empty, the library refuses it or the sink
    // fails; the sink may then have received part of the stream.
    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const;
};

}  // namespace pm
