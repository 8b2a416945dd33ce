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
    const auto at = [&](int x, int y) -> const TColorTriple& {
        return (x < 0 || y < 0 || x >= w || y >= h) ? background : src.Row24(h - 1 - y)[x];
    };
    for (int v = 0; v < oh; ++v) {
        TColorTriple* line = out.Row24(oh - 1 - v);
        const double lx = base_x + v * dv_x, ly = base_y + v * dv_y;
        for (int u = 0; u < ow; ++u) {
            // From the line start each time: no drift along long lines.
            const double px = lx + u * du_x, py = ly + u * du_y;
            const double fx = std::floor(px), fy = std::floor(py);
            // Far outside: the background, without reading anything.
            if (fx < -1 || fy < -1 || fx >= w || fy >= h) {
                line[u] = background;
                continue;
            }
            const int x = static_cast<int>(fx), y = static_cast<int>(fy);
            const int wx = static_cast<int>((px - fx) * 256.0 + 0.5),
                      wy = static_cast<int>((py - fy) * 256.0 + 0.5);
            const TColorTriple &p00 = at(x, y), &p10 = at(x + 1, y), &p01 = at(x, y + 1),
                               &p11 = at(x + 1, y + 1);
            const int w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                      w11 = wx * wy;
            const auto mix = [&](std::uint8_t TColorTriple::*ch) {
                return static_cast<std::uint8_t>(
                    (p00.*ch * w00 + p10.*ch * w10 + p01.*ch * w01 + p11.*ch * w11 + 32768) >> 16);
            };
            line[u] = {mix(&TColorTriple::b), mix(&TColorTriple::g), mix(&TColorTriple::r)};
        }
    }
}

}  // namespace pm
