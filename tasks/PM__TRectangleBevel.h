#pragma once
// Border "RectangleBevel": four bands along the edges, each lightened or
// darkened by its own amount.
#include "core/BaseClass.h"

namespace pm {

class TRectangleBevel : public TBaseClass {
public:
    explicit TRectangleBevel(TRunContext* context = nullptr);

    TKX_Integer& Bevel_Thickness;
    TKX_Integer& Top_Amount;
    TKX_Integer& Left_Amount;
    TKX_Integer& Right_Amount;
    TKX_Integer& Bottom_Amount;
    TKX_Boolean& Solid_Border;
};

}  // namespace pm
