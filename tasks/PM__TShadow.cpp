#include "tasks/PM__TShadow.h"

#include "imaging/Bitmap.h"
#include "imaging/Colors.h"
#include "imaging/Drawing.h"
#include "log/WriteLog.h"

#include <algorithm>
#include <cstdint>

namespace pm {

namespace {

constexpr TColor kBlack = 0x000000u;
constexpr TColor kWhite = 0xFFFFFFu;

struct TBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    TBox Shrunk(int by) const { return {Left + by, Top + by, Right - by, Bottom - by}; }
};

// A rounded rectangular frame of thickness t just inside the box (24-bit
// bitmap); a thickness of at least half the box's smaller side gives a
// filled rounded rectangle. Straight bands stop r short of each corner; the
// corners are the lower left quarter of a ring of thickness t inside a
// circle of diameter 2r, mirrored into all four.
void DrawRoundFrame(TFastDIB& b, const TBox& box, int r, int t, TColor color) {
    r = std::max(r, 0);
    const TColorTriple c = ColorToTriple(color);
    const int left = box.Left, top = box.Top, right = box.Right, bottom = box.Bottom;
    FillRect(b, left + r, top, right - r, top + t, c);
    FillRect(b, left, top + r, left + t, bottom - r, c);
    FillRect(b, left + r, bottom - t, right - r, bottom, c);
    FillRect(b, right - t, top + r, right, bottom - r, c);
    // A negative thickness paints no band, so no corners either.
    if (r == 0 || t <= 0) return;

    TFastDIB ring;
    ring.SetSize(2 * r, 2 * r, 24);
    ring.Fill(ColorToTriple(kWhite));
    TDrawContext dc(ring);
    dc.SelectSolidBrush(kWhite);
    dc.SelectPen(TPenStyle::InsideFrame, t, kBlack);
    dc.Ellipse(0, 0, 2 * r, 2 * r);
    dc.DeleteCurrentPen();
    dc.DeleteCurrentBrush();

    const int w = b.Width(), h = b.Height();
    const TColorTriple black = ColorToTriple(kBlack);
    auto paint = [&](long long x, long long y) {
        if (x >= 0 && x < w && y >= 0 && y < h) b.Row24(h - 1 - static_cast<int>(y))[x] = c;
    };
    for (int i = 0; i < r; ++i) {
        // Picture line 2r - 1 - i of the ring is its stored row i.
        const TColorTriple* line = ring.Row24(i);
        for (int j = 0; j < r; ++j) {
            if (!SameColor(line[j], black)) continue;
            paint(static_cast<long long>(left) + j, static_cast<long long>(top) + i);
            paint(static_cast<long long>(left) + j, static_cast<long long>(bottom) - 1 - i);
            paint(static_cast<long long>(right) - 1 - j, static_cast<long long>(top) + i);
            paint(static_cast<long long>(right) - 1 - j, static_cast<long long>(bottom) - 1 - i);
        }
    }
}

// The shadow's and the card's extent along one axis of length n for offset d.
void SplitAxis(int n, int d, int& shadowLo, int& shadowHi, int& cardLo, int& cardHi) {
    // Beyond the image both boxes are inverted; clamping keeps the sums in
    // range without moving any pixel that is drawn.
    d = std::clamp(d, -(n + 1), n + 1);
    if (d > 0) {
        shadowLo = d, shadowHi = n;
        cardLo = 0, cardHi = n - d;
    } else {
        shadowLo = 0, shadowHi = n + d;
        cardLo = -d, cardHi = n;
    }
}

}  // namespace

