// Windows and OS/2 bitmaps (BMP, RLE, DIB) through TFastDIB's reader. The
// image keeps the file's own depth; the loader converts it to 24 bits.
#include "decoders/BmpChecks.h"
#include "decoders/Decoders.h"

namespace pm {

namespace {

bool LooksLikeInfoHeader(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return false;
    const std::uint32_t headerSize = std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) |
                                     (std::uint32_t(data[2]) << 16) | (std::uint32_t(data[3]) << 24);
    return headerSize == 12 || headerSize == 40 || headerSize == 64 || headerSize == 108 || headerSize == 124;
}

}  // namespace

bool DecodeBmp(const TDecodeInput& in, TPicture& out, std::string& error) {
    // A file whose pixel data ends early is refused rather than shown with
    // black rows: a damaged file should be reported, not processed.
    TBmpReadOptions options;
    options.RequireAllPixels = true;
    TFastDIB dib;
    bool ok = false;
    if (in.Size >= 2 && in.Data[0] == 'B' && in.Data[1] == 'M') {
        ok = dib.LoadFromStream(in.Data, in.Size, options, &error) &&
             CheckBmpData(in.Data, in.Size, 14, dib, out, error);
    } else if (LooksLikeInfoHeader(in.Data, in.Size)) {
        // DIB files may hold a bare information header without "BM".
        ok = dib.LoadFromPackedDIB(in.Data, in.Size, options, &error) &&
             CheckBmpData(in.Data, in.Size, 0, dib, out, error);
    } else {
        error = "Not a bitmap file";
    }
    if (!ok) return false;
    out.Kind = TPictureKind::Raster;
    out.Image = std::move(dib);
    return true;
}

}  // namespace pm
