#pragma once
// Border "FadeShadow": a framed image with a soft shadow in one of four
// diagonal directions.
#include "tasks/Effect.h"

#include <vector>

namespace pm {

// The shadow's colours from the shadow colour (entry 0, nearly) to the
// background (entry `thickness`): thickness + 1 entries, each the colour of
// the largest of 256 evenly spaced steps whose span covers it. Colours go
// through ColorToTriple. A thickness below 0 counts as 0.
std::vector<TColorTriple> FadeRamp(TColor shadowColor, TColor backgroundColor, int thickness);

class TFadeShadow : public TEffect {
public:
    explicit TFadeShadow(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;

    // Where the framed image and the shadow lie, in picture coordinates.
    struct TLayout {
        // The framed image: left and top inclusive, right and bottom exclusive.
        int BoxLeft = 0, BoxTop = 0, BoxRight = 0, BoxBottom = 0;
        // The shadow region: first and last column (xa, xb) and row (ya, yb).
        int Xa = 0, Ya = 0, Xb = 0, Yb = 0;
    };
    // Direction 0..3 (South-East, South-West, North-East, North-West; any
    // other value behaves like North-West), shadow thickness s >= 0.
    static TLayout Layout(int direction, int s, int width, int height);
    // Paints the shadow of thickness s >= 0 (corners, edges and inner
    // rectangle, before softening) into the 24-bit bitmap `k`; `ramp` is
    // FadeRamp of that thickness.
    static void PaintShadow(TFastDIB& k, const TLayout& layout, int s, const std::vector<TColorTriple>& ramp,
                            TColorTriple shadow);

    TKX_ItemIndex& Shadow_Direction;
    TKX_Integer& Shadow_Thickness;
    TKX_Color& Shadow_Color;
    TKX_Integer& Line1Thickness;
    TKX_Integer& Line2Thickness;
    TKX_Color& Line1Color;
    TKX_Color& Line2Color;
    TKX_Color& BG_Color;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
