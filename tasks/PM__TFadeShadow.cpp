#include "tasks/PM__TFadeShadow.h"

#include "core/EditorPage.h"
#include "imaging/Arith.h"
#include "imaging/Bitmap.h"
#include "imaging/BlockCopy.h"
#include "imaging/Blur.h"
#include "imaging/Colors.h"
#include "imaging/Drawing.h"
#include "imaging/FadeRamp.h"
#include "imaging/Limits.h"
#include "log/WriteLog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace pm {

namespace {

// The smallest radius A whose disc, painted as the rows w = 0 ..
// Round(sqrt(A^2 - u^2)) of every column u = 0 .. A, covers the offset
// (du, dw) from its centre. Round never meets a half here (A^2 - u^2 is an
// integer), so the test is exact in integers: 4 (A^2 - du^2) >= (2 dw - 1)^2.
long long CoverRadius(long long du, long long dw) {
    if (dw == 0) return std::max(du, 1LL);
    const long long t = 4 * du * du + (2 * dw - 1) * (2 * dw - 1);
    long long a = static_cast<long long>(std::ceil(std::sqrt(static_cast<double>(t)) / 2));
    while (4 * a * a < t) ++a;
    while (a > 1 && 4 * (a - 1) * (a - 1) >= t) --a;
    return a;
}

// The corner discs: for radii A = s down to 1, a disc of colour ramp[A - 1]
// around each of the four centres, each smaller disc over the larger ones.
// A pixel therefore ends up with the colour of the smallest disc of any
// centre that covers it, which is computed directly per pixel instead of
// painting s^3 pixels.
void PaintCorners(TFastDIB& k, const TFadeShadow::TLayout& l, int s, const std::vector<TColorTriple>& ramp) {
    const long long cx[4] = {l.Xa + s, l.Xb - s, l.Xa + s, l.Xb - s};
    const long long cy[4] = {l.Ya + s, l.Ya + s, l.Yb - s - 1, l.Yb - s - 1};
    const long long w = k.Width(), h = k.Height();
    for (int c = 0; c < 4; ++c) {
        const long long x0 = std::max(cx[c] - s, 0LL), x1 = std::min(cx[c] + s, w - 1);
        const long long y0 = std::max(cy[c] - s, 0LL), y1 = std::min(cy[c] + s, h - 1);
        for (long long y = y0; y <= y1; ++y) {
            TColorTriple* row = k.Row24(static_cast<int>(h - 1 - y));
            for (long long x = x0; x <= x1; ++x) {
                long long best = s + 1;
                for (int d = 0; d < 4; ++d) {
                    const long long du = x > cx[d] ? x - cx[d] : cx[d] - x;
                    const long long dw = y > cy[d] ? y - cy[d] : cy[d] - y;
                    if (du <= s && dw <= s) best = std::min(best, CoverRadius(du, dw));
                }
                if (best <= s) row[x] = ramp[static_cast<std::size_t>(best - 1)];
            }
        }
    }
}

}  // namespace

std::vector<TColorTriple> FadeRamp(TColor shadowColor, TColor backgroundColor, int thickness) {
    const int s = std::max(thickness, 0);
    if (s > kMaxImageSide) throw std::length_error("Shadow too wide");
    return FadeRamp(ColorToTriple(shadowColor), ColorToTriple(backgroundColor), s, s + 1);
}

TFadeShadow::TFadeShadow(TRunContext* context)
    : TEffect(context, "FadeShadow", TCanvas::OwnCanvas),
      Shadow_Direction(Declare<TKX_ItemIndex>("FX6_Shadow_Direction", "Shadow_Direction", 0)),
      // A negative width is no shadow.
      Shadow_Thickness(Declare<TKX_Integer>("FX6_Shadow_Thickness", "Shadow_Thickness", 20, {0, 100},
                                            TIntRange::AtLeast(0))),
      Shadow_Color(Declare<TKX_Color>("FX6_Shadow_Color", "Shadow_Color", 0xFF0000u)),
      Line1Thickness(Declare<TKX_Integer>("FX6_Line1Thickness", "Line1Thickness", 2, {0, 100}, kLineRun)),
      Line2Thickness(Declare<TKX_Integer>("FX6_Line2Thickness", "Line2Thickness", 1, {0, 100}, kLineRun)),
      Line1Color(Declare<TKX_Color>("FX6_Line1Color", "Line1Color", 0x000000u)),
      Line2Color(Declare<TKX_Color>("FX6_Line2Color", "Line2Color", 0xFFFFFFu)),
      BG_Color(Declare<TKX_Color>("FX6_BG_Color", "BG_Color", 0xC0C0C0u)) {
    classInfo_ = {"TFadeShadow", "Border: \"FadeShadow\"", "Make border \"FadeShadow\"", 7};
}

