#include "imaging/StretchBlt.h"

#include <cstdint>
#include <vector>

namespace pm {

namespace {

// For each target position, the source range [First, Last] it combines.
struct TSpan {
    int First, Last;
};

std::vector<TSpan> Spans(int s, int t) {
    std::vector<TSpan> spans(static_cast<std::size_t>(t));
    // Shrinking: p belongs to p * t div s, i.e. target i takes the sources
    // from ceil(i s / t) up to the first source of target i + 1.
    const auto first = [&](std::int64_t i) { return static_cast<int>((i * s + t - 1) / t); };
    for (int i = 0; i < t; ++i) {
        if (s > t)
            spans[static_cast<std::size_t>(i)] = {first(i), first(i + 1) - 1};
        else {
            const int p = static_cast<int>(static_cast<std::int64_t>(i) * s / t);
            spans[static_cast<std::size_t>(i)] = {p, p};
        }
    }
    return spans;
}

}  // namespace

bool StretchBlt(const TFastDIB& source, TFastDIB& target) {
    const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
    if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0 || source.Size() == 0 || target.Size() == 0 ||
        target.Bpp() != 24)
        return false;
    const std::vector<TSpan> cols = Spans(sw, tw), lines = Spans(sh, th);
    // Source line into 24 bits, then combined along the row.
    std::vector<TColorTriple> src(static_cast<std::size_t>(sw));
    std::vector<TColorTriple> acc(static_cast<std::size_t>(tw));
    std::vector<TColorTriple> row(static_cast<std::size_t>(tw));
    for (int ty = 0; ty < th; ++ty) {
        const TSpan& ls = lines[static_cast<std::size_t>(ty)];
        for (int sy = ls.First; sy <= ls.Last; ++sy) {
            const int sr = sh - 1 - sy;
            if (source.Bpp() == 24) {
                const TColorTriple* p = source.Row24(sr);
                src.assign(p, p + sw);
            } else {
                for (int x = 0; x < sw; ++x) src[static_cast<std::size_t>(x)] = source.GetPixel(sr, x);
            }
            for (int tx = 0; tx < tw; ++tx) {
                const TSpan& cs = cols[static_cast<std::size_t>(tx)];
                TColorTriple v = src[static_cast<std::size_t>(cs.First)];
                for (int sx = cs.First + 1; sx <= cs.Last; ++sx) {
                    const TColorTriple& q = src[static_cast<std::size_t>(sx)];
                    v = {static_cast<std::uint8_t>(v.b & q.b), static_cast<std::uint8_t>(v.g & q.g),
                         static_cast<std::uint8_t>(v.r & q.r)};
                }
                row[static_cast<std::size_t>(tx)] = v;
            }
            if (sy == ls.First) {
                acc = row;
            } else {
                for (int tx = 0; tx < tw; ++tx) {
                    TColorTriple& a = acc[static_cast<std::size_t>(tx)];
                    const TColorTriple& q = row[static_cast<std::size_t>(tx)];
                    a = {static_cast<std::uint8_t>(a.b & q.b), static_cast<std::uint8_t>(a.g & q.g),
                         static_cast<std::uint8_t>(a.r & q.r)};
                }
            }
        }
        TColorTriple* out = target.Row24(th - 1 - ty);
        for (int tx = 0; tx < tw; ++tx) out[tx] = acc[static_cast<std::size_t>(tx)];
    }
    return true;
}

}  // namespace pm
