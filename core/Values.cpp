#include "core/Values.h"

#include "core/EditorPage.h"
#include "core/INIObject.h"

#include <cmath>

namespace pm {

void TKX_Integer::SaveTo(TINIObject& ini) const {
    ini.Save_Integer(*this);
}
void TKX_Integer::LoadFrom(const TINIObject& ini) {
    ini.Load_Integer(*this);
}
void TKX_Integer::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    page.SetInteger(widget, GetValue(slot));
}
void TKX_Integer::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    SetValue(page.GetInteger(widget), slot);
}

void TKX_ItemIndex::SaveTo(TINIObject& ini) const {
    ini.Save_Integer(*this);
}
void TKX_ItemIndex::LoadFrom(const TINIObject& ini) {
    ini.Load_Integer(*this);
}
void TKX_ItemIndex::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    page.SetItemIndex(widget, GetValue(slot));
}
void TKX_ItemIndex::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    SetValue(page.GetItemIndex(widget), slot);
}

void TKX_Color::SaveTo(TINIObject& ini) const {
    ini.Save_Color(*this);
}
void TKX_Color::LoadFrom(const TINIObject& ini) {
    ini.Load_Color(*this);
}
void TKX_Color::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    page.SetColor(widget, GetValue(slot));
}
void TKX_Color::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    SetValue(page.GetColor(widget), slot);
}

void TKX_String::SaveTo(TINIObject& ini) const {
    ini.Save_String(*this);
}
void TKX_String::LoadFrom(const TINIObject& ini) {
    ini.Load_String(*this);
}
void TKX_String::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    page.SetText(widget, GetValue(slot));
}
void TKX_String::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    SetValue(page.GetText(widget), slot);
}

void TKX_Boolean::SaveTo(TINIObject& ini) const {
    ini.Save_Boolean(*this);
}
void TKX_Boolean::LoadFrom(const TINIObject& ini) {
    ini.Load_Boolean(*this);
}
void TKX_Boolean::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    page.SetChecked(widget, GetValue(slot));
}
void TKX_Boolean::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    SetValue(page.GetChecked(widget), slot);
}

void TKX_Metric::SaveTo(TINIObject& ini) const {
    ini.Save_Metric(*this);
}
void TKX_Metric::LoadFrom(const TINIObject& ini) {
    ini.Load_Metric(*this);
}
void TKX_Metric::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    page.SetMetric(widget, GetValue(slot));
}
void TKX_Metric::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    SetValue(page.GetMetric(widget), slot);
}

std::int32_t MetricToPixels(std::int32_t value, TMetric metric, std::int32_t reference) {
    if (metric == mPixel) return value;
    // The product is taken in 32 bits and wraps on overflow, so a huge
    // hand-edited value gives the size it always gave, on every platform,
    // rather than one that depends on a wider type. The division rounds half
    // to even: 50 % of 5 pixels is 2.
    std::int32_t product =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(value) * static_cast<std::uint32_t>(reference));
    return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(product) / 100.0));
}

}  // namespace pm
