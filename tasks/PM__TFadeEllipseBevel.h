#pragma once
// Border "FadeEllipseBevel": the image seen through the largest fitting
// ellipse whose outer band fades into a shadow colour.
#include "tasks/Effect.h"

namespace pm {

class TFadeEllipseBevel : public TEffect {
public:
    explicit TFadeEllipseBevel(TRunContext* context = nullptr);

    // The ellipse of a width x height image: half axes a = round((w - 2) / 2)
    // and b = round((h - 2) / 2) (halves to even), centre column a and centre
    // stored row h - 1 - b (row 0 is the bottom line).
    struct TGeometry {
        int A = 0, B = 0, CenterColumn = 0, CenterRow = 0;
    };
    static TGeometry Geometry(int width, int height);

    TKX_Integer& Bevel_Thickness;
    TKX_Color& BG_Color;
    TKX_Color& Shadow_Color;
    TKX_Boolean& Solid_Border;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
