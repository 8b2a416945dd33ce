#include "tasks/PM__TLoadFromFile.h"

#include "core/EditorPage.h"
#include "core/Paths.h"
#include "core/RunContext.h"
#include "decoders/PictureLoader.h"
#include "tasks/KX_LoadBitmapFromFile.h"

#include <algorithm>

namespace pm {

TLoadFromFile::TLoadFromFile(TRunContext* context)
    : TBaseClass(context),
      ApplyOrientation(DeclareOptional<TKX_Boolean>(kOrientationWidget, "Apply_Orientation", true)) {
    classInfo_ = {"TLoadFromFile", "File: Load from file", "Load source graphical file", 0};
    struct Row {
        const char* key;
        const char* description;
        std::vector<std::string> extensions;
        bool addedLater = false;  // its key is optional in scenario files
    };
    const Row table[kFormatCount] = {
        {"Autodesk", "Autodesk images files", {"CEL", "PIC"}},
        {"CompuServe", "CompuServe images", {"GIF"}},
        {"DrHalo", "Dr. Halo images", {"CUT", "PAL"}},
        {"EPS", "Encapsulated Postscript images", {"EPS"}},
        {"FAX", "GFI fax images", {"FAX"}},
        {"Kodak", "Kodak Photo-CD images", {"PCD"}},
        {"Paintshop", "Paintshop Pro images", {"PSP"}},
        {"Photoshop", "Photoshop images", {"PSD", "PDD"}},
        {"PNG", "Portable network graphic images", {"PNG"}},
        {"Portable", "Portable pixel/gray map images", {"PPM", "PGM", "PBM"}},
        {"SGIimages", "SGI images", {"BW", "RGB", "RGBA", "SGI"}},
        {"SGIWavefront", "SGI Wavefront images", {"RLA", "RPF"}},
        {"JPEG", "Standard JPEG (JFIF) images", {"JPG", "JPEG", "JPE", "JFIF"}},
        {"Bitmap", "Standard Windows and OS/2 bitmap images", {"BMP", "RLE", "DIB"}},
        {"TIFF", "TIFF images", {"TIF", "TIFF"}},
        {"Truevision", "Truevision images", {"TGA", "VST", "ICB", "VDA", "WIN"}},
        {"Icons", "Windows Icons", {"ICO"}},
        {"Metafiles", "Windows Metafiles and Enhanced Metafiles images", {"WMF", "EMF"}},
        {"Word5", "Word 5.x screen capture files", {"SCR"}},
        {"Paintbrush", "ZSoft Paintbrush images", {"PCX", "PCC"}},
        // Formats added after the first release: appended, so the rows and
        // keys above keep their places.
        {"HEIF", "HEIF and AVIF images", {"HEIC", "HEIF", "AVIF"}, true},
        {"WebP", "WebP images", {"WEBP"}, true},
    };
    for (const Row& r : table)
        Formats.push_back(
            std::make_unique<TFileFormat>(r.key, r.extensions, r.description, true, r.addedLater));
}

TINIObject& TLoadFromFile::SaveSettings(const std::string& taskName) {
    TINIObject& ini = SettingsStore();
    ini.ClearList();
    ini.AddHeader(taskName, ClassName());
    for (const auto& f : Formats) f->Enabled.SaveTo(ini);
    for (const TSetting& s : Settings()) s.Value->SaveTo(ini);
    return ini;
}

void TLoadFromFile::LoadSettings(const TINIObject& ini) {
    for (const auto& f : Formats) f->Enabled.LoadFrom(ini);
    TBaseClass::LoadSettings(ini);
}

void TLoadFromFile::PrepareEditor(IEditorPage& page) {
    page.ClearRows(kListWidget);
    for (const auto& f : Formats) {
        std::string joined;
        for (const std::string& e : f->Extensions) joined += (joined.empty() ? "" : ", ") + e;
        page.AddRow(kListWidget, {f->Description, joined});
    }
}

void TLoadFromFile::ShowSettings(IEditorPage& page, TValueSlot slot) {
    for (int i = 0; i < kFormatCount; ++i)
        page.SetRowChecked(kListWidget, i, Formats[static_cast<std::size_t>(i)]->Enabled.GetValue(slot));
    TBaseClass::ShowSettings(page, slot);
}

void TLoadFromFile::ReadSettings(IEditorPage& page, TValueSlot slot) {
    for (int i = 0; i < kFormatCount; ++i)
        Formats[static_cast<std::size_t>(i)]->Enabled.SetValue(page.GetRowChecked(kListWidget, i), slot);
    TBaseClass::ReadSettings(page, slot);
}

bool TLoadFromFile::SettingsChanged(IEditorPage& page) {
    bool changed = TBaseClass::SettingsChanged(page);
    for (const auto& f : Formats) changed = f->Enabled.Changed() || changed;
    return changed;
}

bool TLoadFromFile::LoadsUpright(const TBaseClass* task) {
    const auto* load = dynamic_cast<const TLoadFromFile*>(task);
    return !load || load->ApplyOrientation.GetValue(vsCurrent);
}

bool TLoadFromFile::DecodesSmaller(const TBitmapsInfo& info, const TBaseClass* next) {
    return next && PictureFormatName(info.SourceFileName) == "JPEG" &&
           next->InputShrinkDivisor(vsCurrent, info.Width, info.Height) > 1;
}

bool TLoadFromFile::Execute(TValueSlot slot) {
    TRunContext* ctx = Context();
    if (!ctx) return false;
    if (!LoadSourceImage(*ctx, ctx->CurrentSourceFile, ApplyOrientation.GetValue(slot), ctx->FollowingTask))
        return false;
    try {
        TBaseClass& general = ctx->GeneralObject();
        DstBitmap = general.SrcBitmap;
        // Without a project item (a test outside a run) there is no target
        // directory, so there is no target: an empty name makes a saving task
        // refuse instead of writing over the source file itself.
        const PrItemRec* item = ctx->CurrentProjectItem;
        general.BitmapsInfo.TargetFileName =
            item ? MakeTargetFileName(general.BitmapsInfo.SourceFileName, item->SourceDirectory,
                                      item->TargetDirectory)
                 : std::string();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void TLoadFromFile::BuildExtensionLists(TValueSlot slot) {
    AllExtensions.clear();
    EnabledExtensions.clear();
    for (const auto& f : Formats)
        for (const std::string& e : f->Extensions) {
            AllExtensions.push_back(e);
            if (f->Enabled.GetValue(slot)) EnabledExtensions.push_back(e);
        }
}

void TLoadFromFile::SelectClearInvert(IEditorPage& page, int tag) {
    const int rows = page.RowCount(kListWidget);
    for (int i = 0; i < rows; ++i) {
        switch (tag) {
        case 1:
            page.SetRowChecked(kListWidget, i, true);
            break;
        case 2:
            page.SetRowChecked(kListWidget, i, false);
            break;
        case 3:
            page.SetRowChecked(kListWidget, i, !page.GetRowChecked(kListWidget, i));
            break;
        default:
            break;
        }
    }
    CheckListState(page);
}

void TLoadFromFile::CheckListState(IEditorPage& page) {
    bool any = false;
    const int rows = page.RowCount(kListWidget);
    for (int i = 0; i < rows && !any; ++i) any = page.GetRowChecked(kListWidget, i);
    page.SetEnabled("btn1", any);
}

std::string MakeTargetFileName(const std::string& sourceFile, const std::string& sourceDirectory,
                               const std::string& targetDirectory) {
    std::string path = DirectoryPart(sourceFile);
    // A file outside the source directory may have a shorter path: the
    // folding stops at its end.
    const std::size_t n = std::min(path.size(), sourceDirectory.empty() ? 0 : sourceDirectory.size() - 1);
    std::replace(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(n), kPathSeparator, '_');
    // The folded source folder is one folder name; a deep source folder can
    // make it longer than a name may be.
    const std::string folded = FitFileName(path.substr(0, n));
    return targetDirectory + folded + path.substr(n) + FileNamePart(sourceFile);
}

}  // namespace pm
