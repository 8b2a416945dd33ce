// Kodak Photo-CD images: the 768 x 512 base image, Photo YCC turned into
// RGB. A portrait flag in the image pack header turns the picture upright.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <cmath>
#include <cstring>

namespace pm {

namespace {

constexpr std::size_t kSignatureAt = 0x800;
constexpr std::size_t kOrientationAt = 0xE02;
constexpr std::size_t kBaseAt = 0x30000;
constexpr int kBaseWidth = 768, kBaseHeight = 512;
// Two luma lines, then one line each of the two half-width chroma channels.
constexpr std::size_t kPairBytes = kBaseWidth * 2 + kBaseWidth;

std::uint8_t Clamp(double v) {
    if (v <= 0) return 0;
    if (v >= 255) return 255;
    return static_cast<std::uint8_t>(std::nearbyint(v));
}

TColorTriple YccToRgb(int y, int c1, int c2) {
    const double l = 1.3584 * y;
    const double cb = 2.2179 * (c1 - 156);
    const double cr = 1.8215 * (c2 - 137);
    return {Clamp(l + cb), Clamp(l - 0.194 * cb - 0.509 * cr), Clamp(l + cr)};
}

} // namespace

bool DecodePcd(const TDecodeInput& in, TPicture& out, std::string& error) {
    if (in.Size < kSignatureAt + 7 || std::memcmp(in.Data + kSignatureAt, "PCD_IPI", 7) != 0)
        return Fail(error, "Not a Photo-CD image pack");
    if (in.Size < kBaseAt + kPairBytes * (kBaseHeight / 2))
        return Fail(error, "Truncated Photo-CD base image");
    // The scan lies turned: 0 upright; 1 is turned back a quarter anticlockwise, 2 half
    // round, 3 a quarter clockwise.
    const int rotation = in.Data[kOrientationAt] & 3;
    const bool portrait = rotation == 1 || rotation == 3;
    const int w = portrait ? kBaseHeight : kBaseWidth, h = portrait ? kBaseWidth : kBaseHeight;
    if (!CreateImage(out, w, h, 24, error)) return false;
    TFastDIB& img = out.Image;
    for (int y = 0; y < kBaseHeight; ++y) {
        const std::uint8_t* pair = in.Data + kBaseAt + (y / 2) * kPairBytes;
        const std::uint8_t* luma = pair + (y & 1) * kBaseWidth;
        const std::uint8_t* c1 = pair + 2 * kBaseWidth;
        const std::uint8_t* c2 = c1 + kBaseWidth / 2;
        for (int x = 0; x < kBaseWidth; ++x) {
            // Where the stored pixel (x, y) lands in the upright picture.
            int px = x, py = y;
            switch (rotation) {
            case 1:
                px = y, py = kBaseWidth - 1 - x;
                break;
            case 2:
                px = kBaseWidth - 1 - x, py = kBaseHeight - 1 - y;
                break;
            case 3:
                px = kBaseHeight - 1 - y, py = x;
                break;
            default:
                break;
            }
            img.Row24(h - 1 - py)[px] = YccToRgb(luma[x], c1[x / 2], c2[x / 2]);
        }
    }
    return true;
}

} // namespace pm
