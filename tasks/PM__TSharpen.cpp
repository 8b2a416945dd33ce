#include "tasks/PM__TSharpen.h"

#include "imaging/UnsharpMask.h"

namespace pm {

TSharpen::TSharpen(TRunContext* context)
    : TEffect(context, "Sharpen", TCanvas::FreshOutput),
      Radius(DeclareOptional<TKX_Integer>("SH_Radius", "Radius", 10, TIntRange{1, 500})),
      Amount(DeclareOptional<TKX_Integer>("SH_Amount", "Amount", 100, TIntRange{0, 500})),
      Threshold(DeclareOptional<TKX_Integer>("SH_Threshold", "Threshold", 0, TIntRange{0, 255})) {
    classInfo_ = {"TSharpen", "Filter: Sharpen", "Make \"Sharpen\"", 13};
}

bool TSharpen::Render(TFastDIB& image, TValueSlot slot) {
    UnsharpMask(RenderSource(), image, Radius.InRange(slot) / 10.0, Amount.InRange(slot),
                Threshold.InRange(slot));
    return true;
}

}  // namespace pm
