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
    bool Execute(TValueSlot slot) override;

    // Name of anchor button n (1..9).
    static constexpr const char* kAnchorPrefix = "RC_Anchor_SB";
    static std::string AnchorButton(int n) { return kAnchorPrefix + std::to_string(n); }

    // The new canvas size and where the source's top-left corner lies on it
    // (canvas coordinates, y downward; negative values crop the image).
    struct TCanvasLayout {
        int Width = 0, Height = 0, X = 0, Y = 0;
    };
    TCanvasLayout ComputeLayout(TValueSlot slot, int sw, int sh) const;

    // The background-file chooser's filter: "All avialable formats|" and
    // ";*.EXT" for each extension the scenario's loading task accepts.
    static std::string BackgroundFilter(const std::vector<std::string>& extensions);

    // Execute with a background picture already at hand instead of
    // "BG_File": it is tiled (an empty picture fails as a failed load).
    bool ExecuteWithBackground(TValueSlot slot, const TBitmap& background);

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

private:
    bool Run(TValueSlot slot, const TBitmap* background);
    bool Compose(TValueSlot slot, const TCanvasLayout& layout, const TBitmap* background);
};

}  // namespace pm
