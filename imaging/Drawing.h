#pragma once
// Drawing on a TFastDIB: rectangle fills, frames and ellipses with a solid
// brush and a pen. All coordinates are picture coordinates: x from the left,
// y from the top line (y = 0 is the top line; stored row = height - 1 - y).
// Boxes are (left, top) - (right, bottom) with the right and bottom edges
// excluded. Everything is clipped to the bitmap.
#include "imaging/FastDIB.h"
#include "log/LogTypes.h"

#include <optional>

namespace pm {

// Paints every pixel with left <= x < right and top <= y < bottom. An empty
// or inverted rectangle (right <= left or bottom <= top) paints nothing.
void FillRect(TFastDIB& bmp, int left, int top, int right, int bottom, TColorTriple color);

// Four bands of `thickness` just inside the box, in this order: top
// (left, top)-(right, top + t), left (left, top)-(left + t, bottom), bottom
// (left, bottom - t)-(right, bottom), right (right - t, top)-(right, bottom).
// The colour goes through ResolveColor. Thickness 0 paints nothing.
void FillFrame(TFastDIB& bmp, int left, int top, TColor color, int thickness, int bottom, int right);

enum class TPenStyle {
    Solid,        // the outline is centred on the ellipse's edge (width 1: the outermost pixels)
    InsideFrame,  // the whole outline, `width` pixels thick, lies inside the box
};

// The ellipse inscribed in the box (a pixel belongs to it when its centre
// does), symmetric about both centre lines of the box. Pixel offsets are
// counted from the box's top-left corner.
struct TEllipseSpan {
    int Lo = 0, Hi = -1;  // inclusive column offsets; empty when Hi < Lo
    bool Empty() const { return Hi < Lo; }
};
// The inside columns of row offset `row` (0 .. height - 1) of a width x height box.
TEllipseSpan EllipseRowSpan(long long width, long long height, long long row);

// A drawing target with the selected brush and pen. A new context has
// neither: fills and ellipses paint only with what has been selected.
class TDrawContext {
public:
    explicit TDrawContext(TFastDIB& target) : target_(target) {}

    TFastDIB& Target() { return target_; }

    // Replaces the current brush by a solid one (colour through ResolveColor).
    void SelectSolidBrush(TColor color);
    void DeleteCurrentBrush() { brush_.reset(); }
    // Replaces the current pen (colour through ResolveColor; a width below 1
    // counts as 1).
    void SelectPen(TPenStyle style, int width, TColor color);
    void DeleteCurrentPen() { pen_.reset(); }

    // FillRect with the current brush; nothing without a brush.
    void FillRect(int left, int top, int right, int bottom);
    // The ellipse inscribed in the box: its outline drawn with the pen, the
    // rest filled with the brush. The outline of a pen of width t is made of
    // the ellipse's pixels that have a pixel outside the ellipse within a
    // distance of t (between pixel centres): for t = 1 the pixels next to
    // the outside. InsideFrame keeps it inside the box; Solid centres it on
    // the edge (the box grown by (t - 1) / 2), which for t = 1 is the same.
    // An empty or inverted box draws nothing.
    void Ellipse(int left, int top, int right, int bottom);

private:
    struct TPen {
        TPenStyle Style;
        int Width;
        TColorTriple Color;
    };
    TFastDIB& target_;
    std::optional<TColorTriple> brush_;
    std::optional<TPen> pen_;
};

}  // namespace pm
