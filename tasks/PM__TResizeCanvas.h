#pragma once
// "Transform: Change canvas size": margins, or a new size at one of nine
// anchors, on a colour or tiled background.
#include "core/BaseClass.h"

namespace pm {

class TResizeCanvas : public TBaseClass {
public:
    explicit TResizeCanvas(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;
    void ReadSettings(IEditorPage& page, TValueSlot slot) override;

    // Name of anchor button n (1..9).
    static std::string AnchorButton(int n) { return "RC_Anchor_SB" + std::to_string(n); }

    TKX_ItemIndex& Resize_Method;
    TKX_Integer& Top;
    TKX_Integer& Left;
    TKX_Integer& Right;
    TKX_Integer& Bottom;
    TKX_Metric& Top_Metric;
    TKX_Metric& Left_Metric;
    TKX_Metric& Right_Metric;
    TKX_Metric& Bottom_Metric;
    TKX_Integer& Width;
    TKX_Integer& Height;
    TKX_Metric& Width_Metric;
    TKX_Metric& Height_Metric;
    TKX_Integer& Archor_Position;  // shown by the anchor buttons
    TKX_Color& BG_Color;
    TKX_String& BG_File;
};

}  // namespace pm
