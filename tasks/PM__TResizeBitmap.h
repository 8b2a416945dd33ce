#pragma once
// "Transform: Change image size": scaling with nine resampling methods.
#include "core/BaseClass.h"

namespace pm {

class TResizeBitmap : public TBaseClass {
public:
    explicit TResizeBitmap(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;

    static const std::vector<std::string>& MethodNames();

    TKX_Integer& Width;
    TKX_Integer& Height;
    TKX_Metric& Width_Metric;
    TKX_Metric& Height_Metric;
    TKX_ItemIndex& Method;
    TKX_Boolean& Preserve_Aspect_Ratio;
    TKX_Boolean& Allow_Image_Enlargement;
};

}  // namespace pm
