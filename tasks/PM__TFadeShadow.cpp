#include "tasks/PM__TFadeShadow.h"

#include "core/EditorPage.h"

namespace pm {

TFadeShadow::TFadeShadow(TRunContext* context)
    : TBaseClass(context),
      Shadow_Direction(Declare<TKX_ItemIndex>("FX6_Shadow_Direction", "Shadow_Direction", 0)),
      Shadow_Thickness(Declare<TKX_Integer>("FX6_Shadow_Thickness", "Shadow_Thickness", 20)),
      Shadow_Color(Declare<TKX_Color>("FX6_Shadow_Color", "Shadow_Color", 0xFF0000u)),
      Line1Thickness(Declare<TKX_Integer>("FX6_Line1Thickness", "Line1Thickness", 2)),
      Line2Thickness(Declare<TKX_Integer>("FX6_Line2Thickness", "Line2Thickness", 1)),
      Line1Color(Declare<TKX_Color>("FX6_Line1Color", "Line1Color", 0x000000u)),
      Line2Color(Declare<TKX_Color>("FX6_Line2Color", "Line2Color", 0xFFFFFFu)),
      BG_Color(Declare<TKX_Color>("FX6_BG_Color", "BG_Color", 0xC0C0C0u)) {
    classInfo_ = {"TFadeShadow", "Border: \"FadeShadow\"", "Make border \"FadeShadow\"", 7};
}

void TFadeShadow::PrepareEditor(IEditorPage& page) {
    page.SetItems("FX6_Shadow_Direction", {"South-East", "South-West", "North-East", "North-West"});
}

}  // namespace pm
