#pragma once
// Typed setting values: each holds a default, an edited and a current value.
#include "log/LogTypes.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

namespace pm {

using TValueSlot = std::int32_t;
constexpr TValueSlot vsDefault = 0;
constexpr TValueSlot vsEdited = 1;
constexpr TValueSlot vsCurrent = 2;

enum TMetric : std::uint8_t { mPixel = 0, mPercent = 1 };

class TINIObject;
class IEditorPage;

// The values an integer setting may take, both ends included.
struct TIntRange {
    std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    std::int32_t Max = std::numeric_limits<std::int32_t>::max();

    static constexpr TIntRange AtLeast(std::int32_t min) { return {min}; }

    bool Contains(std::int32_t v) const { return v >= Min && v <= Max; }
    std::int32_t Clamp(std::int32_t v) const { return std::clamp(v, Min, Max); }
    bool operator==(const TIntRange&) const = default;
};

// What every typed value offers to the generic settings code of a task.
class TKX_ValueBase {
public:
    explicit TKX_ValueBase(std::string name) : Name(std::move(name)) {}
    virtual ~TKX_ValueBase() = default;
    virtual bool Changed() const = 0;
    virtual void SaveTo(TINIObject& ini) const = 0;    // Save_... of its type
    virtual void LoadFrom(const TINIObject& ini) = 0;  // Load_... of its type
    // Puts one slot into the widget of that name / reads the widget into a slot.
    virtual void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const = 0;
    virtual void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) = 0;

    // Keys of the first release are required: missing from a settings
    // section, they log "Could't read variable" and keep their value. A
    // setting added after that release is declared optional: files written
    // before it lack its key, so a missing key sets its default silently and
    // those files load as they always did. A value that is present but
    // unreadable still logs.
    bool Optional() const { return optional_; }
    void MarkOptional() { optional_ = true; }

    const std::string Name;

private:
    bool optional_ = false;
};

template <typename T> class TKX_Value : public TKX_ValueBase {
public:
    TKX_Value(std::string name, T def) : TKX_ValueBase(std::move(name)) {
        values_[vsDefault] = def;
        values_[vsCurrent] = def;
        values_[vsEdited] = T{};
    }
    void SetValue(const T& v, TValueSlot slot) {
        if (slot >= 0 && slot <= 2) values_[slot] = v;
    }
    // An unknown slot gives the current value (a string: an empty one).
    T GetValue(TValueSlot slot) const {
        if (slot == vsDefault || slot == vsEdited) return values_[slot];
        return values_[vsCurrent];
    }
    bool Changed() const override { return !(values_[vsEdited] == values_[vsCurrent]); }

protected:
    T values_[3];
};

template <> inline std::string TKX_Value<std::string>::GetValue(TValueSlot slot) const {
    if (slot < 0 || slot > 2) return {};
    return values_[slot];
}

// The six kinds of typed values differ only in their type, in how they are
// saved, loaded, shown and read (Values.cpp), and in that an integer carries
// the range the editor accepts, so it is declared with one.
template <typename T, bool Ranged = false> struct TValueKind {
    using Type = T;
    static constexpr bool kRanged = Ranged;
};
struct TIntegerTraits : TValueKind<std::int32_t, true> {};
struct TItemIndexTraits : TValueKind<std::int32_t> {};  // the item index of a drop-down list
struct TColorTraits : TValueKind<TColor> {};
struct TStringTraits : TValueKind<std::string> {};
struct TBooleanTraits : TValueKind<bool> {};
struct TMetricTraits : TValueKind<TMetric> {};

struct TNoRange {};

template <typename Traits> class TKX_Typed final : public TKX_Value<typename Traits::Type> {
    using T = typename Traits::Type;
    using TRange = std::conditional_t<Traits::kRanged, TIntRange, TNoRange>;

public:
    static constexpr bool kRanged = Traits::kRanged;

    // Without a range an integer takes any value.
    TKX_Typed(std::string name, T def) : TKX_Value<T>(std::move(name), std::move(def)) {}
    // `range` is what the editor accepts; `runRange` what a run makes of a
    // hand-edited value outside it (InRange), by default the same.
    // (Member templates, so that instantiating a kind without a range never
    // touches them.)
    template <bool R = kRanged>
    TKX_Typed(std::string name, T def, TIntRange range) requires(R)
        : TKX_Typed(std::move(name), std::move(def), range, range) {}
    template <bool R = kRanged>
    TKX_Typed(std::string name, T def, TIntRange range, TIntRange runRange) requires(R)
        : TKX_Value<T>(std::move(name), std::move(def)), range_(range), runRange_(runRange) {}

    template <bool R = kRanged> const TIntRange& Range() const requires(R) { return range_; }
    template <bool R = kRanged> const TIntRange& RunRange() const requires(R) { return runRange_; }
    // The value of `slot` brought into the run range: files are loaded as
    // they are, and a task uses this where it does not take them as they are.
    template <bool R = kRanged> T InRange(TValueSlot slot) const requires(R) {
        return runRange_.Clamp(this->GetValue(slot));
    }

    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;

private:
    [[no_unique_address]] TRange range_{};
    [[no_unique_address]] TRange runRange_{};
};

extern template class TKX_Typed<TIntegerTraits>;
extern template class TKX_Typed<TItemIndexTraits>;
extern template class TKX_Typed<TColorTraits>;
extern template class TKX_Typed<TStringTraits>;
extern template class TKX_Typed<TBooleanTraits>;
extern template class TKX_Typed<TMetricTraits>;

using TKX_Integer = TKX_Typed<TIntegerTraits>;
using TKX_ItemIndex = TKX_Typed<TItemIndexTraits>;
using TKX_Color = TKX_Typed<TColorTraits>;
using TKX_String = TKX_Typed<TStringTraits>;
using TKX_Boolean = TKX_Typed<TBooleanTraits>;
using TKX_Metric = TKX_Typed<TMetricTraits>;

// A length with a metric: pixels as they are, percent of the reference
// length rounded half to even (32-bit product, division in floating point).
std::int32_t MetricToPixels(std::int32_t value, TMetric metric, std::int32_t reference);

}  // namespace pm
