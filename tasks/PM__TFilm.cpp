#include "tasks/PM__TFilm.h"

#include "imaging/Arith.h"
#include "imaging/Bitmap.h"
#include "imaging/Colors.h"
#include "imaging/Drawing.h"

namespace pm {

TFilm::TFilm(TRunContext* context)
    : TEffect(context, "Film", TCanvas::SourceCopy),
      BG_Color(Declare<TKX_Color>("FX7_BG_Color", "BG_Color", 0xFFFFFFu)),
      FG_Color(Declare<TKX_Color>("FX7_FG_Color", "FG_Color", 0x808080u)),
      Line1_Color(Declare<TKX_Color>("FX7_Line1_Color", "Line1_Color", 0x000000u)),
      Line2_Color(Declare<TKX_Color>("FX7_Line2_Color", "Line2_Color", 0x00FF00u)) {
    classInfo_ = {"TFilm", "Border: \"Film\"", "Make border \"Film\"", 8};
}

bool TFilm::Render(TFastDIB& img, TValueSlot slot) {
    // Every measure is a multiple of a 35th of the height.
    const double u = SrcBitmap.Height() / 35.0;
    const int W = img.Width(), H = img.Height();
    const auto R = [u](double k) { return RoundHalfEven(k * u); };

    const int e = R(2), m = R(5.5), rx = W - R(2), by = H - R(5.5);
    const TColorTriple fg = ColorToTriple(FG_Color.GetValue(slot));
    FillRect(img, 1, 1, e - 1, H - 1, fg);
    FillRect(img, 1, 1, W - 1, m - 1, fg);
    FillRect(img, 1, by + 1, W - 1, H - 1, fg);
    FillRect(img, rx + 1, 1, W - 1, H - 1, fg);
    FillFrame(img, 0, 0, Line1_Color.GetValue(slot), 1, H, W);
    FillFrame(img, e - 1, m - 1, Line2_Color.GetValue(slot), 1, by + 1, rx + 1);

    const TColorTriple line = ColorToTriple(Line1_Color.GetValue(slot));
    const TColorTriple hole = ColorToTriple(BG_Color.GetValue(slot));
    const int step = R(5), hw = R(2), y1 = R(1.5), y2 = R(4.5), yb = H - R(4.5), hh = R(3);
    // Below 4 pixels of height the holes would not advance; they all lie
    // on the first one, so that one is drawn once.
    for (int x = R(2); x < W; x += step) {
        FillRect(img, x - 1, y1 - 1, x + hw + 1, y2 + 1, line);
        FillRect(img, x - 1, yb - 1, x + hw + 1, yb + hh + 1, line);
        FillRect(img, x, y1, x + hw, y2, hole);
        FillRect(img, x, yb, x + hw, yb + hh, hole);
        if (step < 1) break;
    }
    return true;
}

}  // namespace pm
