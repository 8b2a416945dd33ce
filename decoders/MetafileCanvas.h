#pragma once
// The small rasteriser the metafile player draws with: filled polygons
// (alternate or winding rule), pen strokes and stretched bitmaps on a 24-bit
// TFastDIB. Coordinates are picture coordinates (y = 0 is the top line) in
// pixels, as real numbers; pixel (x, y) is covered when its centre
// (x + 0.5, y + 0.5) is inside a shape.
//
// Every operation spends from a work budget, so a hostile metafile cannot
// keep the player busy for long: once it is spent, drawing stops and
// Exhausted() says so.
#include "imaging/FastDIB.h"

#include <cstdint>
#include <vector>

namespace pm {

struct TPointD {
    double x = 0, y = 0;
};

class TMetafileCanvas {
  public:
    TMetafileCanvas(TFastDIB& dib, std::uint64_t budget) : dib_(dib), budget_(budget) {}

    void FillPolygons(const std::vector<std::vector<TPointD>>& polygons, bool winding, TColorTriple colour);
    // A pen of `width` pixels along the points; points at pixel centres.
    void Stroke(const std::vector<TPointD>& points, bool closed, double width, TColorTriple colour);
    // Draws `src` stretched into the quadrilateral spanned by the picture
    // points `topLeft`, `topRight` and `bottomLeft` (nearest pixel), taking
    // the source rectangle (sx, sy, sw, sh) in source picture lines.
    void DrawBitmap(const TFastDIB& src, TPointD topLeft, TPointD topRight, TPointD bottomLeft, int sx,
                    int sy, int sw, int sh);

    bool Exhausted() const { return exhausted_; }
    // Takes `work` units from the budget; false (and exhausted) when short.
    bool Spend(std::uint64_t work);

  private:
    void Line1(TPointD a, TPointD b, TColorTriple colour);
    void PutPixel(int x, int y, TColorTriple colour) {
        if (x >= 0 && y >= 0 && x < dib_.Width() && y < dib_.Height())
            dib_.Row24(dib_.Height() - 1 - y)[x] = colour;
    }

    TFastDIB& dib_;
    std::uint64_t budget_;
    bool exhausted_ = false;
};

} // namespace pm