TShadow::TShadow(TRunContext* context)
    : TEffect(context, "Shadow", TCanvas::SourceCopy),
      Shadow_Y(Declare<TKX_Integer>("FX2_Shadow_Y", "Shadow_Y", 6, {-100, 100})),
      Shadow_X(Declare<TKX_Integer>("FX2_Shadow_X", "Shadow_X", 6, {-100, 100})),
      FG_Line1Thickness(
          Declare<TKX_Integer>("FX2_FG_Line1Thickness", "FG_Line1Thickness", 2, {0, 100}, kLineRun)),
      FG_Line2Thickness(
          Declare<TKX_Integer>("FX2_FG_Line2Thickness", "FG_Line2Thickness", 1, {0, 100}, kLineRun)),
      BG_Line1Thickness(
          Declare<TKX_Integer>("FX2_BG_Line1Thickness", "BG_Line1Thickness", 2, {0, 100}, kLineRun)),
      BG_Line2Thickness(
          Declare<TKX_Integer>("FX2_BG_Line2Thickness", "BG_Line2Thickness", 1, {0, 100}, kLineRun)),
      // A negative radius draws square corners, as 0 does.
      Radius(Declare<TKX_Integer>("FX2_Radius", "Radius", 30, {0, 100}, TIntRange::AtLeast(0))),
      Shadow_Color(Declare<TKX_Color>("FX2_Shadow_Color_CB", "Shadow_Color", 0x000000u)),
      BG_Color(Declare<TKX_Color>("FX2_BG_Color_CB", "BG_Color", 0x0000FFu)),
      FG_Line1Color(Declare<TKX_Color>("FX2_FG_Line1Color_CB", "FG_Line1Color", 0x000000u)),
      FG_Line2Color(Declare<TKX_Color>("FX2_FG_Line2Color_CB", "FG_Line2Color", 0x00FF00u)),
      BG_Line1Color(Declare<TKX_Color>("FX2_BG_Line1Color_CB", "BG_Line1Color", 0xFF0000u)),
      BG_Line2Color(Declare<TKX_Color>("FX2_BG_Line2Color_CB", "BG_Line2Color", 0x00FFFFu)) {
    classInfo_ = {"TShadow", "Border: \"Shadow\"", "Make border \"Shadow\"", 3};
}

bool TShadow::Accepts(TValueSlot slot) {
    const long long W = SrcBitmap.Width(), H = SrcBitmap.Height();
    if (H < 2LL * Radius.GetValue(slot) || W < 2LL * Radius.GetValue(slot)) {
        LogError("Very large value of radius.");
        return false;
    }
    return true;
}

bool TShadow::Render(TFastDIB& image, TValueSlot slot) {
    const int r = Radius.InRange(slot);
    TFastDIB canvas, mask;
    const int w = image.Width(), h = image.Height();
    canvas.SetSize(w, h, 24);
    mask.SetSize(w, h, 24);
    canvas.Fill(ColorToTriple(BG_Color.GetValue(slot)));

    TBox shadow, card;
    SplitAxis(w, Shadow_X.GetValue(slot), shadow.Left, shadow.Right, card.Left, card.Right);
    SplitAxis(h, Shadow_Y.GetValue(slot), shadow.Top, shadow.Bottom, card.Top, card.Bottom);
    const int fill = (w > h ? (shadow.Bottom - shadow.Top) / 2 : (shadow.Right - shadow.Left) / 2) + 1;

    const int b1 = BG_Line1Thickness.InRange(slot);
    const int b2 = BG_Line2Thickness.InRange(slot);
    DrawRoundFrame(canvas, shadow, r, fill, Shadow_Color.GetValue(slot));
    DrawRoundFrame(canvas, shadow, r, b1, BG_Line1Color.GetValue(slot));
    DrawRoundFrame(canvas, shadow.Shrunk(b1), r - b1, b2, BG_Line2Color.GetValue(slot));

    mask.Fill(ColorToTriple(kBlack));
    DrawRoundFrame(mask, card, r, fill, kWhite);

    const int f1 = FG_Line1Thickness.InRange(slot);
    const int f2 = FG_Line2Thickness.InRange(slot);
    DrawRoundFrame(image, card, r, f1, FG_Line1Color.GetValue(slot));
    DrawRoundFrame(image, card.Shrunk(f1), r - f1, f2, FG_Line2Color.GetValue(slot));

    // The card: the image wherever the mask is not black.
    for (int row = 0; row < h; ++row) {
        const TColorTriple* m = mask.Row24(row);
        const TColorTriple* in = image.Row24(row);
        TColorTriple* out = canvas.Row24(row);
        for (int x = 0; x < w; ++x)
            if (m[x].b | m[x].g | m[x].r) out[x] = in[x];
    }
    image = std::move(canvas);
    return true;
}

}  // namespace pm
