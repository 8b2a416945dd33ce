#include "imaging/Resample.h"
#include "imaging/ResampleParts.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace pm {

namespace {

void HorizontalPassDense(const TContributorTable& ct, const TWindows& win, const TFastDIB& source,
                         TFastDIB& mid) {
    const int sw = source.Width(), tw = mid.Width();
    // A window may reach up to Taps - 1 pixels beyond the line with zero
    // weights; those entries stay 0.
    const std::size_t lane = static_cast<std::size_t>(sw) + static_cast<std::size_t>(win.Taps);
    std::vector<std::int16_t> channels(lane * 3, 0);
    std::int16_t* red = channels.data();
    std::int16_t* green = red + lane;
    std::int16_t* blue = green + lane;
    const std::vector<TWeightDivider> divide(ct.Total.begin(), ct.Total.end());
    for (int row = 0; row < source.Height(); ++row) {
        SplitLineChannels(source.Row24(row), sw, red, green, blue);
        DenseWindowLine(win, divide.data(), red, green, blue, mid.Row24(row), tw);
    }
}

// Reads the interleaved bytes of the source line directly (byte offsets of
// the contributors computed once); the sums are those of three separate
// channel arrays.
void HorizontalPassDirect(const TContributorTable& ct, const TFastDIB& source, TFastDIB& mid) {
    const int tw = mid.Width();
    std::vector<std::int32_t> offsets(ct.Pixel.size());
    for (std::size_t k = 0; k < offsets.size(); ++k) offsets[k] = ct.Pixel[k] * 3;
    const std::int32_t* offset = offsets.data();
    const std::int32_t* weight = ct.Weight.data();
    const std::int32_t* start = ct.Start.data();
    const std::vector<TWeightDivider> divide(ct.Total.begin(), ct.Total.end());
    for (int row = 0; row < source.Height(); ++row) {
        const std::uint8_t* line = source.Row(row);
        TColorTriple* out = mid.Row24(row);
        for (int i = 0; i < tw; ++i) {
            std::int32_t sr = 0, sg = 0, sb = 0;
            for (std::int32_t k = start[i]; k < start[i + 1]; ++k) {
                const std::uint8_t* p = line + offset[k];
                const std::int32_t w = weight[k];
                sb += w * p[0];
                sg += w * p[1];
                sr += w * p[2];
            }
            const TWeightDivider& d = divide[static_cast<std::size_t>(i)];
            out[i] = {d(sb), d(sg), d(sr)};
        }
    }
}

// Long lists (strong reductions, wide filters) run faster as dense windows,
// short ones as they are; both give the same sums.
void HorizontalPass(const TContributorTable& ct, const TFastDIB& source, TFastDIB& mid) {
    const TWindows win = DenseWindows(ct, mid.Width());
    if (!win.First.empty() && ct.Pixel.size() >= 10 * static_cast<std::size_t>(mid.Width()))
        HorizontalPassDense(ct, win, source, mid);
    else
        HorizontalPassDirect(ct, source, mid);
}

// Target line i (counted from the top) from the intermediate lines its
// contributors name.
void VerticalPass(const TContributorTable& ct, const TFastDIB& mid, TFastDIB& target) {
    const int sh = mid.Height(), th = target.Height();
    const std::size_t bytes = static_cast<std::size_t>(target.Width()) * 3;
    std::vector<std::int32_t> acc(bytes);
    std::vector<const std::uint8_t*> lines;
    for (int i = 0; i < th; ++i) {
        const std::int32_t first = ct.Start[static_cast<std::size_t>(i)];
        const std::int32_t last = ct.Start[static_cast<std::size_t>(i) + 1];
        lines.clear();
        for (std::int32_t k = first; k < last; ++k)
            lines.push_back(mid.Row(sh - 1 - ct.Pixel[static_cast<std::size_t>(k)]));
        WeightedLineSum(lines.data(), ct.Weight.data() + first, last - first,
                        ct.Total[static_cast<std::size_t>(i)], acc.data(), bytes, target.Row(th - 1 - i));
    }
}

}  // namespace

void ResampleTwoPass(TFilterFunc filter, float radius, const TFastDIB& source, TFastDIB& target,
                     const TDecodedScale& decoded) {
    const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
    if (sw == 0 || sh == 0 || tw == 0 || th == 0) return;
    const int d = decoded.Divisor > 1 ? decoded.Divisor : 1;
    const int fw = d > 1 ? decoded.FullWidth : sw, fh = d > 1 ? decoded.FullHeight : sh;
    TFastDIB mid;
    mid.SetSize(tw, sh, 24);
    HorizontalPass(BuildContributors(filter, radius, sw, tw, fw, d, d > 1 && decoded.ReverseX), source, mid);
    VerticalPass(BuildContributors(filter, radius, sh, th, fh, d, d > 1 && decoded.ReverseY), mid, target);
}

void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, const TFastDIB& source,
                    TFastDIB& target, const TDecodedScale& decoded) {
    const TFilterInfo info = FilterInfo(filter);
    if (radius == 0.0f) radius = info.Radius;
    TFastDIB result;
    result.SetSize(newWidth, newHeight, 24);
    if (source.Bpp() == 24) {
        ResampleTwoPass(info.Func, radius, source, result, decoded);
    } else {
        TFastDIB converted = source;
        if (!ConvertDepth(converted, 24)) throw std::runtime_error("Unsupported pixel depth");
        ResampleTwoPass(info.Func, radius, converted, result, decoded);
    }
    target.TakeOver(result);
}

void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, TFastDIB& bitmap) {
    ResampleBitmap(newWidth, newHeight, filter, radius, bitmap, bitmap);
}

}  // namespace pm
