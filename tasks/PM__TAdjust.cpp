#include "tasks/PM__TAdjust.h"

#include "core/EditorPage.h"
#include "imaging/ToneAdjust.h"

namespace pm {

TAdjust::TAdjust(TRunContext* context)
    : TEffect(context, "Adjust", TCanvas::FreshOutput),
      Brightness(DeclareOptional<TKX_Integer>("AD_Brightness", "Brightness", 0, TIntRange{-100, 100})),
      Contrast(DeclareOptional<TKX_Integer>("AD_Contrast", "Contrast", 0, TIntRange{-100, 100})),
      Gamma(DeclareOptional<TKX_Integer>("AD_Gamma", "Gamma", 100, TIntRange{10, 500})),
      Saturation(DeclareOptional<TKX_Integer>("AD_Saturation", "Saturation", 100, TIntRange{0, 300})),
      Auto_Levels(DeclareOptional<TKX_Boolean>("AD_Auto_Levels", "Auto_Levels", false)),
      Clip(DeclareOptional<TKX_Integer>("AD_Clip", "Clip_Tenths_Percent", 5, TIntRange{0, 250})),
      Color_Mode(DeclareOptional<TKX_ItemIndex>("AD_Color_Mode", "Color_Mode", 0)) {
    classInfo_ = {"TAdjust", "Filter: Adjust", "Make \"Adjust\"", 14};
}

void TAdjust::PrepareEditor(IEditorPage& page) {
    page.SetItems("AD_Color_Mode", {"Colour", "Greyscale", "Sepia"});
}

bool TAdjust::Render(TFastDIB& image, TValueSlot slot) {
    TToneSettings s;
    if (Auto_Levels.GetValue(slot)) AutoLevels(RenderSource(), Clip.InRange(slot), s.Low, s.High);
    s.Brightness = Brightness.InRange(slot);
    s.Contrast = Contrast.InRange(slot);
    s.GammaHundredths = Gamma.InRange(slot);
    const int mode = Color_Mode.GetValue(slot);
    AdjustTones(RenderSource(), image, MakeToneCurve(s), Saturation.InRange(slot),
                mode == 1   ? TColorMode::Greyscale
                : mode == 2 ? TColorMode::Sepia
                            : TColorMode::Color);
    return true;
}

}  // namespace pm
