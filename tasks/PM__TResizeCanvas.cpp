#include "tasks/PM__TResizeCanvas.h"

#include "core/EditorPage.h"

namespace pm {

TResizeCanvas::TResizeCanvas(TRunContext* context)
    : TBaseClass(context),
      Resize_Method(Declare<TKX_ItemIndex>("RC_Method", "Resize_Method", 0)),
      Top(Declare<TKX_Integer>("RC_Top", "Top", 10)),
      Left(Declare<TKX_Integer>("RC_Left", "Left", 10)),
      Right(Declare<TKX_Integer>("RC_Right", "Right", 10)),
      Bottom(Declare<TKX_Integer>("RC_Bottom", "Bottom", 10)),
      Top_Metric(Declare<TKX_Metric>("RC_Top_Metric", "Top_Metric", mPixel)),
      Left_Metric(Declare<TKX_Metric>("RC_Left_Metric", "Left_Metric", mPixel)),
      Right_Metric(Declare<TKX_Metric>("RC_Right_Metric", "Right_Metric", mPixel)),
      Bottom_Metric(Declare<TKX_Metric>("RC_Bottom_Metric", "Bottom_Metric", mPixel)),
      Width(Declare<TKX_Integer>("RC_Width", "Width", 800)),
      Height(Declare<TKX_Integer>("RC_Height", "Height", 600)),
      Width_Metric(Declare<TKX_Metric>("RC_Width_Metric", "Width_Metric", mPixel)),
      Height_Metric(Declare<TKX_Metric>("RC_Height_Metric", "Height_Metric", mPixel)),
      Archor_Position(Declare<TKX_Integer>("", "Archor_Position", 5)),
      BG_Color(Declare<TKX_Color>("RC_BG_Color", "BG_Color", 0x000000u)),
      BG_File(Declare<TKX_String>("RC_BG_File", "BG_File", std::string())) {
    classInfo_ = {"TResizeCanvas", "Transform: Change canvas size", "Make \"ResizeCanvas\"", 2};
}

void TResizeCanvas::PrepareEditor(IEditorPage& page) {
    page.SetItems("RC_Method", {"Absolute", "Relative"});
    // The background-file chooser's filter is built by the issue that brings
    // the canvas task's file handling.
}

void TResizeCanvas::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    const int anchor = Archor_Position.GetValue(slot);
    // The nine buttons form one group: pressing one releases the others.
    if (anchor >= 1 && anchor <= 9)
        for (int n = 1; n <= 9; ++n) page.SetChecked(AnchorButton(n), n == anchor);
    page.SetPageIndex("RC_NB", Resize_Method.GetValue(slot));
}

void TResizeCanvas::ReadSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ReadSettings(page, slot);
    for (int n = 1; n <= 9; ++n)
        if (page.GetChecked(AnchorButton(n))) {
            Archor_Position.SetValue(n, slot);
            break;
        }
}

}  // namespace pm
