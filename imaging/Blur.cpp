#include "imaging/Blur.h"

#include <algorithm>

namespace pm {

namespace {

// Byte channels: `channels` bytes averaged at every `step` bytes.
void BlurBytes(TFastDIB& bmp, int d, int step, int channels) {
    const int n = bmp.Height(), w = bmp.Width();
    for (int y = 0; y < n; ++y) {
        const std::uint8_t* p = bmp.Row(std::clamp(y - d, 0, n - 1));
        const std::uint8_t* q = bmp.Row(std::clamp(y + d, 0, n - 1));
        std::uint8_t* out = bmp.Row(y);
        for (int x = 0; x < w; ++x) {
            const int l = std::clamp(x - d, 0, w - 1) * step, r = std::clamp(x + d, 0, w - 1) * step;
            for (int c = 0; c < channels; ++c)
                out[x * step + c] =
                    static_cast<std::uint8_t>((p[l + c] + p[r + c] + q[l + c] + q[r + c]) / 4);
        }
    }
}

void Blur16(TFastDIB& bmp, int d) {
    const int n = bmp.Height(), w = bmp.Width();
    for (int y = 0; y < n; ++y) {
        const int p = std::clamp(y - d, 0, n - 1), q = std::clamp(y + d, 0, n - 1);
        for (int x = 0; x < w; ++x) {
            const int l = std::clamp(x - d, 0, w - 1), r = std::clamp(x + d, 0, w - 1);
            const TColorTriple a = bmp.GetPixel(p, l), b = bmp.GetPixel(p, r), c = bmp.GetPixel(q, l),
                               e = bmp.GetPixel(q, r);
            bmp.SetPixel(y, x,
                         {static_cast<std::uint8_t>((a.b + b.b + c.b + e.b) / 4),
                          static_cast<std::uint8_t>((a.g + b.g + c.g + e.g) / 4),
                          static_cast<std::uint8_t>((a.r + b.r + c.r + e.r) / 4)});
        }
    }
}

}  // namespace

void SplitBlur(TFastDIB& bmp, int d) {
    if (bmp.Width() <= 0 || bmp.Height() <= 0 || bmp.Size() == 0) return;
    switch (bmp.Bpp()) {
    case 8:
        BlurBytes(bmp, d, 1, 1);
        break;
    case 16:
        Blur16(bmp, d);
        break;
    case 24:
        BlurBytes(bmp, d, 3, 3);
        break;
    case 32:
        BlurBytes(bmp, d, 4, 3);
        break;
    default:
        break;
    }
}

}  // namespace pm
