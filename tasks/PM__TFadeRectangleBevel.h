#pragma once
// Border "FadeRectangleBevel": the image fades into a shadow colour in a band
// along all four edges.
#include "core/BaseClass.h"

namespace pm {

class TFadeRectangleBevel : public TBaseClass {
public:
    explicit TFadeRectangleBevel(TRunContext* context = nullptr);

    bool Execute(TValueSlot slot) override;

    TKX_Integer& Bevel_Thickness;
    TKX_Color& Shadow_Color;
    TKX_Boolean& Solid_Border;
};

}  // namespace pm
