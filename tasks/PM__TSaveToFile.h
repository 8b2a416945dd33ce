#pragma once
// "File: Save to file": writes the image as JPEG, BMP, PNG, TIFF, WebP or
// AVIF below the target directory.
#include "core/BaseClass.h"

#include <memory>

namespace pm {

class IImageEncoder;

class TSaveToFile : public TBaseClass {
public:
    explicit TSaveToFile(TRunContext* context = nullptr);
    // The comment may hold line breaks, which a settings file cannot keep on
    // one line; see EscapeComment.
    TINIObject& SaveSettings(const std::string& taskName) override;
    void LoadSettings(const TINIObject& ini) override;
    void PrepareEditor(IEditorPage& page) override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;
    // Writes SrcBitmap to the target file of the general object in the
    // chosen format; DstBitmap is left alone.
    bool Execute(TValueSlot slot) override;

    // The extension the chosen format gets (empty for an unknown format).
    std::string ResultExtension(TValueSlot slot) const;
    // The file Execute writes for the target file name `target` of the
    // source `source`, the run's file number `number`, or empty when it
    // writes none.
    std::string ResultFileName(const std::string& target, TValueSlot slot, const std::string& source = {},
                               int number = 0) const;

    TKX_ItemIndex& Out_Format;
    TKX_String& Image_Extension_JPG;
    TKX_String& Image_Extension_BMP;
    TKX_Integer& Compression_Quality;
    TKX_String& JPEG_Comment;
    TKX_Boolean& Progressive_JPEG;
    // Added after the first release (a missing key takes its default): what
    // the result takes over of the source's EXIF, XMP, IPTC and colour
    // profile (TMetadataChoice, all by default), and whether its colours are
    // converted to sRGB (no by default: the profile travels with the pixels).
    TKX_ItemIndex& Metadata;
    TKX_Boolean& Convert_To_sRGB;
    static constexpr const char* kMetadataWidget = "stfMetadata";
    static constexpr const char* kSrgbWidget = "stfConvert_To_sRGB";
    // The formats added after the first release, each with its extension.
    TKX_String& Image_Extension_PNG;
    TKX_Integer& PNG_Compression_Level;
    TKX_Boolean& PNG_Interlaced;
    TKX_String& Image_Extension_TIF;
    TKX_ItemIndex& TIFF_Compression;  // none, LZW, Deflate, JPEG
    TKX_String& Image_Extension_WEBP;
    TKX_Integer& WebP_Quality;
    TKX_Boolean& WebP_Lossless;
    TKX_Integer& WebP_Effort;
    TKX_String& Image_Extension_AVIF;
    TKX_Integer& AVIF_Quality;
    TKX_Integer& AVIF_Speed;

    // Empty: the result is named after its source as it always was.
    TKX_String& Name_Pattern;

    // Written beside "JPEG_Comment" (as "Yes") only when the comment holds a
    // line break and was therefore stored escaped.
    static constexpr const char* kCommentEscapedKey = "JPEG_Comment_Escaped";

private:
    // The result's pixels and metadata: the picture converted to sRGB when
    // asked, and what it takes over from the source, set into `encoder`.
    // Null when the picture is saved as it is.
    std::unique_ptr<TFastDIB> PrepareResult(const TFastDIB& dib, IImageEncoder& encoder,
                                            TImageMetadata& metadata, TValueSlot slot);
    // The encoder for the chosen format, set up from the settings (with a
    // warning for each value it cannot use as is); none for an unknown format.
    std::unique_ptr<IImageEncoder> ChooseEncoder(TValueSlot slot);
    // The value of `setting` brought into its run range, with a warning
    // naming it as `what` when it had to be.
    int UsableValue(const TKX_Integer& setting, const char* what, TValueSlot slot);
};

// The one-line form of a comment: backslash, CR and LF become "\\", "\r"
// and "\n". UnescapeComment undoes it and keeps any other backslash as it is.
std::string EscapeComment(const std::string& text);
std::string UnescapeComment(const std::string& text);

}  // namespace pm
