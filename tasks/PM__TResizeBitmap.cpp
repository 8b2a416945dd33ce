#include "tasks/PM__TResizeBitmap.h"

#include "core/EditorPage.h"
#include "core/RunContext.h"
#include "imaging/Arith.h"
#include "imaging/Bilinear.h"
#include "imaging/Orientation.h"
#include "imaging/Resample.h"
#include "imaging/StretchBlt.h"
#include "log/WriteLog.h"

#include <cmath>

namespace pm {

TResizeBitmap::TResizeBitmap(TRunContext* context)
    : TBaseClass(context), Width(Declare<TKX_Integer>("RI_Width", "Width", 200, {1, 10000})),
      Height(Declare<TKX_Integer>("RI_Height", "Height", 200, {1, 10000})),
      Width_Metric(Declare<TKX_Metric>("RI_Width_Metric", "Width_Metric", mPixel)),
      Height_Metric(Declare<TKX_Metric>("RI_Height_Metric", "Height_Metric", mPixel)),
      Method(Declare<TKX_ItemIndex>("RI_Method", "Method", 7)),
      Preserve_Aspect_Ratio(Declare<TKX_Boolean>("RI_Preserve_Aspect_Ratio", "Preserve_Aspect_Ratio", true)),
      Allow_Image_Enlargement(
          Declare<TKX_Boolean>("RI_Allow_Image_Enlargement", "Allow_Image_Enlargement", false)),
      Fast_Shrink(DeclareOptional<TKX_Boolean>("RI_Fast_Shrink", "Fast_Shrink", false)) {
    classInfo_ = {"TResizeBitmap", "Transform: Change image size", "Make \"ResizeImage\"", 1};
}

const std::vector<std::string>& TResizeBitmap::MethodNames() {
    static const std::vector<std::string> names = {"Box",      "Triangle", "Hermite",  "Bell",      "Spline",
                                                   "Lanczos3", "Mitchell", "Bilinear", "StretchBlt"};
    return names;
}

void TResizeBitmap::PrepareEditor(IEditorPage& page) {
    page.SetItems("RI_Method", MethodNames());
}

bool TResizeBitmap::ComputeTargetSize(TValueSlot slot, int sw, int sh, int& width, int& height) const {
    const int tw = MetricToPixels(Width.GetValue(slot), Width_Metric.GetValue(slot), sw);
    const int th = MetricToPixels(Height.GetValue(slot), Height_Metric.GetValue(slot), sh);
    if (!Preserve_Aspect_Ratio.GetValue(slot)) {
        width = tw;
        height = th;
        return true;
    }
    // A division by a zero side or ratio is the arithmetic error of this step.
    bool ok = true;
    const auto divide = [&ok](double a, double b) {
        const double q = a / b;
        if (!std::isfinite(q)) ok = false;
        return RoundHalfEven(q);
    };
    const double r = sh == 0 ? 0.0 : static_cast<double>(sw) / static_cast<double>(sh);
    if (sh == 0) ok = false;
    int w = 0, h = 0;
    if (ok && r > 1) {
        w = tw;
        h = divide(w, r);
        if (h > th) {
            h = th;
            w = RoundHalfEven(h * r);
        }
    } else if (ok) {
        h = th;
        w = RoundHalfEven(h * r);
        if (w > tw) {
            w = tw;
            h = divide(w, r);
        }
    }
    if (!ok) {
        LogError("Cannot calculate the size of destination bitmap !");
        return false;
    }
    width = w;
    height = h;
    return true;
}

int TResizeBitmap::InputShrinkDivisor(TValueSlot slot, int width, int height) const {
    const int method = Method.GetValue(slot);
    // Bilinear and the stretching blit sample a few pixels without a filter:
    // from a smaller picture they would give visibly other results.
    if (!Fast_Shrink.GetValue(slot) || width < 1 || height < 1 || method < 0 ||
        method >= kResampleFilterCount)
        return 1;
    int w = 0, h = 0;
    if (!ComputeTargetSize(slot, width, height, w, h) || KeepsSource(slot, width, height, w, h)) return 1;
    for (const int d : {8, 4, 2})
        if ((width + d - 1) / d >= w && (height + d - 1) / d >= h) return d;
    return 1;
}

bool TResizeBitmap::KeepsSource(TValueSlot slot, int sw, int sh, int w, int h) const {
    return (sw == w && sh == h) || (sw <= w && sh <= h && !Allow_Image_Enlargement.GetValue(slot));
}

void TResizeBitmap::SourceSize(int& width, int& height, TDecodedScale& decoded) {
    width = SrcBitmap.Width();
    height = SrcBitmap.Height();
    decoded = {};
    TRunContext* ctx = Context();
    if (!ctx || ctx->ShrunkLoadFor != this) return;
    ctx->ShrunkLoadFor = nullptr;  // once: a later run of this task gets an exact picture
    const TBitmapsInfo& info = ctx->GeneralObject().BitmapsInfo;
    width = info.Width;
    height = info.Height;
    const int turned = info.OrientationApplied ? info.Orientation : orNormal;
    decoded = {info.ScaleDivisor, width, height, OrientationReversesX(turned), OrientationReversesY(turned)};
}

bool TResizeBitmap::Execute(TValueSlot slot) {
    int sw = 0, sh = 0;
    TDecodedScale decoded;
    SourceSize(sw, sh, decoded);
    int w = 0, h = 0;
    if (!ComputeTargetSize(slot, sw, sh, w, h)) return false;
    try {
        if (KeepsSource(slot, sw, sh, w, h)) {
            DstBitmap = SrcBitmap;
            return true;
        }
        // An empty result would reach the saving task as an empty file.
        if (w < 1 || h < 1 || SrcBitmap.Empty()) {
            LogError("Cannot make Resize effect!");
            return false;
        }
        if (Resize(Method.GetValue(slot), w, h, decoded)) return true;
    } catch (...) {
        LogError("Cannot make Resize effect!");
    }
    return false;
}

bool TResizeBitmap::Resize(int method, int w, int h, const TDecodedScale& decoded) {
    if (method == kMethodStretchBlt) {
        TFastDIB target;
        target.SetSize(w, h, 24);
        if (!StretchBlt(SrcBitmap.Dib(), target)) {
            LogError("StretchBlt failed!");
            return false;
        }
        DstBitmap.SetDib(std::move(target));
        return true;
    }
    if (method == kMethodBilinear) {
        // A 24-bit input is read where it is; other depths go through the
        // bitmap transfer, which settles their palette and masks.
        TFastDIB converted;
        if (SrcBitmap.PixelFormat() != 24) CopyBMPtoFD(SrcBitmap, converted);
        const TFastDIB& source = SrcBitmap.PixelFormat() == 24 ? SrcBitmap.Dib() : converted;
        TFastDIB target;
        target.SetSize(w, h, source.Bpp());
        if (!BilinearResize(source, target)) {
            LogError("Cannot make Resize effect!");
            return false;
        }
        return CopyFDtoBMP(std::move(target), DstBitmap);
    }
    if (method >= 0 && method < kResampleFilterCount) {
        // Straight from the shared input: no copy of the picture.
        TFastDIB work;
        ResampleBitmap(w, h, method, 0.0f, SrcBitmap.Dib(), work, decoded);
        SrcBitmap.SetDib(std::move(work));  // resampled in place, as the input of this run
        DstBitmap = SrcBitmap;
        return true;
    }
    // An unknown method (a hand-edited file) leaves the picture as it is.
    DstBitmap = SrcBitmap;
    return true;
}

}  // namespace pm
