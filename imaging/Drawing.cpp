#include "imaging/Drawing.h"

#include "imaging/Colors.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pm {

namespace {

// Paints picture line y from x0 to x1 - 1, clipped to the bitmap.
void PaintRun(TFastDIB& bmp, long long y, long long x0, long long x1, TColorTriple c) {
    if (y < 0 || y >= bmp.Height()) return;
    x0 = std::max<long long>(x0, 0);
    x1 = std::min<long long>(x1, bmp.Width());
    if (x1 <= x0 || bmp.Size() == 0) return;
    const int row = bmp.Height() - 1 - static_cast<int>(y);
    if (bmp.Bpp() == 24) {
        std::fill(bmp.Row24(row) + x0, bmp.Row24(row) + x1, c);
        return;
    }
    for (long long x = x0; x < x1; ++x) bmp.SetPixel(row, static_cast<int>(x), c);
}

using Wide = unsigned __int128;

// True when offset m from the centre line (in half pixels: m = |2i + 1 - w|)
// lies inside for a row whose squared half-pixel distance from the centre
// line is dy2: m^2 h^2 + dy2 w^2 <= w^2 h^2.
bool InsideEllipse(long long m, Wide dy2, long long w, long long h) {
    const Wide w2 = Wide(w) * Wide(w), h2 = Wide(h) * Wide(h);
    return Wide(m) * Wide(m) * h2 + dy2 * w2 <= w2 * h2;
}

}  // namespace

void FillRect(TFastDIB& bmp, int left, int top, int right, int bottom, TColorTriple color) {
    if (right <= left || bottom <= top) return;
    const int y0 = std::max(top, 0), y1 = std::min(bottom, bmp.Height());
    for (int y = y0; y < y1; ++y) PaintRun(bmp, y, left, right, color);
}

void FillFrame(TFastDIB& bmp, int left, int top, TColor color, int thickness, int bottom, int right) {
    const TColorTriple c = ColorToTriple(color);
    FillRect(bmp, left, top, right, top + thickness, c);
    FillRect(bmp, left, top, left + thickness, bottom, c);
    FillRect(bmp, left, bottom - thickness, right, bottom, c);
    FillRect(bmp, right - thickness, top, right, bottom, c);
}

TEllipseSpan EllipseRowSpan(long long w, long long h, long long row) {
    if (w <= 0 || h <= 0 || row < 0 || row >= h) return {};
    const long long dy = 2 * row + 1 - h;  // half pixels from the horizontal centre line
    const Wide dy2 = Wide(dy < 0 ? -dy : dy) * Wide(dy < 0 ? -dy : dy);
    // Floating-point guess of the largest half-pixel offset, then exact steps.
    const double hd = static_cast<double>(h), dd = static_cast<double>(dy);
    long long m =
        static_cast<long long>(static_cast<double>(w) * std::sqrt(std::max(0.0, hd * hd - dd * dd)) / hd);
    m = std::clamp<long long>(m, 0, w - 1);
    while (m >= 0 && !InsideEllipse(m, dy2, w, h)) --m;
    while (m + 1 <= w - 1 && InsideEllipse(m + 1, dy2, w, h)) ++m;
    // Offsets of pixel centres have the parity of w - 1.
    if (m >= 0 && ((m ^ (w - 1)) & 1)) --m;
    if (m < 0) return {};
    return {static_cast<int>((w - 1 - m) / 2), static_cast<int>((w - 1 + m) / 2)};
}

void TDrawContext::SelectSolidBrush(TColor color) {
    brush_ = ColorToTriple(color);
}

void TDrawContext::SelectPen(TPenStyle style, int width, TColor color) {
    pen_ = TPen{style, std::max(width, 1), ColorToTriple(color)};
}

void TDrawContext::FillRect(int left, int top, int right, int bottom) {
    if (brush_) pm::FillRect(target_, left, top, right, bottom, *brush_);
}

void TDrawContext::Ellipse(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top || (!brush_ && !pen_)) return;
    // Outer box: the box itself, grown for a centred solid pen wider than 1.
    long long ol = left, ot = top, orr = right, ob = bottom;
    long long ring = 0;
    if (pen_) {
        ring = pen_->Width;
        if (pen_->Style == TPenStyle::Solid) {
            const long long grow = (pen_->Width - 1) / 2;
            ol -= grow, ot -= grow, orr += grow, ob += grow;
        }
    }
    const long long ow = orr - ol, oh = ob - ot;
    const long long height = target_.Height();
    // Spans of the rows that are drawn and of those within `ring` of them.
    const long long r0 = std::max(ot, -ring), r1 = std::min(ob, height + ring);
    if (r1 <= r0) return;
    std::vector<TEllipseSpan> spans(static_cast<std::size_t>(r1 - r0));
    for (long long y = r0; y < r1; ++y)
        spans[static_cast<std::size_t>(y - r0)] = EllipseRowSpan(ow, oh, y - ot);
    // reach[d]: how far along a row an outside pixel may lie, d rows away,
    // to be within `ring` of a pixel: floor(sqrt(ring^2 - d^2)).
    std::vector<long long> reach(static_cast<std::size_t>(ring) + 1);
    for (long long d = 0; d <= ring; ++d) {
        long long k = static_cast<long long>(std::sqrt(static_cast<double>(ring * ring - d * d)));
        while (k * k > ring * ring - d * d) --k;
        while ((k + 1) * (k + 1) <= ring * ring - d * d) ++k;
        reach[static_cast<std::size_t>(d)] = k;
    }
    // A ring at least half as thick as the box leaves no inside.
    const bool noInside = ow < 2 * ring + 1 || oh < 2 * ring + 1;
    for (long long y = std::max(ot, 0LL); y < std::min(ob, height); ++y) {
        const TEllipseSpan& outer = spans[static_cast<std::size_t>(y - r0)];
        if (outer.Empty()) continue;
        const long long x0 = ol + outer.Lo, x1 = ol + outer.Hi + 1;
        if (!pen_) {
            PaintRun(target_, y, x0, x1, *brush_);
            continue;
        }
        // The inside: pixels with no outside pixel within `ring` (Euclidean,
        // between pixel centres); the outline is the rest of the ellipse.
        long long lo = outer.Lo, hi = outer.Hi;
        for (long long d = -ring; d <= ring && !noInside && lo <= hi; ++d) {
            const long long yy = y + d;
            if (yy < ot || yy >= ob) {
                lo = 1, hi = 0;
                break;
            }
            const TEllipseSpan& s = spans[static_cast<std::size_t>(yy - r0)];
            const long long k = reach[static_cast<std::size_t>(d < 0 ? -d : d)];
            lo = std::max(lo, s.Lo + k);
            hi = std::min(hi, s.Hi - k);
        }
        if (noInside || lo > hi) {
            PaintRun(target_, y, x0, x1, pen_->Color);
            continue;
        }
        const long long i0 = ol + lo, i1 = ol + hi + 1;
        if (brush_) PaintRun(target_, y, i0, i1, *brush_);
        PaintRun(target_, y, x0, i0, pen_->Color);
        PaintRun(target_, y, i1, x1, pen_->Color);
    }
}

}  // namespace pm
