#pragma once
// TTiffEncoder: 24-bit RGB TIFF, uncompressed or with LZW, Deflate (both with
// the horizontal predictor, which makes photographs markedly smaller) or
// JPEG. XMP, IPTC and the colour profile go into their tags (700, 33723,
// 34675), the EXIF block's tags into the file's own directories (Exiv2).
// libtiff goes back to patch offsets, so the file is made in memory and then
// handed to the sink.
#include "encoders/ImageEncoder.h"

namespace pm {

enum class TTiffCompression { None = 0, LZW = 1, Deflate = 2, JPEG = 3 };

class TTiffEncoder : public IImageEncoder {
public:
    TTiffCompression Compression = TTiffCompression::Deflate;

    bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const override;
};

}  // namespace pm
