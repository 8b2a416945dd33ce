#include "tasks/PM__TFadeRectangleBevel.h"

#include "imaging/Colors.h"
#include "imaging/FadeRamp.h"
#include "imaging/MaskMix.h"
#include "log/WriteLog.h"

#include <algorithm>

namespace pm {

namespace {

// Column x, stored rows r0 .. r1, clipped to the mask.
void PaintColumn(TFastDIB& mask, int x, int r0, int r1, std::uint8_t level) {
    if (x < 0 || x >= mask.Width()) return;
    for (int r = std::max(r0, 0), end = std::min(r1, mask.Height() - 1); r <= end; ++r)
        mask.Row(r)[x] = level;
}

}  // namespace

TFadeRectangleBevel::TFadeRectangleBevel(TRunContext* context)
    : TEffect(context, "FadeRectangleBevel", TCanvas::SourceCopy),
      // A negative thickness is no band.
      Bevel_Thickness(Declare<TKX_Integer>("FX4_Bevel_Thickness", "Bevel_Thickness", 60, {0, 100},
                                           TIntRange::AtLeast(0))),
      Shadow_Color(Declare<TKX_Color>("FX4_Shadow_Color", "Shadow_Color", 0xFF0000u)),
      Solid_Border(Declare<TKX_Boolean>("FX4_Solid_Border", "Solid_Border", false)) {
    classInfo_ = {"TFadeRectangleBevel", "Border: \"FadeRectangleBevel\"",
                  "Make border \"FadeRectangleBevel\"", 5};
}

bool TFadeRectangleBevel::Render(TFastDIB& image, TValueSlot slot) {
    const int w = image.Width(), h = image.Height();
    // Rings from max(w, h) in paint nothing, so only the ramp's first
    // entries are ever used: a huge thickness changes the ramp but costs no
    // more than the image's size.
    const int t = Bevel_Thickness.InRange(slot);
    const int lastRing = std::min(t, std::max(w, h));
    const std::vector<std::uint8_t> ramp = GreyRamp(t, lastRing + 1);
    const bool solid = Solid_Border.GetValue(slot);

    // The mask holds the share of the image: white shows it unchanged.
    TFastDIB mask = MakeGreyPlane(w, h, 255);
    // Ring i outlines the rectangle inset by i pixels; picture line y is
    // stored row h - 1 - y, so the bottom line is row i and the top h - 1 - i.
    for (int i = 0; i <= lastRing; ++i) {
        const std::uint8_t g = ramp[solid ? 0 : i];
        PaintMaskRun(mask, i, i + 1, w - i - 2, g);
        PaintColumn(mask, i, i, h - 1 - i, g);
        PaintColumn(mask, w - 1 - i, i, h - 1 - i, g);
        PaintMaskRun(mask, h - 1 - i, i + 1, w - i - 2, g);
    }
    MixThroughMask(image, mask, ColorToTriple(Shadow_Color.GetValue(slot)));
    return true;
}

}  // namespace pm
