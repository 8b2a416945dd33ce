#include "tasks/PM__TStamp.h"

#include "core/EditorPage.h"
#include "imaging/Bitmap.h"
#include "imaging/BlockCopy.h"
#include "imaging/Blur.h"
#include "imaging/Colors.h"
#include "imaging/Drawing.h"
#include "log/WriteLog.h"

namespace pm {

TStamp::TStamp(TRunContext* context)
    : TEffect(context, "Stamp", TCanvas::OwnCanvas),
      // A radius below 1 (only from a hand-edited file) means notches of no
      // size: none are drawn, and the notch rows would never advance. A
      // negative margin counts as none.
      Radius(Declare<TKX_Integer>("FX8_Radius", "Radius", 10, {1, 100}, TIntRange::AtLeast(0))),
      Border(Declare<TKX_Integer>("FX8_Border", "Border", 10, {0, 100}, TIntRange::AtLeast(0))),
      BG_Color(Declare<TKX_Color>("FX8_BG_Color", "BG_Color", 0xFFFFFFu)),
      FG_Color(Declare<TKX_Color>("FX8_FG_Color", "FG_Color", 0x00FF00u)),
      Line1_Color(Declare<TKX_Color>("FX8_Line1_Color", "Line1_Color", 0x000000u)),
      Line2_Color(Declare<TKX_Color>("FX8_Line2_Color", "Line2_Color", 0x0000FFu)),
      DrawMode(Declare<TKX_ItemIndex>("FX8_Mode", "DrawMode", 0)) {
    classInfo_ = {"TStamp", "Border: \"Stamp\"", "Make border \"Stamp\"", 9};
}

void TStamp::PrepareEditor(IEditorPage& page) {
    page.SetItems("FX8_Mode", {"Normal", "Smoothed"});
}

bool TStamp::Accepts(TValueSlot slot) {
    const long long q = 2 * (static_cast<long long>(Radius.InRange(slot)) + Border.InRange(slot) + 2);
    if (SrcBitmap.Width() <= q || SrcBitmap.Height() <= q) {
        LogError("Geometric error: very small image for current parameters!");
        return false;
    }
    return true;
}

bool TStamp::Render(TFastDIB& k, TValueSlot slot) {
    const int r = Radius.InRange(slot), B = Border.InRange(slot);
    // Accepts made r + B + 2 < w / 2, so no coordinate below leaves the int range.
    const int w = SrcBitmap.Width(), h = SrcBitmap.Height();
    const int q = 2 * (r + B + 2);
    k.SetSize(w, h, 24);
    FillRect(k, 1, 1, w - 1, h - 1, ColorToTriple(FG_Color.GetValue(slot)));
    FillFrame(k, 0, 0, Line1_Color.GetValue(slot), 1, h, w);

    if (r > 0) {
        TDrawContext dc(k);
        dc.SelectSolidBrush(BG_Color.GetValue(slot));
        dc.SelectPen(TPenStyle::Solid, 1, Line1_Color.GetValue(slot));
        for (int m = r; m < w - 4 * r; m += 3 * r) {
            dc.Ellipse(m + r, 1 - r, m + 3 * r, r + 1);
            dc.Ellipse(m + r, h - r - 1, m + 3 * r, h + r - 1);
        }
        for (int n = 1 - 2 * r; n < h; n += 3 * r) {
            dc.Ellipse(1 - r, n + r, r + 1, n + 3 * r);
            dc.Ellipse(w - r - 1, n + r, w + r - 1, n + 3 * r);
        }
        dc.DeleteCurrentBrush();
        dc.DeleteCurrentPen();
    }
    if (DrawMode.GetValue(slot) == 1) SplitBlur(k, 1);

    const int in = r + B + 1;
    FillFrame(k, in, in, Line2_Color.GetValue(slot), 1, h - in, w - in);
    if (!BlockCopy(k, in + 1, in + 1, w - q, h - q, SrcBitmap.Dib(), in + 1, in + 1)) {
        LogError("Can't copy source bitmap to target canvas!");
        return false;
    }
    return true;
}

}  // namespace pm
