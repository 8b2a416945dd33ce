#pragma once
// TAvifEncoder: AVIF through libheif's AV1 encoder. The colour profile goes
// into the colour box, EXIF and XMP into metadata items (AVIF has no place
// for IPTC datasets). The file is made in memory before it reaches the sink.
#include "encoders/ImageEncoder.h"

namespace pm {

class TAvifEncoder : public IImageEncoder {
public:
    int Quality = 60;  // 0..100
    int Speed = 6;     // 0..10, brought into what the AV1 encoder takes

    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const override;
};

}  // namespace pm
