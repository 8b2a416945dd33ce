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
    std::vector<std::uint32_t> column(n);
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
        for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t s = 0;
            for (int k = 0; k < ring; ++k) s += taps[std::size_t(k)] * padded[i + std::size_t(k) * 3];
            out[i] = std::uint16_t((s + 32) >> 6);
        }
    };
    int ready = -1;  // rows blurred so far: 0 .. ready
    const int limit = threshold * 256;
    for (int row = 0; row < h; ++row) {
        while (ready < std::min(h - 1, row + r)) blurRow(++ready);
        std::fill(column.begin(), column.end(), 0u);
        for (int k = -r; k <= r; ++k) {
            const int from = std::clamp(row + k, 0, h - 1);
            const std::uint16_t* b = &blurred[std::size_t(from % ring) * n];
            const std::uint32_t t = taps[std::size_t(k + r)];
            for (std::size_t i = 0; i < n; ++i) column[i] += t * b[i];
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
