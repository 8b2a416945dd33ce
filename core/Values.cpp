#include "core/Values.h"

#include "core/EditorPage.h"
#include "core/INIObject.h"

#include <cmath>

namespace pm {

namespace {

// Each type's saver and loader in the settings store and its setter and
// getter on the editor page.
template <typename Traits> struct TAccess;
template <> struct TAccess<TIntegerTraits> {
    static constexpr auto Save = &TINIObject::Save_Integer;
    static constexpr auto Load = &TINIObject::Load_Integer;
    static constexpr auto Show = &IEditorPage::SetInteger;
    static constexpr auto Read = &IEditorPage::GetInteger;
};
template <> struct TAccess<TItemIndexTraits> {
    static constexpr auto Save = &TINIObject::Save_Integer;
    static constexpr auto Load = &TINIObject::Load_Integer;
    static constexpr auto Show = &IEditorPage::SetItemIndex;
    static constexpr auto Read = &IEditorPage::GetItemIndex;
};
template <> struct TAccess<TColorTraits> {
    static constexpr auto Save = &TINIObject::Save_Color;
    static constexpr auto Load = &TINIObject::Load_Color;
    static constexpr auto Show = &IEditorPage::SetColor;
    static constexpr auto Read = &IEditorPage::GetColor;
};
template <> struct TAccess<TStringTraits> {
    static constexpr auto Save = &TINIObject::Save_String;
    static constexpr auto Load = &TINIObject::Load_String;
    static constexpr auto Show = &IEditorPage::SetText;
    static constexpr auto Read = &IEditorPage::GetText;
};
template <> struct TAccess<TBooleanTraits> {
    static constexpr auto Save = &TINIObject::Save_Boolean;
    static constexpr auto Load = &TINIObject::Load_Boolean;
    static constexpr auto Show = &IEditorPage::SetChecked;
    static constexpr auto Read = &IEditorPage::GetChecked;
};
template <> struct TAccess<TMetricTraits> {
    static constexpr auto Save = &TINIObject::Save_Metric;
    static constexpr auto Load = &TINIObject::Load_Metric;
    static constexpr auto Show = &IEditorPage::SetMetric;
    static constexpr auto Read = &IEditorPage::GetMetric;
};

}  // namespace

template <typename Traits> void TKX_Typed<Traits>::SaveTo(TINIObject& ini) const {
    (ini.*TAccess<Traits>::Save)(*this);
}
template <typename Traits> void TKX_Typed<Traits>::LoadFrom(const TINIObject& ini) {
    (ini.*TAccess<Traits>::Load)(*this);
}
template <typename Traits>
void TKX_Typed<Traits>::Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const {
    (page.*TAccess<Traits>::Show)(widget, this->GetValue(slot));
}
template <typename Traits>
void TKX_Typed<Traits>::Read(IEditorPage& page, const std::string& widget, TValueSlot slot) {
    this->SetValue((page.*TAccess<Traits>::Read)(widget), slot);
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
