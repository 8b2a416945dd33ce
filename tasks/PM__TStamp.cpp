#include "tasks/PM__TStamp.h"

#include "core/EditorPage.h"

namespace pm {

TStamp::TStamp(TRunContext* context)
    : TBaseClass(context),
      Radius(Declare<TKX_Integer>("FX8_Radius", "Radius", 10)),
      Border(Declare<TKX_Integer>("FX8_Border", "Border", 10)),
      BG_Color(Declare<TKX_Color>("FX8_BG_Color", "BG_Color", 0xFFFFFFu)),
      FG_Color(Declare<TKX_Color>("FX8_FG_Color", "FG_Color", 0x00FF00u)),
      Line1_Color(Declare<TKX_Color>("FX8_Line1_Color", "Line1_Color", 0x000000u)),
      Line2_Color(Declare<TKX_Color>("FX8_Line2_Color", "Line2_Color", 0x0000FFu)),
      DrawMode(Declare<TKX_ItemIndex>("FX8_Mode", "DrawMode", 0)) {
    classInfo_ = {"TStamp", "Border: \"Stamp\"", "Make border \"Stamp\"", 9};
}

void TStamp::PrepareEditor(IEditorPage& page) { page.SetItems("FX8_Mode", {"Normal", "Smoothed"}); }

}  // namespace pm
