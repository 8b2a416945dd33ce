#include "imaging/Blur.h"

#include <algorithm>

namespace pm {

namespace {

// Bytes [from, to) of a row whose source rows are other rows: nothing the
// loop writes is read again, so it runs as plain vector arithmetic. `reach`
// is the distance of the left and right neighbours in bytes.
void BlurSpan(const std::uint8_t* __restrict p, const std::uint8_t* __restrict q,
              std::uint8_t* __restrict out, int from, int to, int reach) {
    for (int i = from; i < to; ++i)
        out[i] = static_cast<std::uint8_t>((p[i - reach] + p[i + reach] + q[i - reach] + q[i + reach]) / 4);
}

// Byte channels: `channels` bytes averaged at every `step` bytes.
void BlurBytes(TFastDIB& bmp, int d, int step, int channels) {
    const int n = bmp.Height(), w = bmp.Width();
    for (int y = 0; y < n; ++y) {
        const std::uint8_t* p = bmp.Row(std::clamp(y - d, 0, n - 1));
        const std::uint8_t* q = bmp.Row(std::clamp(y + d, 0, n - 1));
        std::uint8_t* out = bmp.Row(y);
        const auto pixel = [&](int x) {
            const int l = std::clamp(x - d, 0, w - 1) * step, r = std::clamp(x + d, 0, w - 1) * step;
            for (int c = 0; c < channels; ++c)
                out[x * step + c] =
                    static_cast<std::uint8_t>((p[l + c] + p[r + c] + q[l + c] + q[r + c]) / 4);
        };
        // Where the pixel reads only other rows and its neighbours need no
        // clamping, whole runs of bytes are independent of each other.
        const bool span = d > 0 && p != out && q != out && step == channels && d < w - d;
        if (!span) {
            for (int x = 0; x < w; ++x) pixel(x);
            continue;
        }
        for (int x = 0; x < d; ++x) pixel(x);
        BlurSpan(p, q, out, d * step, (w - d) * step, d * step);
        for (int x = w - d; x < w; ++x) pixel(x);
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
