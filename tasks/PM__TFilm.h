#pragma once
// Border "Film": a photographic film frame with sprocket holes.
#include "core/BaseClass.h"

namespace pm {

class TFilm : public TBaseClass {
public:
    explicit TFilm(TRunContext* context = nullptr);
    bool Execute(TValueSlot slot) override;

    TKX_Color& BG_Color;
    TKX_Color& FG_Color;
    TKX_Color& Line1_Color;
    TKX_Color& Line2_Color;
};

}  // namespace pm
