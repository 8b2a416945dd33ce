#include "tasks/PM__TFilm.h"

namespace pm {

TFilm::TFilm(TRunContext* context)
    : TBaseClass(context),
      BG_Color(Declare<TKX_Color>("FX7_BG_Color", "BG_Color", 0xFFFFFFu)),
      FG_Color(Declare<TKX_Color>("FX7_FG_Color", "FG_Color", 0x808080u)),
      Line1_Color(Declare<TKX_Color>("FX7_Line1_Color", "Line1_Color", 0x000000u)),
      Line2_Color(Declare<TKX_Color>("FX7_Line2_Color", "Line2_Color", 0x00FF00u)) {
    classInfo_ = {"TFilm", "Border: \"Film\"", "Make border \"Film\"", 8};
}

}  // namespace pm
