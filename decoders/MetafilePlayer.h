#pragma once
// The drawing state and operations the WMF and EMF readers share: a device
// context in miniature (pen, brush, fill mode, current position, mapping,
// saved states, object table) that draws in logical coordinates onto the
// picture through TMetafileCanvas.
#include "decoders/MetafileCanvas.h"

#include <cstdint>
#include <vector>

namespace pm {

struct TMfPen {
    bool null = false;
    double width = 0;  // logical units; 0 is one pixel
    TColorTriple colour{};
};

struct TMfBrush {
    bool null = false;
    TColorTriple colour{255, 255, 255};
};

// An entry of the object table; kinds the player does not draw with (fonts,
// palettes, regions) only hold their slot.
struct TMfObject {
    enum class Kind { Free, Pen, Brush, Other } kind = Kind::Free;
    TMfPen pen;
    TMfBrush brush;
};

// Mapping modes with their GDI numbers.
enum TMfMapMode {
    mmText = 1,
    mmLoMetric,
    mmHiMetric,
    mmLoEnglish,
    mmHiEnglish,
    mmTwips,
    mmIsotropic,
    mmAnisotropic
};

struct TMfState {
    TMfPen pen;
    TMfBrush brush;
    bool winding = false;
    TPointD position;
    int mapMode = mmText;
    double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;  // world transform
};

class TMetafilePlayer {
public:
    // `pixelsPerMm` is the reference device's resolution, for the metric
    // mapping modes; picture = device * scale + offset.
    TMetafilePlayer(TFastDIB& dib, double pixelsPerMmX, double pixelsPerMmY, double scaleX, double scaleY,
                    double offsetX, double offsetY);

    TMfState& State() { return state_; }
    TMetafileCanvas& Canvas() { return canvas_; }
    bool Exhausted() const { return canvas_.Exhausted(); }

    void SaveDC();
    void RestoreDC(int which);

    // Object table.
    void SetTableSize(std::size_t n) { objects_.assign(n, TMfObject()); }
    std::size_t FirstFreeSlot() const;  // table size when full
    TMfObject* Object(std::size_t index) { return index < objects_.size() ? &objects_[index] : nullptr; }
    void Select(const TMfObject& object);

    TPointD Map(double x, double y) const;
    double PenPixels(double logicalWidth) const;

    // Inside a path (BeginPath ... EndPath) these add figures to the path
    // instead of drawing.
    void Polygons(const std::vector<std::vector<TPointD>>& logical);
    void Polyline(const std::vector<TPointD>& logical);
    // A polyline from the current position (the first point) on.
    void PolylineTo(const std::vector<TPointD>& logical);
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Rectangle(double l, double t, double r, double b);
    void Ellipse(double l, double t, double r, double b);
    // Fills the rectangle with the brush (patCopy), black or white.
    void PatBlt(double x, double y, double w, double h, std::uint32_t rop);
    // The bitmap's rectangle (sx, sy, sw, sh) in picture lines into the
    // logical rectangle (x, y, w, h).
    void Bitmap(const TFastDIB& src, double x, double y, double w, double h, int sx, int sy, int sw, int sh);
    // The same with the source rectangle's lines counted from the bottom, as
    // the DIB records of both metafile kinds give them.
    void BitmapFromBottom(const TFastDIB& src, double x, double y, double w, double h, int sx, int sy, int sw,
                          int sh);

    void BeginPath();
    void EndPath() { inPath_ = false; }
    void AbortPath();
    void CloseFigure();
    // Fills and/or strokes the path's figures, then forgets the path.
    void DrawPath(bool fill, bool stroke);

private:
    struct TFigure {
        std::vector<TPointD> points;  // picture coordinates
        bool closed = false;
    };
    void FillAndStroke(const std::vector<std::vector<TPointD>>& picture, bool fill);
    void Shape(std::vector<TPointD> picture);
    TFigure& OpenFigure();
    bool AddToPath(std::size_t points);

    TMetafileCanvas canvas_;
    TMfState state_;
    std::vector<TMfState> saved_;
    std::vector<TMfObject> objects_;
    bool inPath_ = false;
    std::vector<TFigure> path_;
    std::size_t pathPoints_ = 0;
    double pxPerMmX_, pxPerMmY_, scaleX_, scaleY_, offsetX_, offsetY_;
};

// A device-independent bitmap embedded in a record (a BITMAPINFO followed by
// its bits) as a TFastDIB; false when it does not fit the record.
bool ReadEmbeddedDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                     std::size_t bitsSize, TFastDIB& dib);

// The work budget for a picture of the given size.
std::uint64_t MetafileBudget(int width, int height);

}  // namespace pm

namespace pm {

// A packed device-independent bitmap (BITMAPINFO, colour table and bits in
// one block, as metafile records hold them).
bool ReadPackedDib(const std::uint8_t* p, std::size_t n, TFastDIB& dib);

}  // namespace pm
