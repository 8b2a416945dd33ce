#pragma once
// "Filter: Adjust": brightness, contrast, gamma, saturation, automatic
// levels, greyscale and sepia.
#include "tasks/Effect.h"

namespace pm {

class TAdjust : public TEffect {
public:
    explicit TAdjust(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;

    TKX_Integer& Brightness;
    TKX_Integer& Contrast;
    TKX_Integer& Gamma;  // hundredths
    TKX_Integer& Saturation;
    TKX_Boolean& Auto_Levels;
    TKX_Integer& Clip;  // tenths of a percent at each end
    TKX_ItemIndex& Color_Mode;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
