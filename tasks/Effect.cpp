#include "tasks/Effect.h"

#include "imaging/Bitmap.h"
#include "log/WriteLog.h"

#include <utility>

namespace pm {

TEffect::TEffect(TRunContext* context, std::string effectName, TCanvas canvas)
    : TBaseClass(context), failure_("Cannot make \"" + effectName + "\" effect!"), canvas_(canvas) {}

bool TEffect::Accepts(TValueSlot) {
    return true;
}

bool TEffect::Execute(TValueSlot slot) {
    if (!Accepts(slot)) return false;
    try {
        TFastDIB image;
        if (canvas_ == TCanvas::SourceCopy &&
            (!CopyBMPtoFD(SrcBitmap, image) || image.Empty() || !ConvertDepth(image, 24))) {
            LogError(failure_);
            return false;
        }
        if (!Render(image, slot)) return false;
        return CopyFDtoBMP(std::move(image), DstBitmap);
    } catch (...) {
        LogError(failure_);
        return false;
    }
}

}  // namespace pm
