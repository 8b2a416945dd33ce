#include "tasks/PM__TWatermark.h"

#include "core/EditorPage.h"
#include "core/Paths.h"
#include "log/WriteLog.h"
#include "tasks/Anchors.h"
#include "tasks/KX_LoadBitmapFromFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace pm {

namespace {

// The file's modification time, or 0 where it has none.
std::int64_t FileStamp(const std::string& name) {
    std::error_code ec;
    const auto t = std::filesystem::last_write_time(name, ec);
    return ec ? 0 : static_cast<std::int64_t>(t.time_since_epoch().count());
}

}  // namespace

TWatermark::TWatermark(TRunContext* context)
    : TEffect(context, "Watermark", TCanvas::SourceCopy),
      File(DeclareOptional<TKX_String>("WM_File", "Watermark_File", std::string())),
      Anchor(DeclareOptional<TKX_Integer>("", "Anchor", 9, TIntRange{1, 9})),
      Margin(DeclareOptional<TKX_Integer>("WM_Margin", "Margin", 10, TIntRange{0, 10000})),
      Width_Percent(DeclareOptional<TKX_Integer>("WM_Width_Percent", "Width_Percent", 20, TIntRange{0, 100})),
      Opacity(DeclareOptional<TKX_Integer>("WM_Opacity", "Opacity", 50, TIntRange{0, 100})) {
    classInfo_ = {"TWatermark", "Mark: Watermark", "Make \"Watermark\"", 15};
}

void TWatermark::PrepareEditor(IEditorPage& page) {
    page.SetFileChooser(
        "WM_File", "Browse", "Select file ...",
        "Pictures|*.png;*.PNG;*.jpg;*.JPG;*.jpeg;*.bmp;*.BMP;*.gif;*.tif;*.tiff;*.webp|All files|*");
}

void TWatermark::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    ShowAnchorButtons(page, kAnchorPrefix, Anchor.GetValue(slot));
}

void TWatermark::ReadSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ReadSettings(page, slot);
    Anchor.SetValue(ReadAnchorButtons(page, kAnchorPrefix, Anchor.GetValue(slot)), slot);
}

bool TWatermark::ExecuteWithMark(TValueSlot slot, const TAlphaImage& mark) {
    given_ = &mark;
    const bool ok = Execute(slot);
    given_ = nullptr;
    return ok;
}

bool TWatermark::Accepts(TValueSlot slot) {
    if (given_) return true;
    const std::string name = File.GetValue(slot);
    if (name.empty()) {
        LogError("No watermark file given!");
        return false;
    }
    const std::int64_t stamp = FileStamp(name);
    if (name == cache_.Name && stamp == cache_.Stamp && !cache_.Mark.Empty()) return true;
    cache_ = {};
    if (!FileExists(name)) {
        LogNew(
            lmError,
            {{"Watermark file \"", LogErrorColor}, {name, LogValueColor}, {"\" not found!", LogErrorColor}});
        return false;
    }
    // The loader logs why a file cannot be read.
    TBitmap loaded;
    if (LoadBitmapFromFile(name, loaded) && !loaded.Empty())
        cache_ = {name, stamp, AlphaImageOf(loaded.Dib())};
    if (cache_.Mark.Empty()) {
        LogNew(lmError, {{"Can't load watermark file \"", LogErrorColor},
                         {name, LogValueColor},
                         {"\" !", LogErrorColor}});
        return false;
    }
    return true;
}

bool TWatermark::Render(TFastDIB& image, TValueSlot slot) {
    const TAlphaImage& mark = given_ ? *given_ : cache_.Mark;
    const int percent = Width_Percent.InRange(slot);
    int w = mark.Width, h = mark.Height;
    if (percent > 0) {
        // The width a percentage of the picture's, the height in proportion.
        w = std::max(1, static_cast<int>((static_cast<long long>(image.Width()) * percent + 50) / 100));
        const long long tall = (static_cast<long long>(mark.Height) * w + mark.Width / 2) / mark.Width;
        // A mark far taller than the picture shows no more of itself when
        // taller still: capped, so a sliver of a file cannot ask for gigabytes.
        const long long cap = 2LL * std::max(image.Width(), image.Height());
        h = static_cast<int>(std::clamp(tall, 1LL, cap));
    }
    TAlphaImage scaled;
    if (w != mark.Width || h != mark.Height) scaled = ScaleAlphaImage(mark, w, h);
    const TAlphaImage& laid = scaled.Empty() ? mark : scaled;
    const int anchor = Anchor.InRange(slot), margin = Margin.InRange(slot);
    BlendAlphaImage(image, laid, AnchorPlace(image.Width(), w, AnchorColumn(anchor), margin),
                    AnchorPlace(image.Height(), h, AnchorLine(anchor), margin), Opacity.InRange(slot));
    return true;
}

}  // namespace pm
