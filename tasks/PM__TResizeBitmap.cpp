#include "tasks/PM__TResizeBitmap.h"

#include "core/EditorPage.h"

namespace pm {

TResizeBitmap::TResizeBitmap(TRunContext* context)
    : TBaseClass(context),
      Width(Declare<TKX_Integer>("RI_Width", "Width", 200)),
      Height(Declare<TKX_Integer>("RI_Height", "Height", 200)),
      Width_Metric(Declare<TKX_Metric>("RI_Width_Metric", "Width_Metric", mPixel)),
      Height_Metric(Declare<TKX_Metric>("RI_Height_Metric", "Height_Metric", mPixel)),
      Method(Declare<TKX_ItemIndex>("RI_Method", "Method", 7)),
      Preserve_Aspect_Ratio(Declare<TKX_Boolean>("RI_Preserve_Aspect_Ratio", "Preserve_Aspect_Ratio", true)),
      Allow_Image_Enlargement(
          Declare<TKX_Boolean>("RI_Allow_Image_Enlargement", "Allow_Image_Enlargement", false)) {
    classInfo_ = {"TResizeBitmap", "Transform: Change image size", "Make \"ResizeImage\"", 1};
}

const std::vector<std::string>& TResizeBitmap::MethodNames() {
    static const std::vector<std::string> names = {"Box",    "Triangle", "Hermite",  "Bell",      "Spline",
                                                   "Lanczos3", "Mitchell", "Bilinear", "StretchBlt"};
    return names;
}

void TResizeBitmap::PrepareEditor(IEditorPage& page) { page.SetItems("RI_Method", MethodNames()); }

}  // namespace pm
