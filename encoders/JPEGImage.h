#pragma once
// TJPEGImage: the JPEG encoder. Quality, progressive mode and a comment that
// goes into a comment segment right after the JFIF segment.
#include "encoders/ImageEncoder.h"

#include <string>

namespace pm {

class TJPEGImage : public IImageEncoder {
public:
    int CompressionQuality = 75;  // 1..100
    bool ProgressiveEncoding = false;
    // Written unchanged as 8-bit text; left out when empty or longer than 65533 bytes.
    std::string Comment;

    // Encodes `dib` (any depth; converted to 24 bits on a copy). False with a
    // reason when the picture is empty, the library refuses it or the sink
    // fails (the library's write error).
    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const override;
};

}  // namespace pm
