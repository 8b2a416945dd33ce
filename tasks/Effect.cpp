#include "tasks/Effect.h"

#include "imaging/Bitmap.h"
#include "log/WriteLog.h"

#include <algorithm>
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

namespace {

// What the copy of `source` would be, pixels aside. A header that carries
// more than the geometry (a resolution) comes with the copy itself.
bool BlankLike(const TBitmap& bitmap, const TFastDIB& source, TFastDIB& blank) {
    const TBitmapInfoHeader& info = source.Info();
    if (info.biXPelsPerMeter != 0 || info.biYPelsPerMeter != 0 || info.biClrImportant != 0)
        return CopyBMPtoFD(bitmap, blank);
    blank.SetSizeForOverwrite(source.Width(), source.Height(), 24);
    if (const int gap = source.Gap())
        for (int y = 0; y < source.Height(); ++y)
            std::copy_n(source.Row(y) + source.Stride() - gap, gap, blank.Row(y) + blank.Stride() - gap);
    return true;
}

}  // namespace

bool TEffect::Execute(TValueSlot slot) {
    if (!Accepts(slot)) return false;
    try {
        TFastDIB image, scratch;
        if (canvas_ == TCanvas::SourceCopy &&
            (!CopyBMPtoFD(SrcBitmap, image) || image.Empty() || !ConvertDepth(image, 24))) {
            LogError(failure_);
            return false;
        }
        if (canvas_ == TCanvas::FreshOutput) {
            renderSource_ = &Source24(scratch);
            if (renderSource_->Empty() || !BlankLike(SrcBitmap, *renderSource_, image)) {
                renderSource_ = nullptr;
                LogError(failure_);
                return false;
            }
        }
        const bool rendered = Render(image, slot);
        renderSource_ = nullptr;
        if (!rendered) return false;
        return CopyFDtoBMP(std::move(image), DstBitmap);
    } catch (...) {
        renderSource_ = nullptr;
        LogError(failure_);
        return false;
    }
}

}  // namespace pm
