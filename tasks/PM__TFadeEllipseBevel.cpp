#include "tasks/PM__TFadeEllipseBevel.h"

#include "imaging/Arith.h"
#include "imaging/Blur.h"
#include "imaging/Colors.h"
#include "imaging/FadeRamp.h"
#include "imaging/MaskMix.h"
#include "log/WriteLog.h"

#include <algorithm>
#include <cmath>

namespace pm {

namespace {

// Everything here works on stored rows (row 0 is the bottom line).
class TRingPainter {
public:
    TRingPainter(TFastDIB& mask, int cx, int cy) : mask_(mask), cx_(cx), cy_(cy) {}

    // The four mirror points of (x, y) around the centre. From the second
    // ring on, each point also fills a still black pixel one row further out,
    // so that neighbouring rings leave no single-pixel gaps.
    void Plot(int x, int y, std::uint8_t g, bool closeGaps) {
        const int points[4][2] = {
            {cx_ + x, cy_ - y}, {cx_ - x, cy_ - y}, {cx_ - x, cy_ + y}, {cx_ + x, cy_ + y}};
        for (const auto& p : points) Set(p[0], p[1], g);
        if (!closeGaps) return;
        for (int i = 0; i < 4; ++i) {
            const int row = i < 2 ? points[i][1] - 1 : points[i][1] + 1;
            if (Inside(points[i][0], row) && mask_.Row(row)[points[i][0]] == 0)
                mask_.Row(row)[points[i][0]] = g;
        }
    }

    // Columns x0 .. x1 of the rows cy - y and cy + y.
    void Span(int y, int x0, int x1, std::uint8_t level) {
        PaintMaskRun(mask_, cy_ - y, x0, x1, level);
        PaintMaskRun(mask_, cy_ + y, x0, x1, level);
    }

private:
    bool Inside(int x, int row) const {
        return x >= 0 && x < mask_.Width() && row >= 0 && row < mask_.Height();
    }
    void Set(int x, int row, std::uint8_t g) {
        if (Inside(x, row)) mask_.Row(row)[x] = g;
    }

    TFastDIB& mask_;
    int cx_, cy_;
};

// The other coordinate of the ellipse point at `along` on a half axis of
// `axis`, the other half axis being `across`: round(sqrt((1 - along² / axis²)
// × across²)), halves to even.
int EllipseOffset(int along, int axis, int across) {
    const double ratio = static_cast<double>(along) * along / (static_cast<double>(axis) * axis);
    return RoundHalfEven(std::sqrt((1.0 - ratio) * (static_cast<double>(across) * across)));
}

}  // namespace

TFadeEllipseBevel::TFadeEllipseBevel(TRunContext* context)
    : TEffect(context, "FadeEllipseBevel", TCanvas::SourceCopy),
      // A negative thickness is no band.
      Bevel_Thickness(Declare<TKX_Integer>("FX5_Bevel_Thickness", "Bevel_Thickness", 60, {0, 100},
                                           TIntRange::AtLeast(0))),
      BG_Color(Declare<TKX_Color>("FX5_BG_Color", "BG_Color", 0x008000u)),
      Shadow_Color(Declare<TKX_Color>("FX5_Shadow_Color", "Shadow_Color", 0xFF0000u)),
      Solid_Border(Declare<TKX_Boolean>("FX5_Solid_Border", "Solid_Border", false)) {
    classInfo_ = {"TFadeEllipseBevel", "Border: \"FadeEllipseBevel\"", "Make border \"FadeEllipseBevel\"", 6};
}

TFadeEllipseBevel::TGeometry TFadeEllipseBevel::Geometry(int width, int height) {
    TGeometry g;
    g.A = RoundHalfEven((width - 2.0) / 2.0);
    g.B = RoundHalfEven((height - 2.0) / 2.0);
    g.CenterColumn = g.A;
    g.CenterRow = height - 1 - g.B;
    return g;
}

bool TFadeEllipseBevel::Render(TFastDIB& image, TValueSlot slot) {
    const int w = image.Width(), h = image.Height();
    const TGeometry geo = Geometry(w, h);
    // The ring loop ends once a half axis is used up, so a huge thickness
    // never runs past min(a, b) rings and needs only that much of its ramp.
    const int t = Bevel_Thickness.InRange(slot);
    const int lastRing = std::max(0, std::min({t, geo.A, geo.B}));
    const std::vector<std::uint8_t> ramp = GreyRamp(t, lastRing + 1);
    const bool solid = Solid_Border.GetValue(slot);

    // `inside` marks the ellipse (white), `fade` the image's share.
    TFastDIB inside = MakeGreyPlane(w, h, 0);
    TFastDIB fade = MakeGreyPlane(w, h, 0);
    TRingPainter rings(fade, geo.CenterColumn, geo.CenterRow);
    TRingPainter window(inside, geo.CenterColumn, geo.CenterRow);
    for (int p = 0; p <= lastRing; ++p) {
        const int a = geo.A - p, b = geo.B - p;
        if (a <= 0 || b <= 0) break;
        const std::uint8_t g = ramp[solid ? 0 : p];
        for (int x = 0; x <= a; ++x) rings.Plot(x, EllipseOffset(x, a, b), g, p >= 1);
        for (int y = 0; y <= b; ++y) {
            const int x = EllipseOffset(y, b, a);
            rings.Plot(x, y, g, p >= 1);
            if (p == 0) window.Span(y, geo.CenterColumn - x, geo.CenterColumn + x - 1, 255);
            if (p == t) rings.Span(y, geo.CenterColumn - x + 1, geo.CenterColumn + x - 1, 255);
        }
    }
    if (t > 0) SplitBlur(fade, 1);

    MixThroughMask(image, fade, ColorToTriple(Shadow_Color.GetValue(slot)));
    PaintWhereMaskZero(image, inside, ColorToTriple(BG_Color.GetValue(slot)));
    return true;
}

}  // namespace pm
