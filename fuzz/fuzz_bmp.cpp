// The BMP/RLE/DIB reader on arbitrary bytes: it must fail cleanly or give a
// bitmap that converts to 24 bits and survives a trip through its own BMP
// stream unchanged.
#include "decoders/Decoders.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool Same(const pm::TFastDIB& a, const pm::TFastDIB& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.Bpp() == b.Bpp() &&
           a.Info().biCompression == b.Info().biCompression && a.Info().biClrUsed == b.Info().biClrUsed &&
           a.RMask() == b.RMask() && a.GMask() == b.GMask() && a.BMask() == b.BMask() &&
           std::memcmp(a.Colors().data(), b.Colors().data(), sizeof(pm::TRGBQuad) * 256) == 0 &&
           a.Size() == b.Size() && std::memcmp(a.Bits(), b.Bits(), a.Size()) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pm::TDecodeInput in{data, size, "fuzz.bmp"};
    pm::TPicture picture;
    std::string error;
    if (!pm::DecodeBmp(in, picture, error)) return 0;
    pm::TFastDIB& image = picture.Image;

    std::vector<std::uint8_t> stream;
    image.SaveToStream(stream);
    pm::TFastDIB back, direct;
    if (!back.LoadFromStream(stream)) std::abort();
    direct.AssignStreamImage(image);
    if (!Same(back, direct)) std::abort();

    if (!pm::ConvertDepth(image, 24) || image.Bpp() != 24) std::abort();
    return 0;
}
