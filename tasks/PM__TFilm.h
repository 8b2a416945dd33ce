#pragma once
// Border "Film": a photographic film frame with sprocket holes.
#include "tasks/Effect.h"

namespace pm {

class TFilm : public TEffect {
public:
    explicit TFilm(TRunContext* context = nullptr);

    TKX_Color& BG_Color;
    TKX_Color& FG_Color;
    TKX_Color& Line1_Color;
    TKX_Color& Line2_Color;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
