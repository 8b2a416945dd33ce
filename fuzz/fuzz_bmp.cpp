// The BMP/RLE/DIB reader on arbitrary bytes: it must fail cleanly or give a
// bitmap that converts to 24 bits and survives a trip through its own BMP
// stream unchanged.
#include "Harness.h"

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

void SurvivesItsStream(pm::TPicture& picture) {
    std::vector<std::uint8_t> stream;
    picture.Image.SaveToStream(stream);
    pm::TFastDIB back, direct;
    if (!back.LoadFromStream(stream)) std::abort();
    direct.AssignStreamImage(picture.Image);
    if (!Same(back, direct)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pm::fuzz::TTarget target{pm::DecodeBmp, "fuzz.bmp", true, SurvivesItsStream};
    return pm::fuzz::DecodeOne(target, data, size);
}
