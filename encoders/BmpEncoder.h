#pragma once
// TBmpEncoder: the BMP file image of a bitmap at its own depth, written to
// the sink as the headers and then the stored rows.
#include "encoders/ImageEncoder.h"

namespace pm {

class TBmpEncoder : public IImageEncoder {
public:
    // False with "Image is empty, nothing to save!" for an empty bitmap, or
    // with an empty reason when the sink fails.
    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const override;
};

}  // namespace pm
