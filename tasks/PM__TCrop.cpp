#include "tasks/PM__TCrop.h"

#include "core/EditorPage.h"
#include "imaging/Limits.h"
#include "log/WriteLog.h"
#include "tasks/Anchors.h"

#include <algorithm>
#include <cstring>

namespace pm {

namespace {
constexpr TIntRange kSideRange{1, kMaxImageSide};
constexpr TIntRange kOffsetRange{-kMaxImageSide, kMaxImageSide};
constexpr TIntRange kRatioRange{1, 1000};
}  // namespace

TCrop::TCrop(TRunContext* context)
    : TEffect(context, "Crop", TCanvas::OwnCanvas),
      Mode(DeclareOptional<TKX_ItemIndex>("CR_Mode", "Crop_Mode", 0)),
      Width(DeclareOptional<TKX_Integer>("CR_Width", "Crop_Width", 100, kSideRange)),
      Width_Metric(DeclareOptional<TKX_Metric>("CR_Width_Metric", "Crop_Width_Metric", mPercent)),
      Height(DeclareOptional<TKX_Integer>("CR_Height", "Crop_Height", 100, kSideRange)),
      Height_Metric(DeclareOptional<TKX_Metric>("CR_Height_Metric", "Crop_Height_Metric", mPercent)),
      Offset_X(DeclareOptional<TKX_Integer>("CR_Offset_X", "Offset_X", 0, kOffsetRange)),
      Offset_Y(DeclareOptional<TKX_Integer>("CR_Offset_Y", "Offset_Y", 0, kOffsetRange)),
      Ratio_Width(DeclareOptional<TKX_Integer>("CR_Ratio_W", "Ratio_Width", 3, kRatioRange)),
      Ratio_Height(DeclareOptional<TKX_Integer>("CR_Ratio_H", "Ratio_Height", 2, kRatioRange)),
      Anchor(DeclareOptional<TKX_Integer>("", "Anchor", 5, TIntRange{1, 9})) {
    classInfo_ = {"TCrop", "Transform: Crop", "Make \"Crop\"", 11};
}

void TCrop::PrepareEditor(IEditorPage& page) {
    page.SetItems("CR_Mode", {"Rectangle", "Aspect ratio"});
}

void TCrop::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    ShowAnchorButtons(page, kAnchorPrefix, Anchor.GetValue(slot));
}

void TCrop::ReadSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ReadSettings(page, slot);
    Anchor.SetValue(ReadAnchorButtons(page, kAnchorPrefix, Anchor.GetValue(slot)), slot);
}

TCrop::TRect TCrop::CropRect(TValueSlot slot, int sw, int sh) const {
    const int anchor = Anchor.InRange(slot);
    long long w = 0, h = 0, dx = 0, dy = 0;
    if (Mode.GetValue(slot) == 1) {
        // The largest rectangle of the ratio: the full height where the
        // picture is wider than the ratio, else the full width.
        const long long rw = Ratio_Width.InRange(slot), rh = Ratio_Height.InRange(slot);
        if (sw * rh >= sh * rw) {
            h = sh;
            w = std::max(1LL, sh * rw / rh);
        } else {
            w = sw;
            h = std::max(1LL, sw * rh / rw);
        }
    } else {
        w = MetricToPixels(Width.InRange(slot), Width_Metric.GetValue(slot), sw);
        h = MetricToPixels(Height.InRange(slot), Height_Metric.GetValue(slot), sh);
        dx = Offset_X.InRange(slot);
        dy = Offset_Y.InRange(slot);
    }
    const long long x = AnchorPlace(sw, w, AnchorColumn(anchor)) + dx;
    const long long y = AnchorPlace(sh, h, AnchorLine(anchor)) + dy;
    const long long x0 = std::max(0LL, x), y0 = std::max(0LL, y);
    const long long x1 = std::min<long long>(sw, x + w), y1 = std::min<long long>(sh, y + h);
    if (x1 <= x0 || y1 <= y0) return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

bool TCrop::Render(TFastDIB& image, TValueSlot slot) {
    TFastDIB scratch;
    const TFastDIB& src = Source24(scratch);
    const TRect r = CropRect(slot, src.Width(), src.Height());
    if (r.Width < 1 || r.Height < 1) {
        LogError("The crop rectangle lies outside the picture!");
        return false;
    }
    image.SetSizeForOverwrite(r.Width, r.Height, 24);  // every line is copied below
    // Picture line r.Y + j is stored row sh - 1 - (r.Y + j).
    for (int j = 0; j < r.Height; ++j)
        std::memcpy(image.Row24(r.Height - 1 - j), src.Row24(src.Height() - 1 - (r.Y + j)) + r.X,
                    std::size_t(r.Width) * 3);
    return true;
}

}  // namespace pm