void TFadeShadow::PrepareEditor(IEditorPage& page) {
    page.SetItems("FX6_Shadow_Direction", {"South-East", "South-West", "North-East", "North-West"});
}

TFadeShadow::TLayout TFadeShadow::Layout(int direction, int s, int width, int height) {
    const int h = s / 2;
    TLayout l;
    if (direction == 0 || direction == 2) {  // east
        l.BoxLeft = 0, l.BoxRight = width - s;
        l.Xa = s - h + 1, l.Xb = width - 1;
    } else {
        l.BoxLeft = s, l.BoxRight = width;
        l.Xa = 1, l.Xb = width - s + h - 1;
    }
    if (direction == 0 || direction == 1) {  // south
        l.BoxTop = 0, l.BoxBottom = height - s;
        l.Ya = s - h + 1, l.Yb = height - 1;
    } else {
        l.BoxTop = s, l.BoxBottom = height;
        l.Ya = 1, l.Yb = height - s + h - 1;
    }
    return l;
}

void TFadeShadow::PaintShadow(TFastDIB& k, const TLayout& l, int s, const std::vector<TColorTriple>& ramp,
                              TColorTriple shadow) {
    PaintCorners(k, l, s, ramp);
    // Edge strips, ramp[0] next to the inner rectangle; for each p the top
    // and bottom rows, then the left and right columns, later p on top.
    for (int p = 0; p < s; ++p) {
        FillRect(k, l.Xa + s, l.Ya + s - 1 - p, l.Xb - s, l.Ya + s - p, ramp[p]);
        FillRect(k, l.Xa + s, l.Yb - s + p, l.Xb - s, l.Yb - s + p + 1, ramp[p]);
    }
    const int w = k.Width(), h = k.Height();
    for (int y = std::max(l.Ya + s, 0); y < std::min(l.Yb - s, h); ++y) {
        TColorTriple* row = k.Row24(h - 1 - y);
        for (int p = 0; p < s; ++p) {
            const int left = l.Xa + s - 1 - p, right = l.Xb - s + p;
            if (left >= 0 && left < w) row[left] = ramp[p];
            if (right >= 0 && right < w) row[right] = ramp[p];
        }
    }
    FillRect(k, l.Xa + s, l.Ya + s, l.Xb - s, l.Yb - s, shadow);
}

bool TFadeShadow::Render(TFastDIB& k, TValueSlot slot) {
    // A shadow wider than any image can be is refused rather than allocated.
    const int s = Shadow_Thickness.InRange(slot);
    if (s > kMaxImageSide || SrcBitmap.Empty()) throw std::length_error("no shadow for this image");
    const int l1 = Line1Thickness.InRange(slot);
    const int l2 = Line2Thickness.InRange(slot);
    const int w = SrcBitmap.Width(), h = SrcBitmap.Height();

    k.SetSize(w, h, 24);
    k.Fill(ColorToTriple(BG_Color.GetValue(slot)));
    const TLayout l = Layout(Shadow_Direction.GetValue(slot), s, w, h);
    const std::vector<TColorTriple> ramp = FadeRamp(Shadow_Color.GetValue(slot), BG_Color.GetValue(slot), s);
    PaintShadow(k, l, s, ramp, ColorToTriple(Shadow_Color.GetValue(slot)));
    SplitBlur(k, 1);

    FillFrame(k, l.BoxLeft, l.BoxTop, Line1Color.GetValue(slot), l1, l.BoxBottom, l.BoxRight);
    FillFrame(k, l.BoxLeft + l1, l.BoxTop + l1, Line2Color.GetValue(slot), l2, l.BoxBottom - l1,
              l.BoxRight - l1);
    const int x = l.BoxLeft + l1 + l2, y = l.BoxTop + l1 + l2;
    const int bw = (l.BoxRight - l.BoxLeft) - 2 * l1 - 2 * l2;
    const int bh = (l.BoxBottom - l.BoxTop) - 2 * l1 - 2 * l2;
    if (!BlockCopy(k, x, y, bw, bh, SrcBitmap.Dib(), x, y)) {
        LogError("BitBlt failed!");
        return false;
    }
    return true;
}

}  // namespace pm
