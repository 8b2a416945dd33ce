#include "tasks/Effect.h"

#include "imaging/Bitmap.h"
#include "log/WriteLog.h"

#include <stdexcept>
#include <utility>

namespace pm {

TEffect::TEffect(TRunContext* context, std::string effectName, TCanvas canvas)
    : TBaseClass(context), failure_("Cannot make \"" + effectName + "\" effect!"), canvas_(canvas) {}

bool TEffect::Accepts(TValueSlot) {
    return true;
}

const TFastDIB& TEffect::Source24(TFastDIB& scratch) const {
    if (SrcBitmap.PixelFormat() == 24) return SrcBitmap.Dib();
    if (!CopyBMPtoFD(SrcBitmap, scratch) || scratch.Empty() || !ConvertDepth(scratch, 24))
        throw std::runtime_error("no 24-bit source");
    return scratch;
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
