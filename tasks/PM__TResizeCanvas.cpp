#include "tasks/PM__TResizeCanvas.h"

#include "core/EditorPage.h"
#include "core/Paths.h"
#include "core/RunContext.h"
#include "imaging/Arith.h"
#include "imaging/BlockCopy.h"
#include "imaging/Colors.h"
#include "log/WriteLog.h"
#include "tasks/Anchors.h"
#include "tasks/KX_LoadBitmapFromFile.h"
#include "tasks/PM__TLoadFromFile.h"

#include <algorithm>
#include <cstdint>

namespace pm {

namespace {
constexpr TIntRange kMarginRange{-10000, 10000};
}  // namespace

TResizeCanvas::TResizeCanvas(TRunContext* context)
    : TBaseClass(context), Resize_Method(Declare<TKX_ItemIndex>("RC_Method", "Resize_Method", 0)),
      Top(Declare<TKX_Integer>("RC_Top", "Top", 10, kMarginRange)),
      Left(Declare<TKX_Integer>("RC_Left", "Left", 10, kMarginRange)),
      Right(Declare<TKX_Integer>("RC_Right", "Right", 10, kMarginRange)),
      Bottom(Declare<TKX_Integer>("RC_Bottom", "Bottom", 10, kMarginRange)),
      Top_Metric(Declare<TKX_Metric>("RC_Top_Metric", "Top_Metric", mPixel)),
      Left_Metric(Declare<TKX_Metric>("RC_Left_Metric", "Left_Metric", mPixel)),
      Right_Metric(Declare<TKX_Metric>("RC_Right_Metric", "Right_Metric", mPixel)),
      Bottom_Metric(Declare<TKX_Metric>("RC_Bottom_Metric", "Bottom_Metric", mPixel)),
      Width(Declare<TKX_Integer>("RC_Width", "Width", 800, {1, 10000})),
      Height(Declare<TKX_Integer>("RC_Height", "Height", 600, {1, 10000})),
      Width_Metric(Declare<TKX_Metric>("RC_Width_Metric", "Width_Metric", mPixel)),
      Height_Metric(Declare<TKX_Metric>("RC_Height_Metric", "Height_Metric", mPixel)),
      // The anchor buttons 1 to 9, shown by the task itself.
      Archor_Position(Declare<TKX_Integer>("", "Archor_Position", 5, {1, 9})),
      BG_Color(Declare<TKX_Color>("RC_BG_Color", "BG_Color", 0x000000u)),
      BG_File(Declare<TKX_String>("RC_BG_File", "BG_File", std::string())) {
    classInfo_ = {"TResizeCanvas", "Transform: Change canvas size", "Make \"ResizeCanvas\"", 2};
}

std::string TResizeCanvas::BackgroundFilter(const std::vector<std::string>& extensions) {
    std::string filter = "All avialable formats|";
    for (const std::string& e : extensions) filter += ";*." + e;
    return filter;
}

void TResizeCanvas::PrepareEditor(IEditorPage& page) {
    page.SetItems("RC_Method", {"Absolute", "Relative"});
    // The extensions the scenario's loading task accepts; the enabled ones,
    // since those are the formats the user has chosen to work with. Without
    // a scenario at hand, those of a new loading task.
    TLoadFromFile fallback;
    TLoadFromFile* loader = &fallback;
    if (Context() && Context()->EditedScenario && !Context()->EditedScenario->empty()) {
        const auto& first = Context()->EditedScenario->front();
        if (first && first->Task)
            if (auto* l = dynamic_cast<TLoadFromFile*>(first->Task.get())) loader = l;
    }
    loader->BuildExtensionLists(vsCurrent);
    page.SetFileChooser("RC_BG_File", "Browse", "Select file ...",
                        BackgroundFilter(loader->EnabledExtensions));
}

void TResizeCanvas::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    // The nine buttons form one group: pressing one releases the others.
    ShowAnchorButtons(page, kAnchorPrefix, Archor_Position.GetValue(slot));
    page.SetPageIndex("RC_NB", Resize_Method.GetValue(slot));
}

