#include "decoders/MetafileCanvas.h"

#include <algorithm>
#include <cmath>

namespace pm {

namespace {

// Far outside any picture but still exact in a double and an int.
constexpr double kFar = 1e7;

double Clamp(double v) {
    return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0.0;
}

struct TEdge {
    double x0, y0, x1, y1; // y0 < y1
    int dir;
};

} // namespace

bool TMetafileCanvas::Spend(std::uint64_t work) {
    if (exhausted_) return false;
    if (work > budget_) {
        budget_ = 0;
        exhausted_ = true;
        return false;
    }
    budget_ -= work;
    return true;
}

void TMetafileCanvas::FillPolygons(const std::vector<std::vector<TPointD>>& polygons, bool winding,
                                   TColorTriple colour) {
    const int w = dib_.Width(), h = dib_.Height();
    std::vector<TEdge> edges;
    for (const auto& poly : polygons) {
        if (!Spend(poly.size() + 1)) return;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            TPointD a{Clamp(poly[i].x), Clamp(poly[i].y)};
            const TPointD& q = poly[(i + 1) % poly.size()];
            TPointD b{Clamp(q.x), Clamp(q.y)};
            if (a.y == b.y) continue;
            if (a.y < b.y)
                edges.push_back({a.x, a.y, b.x, b.y, 1});
            else
                edges.push_back({b.x, b.y, a.x, a.y, -1});
        }
    }
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(), [](const TEdge& a, const TEdge& b) { return a.y0 < b.y0; });
    double top = edges.front().y0, bottom = top;
    for (const TEdge& e : edges) bottom = std::max(bottom, e.y1);
    const int rowFrom = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int rowTo = std::min(h, static_cast<int>(std::ceil(bottom - 0.5)));
    std::vector<const TEdge*> active;
    std::vector<std::pair<double, int>> crossings;
    std::size_t next = 0;
    for (int y = rowFrom; y < rowTo; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].y0 <= yc) active.push_back(&edges[next++]);
        active.erase(
            std::remove_if(active.begin(), active.end(), [&](const TEdge* e) { return e->y1 <= yc; }),
            active.end());
        crossings.clear();
        for (const TEdge* e : active)
            if (e->y0 <= yc)
                crossings.push_back({e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->dir});
        if (!Spend(crossings.size() + 1)) return;
        std::sort(crossings.begin(), crossings.end());
        int wind = 0;
        TColorTriple* row = dib_.Row24(h - 1 - y);
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            wind += winding ? crossings[i].second : 1;
            const bool inside = winding ? wind != 0 : (wind & 1) != 0;
            if (!inside) continue;
            const int x0 = std::max(0, static_cast<int>(std::ceil(crossings[i].first - 0.5)));
            const int x1 = std::min(w, static_cast<int>(std::ceil(crossings[i + 1].first - 0.5)));
            if (x1 <= x0) continue;
            if (!Spend(static_cast<std::uint64_t>(x1 - x0))) return;
            std::fill(row + x0, row + x1, colour);
        }
    }
}

void TMetafileCanvas::Line1(TPointD a, TPointD b, TColorTriple colour) {
    a = {Clamp(a.x), Clamp(a.y)};
    b = {Clamp(b.x), Clamp(b.y)};
    // Clip to the picture (plus a margin) first, so that far-away points cost
    // nothing (Liang-Barsky).
    const double lo[2] = {-2, -2}, hi[2] = {dib_.Width() + 2.0, dib_.Height() + 2.0};
    double t0 = 0, t1 = 1;
    const double d[2] = {b.x - a.x, b.y - a.y}, p0[2] = {a.x, a.y};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (p0[k] < lo[k] || p0[k] > hi[k]) return;
            continue;
        }
        double ta = (lo[k] - p0[k]) / d[k], tb = (hi[k] - p0[k]) / d[k];
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        if (t0 > t1) return;
    }
    // Rounding may leave the ends a hair outside the clip box: pin them.
    const TPointD s{std::clamp(a.x + d[0] * t0, lo[0], hi[0]), std::clamp(a.y + d[1] * t0, lo[1], hi[1])};
    const TPointD e{std::clamp(a.x + d[0] * t1, lo[0], hi[0]), std::clamp(a.y + d[1] * t1, lo[1], hi[1])};
    const double steps = std::ceil(std::max(std::fabs(e.x - s.x), std::fabs(e.y - s.y)));
    const int n = static_cast<int>(steps);
    if (!Spend(static_cast<std::uint64_t>(n) + 1)) return;
    for (int i = 0; i <= n; ++i) {
        const double t = n ? static_cast<double>(i) / n : 0;
        PutPixel(static_cast<int>(std::floor(s.x + (e.x - s.x) * t)),
                 static_cast<int>(std::floor(s.y + (e.y - s.y) * t)), colour);
    }
}

