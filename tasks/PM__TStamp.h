#pragma once
// Border "Stamp": a perforated postage-stamp margin.
#include "core/BaseClass.h"

namespace pm {

class TStamp : public TBaseClass {
public:
    explicit TStamp(TRunContext* context = nullptr);
    bool Execute(TValueSlot slot) override;
    void PrepareEditor(IEditorPage& page) override;

    TKX_Integer& Radius;
    TKX_Integer& Border;
    TKX_Color& BG_Color;
    TKX_Color& FG_Color;
    TKX_Color& Line1_Color;
    TKX_Color& Line2_Color;
    TKX_ItemIndex& DrawMode;
};

}  // namespace pm
