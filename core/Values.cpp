#include "core/Values.h"

#include "core/EditorPage.h"
#include "core/INIObject.h"

#include <cmath>

namespace pm {

namespace {

// Each type's saver and loader in the settings store, and its setter and
// getter on the editor page.
template <auto Save, auto Load, auto Show, auto Read> struct TAccess {
    static constexpr auto kSave = Save, kLoad = Load, kShow = Show, kRead = Read;
};
template <typename Traits> struct TAccessOf;
template <>
struct TAccessOf<TIntegerTraits> : TAccess<&TINIObject::Save_Integer, &TINIObject::Load_Integer,
                                           &IEditorPage::SetInteger, &IEditorPage::GetInteger> {};
template <>
struct TAccessOf<TItemIndexTraits> : TAccess<&TINIObject::Save_Integer, &TINIObject::Load_Integer,
                                             &IEditorPage::SetItemIndex, &IEditorPage::GetItemIndex> {};
template <>
struct TAccessOf<TColorTraits> : TAccess<&TINIObject::Save_Color, &TINIObject::Load_Color,
                                         &IEditorPage::SetColor, &IEditorPage::GetColor> {};
template <>
struct TAccessOf<TStringTraits> : TAccess<&TINIObject::Save_String, &TINIObject::Load_String,
                                          &IEditorPage::SetText, &IEditorPage::GetText> {};
template <>
struct TAccessOf<TBooleanTraits> : TAccess<&TINIObject::Save_Boolean, &TINIObject::Load_Boolean,
                                           &IEditorPage::SetChecked, &IEditorPage::GetChecked> {};
template <>
struct TAccessOf<TMetricTraits> : TAccess<&TINIObject::Save_Metric, &TINIObject::Load_Metric,
                                          &IEditorPage::SetMetric, &IEditorPage::GetMetric> {};

}  // namespace

template <typename Traits> void TKX_Typed<Traits>::SaveTo(TINIObject& ini) const {
    (ini.*TAccessOf<Traits>::kSave)(*this);
}
template <typename Traits> void TKX_Typed<Traits>::LoadFrom(const TINIObject& ini) {
    if (this->Optional() && !ini.Find(this->Name))
        return this->SetValue(this->GetValue(vsDefault), vsCurrent);
    (ini.*TAccessOf<Traits>::kLoad)(*this);
}
template <typename Traits>
void TKX_Typed<Traits>::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    (page.*TAccessOf<Traits>::kShow)(widget, this->GetValue(slot));
}
template <typename Traits>
void TKX_Typed<Traits>::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    this->SetValue((page.*TAccessOf<Traits>::kRead)(widget), slot);
}

template class TKX_Typed<TIntegerTraits>;
template class TKX_Typed<TItemIndexTraits>;
template class TKX_Typed<TColorTraits>;
template class TKX_Typed<TStringTraits>;
template class TKX_Typed<TBooleanTraits>;
template class TKX_Typed<TMetricTraits>;

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
