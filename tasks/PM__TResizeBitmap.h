#pragma once
// "Transform: Change image size": scaling with nine resampling methods.
#include "core/BaseClass.h"

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

    TKX_Integer& Width;
    TKX_Integer& Height;
    TKX_Metric& Width_Metric;
    TKX_Metric& Height_Metric;
    TKX_ItemIndex& Method;
    TKX_Boolean& Preserve_Aspect_Ratio;
    TKX_Boolean& Allow_Image_Enlargement;

private:
    bool Resize(int method, int width, int height);
};

}  // namespace pm
