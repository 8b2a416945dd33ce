#pragma once
// Border "RectangleBevel": four bands along the edges, each lightened or
// darkened by its own amount.
#include "tasks/Effect.h"

#include <array>
#include <cstdint>

namespace pm {

class TRectangleBevel : public TEffect {
public:
    explicit TRectangleBevel(TRunContext* context = nullptr);

    // One output level per input level: a >= 0 lightens, v + a * (255 - v)
    // div 256; a < 0 darkens, v - |a| * v div 256. Amounts beyond -255..255
    // (a hand-edited file) act as the strongest, -255 or 255.
    using TLevelTable = std::array<std::uint8_t, 256>;
    static constexpr TIntRange kAmountRange{-255, 255};
    static TLevelTable BuildLevelTable(int amount);

    TKX_Integer& Bevel_Thickness;
    TKX_Integer& Top_Amount;
    TKX_Integer& Left_Amount;
    TKX_Integer& Right_Amount;
    TKX_Integer& Bottom_Amount;
    TKX_Boolean& Solid_Border;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
