#pragma once
// "Filter: Sharpen": unsharp mask with radius, amount and threshold, the
// usual step after shrinking.
#include "tasks/Effect.h"

namespace pm {

class TSharpen : public TEffect {
public:
    explicit TSharpen(TRunContext* context = nullptr);

    TKX_Integer& Radius;  // tenths of a pixel: the blur's standard deviation
    TKX_Integer& Amount;  // percent of the difference added
    TKX_Integer& Threshold;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
