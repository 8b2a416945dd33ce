#pragma once
// "Transform: Change image size": scaling with nine resampling methods.
#include "core/BaseClass.h"
#include "imaging/Resample.h"

namespace pm {

class TResizeBitmap : public TBaseClass {
public:
    // Values of "Method" beyond the filters 0 .. 6.
    static constexpr int kMethodBilinear = 7;
    static constexpr int kMethodStretchBlt = 8;

    explicit TResizeBitmap(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;
    bool Execute(TValueSlot slot) override;

    static const std::vector<std::string>& MethodNames();

    // The result size for a sw x sh source with the settings of `slot`: the
    // width and height settings (pixels or percent of the source), fitted
    // into that box keeping the source's proportions when asked. Logs and
    // returns false when the proportions cannot be computed (a source side
    // of 0).
    bool ComputeTargetSize(TValueSlot slot, int sw, int sh, int& width, int& height) const;
    // With Fast_Shrink on and a filter method (0 .. 6): the largest divisor
    // (2, 4 or 8) whose picture, each side rounded up, still covers the
    // target size of a width x height source in both directions; 1 when the
    // resize would not shrink it.
    int InputShrinkDivisor(TValueSlot slot, int width, int height) const override;

    TKX_Integer& Width;
    TKX_Integer& Height;
    TKX_Metric& Width_Metric;
    TKX_Metric& Height_Metric;
    TKX_ItemIndex& Method;
    TKX_Boolean& Preserve_Aspect_Ratio;
    TKX_Boolean& Allow_Image_Enlargement;
    // Lets a JPEG be decoded at 1/2, 1/4 or 1/8 of its size when this task
    // follows the load: faster, with slightly different pixels.
    TKX_Boolean& Fast_Shrink;

private:
    // The source size the result is sized by: the file's own when the load
    // decoded the picture smaller for this task, with where its pixels lie.
    void SourceSize(int& width, int& height, TDecodedScale& decoded);
    // Whether the result is the source as it is: the target size already, or
    // no larger in both directions with enlargement off.
    bool KeepsSource(TValueSlot slot, int sw, int sh, int w, int h) const;
    bool Resize(int method, int width, int height, const TDecodedScale& decoded);
};

}  // namespace pm
