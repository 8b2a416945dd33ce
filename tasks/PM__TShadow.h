#pragma once
// Border "Shadow": a rounded card with a solid drop shadow on a background.
#include "tasks/Effect.h"

namespace pm {

class TShadow : public TEffect {
public:
    explicit TShadow(TRunContext* context = nullptr);

    TKX_Integer& Shadow_Y;
    TKX_Integer& Shadow_X;
    TKX_Integer& FG_Line1Thickness;
    TKX_Integer& FG_Line2Thickness;
    TKX_Integer& BG_Line1Thickness;
    TKX_Integer& BG_Line2Thickness;
    TKX_Integer& Radius;
    TKX_Color& Shadow_Color;
    TKX_Color& BG_Color;
    TKX_Color& FG_Line1Color;
    TKX_Color& FG_Line2Color;
    TKX_Color& BG_Line1Color;
    TKX_Color& BG_Line2Color;

protected:
    bool Accepts(TValueSlot slot) override;
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
