#include "tasks/PM__TFadeRectangleBevel.h"

namespace pm {

TFadeRectangleBevel::TFadeRectangleBevel(TRunContext* context)
    : TBaseClass(context),
      Bevel_Thickness(Declare<TKX_Integer>("FX4_Bevel_Thickness", "Bevel_Thickness", 60)),
      Shadow_Color(Declare<TKX_Color>("FX4_Shadow_Color", "Shadow_Color", 0xFF0000u)),
      Solid_Border(Declare<TKX_Boolean>("FX4_Solid_Border", "Solid_Border", false)) {
    classInfo_ = {"TFadeRectangleBevel", "Border: \"FadeRectangleBevel\"", "Make border \"FadeRectangleBevel\"",
                  5};
}

}  // namespace pm