void TResizeCanvas::ReadSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ReadSettings(page, slot);
    Archor_Position.SetValue(ReadAnchorButtons(page, kAnchorPrefix, Archor_Position.GetValue(slot)), slot);
}

TResizeCanvas::TCanvasLayout TResizeCanvas::ComputeLayout(TValueSlot slot, int sw, int sh) const {
    TCanvasLayout l;
    // 64-bit sums: margins from a hand-edited file must not wrap into a
    // plausible size; anything beyond the 32-bit range is no canvas at all.
    const auto clampInt = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    };
    if (Resize_Method.GetValue(slot) == 0) {
        const int t = MetricToPixels(Top.GetValue(slot), Top_Metric.GetValue(slot), sh);
        const int b = MetricToPixels(Bottom.GetValue(slot), Bottom_Metric.GetValue(slot), sh);
        const int left = MetricToPixels(Left.GetValue(slot), Left_Metric.GetValue(slot), sw);
        const int r = MetricToPixels(Right.GetValue(slot), Right_Metric.GetValue(slot), sw);
        l.Width = clampInt(static_cast<long long>(sw) + left + r);
        l.Height = clampInt(static_cast<long long>(sh) + t + b);
        l.X = left;
        l.Y = t;
        return l;
    }
    l.Width = MetricToPixels(Width.GetValue(slot), Width_Metric.GetValue(slot), sw);
    l.Height = MetricToPixels(Height.GetValue(slot), Height_Metric.GetValue(slot), sh);
    const int anchor = Archor_Position.GetValue(slot);
    if (anchor < 1 || anchor > 9) return l;
    const int column = (anchor - 1) % 3, line = (anchor - 1) / 3;
    // The two halves are rounded separately, each half to even.
    const auto place = [&](int canvas, int image, int where) {
        if (where == 0) return 0;
        if (where == 1)
            return clampInt(static_cast<long long>(RoundHalfEven(canvas / 2.0)) - RoundHalfEven(image / 2.0));
        return clampInt(static_cast<long long>(canvas) - image);
    };
    l.X = place(l.Width, sw, column);
    l.Y = place(l.Height, sh, line);
    return l;
}

bool TResizeCanvas::Execute(TValueSlot slot) {
    return Run(slot, nullptr);
}

bool TResizeCanvas::ExecuteWithBackground(TValueSlot slot, const TBitmap& background) {
    return Run(slot, &background);
}

bool TResizeCanvas::Run(TValueSlot slot, const TBitmap* background) {
    try {
        const TCanvasLayout layout = ComputeLayout(slot, SrcBitmap.Width(), SrcBitmap.Height());
        if (layout.Width < 1 || layout.Height < 1) {
            LogError("New canvas width or height less 1");
            return false;
        }
        return Compose(slot, layout, background);
    } catch (...) {
        LogError("Cannot make \"ResizeCanvas\" effect!");
        return false;
    }
}

bool TResizeCanvas::Compose(TValueSlot slot, const TCanvasLayout& layout, const TBitmap* background) {
    TFastDIB canvas;
    canvas.SetSize(layout.Width, layout.Height, 24);
    const std::string file = BG_File.GetValue(slot);
    TBitmap loaded;
    if (!background && !file.empty() && FileExists(file)) {
        if (!LoadBitmapFromFile(file, loaded)) loaded = TBitmap();
        background = &loaded;
    }
    if (background) {
        // A picture without pixels would tile forever: it counts as a failed load.
        if (background->Empty()) {
            LogNew(lmError, {{"Can't load background file ", LogErrorColor}, {file, LogValueColor}});
            return false;
        }
        if (!TileBitmap(canvas, background->Dib())) {
            LogError("Can't make till effect");
            return false;
        }
    } else {
        // The stored value's low three bytes; system colours are not resolved here.
        canvas.Fill(RawColorToTriple(BG_Color.GetValue(slot)));
    }
    const TFastDIB& source = SrcBitmap.Dib();
    if (!BlockCopy(canvas, layout.X, layout.Y, source.Width(), source.Height(), source, 0, 0)) {
        LogError("Can't copy source bitmap to target canvas!");
        return false;
    }
    return CopyFDtoBMP(std::move(canvas), DstBitmap);
}

}  // namespace pm
