#include "imaging/AlphaMark.h"

#include "imaging/Resample.h"

#include <algorithm>

namespace pm {

TAlphaImage AlphaImageOf(const TFastDIB& dib) {
    TAlphaImage out;
    out.Width = dib.Width();
    out.Height = dib.Height();
    out.Bgra.resize(std::size_t(out.Width) * std::size_t(out.Height) * 4);
    bool hasAlpha = false;
    if (dib.Bpp() == 32)
        for (int row = 0; row < dib.Height() && !hasAlpha; ++row)
            for (int x = 0; x < dib.Width(); ++x)
                if (dib.Row(row)[std::size_t(x) * 4 + 3] != 0) {
                    hasAlpha = true;
                    break;
                }
    TFastDIB converted;
    const TFastDIB* src = &dib;
    if (!hasAlpha && dib.Bpp() != 24) {
        converted = dib;
        if (!ConvertDepth(converted, 24)) return {};
        src = &converted;
    }
    for (int y = 0; y < out.Height; ++y) {
        const std::uint8_t* s = src->Row(out.Height - 1 - y);
        std::uint8_t* d = &out.Bgra[std::size_t(y) * std::size_t(out.Width) * 4];
        for (int x = 0; x < out.Width; ++x, d += 4) {
            if (hasAlpha) {
                const int a = s[4 * x + 3];
                for (int c = 0; c < 3; ++c) d[c] = std::uint8_t((s[4 * x + c] * a + 127) / 255);
                d[3] = std::uint8_t(a);
            } else {
                d[0] = s[3 * x], d[1] = s[3 * x + 1], d[2] = s[3 * x + 2], d[3] = 255;
            }
        }
    }
    return out;
}

TAlphaImage ScaleAlphaImage(const TAlphaImage& src, int w, int h) {
    if (src.Empty() || w < 1 || h < 1) return {};
    if (w == src.Width && h == src.Height) return src;
    const TFilterInfo f = FilterInfo(rfTriangle);
    const TContributorTable cx = BuildContributors(f.Func, f.Radius, src.Width, w);
    const TContributorTable cy = BuildContributors(f.Func, f.Radius, src.Height, h);
    // Across first (w x src.Height), then down.
    std::vector<std::uint8_t> across(std::size_t(w) * std::size_t(src.Height) * 4);
    for (int y = 0; y < src.Height; ++y) {
        const std::uint8_t* s = &src.Bgra[std::size_t(y) * std::size_t(src.Width) * 4];
        std::uint8_t* d = &across[std::size_t(y) * std::size_t(w) * 4];
        for (int i = 0; i < w; ++i)
            for (int c = 0; c < 4; ++c) {
                std::int32_t sum = 0;
                for (int k = cx.Start[std::size_t(i)]; k < cx.Start[std::size_t(i) + 1]; ++k)
                    sum += cx.Weight[std::size_t(k)] *
                           s[std::size_t(cx.Pixel[std::size_t(k)]) * 4 + std::size_t(c)];
                d[std::size_t(i) * 4 + std::size_t(c)] = WeightedPixel(sum, cx.Total[std::size_t(i)]);
            }
    }
    TAlphaImage out;
    out.Width = w;
    out.Height = h;
    out.Bgra.resize(std::size_t(w) * std::size_t(h) * 4);
    const std::size_t n = std::size_t(w) * 4;
    std::vector<std::int32_t> sums(n);
    for (int j = 0; j < h; ++j) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = cy.Start[std::size_t(j)]; k < cy.Start[std::size_t(j) + 1]; ++k) {
            const std::uint8_t* s = &across[std::size_t(cy.Pixel[std::size_t(k)]) * n];
            const std::int32_t wt = cy.Weight[std::size_t(k)];
            for (std::size_t i = 0; i < n; ++i) sums[i] += wt * s[i];
        }
        std::uint8_t* d = &out.Bgra[std::size_t(j) * n];
        for (std::size_t i = 0; i < n; ++i) d[i] = WeightedPixel(sums[i], cy.Total[std::size_t(j)]);
        // Rounding may leave a colour a step above its alpha.
        for (std::size_t i = 0; i < n; i += 4)
            for (int c = 0; c < 3; ++c) d[i + std::size_t(c)] = std::min(d[i + std::size_t(c)], d[i + 3]);
    }
    return out;
}

void BlendAlphaImage(TFastDIB& image, const TAlphaImage& mark, long long x, long long y, int opacityPercent) {
    const int op = std::clamp(opacityPercent, 0, 100);
    if (op == 0 || mark.Empty() || image.Bpp() != 24) return;
    const long long x0 = std::max(0LL, x), x1 = std::min<long long>(image.Width(), x + mark.Width);
    const long long y0 = std::max(0LL, y), y1 = std::min<long long>(image.Height(), y + mark.Height);
    const int p = op * 255;
    for (long long py = y0; py < y1; ++py) {
        std::uint8_t* d = image.Row(int(image.Height() - 1 - py)) + 3 * x0;
        const std::uint8_t* s =
            &mark.Bgra[(std::size_t(py - y) * std::size_t(mark.Width) + std::size_t(x0 - x)) * 4];
        for (long long px = x0; px < x1; ++px, d += 3, s += 4) {
            const int keep = 25500 - s[3] * op;
            for (int c = 0; c < 3; ++c) d[c] = std::uint8_t((d[c] * keep + s[c] * p + 12750) / 25500);
        }
    }
}

}  // namespace pm
