#include "tasks/PM__TRectangleBevel.h"

namespace pm {

TRectangleBevel::TRectangleBevel(TRunContext* context)
    : TBaseClass(context),
      Bevel_Thickness(Declare<TKX_Integer>("FX3_Bevel_Thickness", "Bevel_Thickness", 60)),
      Top_Amount(Declare<TKX_Integer>("FX3_Top_Amount", "Top_Amount", 130)),
      Left_Amount(Declare<TKX_Integer>("FX3_Left_Amount", "Left_Amount", 100)),
      Right_Amount(Declare<TKX_Integer>("FX3_Right_Amount", "Right_Amount", -100)),
      Bottom_Amount(Declare<TKX_Integer>("FX3_Bottom_Amount", "Bottom_Amount", -130)),
      Solid_Border(Declare<TKX_Boolean>("FX3_Solid_Border", "Solid_Border", false)) {
    classInfo_ = {"TRectangleBevel", "Border: \"RectangleBevel\"", "Make border \"RectangleBevel\"", 4};
}

}  // namespace pm
