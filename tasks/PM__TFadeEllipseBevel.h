#pragma once
// Border "FadeEllipseBevel": the image seen through the largest fitting
// ellipse whose outer band fades into a shadow colour.
#include "core/BaseClass.h"

namespace pm {

class TFadeEllipseBevel : public TBaseClass {
public:
    explicit TFadeEllipseBevel(TRunContext* context = nullptr);

    TKX_Integer& Bevel_Thickness;
    TKX_Color& BG_Color;
    TKX_Color& Shadow_Color;
    TKX_Boolean& Solid_Border;
};

}  // namespace pm
