#pragma once
// TWebpEncoder: lossy or lossless WebP. With metadata, the colour profile,
// EXIF and XMP go into ICCP, EXIF and "XMP " chunks of an extended file
// (WebP has no place for IPTC datasets). libwebp makes the whole file in
// memory before it is handed to the sink.
#include "encoders/ImageEncoder.h"

namespace pm {

class TWebpEncoder : public IImageEncoder {
public:
    int Quality = 80;  // 0..100; for lossless, the effort spent on size
    bool Lossless = false;
    int Effort = 4;  // 0..6: the library's method, slower for smaller files

    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const override;
};

}  // namespace pm