void TMetafileCanvas::Stroke(const std::vector<TPointD>& points, bool closed, double width,
                             TColorTriple colour) {
    if (points.empty()) return;
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    if (width <= 1.5) {
        if (points.size() == 1) Line1(points[0], points[0], colour);
        for (std::size_t i = 0; i < segments && !exhausted_; ++i)
            Line1(points[i], points[(i + 1) % points.size()], colour);
        return;
    }
    const double half = std::min(width, 2 * kFar) / 2;
    for (std::size_t i = 0; i < segments && !exhausted_; ++i) {
        const TPointD a{Clamp(points[i].x), Clamp(points[i].y)};
        const TPointD& q = points[(i + 1) % points.size()];
        const TPointD b{Clamp(q.x), Clamp(q.y)};
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (len == 0) continue;
        const double nx = -(b.y - a.y) / len * half, ny = (b.x - a.x) / len * half;
        FillPolygons(
            {{{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}}, true,
            colour);
    }
    // Round joins and ends.
    const int sides = 16;
    for (const TPointD& p : points) {
        if (exhausted_) return;
        std::vector<TPointD> disc;
        for (int k = 0; k < sides; ++k) {
            const double a = 2 * M_PI * k / sides;
            disc.push_back({Clamp(p.x) + half * std::cos(a), Clamp(p.y) + half * std::sin(a)});
        }
        FillPolygons({disc}, true, colour);
    }
}

void TMetafileCanvas::DrawBitmap(const TFastDIB& src, TPointD topLeft, TPointD topRight, TPointD bottomLeft,
                                 int sx, int sy, int sw, int sh) {
    if (src.Empty() || sw == 0 || sh == 0) return;
    // Destination pixel centre p = topLeft + u * (topRight - topLeft) + v * (bottomLeft - topLeft), with
    // (u, v) in [0, 1); solve for (u, v) over the bounding box of the quadrilateral.
    const double ax = topRight.x - topLeft.x, ay = topRight.y - topLeft.y;
    const double bx = bottomLeft.x - topLeft.x, by = bottomLeft.y - topLeft.y;
    const double det = ax * by - ay * bx;
    if (!std::isfinite(det) || std::fabs(det) < 1e-9) return;
    const double xs[4] = {topLeft.x, topRight.x, bottomLeft.x, topRight.x + bx};
    const double ys[4] = {topLeft.y, topRight.y, bottomLeft.y, topRight.y + by};
    const int x0 = std::max(0, static_cast<int>(std::floor(Clamp(*std::min_element(xs, xs + 4)))));
    const int x1 = std::min(dib_.Width(), static_cast<int>(std::ceil(Clamp(*std::max_element(xs, xs + 4)))));
    const int y0 = std::max(0, static_cast<int>(std::floor(Clamp(*std::min_element(ys, ys + 4)))));
    const int y1 = std::min(dib_.Height(), static_cast<int>(std::ceil(Clamp(*std::max_element(ys, ys + 4)))));
    if (x1 <= x0 || y1 <= y0) return;
    if (!Spend(static_cast<std::uint64_t>(x1 - x0) * static_cast<std::uint64_t>(y1 - y0))) return;
    for (int y = y0; y < y1; ++y) {
        TColorTriple* row = dib_.Row24(dib_.Height() - 1 - y);
        for (int x = x0; x < x1; ++x) {
            const double px = x + 0.5 - topLeft.x, py = y + 0.5 - topLeft.y;
            const double u = (px * by - py * bx) / det, v = (ax * py - ay * px) / det;
            if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
            const std::int64_t cx = sx + static_cast<std::int64_t>(std::floor(u * sw));
            const std::int64_t cy = sy + static_cast<std::int64_t>(std::floor(v * sh));
            if (cx < 0 || cy < 0 || cx >= src.Width() || cy >= src.Height()) continue;
            row[x] = src.GetPixel(src.Height() - 1 - static_cast<int>(cy), static_cast<int>(cx));
        }
    }
}

} // namespace pm
