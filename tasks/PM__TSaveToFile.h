#pragma once
// "File: Save to file": writes the image as JPEG or BMP below the target
// directory.
#include "core/BaseClass.h"

namespace pm {

class TSaveToFile : public TBaseClass {
public:
    explicit TSaveToFile(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;

    TKX_ItemIndex& Out_Format;
    TKX_String& Image_Extension_JPG;
    TKX_String& Image_Extension_BMP;
    TKX_Integer& Compression_Quality;
    TKX_String& JPEG_Comment;
    TKX_Boolean& Progressive_JPEG;
};

}  // namespace pm
