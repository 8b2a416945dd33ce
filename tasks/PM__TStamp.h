#pragma once
// Border "Stamp": a perforated postage-stamp margin.
#include "tasks/Effect.h"

namespace pm {

class TStamp : public TEffect {
public:
    explicit TStamp(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;

    TKX_Integer& Radius;
    TKX_Integer& Border;
    TKX_Color& BG_Color;
    TKX_Color& FG_Color;
    TKX_Color& Line1_Color;
    TKX_Color& Line2_Color;
    TKX_ItemIndex& DrawMode;

protected:
    bool Accepts(TValueSlot slot) override;
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
