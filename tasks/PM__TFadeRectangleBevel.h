#pragma once
// Border "FadeRectangleBevel": the image fades into a shadow colour in a band
// along all four edges.
#include "tasks/Effect.h"

namespace pm {

class TFadeRectangleBevel : public TEffect {
public:
    explicit TFadeRectangleBevel(TRunContext* context = nullptr);

    TKX_Integer& Bevel_Thickness;
    TKX_Color& Shadow_Color;
    TKX_Boolean& Solid_Border;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
