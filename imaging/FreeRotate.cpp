#include "imaging/FreeRotate.h"

#include <cmath>
#include <cstdint>
#include <numbers>

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
    const auto at = [&](long long x, long long y) -> const TColorTriple& {
        return (x < 0 || y < 0 || x >= w || y >= h) ? background : src.Row24(h - 1 - int(y))[x];
    };
    // Positions in 32.32 fixed point, stepped by whole-number additions; the
    // step's rounding drifts less than a millionth of a pixel along a line.
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(du_x * kOne), stepY = std::llround(du_y * kOne);
    const long long stride = src.Stride();
    for (int v = 0; v < oh; ++v) {
        TColorTriple* line = out.Row24(oh - 1 - v);
        long long px = std::llround((base_x + v * dv_x) * kOne),
                  py = std::llround((base_y + v * dv_y) * kOne);
        for (int u = 0; u < ow; ++u, px += stepX, py += stepY) {
            const long long x = px >> 32, y = py >> 32;  // floor
            // Far outside: the background, without reading anything.
            if (x < -1 || y < -1 || x >= w || y >= h) {
                line[u] = background;
                continue;
            }
            // 8-bit weights, rounded: 256 puts the whole weight on the next pixel.
            const int wx = int(((px & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
            const int wy = int(((py & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
            const int w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                      w11 = wx * wy;
            const std::uint8_t *p00, *p10, *p01, *p11;
            if (x >= 0 && y >= 0 && x + 1 < w && y + 1 < h) {
                // Inside: the four pixels without a bounds check. Line y + 1
                // is the stored row below line y.
                p00 = src.Row(h - 1 - int(y)) + 3 * x;
                p10 = p00 + 3;
                p01 = p00 - stride;
                p11 = p01 + 3;
            } else {
                p00 = &at(x, y).b;
                p10 = &at(x + 1, y).b;
                p01 = &at(x, y + 1).b;
                p11 = &at(x + 1, y + 1).b;
            }
            std::uint8_t* d = &line[u].b;
            for (int c = 0; c < 3; ++c)
                d[c] =
                    std::uint8_t((p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11 + 32768) >> 16);
        }
    }
}

}  // namespace pm
