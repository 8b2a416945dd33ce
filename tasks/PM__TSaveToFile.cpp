#include "tasks/PM__TSaveToFile.h"

#include "core/AtomicFile.h"
#include "core/EditorPage.h"
#include "core/Paths.h"
#include "core/RunContext.h"
#include "core/SourceGuard.h"
#include "core/StringUtils.h"
#include "encoders/AvifEncoder.h"
#include "encoders/BmpEncoder.h"
#include "encoders/JPEGImage.h"
#include "encoders/PngEncoder.h"
#include "encoders/TiffEncoder.h"
#include "encoders/WebpEncoder.h"
#include "log/WriteLog.h"
#include "tasks/NamePattern.h"
#include "tasks/ResultMetadata.h"
#include "tasks/SrgbConversion.h"

#include <cstring>
#include <exception>
#include <memory>

namespace pm {

namespace {

constexpr int kFormatJPEG = 0;
constexpr int kFormatBMP = 1;
constexpr int kFormatPNG = 2;
constexpr int kFormatTIFF = 3;
constexpr int kFormatWebP = 4;
constexpr int kFormatAVIF = 5;
constexpr std::size_t kMaxCommentBytes = 65533;

// What the system said about a failed step, for the end of a message.
std::string SystemSaid(int error) {
    return error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string();
}

bool KnownFormat(int format) {
    return format >= kFormatJPEG && format <= kFormatAVIF;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::string EscapeComment(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string UnescapeComment(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '\\' && (next == '\\' || next == 'r' || next == 'n')) {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

TSaveToFile::TSaveToFile(TRunContext* context)
    : TBaseClass(context), Out_Format(Declare<TKX_ItemIndex>("stfFormat", "Out_Format", 0)),
      Image_Extension_JPG(
          Declare<TKX_String>("stfImage_Extension_JPG", "Image_Extension_JPG", std::string(".jpg"))),
      Image_Extension_BMP(
          Declare<TKX_String>("stfImage_Extension_BMP", "Image_Extension_BMP", std::string(".bmp"))),
      // A hand-edited quality outside what the encoder takes is brought into
      // its range, with a warning.
      Compression_Quality(
          Declare<TKX_Integer>("stfC_Quality", "Compression_Quality", 70, {10, 100}, {1, 100})),
      JPEG_Comment(Declare<TKX_String>("stfJPEG_Comment", "JPEG_Comment", std::string())),
      Progressive_JPEG(Declare<TKX_Boolean>("stfProgressive_JPEG", "Progressive_JPEG", false)),
      Metadata(DeclareOptional<TKX_ItemIndex>(kMetadataWidget, "Metadata", kMetadataAll)),
      Convert_To_sRGB(DeclareOptional<TKX_Boolean>(kSrgbWidget, "Convert_To_sRGB", false)),
      Image_Extension_PNG(
          DeclareOptional<TKX_String>("stfImage_Extension_PNG", "Image_Extension_PNG", std::string(".png"))),
      PNG_Compression_Level(DeclareOptional<TKX_Integer>("stfPNG_Compression_Level", "PNG_Compression_Level",
                                                         6, TIntRange{0, 9})),
      PNG_Interlaced(DeclareOptional<TKX_Boolean>("stfPNG_Interlaced", "PNG_Interlaced", false)),
      Image_Extension_TIF(
          DeclareOptional<TKX_String>("stfImage_Extension_TIF", "Image_Extension_TIF", std::string(".tif"))),
      TIFF_Compression(DeclareOptional<TKX_ItemIndex>("stfTIFF_Compression", "TIFF_Compression",
                                                      static_cast<int>(TTiffCompression::Deflate))),
      Image_Extension_WEBP(DeclareOptional<TKX_String>("stfImage_Extension_WEBP", "Image_Extension_WEBP",
                                                       std::string(".webp"))),
      WebP_Quality(DeclareOptional<TKX_Integer>("stfWebP_Quality", "WebP_Quality", 80, TIntRange{0, 100})),
      WebP_Lossless(DeclareOptional<TKX_Boolean>("stfWebP_Lossless", "WebP_Lossless", false)),
      WebP_Effort(DeclareOptional<TKX_Integer>("stfWebP_Effort", "WebP_Effort", 4, TIntRange{0, 6})),
      Image_Extension_AVIF(DeclareOptional<TKX_String>("stfImage_Extension_AVIF", "Image_Extension_AVIF",
                                                       std::string(".avif"))),
      AVIF_Quality(DeclareOptional<TKX_Integer>("stfAVIF_Quality", "AVIF_Quality", 60, TIntRange{0, 100})),
      AVIF_Speed(DeclareOptional<TKX_Integer>("stfAVIF_Speed", "AVIF_Speed", 6, TIntRange{0, 10})),
      Name_Pattern(DeclareOptional<TKX_String>("stfName_Pattern", "Name_Pattern", std::string())) {
    classInfo_ = {"TSaveToFile", "File: Save to file", "Save resulting graphical file", 10};
}

// A comment without line breaks is stored exactly as any other string, so
// files stay as they always were and old comments with backslashes (paths)
// read back untouched. Only a comment with line breaks is escaped, and the
// extra key says so.
TINIObject& TSaveToFile::SaveSettings(const std::string& taskName) {
    TINIObject& ini = SettingsStore();
    ini.ClearList();
    ini.AddHeader(taskName, ClassName());
    const std::string comment = JPEG_Comment.GetValue(vsCurrent);
    for (const TSetting& s : Settings()) {
        if (s.Value.get() == &JPEG_Comment && HasLineBreak(comment)) {
            ini.AddRecord(JPEG_Comment.Name, Quoted(EscapeComment(comment)));
            ini.AddRecord(kCommentEscapedKey, BoolToString(true));
        } else {
            s.Value->SaveTo(ini);
        }
    }
    return ini;
}

void TSaveToFile::LoadSettings(const TINIObject& ini) {
    TBaseClass::LoadSettings(ini);
    const TINIRecord* escaped = ini.Find(kCommentEscapedKey);
    if (escaped && StringToBool(escaped->Data) && ini.Find(JPEG_Comment.Name))
        JPEG_Comment.SetValue(UnescapeComment(JPEG_Comment.GetValue(vsCurrent)), vsCurrent);
}

void TSaveToFile::PrepareEditor(IEditorPage& page) {
    page.SetItems("stfFormat", {"Standard JPEG image", "Standard Windows bitmap", "PNG image", "TIFF image",
                                "WebP image", "AVIF image"});
    page.SetItems("stfTIFF_Compression", {"None", "LZW", "Deflate", "JPEG"});
    page.SetItems(kMetadataWidget, {"All", "All but location", "None"});
}

void TSaveToFile::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    page.SetPageIndex("stfOutputFormat", Out_Format.GetValue(slot));
}

std::string TSaveToFile::ResultExtension(TValueSlot slot) const {
    switch (Out_Format.GetValue(slot)) {
    case kFormatJPEG:
        return Image_Extension_JPG.GetValue(slot);
    case kFormatBMP:
        return Image_Extension_BMP.GetValue(slot);
    case kFormatPNG:
        return Image_Extension_PNG.GetValue(slot);
    case kFormatTIFF:
        return Image_Extension_TIF.GetValue(slot);
    case kFormatWebP:
        return Image_Extension_WEBP.GetValue(slot);
    case kFormatAVIF:
        return Image_Extension_AVIF.GetValue(slot);
    default:
        return {};
    }
}

std::string TSaveToFile::ResultFileName(const std::string& target, TValueSlot slot, const std::string& source,
                                        int number) const {
    const std::string dir = DirectoryPart(target), name = FileNamePart(target);
    const int format = Out_Format.GetValue(slot);
    if (dir.empty() || name.empty() || !KnownFormat(format)) return {};
    const std::string stem =
        ExpandNamePattern(Name_Pattern.GetValue(slot), {StripExtension(name), source, number});
    if (!UsableFileName(stem)) return {};
    const std::string fitted = FitFileName(stem, ResultExtension(slot));
    return fitted.empty() ? std::string() : dir + fitted;
}

int TSaveToFile::UsableValue(const TKX_Integer& setting, const char* what, TValueSlot slot) {
    const int value = setting.GetValue(slot);
    const int used = setting.InRange(slot);
    const TIntRange& range = setting.RunRange();
    if (used != value)
        LogNew(lmWarning,
               {{std::string(what) + " ", LogTextColor},
                {std::to_string(value), LogValueColor},
                {" is out of range " + std::to_string(range.Min) + ".." + std::to_string(range.Max) + ", ",
                 LogTextColor},
                {std::to_string(used), LogValueColor},
                {" is used.", LogTextColor}});
    return used;
}

std::unique_ptr<IImageEncoder> TSaveToFile::ChooseEncoder(TValueSlot slot) {
    switch (Out_Format.GetValue(slot)) {
    case kFormatBMP:
        return std::make_unique<TBmpEncoder>();
    case kFormatPNG: {
        auto png = std::make_unique<TPngEncoder>();
        png->CompressionLevel = UsableValue(PNG_Compression_Level, "PNG compression level", slot);
        png->Interlaced = PNG_Interlaced.GetValue(slot);
        return png;
    }
    case kFormatTIFF: {
        auto tiff = std::make_unique<TTiffEncoder>();
        const int compression = TIFF_Compression.GetValue(slot);
        if (compression < 0 || compression > static_cast<int>(TTiffCompression::JPEG)) {
            LogNew(lmWarning, {{"TIFF compression ", LogTextColor},
                               {std::to_string(compression), LogValueColor},
                               {" is unknown, Deflate is used.", LogTextColor}});
        } else {
            tiff->Compression = static_cast<TTiffCompression>(compression);
        }
        return tiff;
    }
    case kFormatWebP: {
        auto webp = std::make_unique<TWebpEncoder>();
        webp->Quality = UsableValue(WebP_Quality, "WebP quality", slot);
        webp->Lossless = WebP_Lossless.GetValue(slot);
        webp->Effort = UsableValue(WebP_Effort, "WebP effort", slot);
        return webp;
    }
    case kFormatAVIF: {
        auto avif = std::make_unique<TAvifEncoder>();
        avif->Quality = UsableValue(AVIF_Quality, "AVIF quality", slot);
        avif->Speed = UsableValue(AVIF_Speed, "AVIF speed", slot);
        return avif;
    }
    case kFormatJPEG:
        break;
    default:
        return nullptr;
    }
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->CompressionQuality = UsableValue(Compression_Quality, "JPEG quality", slot);
    jpeg->Comment = JPEG_Comment.GetValue(slot);
    jpeg->ProgressiveEncoding = Progressive_JPEG.GetValue(slot);
    if (jpeg->Comment.size() > kMaxCommentBytes)
        LogNew(lmWarning, {{"JPEG comment is longer than ", LogTextColor},
                           {std::to_string(kMaxCommentBytes), LogValueColor},
                           {" bytes and is not written.", LogTextColor}});
    return jpeg;
}

std::unique_ptr<TFastDIB> TSaveToFile::PrepareResult(const TFastDIB& dib, IImageEncoder& encoder,
                                                     TImageMetadata& metadata, TValueSlot slot) {
    const TBitmapsInfo& info = Context()->GeneralObject().BitmapsInfo;
    static const TImageMetadata kNone;
    const TImageMetadata& source = info.Metadata ? *info.Metadata : kNone;
    std::unique_ptr<TFastDIB> converted;
    if (Convert_To_sRGB.GetValue(slot) && !source.Icc.empty()) {
        converted = std::make_unique<TFastDIB>(dib);
        std::string reason;
        if (!ConvertDepth(*converted, 24) || !ConvertToSrgb(*converted, source.Icc, reason)) {
            converted.reset();
            LogNew(lmWarning,
                   {{reason.empty() ? "Can't convert image to 24 bits per pixel!" : reason, LogTextColor}});
        }
    }
    const bool srgb = Convert_To_sRGB.GetValue(slot) && (converted || source.Icc.empty());
    std::vector<std::string> warnings;
    metadata = PrepareResultMetadata(source, Metadata.GetValue(slot),
                                     {dib.Width(), dib.Height(), info.OrientationApplied, srgb}, warnings);
    for (const std::string& w : warnings) LogNew(lmWarning, {{w, LogTextColor}});
    if (!metadata.Empty()) encoder.Metadata = &metadata;
    return converted;
}

bool TSaveToFile::Execute(TValueSlot slot) {
    TRunContext* ctx = Context();
    if (ctx == nullptr) {
        LogError("Can't get target filename!");
        return false;
    }
    const std::string target = ctx->GeneralObject().BitmapsInfo.TargetFileName;

    LogNew(lmInfo, {{"Checking and preparing target directory ...", LogTextColor}});
    const std::string dir = DirectoryPart(target);
    if (dir.empty()) {
        LogError("Empty target path name!");
        return false;
    }
    // Results go below the item's target folder and nowhere else, whatever
    // the names that led here.
    const PrItemRec* item = ctx->CurrentProjectItem;
    const std::string targetRoot = item ? AbsoluteNormalDirectory(item->TargetDirectory) : std::string();
    const std::string normalDir = AbsoluteNormalDirectory(dir);
    if (item && normalDir != targetRoot && !PathInside(normalDir, targetRoot)) {
        LogNew(lmError, {{"Target directory \"", LogErrorColor},
                         {dir, LogValueColor},
                         {"\" lies outside \"", LogErrorColor},
                         {targetRoot, LogValueColor},
                         {"\"!", LogErrorColor}});
        return false;
    }
    // Another run may create the folder at the same moment; what counts is
    // that it is there afterwards.
    if (!DirectoryExists(dir) && !CreateDirectoryChain(dir) && !DirectoryExists(dir)) {
        LogNew(lmError, {{"Can't create target directory \"", LogErrorColor},
                         {dir, LogValueColor},
                         {"\" !", LogErrorColor}});
        return false;
    }

    LogNew(lmInfo, {{"Checking and preparing target filename ...", LogTextColor}});
    const std::string name = FileNamePart(target);
    if (name.empty()) {
        LogError("Empty target filename!");
        return false;
    }
    const int format = Out_Format.GetValue(slot);
    const std::string ext = ResultExtension(slot);
    // An extension is part of a name: a separator or a control character
    // in it would lead the result elsewhere or make a name no one can type.
    if (ext.find(kPathSeparator) != std::string::npos || HasControlCharacter(ext)) {
        LogNew(lmError, {{"Invalid extension \"", LogErrorColor},
                         {ext, LogValueColor},
                         {"\" for the result file: a path separator or control character is not allowed!",
                          LogErrorColor}});
        return false;
    }
    // The pattern is applied to the name the folding gave.
    const std::string stem = ExpandNamePattern(
        Name_Pattern.GetValue(slot),
        {StripExtension(name), ctx->GeneralObject().BitmapsInfo.SourceFileName, ctx->CurrentFileNumber});
    if (!UsableFileName(stem)) {
        LogNew(lmError, {{"Invalid result name \"", LogErrorColor},
                         {stem, LogValueColor},
                         {"\" from the name pattern: a path separator or control character is not allowed!",
                          LogErrorColor}});
        return false;
    }
    const std::string fitted = FitFileName(stem, ext);
    if (fitted.empty()) {
        LogNew(lmError, {{"Extension \"", LogErrorColor},
                         {ext, LogValueColor},
                         {"\" is too long for a file name!", LogErrorColor}});
        return false;
    }
    const std::string full = dir + fitted;
    if (item && !PathInside(AbsoluteNormalPath(full), targetRoot)) {
        LogNew(lmError, {{"Result file \"", LogErrorColor},
                         {full, LogValueColor},
                         {"\" lies outside \"", LogErrorColor},
                         {targetRoot, LogValueColor},
                         {"\"!", LogErrorColor}});
        return false;
    }
    if (ctx->Sources && ctx->Sources->IsSource(full)) {
        LogNew(lmError, {{"Result file \"", LogErrorColor},
                         {full, LogValueColor},
                         {"\" is a source file of this run and is not replaced!", LogErrorColor}});
        return false;
    }

    // The old file is replaced by a rename once the new one is complete, so
    // here it is only checked; a failed write keeps it.
    if (KnownFormat(format) && FileExists(full) && !FileDeletable(full)) {
        LogNew(lmError,
               {{"Can't delete old file \"", LogErrorColor}, {full, LogValueColor}, {"\"!", LogErrorColor}});
        return false;
    }

    const std::unique_ptr<IImageEncoder> encoder = ChooseEncoder(slot);
    // Prepared before the line that the outcome completes, as it may log.
    TImageMetadata metadata;
    std::unique_ptr<TFastDIB> converted;
    try {
        if (encoder) converted = PrepareResult(SrcBitmap.Dib(), *encoder, metadata, slot);
    } catch (const std::exception& e) {
        LogError(e.what());
        return false;
    }

    LogNew(lmInfo,
           {{"Saving result image \"", LogTextColor}, {full, LogValueColor}, {"\" ...", LogTextColor}});
    std::string reason;
    bool ok = false;
    try {
        const TFastDIB& dib = converted ? *converted : SrcBitmap.Dib();
        if (!encoder) {
            // Nothing can be written; calling that a success would hide a
            // broken scenario until someone looks for the missing files.
            reason = "Unknown output format " + std::to_string(format) + "!";
        } else if (dib.Width() <= 0 || dib.Height() <= 0) {
            // An empty picture would make an empty or broken file.
            reason = "Image is empty, nothing to save!";
        } else {
            auto writer = std::make_unique<TAtomicFileWriter>(full, !ctx->DeferResultSync);
            TAtomicFileWriter& file = *writer;
            if (!file.IsOpen()) {
                reason = "Can't create file in \"" + dir + "\"!" + SystemSaid(file.Error());
            } else {
                ok = encoder->SaveToSink(
                    dib,
                    [&file](const std::uint8_t* data, std::size_t size) { return file.Write(data, size); },
                    reason);
            }
            if (ok && ctx->DeferResultCommit) {
                // Closed now, so that files waiting for their turn hold no descriptor.
                if (file.Close()) {
                    ctx->PendingCommits.push_back(std::move(writer));
                } else {
                    ok = false;
                    reason = "Can't write file \"" + full + "\"!" + SystemSaid(file.Error());
                }
            } else if (ok && !file.Commit()) {
                ok = false;
                reason = "Can't write file \"" + full + "\"!" + SystemSaid(file.Error());
            } else if (!ok && (reason.empty() || file.Error() != 0)) {
                reason = "Can't write file \"" + full + "\"!" + SystemSaid(file.Error());
            }
        }
    } catch (const std::exception& e) {
        ok = false;
        reason = e.what();
    } catch (...) {
        ok = false;
    }
    if (ok) {
        LogAppend(lmInfo, {{"Complete.", LogTextColor}});
        for (const std::string& w : encoder->Warnings) LogNew(lmWarning, {{w, LogTextColor}});
    } else {
        LogAppend(lmError, {{"Failed!", LogErrorColor}});
        if (!reason.empty()) LogError(reason);
    }
    return ok;
}

}  // namespace pm
