#include "imaging/FreeRotate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace pm {

namespace {

// Sides a hair over a whole number come from rounding in sin and cos, not
// from the angle.
int CanvasSide(double extent) {
    return static_cast<int>(std::ceil(extent - 1e-6));
}

}  // namespace

void TurnedSize(int w, int h, double degrees, int& outW, int& outH) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::fabs(std::cos(a)), s = std::fabs(std::sin(a));
    outW = CanvasSide(w * c + h * s);
    outH = CanvasSide(w * s + h * c);
    if (outW < 1) outW = 1;
    if (outH < 1) outH = 1;
}

namespace {

long long FloorDiv(long long a, long long b) {  // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The steps u in [0, n) whose whole part of p0 + u * step (32.32 fixed
// point) lies in lo .. hi, as the interval [first, end); empty when first >=
// end.
void Span(long long p0, long long step, long long lo, long long hi, int n, int& first, int& end) {
    const long long a = lo * (1LL << 32) - p0, b = (hi + 1) * (1LL << 32) - p0;  // a <= u * step < b
    long long f = 0, e = n;
    if (step > 0) {
        f = FloorDiv(a + step - 1, step);
        e = FloorDiv(b + step - 1, step);
    } else if (step < 0) {
        f = FloorDiv(-b, -step) + 1;
        e = FloorDiv(-a, -step) + 1;
    } else if (a > 0 || b <= 0) {
        e = 0;
    }
    first = int(std::clamp<long long>(f, 0, n));
    end = int(std::clamp<long long>(e, 0, n));
}

struct TTurnSource {
    const TFastDIB& src;
    TColorTriple background;
    int w, h;
    long long stride;

    // Line y of the picture, column x.
    const std::uint8_t* At(long long x, long long y) const { return src.Row(h - 1 - int(y)) + 3 * x; }

    // Bilinear with 8-bit weights, rounded: 256 puts the whole weight on the
    // next pixel.
    static void Mix(const std::uint8_t* p00, const std::uint8_t* p10, const std::uint8_t* p01,
                    const std::uint8_t* p11, long long px, long long py, std::uint8_t* d) {
        const int wx = int(((px & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
        const int wy = int(((py & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
        for (int c = 0; c < 3; ++c) {
            const int top = (256 - wx) * p00[c] + wx * p10[c], bottom = (256 - wx) * p01[c] + wx * p11[c];
            d[c] = std::uint8_t(((256 - wy) * top + wy * bottom + 32768) >> 16);
        }
    }

    // A pixel whose four source pixels may lie outside the picture: those
    // count as the background.
    void Edge(long long px, long long py, std::uint8_t* d) const {
        const long long x = px >> 32, y = py >> 32;  // floor
        const auto at = [&](long long cx, long long cy) {
            return (cx < 0 || cy < 0 || cx >= w || cy >= h) ? &background.b : At(cx, cy);
        };
        Mix(at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1), px, py, d);
    }

    // A pixel whose four source pixels are all inside: line y + 1 is the
    // stored row below line y.
    void Inside(long long px, long long py, std::uint8_t* d) const {
        const std::uint8_t* p00 = At(px >> 32, py >> 32);
        Mix(p00, p00 + 3, p00 - stride, p00 - stride + 3, px, py, d);
    }
};

}  // namespace

void FreeRotate(const TFastDIB& src, double degrees, bool mirrorX, bool mirrorY, TColorTriple background,
                TFastDIB& out) {
    const int w = src.Width(), h = src.Height();
    int ow = 0, oh = 0;
    TurnedSize(w, h, degrees, ow, oh);
    out.SetSize(ow, oh, 24);
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    // Picture coordinates, y downward, pixel centres at half units: the
    // output pixel (u, v) samples the source at the inverse turn of its
    // offset from the canvas centre; a mirror then reflects that position.
    const double sx = mirrorX ? -1.0 : 1.0, sy = mirrorY ? -1.0 : 1.0;
    // Source position of (u, v) = base + u * du + v * dv, in pixel-index units.
    const double du_x = sx * c, du_y = sy * -s;
    const double dv_x = sx * s, dv_y = sy * c;
    const double u0 = 0.5 - ow / 2.0, v0 = 0.5 - oh / 2.0;
    const double base_x = sx * (u0 * c + v0 * s) + w / 2.0 - 0.5;
    const double base_y = sy * (-u0 * s + v0 * c) + h / 2.0 - 0.5;
    // Positions in 32.32 fixed point, stepped by whole-number additions; the
    // step's rounding drifts less than a millionth of a pixel along a line.
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(du_x * kOne), stepY = std::llround(du_y * kOne);
    const TTurnSource source{src, background, w, h, src.Stride()};
    // A line of background to copy the spans outside the picture from.
    std::vector<TColorTriple> blank(std::size_t(ow), background);
    for (int v = 0; v < oh; ++v) {
        TColorTriple* line = out.Row24(oh - 1 - v);
        const long long px0 = std::llround((base_x + v * dv_x) * kOne),
                        py0 = std::llround((base_y + v * dv_y) * kOne);
        // Each line in up to five spans: the background, pixels at the
        // picture's edge, pixels inside it, the edge again, the background.
        int nearFirst, nearEnd, first, end;
        Span(px0, stepX, -1, w - 1, ow, nearFirst, nearEnd);
        Span(py0, stepY, -1, h - 1, ow, first, end);
        nearFirst = std::max(nearFirst, first);
        nearEnd = std::max(nearFirst, std::min(nearEnd, end));
        int inFirst, inEnd;
        Span(px0, stepX, 0, w - 2, ow, inFirst, inEnd);
        Span(py0, stepY, 0, h - 2, ow, first, end);
        inFirst = std::clamp(std::max(inFirst, first), nearFirst, nearEnd);
        inEnd = std::clamp(std::min(inEnd, end), inFirst, nearEnd);
        std::copy_n(blank.begin(), nearFirst, line);
        std::copy_n(blank.begin(), ow - nearEnd, line + nearEnd);
        for (int u = nearFirst; u < inFirst; ++u) source.Edge(px0 + u * stepX, py0 + u * stepY, &line[u].b);
        for (int u = inFirst; u < inEnd; ++u) source.Inside(px0 + u * stepX, py0 + u * stepY, &line[u].b);
        for (int u = inEnd; u < nearEnd; ++u) source.Edge(px0 + u * stepX, py0 + u * stepY, &line[u].b);
    }
}

}  // namespace pm
