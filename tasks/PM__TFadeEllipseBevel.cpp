#include "tasks/PM__TFadeEllipseBevel.h"

namespace pm {

TFadeEllipseBevel::TFadeEllipseBevel(TRunContext* context)
    : TBaseClass(context),
      Bevel_Thickness(Declare<TKX_Integer>("FX5_Bevel_Thickness", "Bevel_Thickness", 60)),
      BG_Color(Declare<TKX_Color>("FX5_BG_Color", "BG_Color", 0x008000u)),
      Shadow_Color(Declare<TKX_Color>("FX5_Shadow_Color", "Shadow_Color", 0xFF0000u)),
      Solid_Border(Declare<TKX_Boolean>("FX5_Solid_Border", "Solid_Border", false)) {
    classInfo_ = {"TFadeEllipseBevel", "Border: \"FadeEllipseBevel\"", "Make border \"FadeEllipseBevel\"", 6};
}

}  // namespace pm
