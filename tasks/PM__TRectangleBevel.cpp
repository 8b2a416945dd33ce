#include "tasks/PM__TRectangleBevel.h"

#include "imaging/FastDIB.h"
#include "log/WriteLog.h"

#include <algorithm>

namespace pm {

namespace {

// Shades one band pixel: its own colour, or the fixed grey of a solid border,
// through the band's table.
struct TShader {
    const TRectangleBevel::TLevelTable& Table;
    const TColorTriple* Solid;
    void operator()(TColorTriple& p) const {
        const TColorTriple s = Solid ? *Solid : p;
        p = {Table[s.b], Table[s.g], Table[s.r]};
    }
};

// Picture line y, columns x0 .. x1; what lies outside the image is skipped.
void ShadeLine(TFastDIB& image, int y, int x0, int x1, const TShader& shade) {
    if (y < 0 || y >= image.Height()) return;
    TColorTriple* row = image.Row24(image.Height() - 1 - y);
    for (int x = std::max(x0, 0), end = std::min(x1, image.Width() - 1); x <= end; ++x) shade(row[x]);
}

// Column x, picture lines y0 .. y1; what lies outside the image is skipped.
void ShadeColumn(TFastDIB& image, int x, int y0, int y1, const TShader& shade) {
    if (x < 0 || x >= image.Width()) return;
    const int h = image.Height();
    for (int y = std::max(y0, 0), end = std::min(y1, h - 1); y <= end; ++y) shade(image.Row24(h - 1 - y)[x]);
}

}  // namespace

TRectangleBevel::TRectangleBevel(TRunContext* context)
    : TEffect(context, "RectangleBevel", TCanvas::SourceCopy),
      // A negative thickness is none.
      Bevel_Thickness(Declare<TKX_Integer>("FX3_Bevel_Thickness", "Bevel_Thickness", 60, {0, 100},
                                           TIntRange::AtLeast(0))),
      Top_Amount(Declare<TKX_Integer>("FX3_Top_Amount", "Top_Amount", 130, kAmountRange)),
      Left_Amount(Declare<TKX_Integer>("FX3_Left_Amount", "Left_Amount", 100, kAmountRange)),
      Right_Amount(Declare<TKX_Integer>("FX3_Right_Amount", "Right_Amount", -100, kAmountRange)),
      Bottom_Amount(Declare<TKX_Integer>("FX3_Bottom_Amount", "Bottom_Amount", -130, kAmountRange)),
      Solid_Border(Declare<TKX_Boolean>("FX3_Solid_Border", "Solid_Border", false)) {
    classInfo_ = {"TRectangleBevel", "Border: \"RectangleBevel\"", "Make border \"RectangleBevel\"", 4};
}

TRectangleBevel::TLevelTable TRectangleBevel::BuildLevelTable(int amount) {
    const int a = kAmountRange.Clamp(amount);
    TLevelTable table{};
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<std::uint8_t>(a >= 0 ? v + a * (255 - v) / 256 : v - -a * v / 256);
    return table;
}

bool TRectangleBevel::Render(TFastDIB& image, TValueSlot slot) {
    const int w = image.Width(), h = image.Height();
    // Bands further in than the image is wide or high paint nothing, so a
    // huge thickness costs no more than max(w, h).
    const int t = std::min(Bevel_Thickness.InRange(slot), std::max(w, h));
    const TColorTriple midGrey{127, 127, 127};
    const TColorTriple* solid = Solid_Border.GetValue(slot) ? &midGrey : nullptr;

    // Each band completes before the next starts: where bands overlap a
    // pixel passes through top, left, right and bottom in that order.
    const TLevelTable top = BuildLevelTable(Top_Amount.GetValue(slot));
    for (int k = 0; k < t; ++k) ShadeLine(image, k, k + 1, w - k - 2, {top, solid});
    const TLevelTable left = BuildLevelTable(Left_Amount.GetValue(slot));
    for (int k = 0; k < t; ++k) ShadeColumn(image, k, k, h - 1 - k, {left, solid});
    const TLevelTable right = BuildLevelTable(Right_Amount.GetValue(slot));
    for (int k = 0; k < t; ++k) ShadeColumn(image, w - 1 - k, k, h - 1 - k, {right, solid});
    const TLevelTable bottom = BuildLevelTable(Bottom_Amount.GetValue(slot));
    for (int k = 0; k < t; ++k) ShadeLine(image, h - 1 - k, k + 1, w - k - 2, {bottom, solid});
    return true;
}

}  // namespace pm
