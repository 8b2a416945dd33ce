#include "tasks/PM__TSaveToFile.h"

#include "core/EditorPage.h"

namespace pm {

TSaveToFile::TSaveToFile(TRunContext* context)
    : TBaseClass(context),
      Out_Format(Declare<TKX_ItemIndex>("stfFormat", "Out_Format", 0)),
      Image_Extension_JPG(Declare<TKX_String>("stfImage_Extension_JPG", "Image_Extension_JPG", std::string(".jpg"))),
      Image_Extension_BMP(Declare<TKX_String>("stfImage_Extension_BMP", "Image_Extension_BMP", std::string(".bmp"))),
      Compression_Quality(Declare<TKX_Integer>("stfC_Quality", "Compression_Quality", 70)),
      JPEG_Comment(Declare<TKX_String>("stfJPEG_Comment", "JPEG_Comment", std::string())),
      Progressive_JPEG(Declare<TKX_Boolean>("stfProgressive_JPEG", "Progressive_JPEG", false)) {
    classInfo_ = {"TSaveToFile", "File: Save to file", "Save resulting graphical file", 10};
}

void TSaveToFile::PrepareEditor(IEditorPage& page) {
    page.SetItems("stfFormat", {"Standard JPEG image", "Standard Windows bitmap"});
}

void TSaveToFile::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    page.SetPageIndex("stfOutputFormat", Out_Format.GetValue(slot));
}

}  // namespace pm
