#pragma once
// Border "FadeShadow": a framed image with a soft shadow in one of four
// diagonal directions.
#include "core/BaseClass.h"

namespace pm {

class TFadeShadow : public TBaseClass {
public:
    explicit TFadeShadow(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;

    TKX_ItemIndex& Shadow_Direction;
    TKX_Integer& Shadow_Thickness;
    TKX_Color& Shadow_Color;
    TKX_Integer& Line1Thickness;
    TKX_Integer& Line2Thickness;
    TKX_Color& Line1Color;
    TKX_Color& Line2Color;
    TKX_Color& BG_Color;
};

}  // namespace pm
