#pragma once
// "Transform: Crop": a rectangle in pixels or percent at one of nine anchors,
// or the largest rectangle of an aspect ratio at an anchor.
#include "tasks/Effect.h"

namespace pm {

class TCrop : public TEffect {
public:
    explicit TCrop(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;
    void ReadSettings(IEditorPage& page, TValueSlot slot) override;

    static constexpr const char* kAnchorPrefix = "CR_Anchor_SB";

    // The part of a sw x sh picture kept, in picture coordinates (y
    // downward), clipped to the picture; empty when nothing of it lies there.
    struct TRect {
        int X = 0, Y = 0, Width = 0, Height = 0;
    };
    TRect CropRect(TValueSlot slot, int sw, int sh) const;

    TKX_ItemIndex& Mode;  // 0 rectangle, 1 aspect ratio
    TKX_Integer& Width;
    TKX_Metric& Width_Metric;
    TKX_Integer& Height;
    TKX_Metric& Height_Metric;
    TKX_Integer& Offset_X;
    TKX_Integer& Offset_Y;
    TKX_Integer& Ratio_Width;
    TKX_Integer& Ratio_Height;
    TKX_Integer& Anchor;  // shown by the anchor buttons

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
