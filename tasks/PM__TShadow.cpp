#include "tasks/PM__TShadow.h"

namespace pm {

TShadow::TShadow(TRunContext* context)
    : TBaseClass(context),
      Shadow_Y(Declare<TKX_Integer>("FX2_Shadow_Y", "Shadow_Y", 6)),
      Shadow_X(Declare<TKX_Integer>("FX2_Shadow_X", "Shadow_X", 6)),
      FG_Line1Thickness(Declare<TKX_Integer>("FX2_FG_Line1Thickness", "FG_Line1Thickness", 2)),
      FG_Line2Thickness(Declare<TKX_Integer>("FX2_FG_Line2Thickness", "FG_Line2Thickness", 1)),
      BG_Line1Thickness(Declare<TKX_Integer>("FX2_BG_Line1Thickness", "BG_Line1Thickness", 2)),
      BG_Line2Thickness(Declare<TKX_Integer>("FX2_BG_Line2Thickness", "BG_Line2Thickness", 1)),
      Radius(Declare<TKX_Integer>("FX2_Radius", "Radius", 30)),
      Shadow_Color(Declare<TKX_Color>("FX2_Shadow_Color_CB", "Shadow_Color", 0x000000u)),
      BG_Color(Declare<TKX_Color>("FX2_BG_Color_CB", "BG_Color", 0x0000FFu)),
      FG_Line1Color(Declare<TKX_Color>("FX2_FG_Line1Color_CB", "FG_Line1Color", 0x000000u)),
      FG_Line2Color(Declare<TKX_Color>("FX2_FG_Line2Color_CB", "FG_Line2Color", 0x00FF00u)),
      BG_Line1Color(Declare<TKX_Color>("FX2_BG_Line1Color_CB", "BG_Line1Color", 0xFF0000u)),
      BG_Line2Color(Declare<TKX_Color>("FX2_BG_Line2Color_CB", "BG_Line2Color", 0x00FFFFu)) {
    classInfo_ = {"TShadow", "Border: \"Shadow\"", "Make border \"Shadow\"", 3};
}

}  // namespace pm
