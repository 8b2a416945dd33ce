#pragma once
// TPngEncoder: 24-bit PNG with the chosen zlib level, optionally Adam7
// interlaced; EXIF as eXIf, the colour profile as iCCP and XMP as the iTXt
// chunk "XML:com.adobe.xmp" (PNG has no place for IPTC datasets).
#include "encoders/ImageEncoder.h"

namespace pm {

class TPngEncoder : public IImageEncoder {
public:
    int CompressionLevel = 6;  // 0..9
    bool Interlaced = false;

    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const override;
};

}  // namespace pm
