#include "imaging/UnsharpMask.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pm {

std::vector<std::uint32_t> GaussianTaps(double sigma) {
    const int r = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
    std::vector<double> g(std::size_t(2 * r + 1));
    double sum = 0;
    for (int k = -r; k <= r; ++k) sum += g[std::size_t(k + r)] = std::exp(-0.5 * k * k / (sigma * sigma));
    std::vector<std::uint32_t> taps(g.size());
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < g.size(); ++i)
        total += taps[i] = std::uint32_t(std::lround(g[i] / sum * 16384));
    taps[std::size_t(r)] += 16384 - total;
    return taps;
}

void UnsharpMask(TFastDIB& image, double sigma, int amountPercent, int threshold) {
    const int w = image.Width(), h = image.Height();
    if (w < 1 || h < 1 || image.Bpp() != 24) return;
    const std::vector<std::uint32_t> taps = GaussianTaps(sigma);
    const int r = int(taps.size() / 2);
    const std::size_t n = std::size_t(w) * 3;
    // Horizontally blurred rows (value * 256), a ring of 2r + 1 of them: row
    // i lives in slot i mod (2r + 1). The rows a line needs are distinct
    // slots, clamped ones included.
    const int ring = 2 * r + 1;
    std::vector<std::uint16_t> blurred(n * std::size_t(ring));
    std::vector<std::uint32_t> column(n), across(n);
    std::vector<std::uint8_t> padded(std::size_t(w + 2 * r) * 3);
    const auto blurRow = [&](int row) {
        const std::uint8_t* src = image.Row(row);
        // The row with r border pixels repeated on each side.
        for (int x = 0; x < r; ++x) {
            std::copy_n(src, 3, &padded[std::size_t(x) * 3]);
            std::copy_n(src + n - 3, 3, &padded[std::size_t(w + r + x) * 3]);
        }
        std::copy_n(src, n, &padded[std::size_t(r) * 3]);
        std::uint16_t* out = &blurred[std::size_t(row % ring) * n];
        // Taps in the outer loop, so the inner one runs along the row; the
        // taps are symmetric, so each weight multiplies the sum of a pair.
        {
            const std::uint32_t t = taps[std::size_t(r)];
            const std::uint8_t* c = &padded[std::size_t(r) * 3];
            for (std::size_t i = 0; i < n; ++i) across[i] = t * c[i];
        }
        for (int k = 1; k <= r; ++k) {
            const std::uint32_t t = taps[std::size_t(r + k)];
            const std::uint8_t* a = &padded[std::size_t(r - k) * 3];
            const std::uint8_t* b = &padded[std::size_t(r + k) * 3];
            for (std::size_t i = 0; i < n; ++i) across[i] += t * std::uint32_t(a[i] + b[i]);
        }
        for (std::size_t i = 0; i < n; ++i) out[i] = std::uint16_t((across[i] + 32) >> 6);
    };
    int ready = -1;  // rows blurred so far: 0 .. ready
    const int limit = threshold * 256;
    for (int row = 0; row < h; ++row) {
        while (ready < std::min(h - 1, row + r)) blurRow(++ready);
        const auto line = [&](int k) {
            return &blurred[std::size_t(std::clamp(row + k, 0, h - 1) % ring) * n];
        };
        {
            const std::uint32_t t = taps[std::size_t(r)];
            const std::uint16_t* c = line(0);
            for (std::size_t i = 0; i < n; ++i) column[i] = t * c[i];
        }
        for (int k = 1; k <= r; ++k) {
            const std::uint32_t t = taps[std::size_t(r + k)];
            const std::uint16_t *a = line(-k), *b = line(k);
            for (std::size_t i = 0; i < n; ++i) column[i] += t * (std::uint32_t(a[i]) + b[i]);
        }
        std::uint8_t* p = image.Row(row);
        for (std::size_t i = 0; i < n; ++i) {
            const int smooth = int((column[i] + 8192) >> 14);
            const int diff = p[i] * 256 - smooth;
            if (std::abs(diff) < limit) continue;
            const int m = amountPercent * diff;
            const int step = m >= 0 ? (m + 12800) / 25600 : -((12800 - m) / 25600);
            p[i] = std::uint8_t(std::clamp(p[i] + step, 0, 255));
        }
    }
}

}  // namespace pm
