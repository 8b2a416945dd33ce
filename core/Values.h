#pragma once
// Typed setting values: each holds a default, an edited and a current value.
#include "log/LogTypes.h"

#include <cstdint>
#include <string>

namespace pm {

using TValueSlot = std::int32_t;
constexpr TValueSlot vsDefault = 0;
constexpr TValueSlot vsEdited = 1;
constexpr TValueSlot vsCurrent = 2;

enum TMetric : std::uint8_t { mPixel = 0, mPercent = 1 };

class TINIObject;
class IEditorPage;

// What every typed value offers to the generic settings code of a task.
class TKX_ValueBase {
public:
    explicit TKX_ValueBase(std::string name) : Name(std::move(name)) {}
    virtual ~TKX_ValueBase() = default;
    virtual bool Changed() const = 0;
    virtual void SaveTo(TINIObject& ini) const = 0;   // Save_... of its type
    virtual void LoadFrom(const TINIObject& ini) = 0; // Load_... of its type
    // Puts one slot into the widget of that name / reads the widget into a slot.
    virtual void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const = 0;
    virtual void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) = 0;

    const std::string Name;
};

template <typename T>
class TKX_Value : public TKX_ValueBase {
public:
    TKX_Value(std::string name, T def) : TKX_ValueBase(std::move(name)) {
        values_[vsDefault] = def;
        values_[vsCurrent] = def;
        values_[vsEdited] = T{};
    }
    void SetValue(const T& v, TValueSlot slot) {
        if (slot >= 0 && slot <= 2) values_[slot] = v;
    }
    T GetValue(TValueSlot slot) const {
        if (slot == vsDefault || slot == vsEdited) return values_[slot];
        return values_[vsCurrent];
    }
    bool Changed() const override { return !(values_[vsEdited] == values_[vsCurrent]); }

protected:
    T values_[3];
};

class TKX_Integer final : public TKX_Value<std::int32_t> {
public:
    using TKX_Value::TKX_Value;
    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;
};

// An integer shown as the item index of a drop-down list.
class TKX_ItemIndex final : public TKX_Value<std::int32_t> {
public:
    using TKX_Value::TKX_Value;
    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;
};

class TKX_Color final : public TKX_Value<TColor> {
public:
    using TKX_Value::TKX_Value;
    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;
};

class TKX_String final : public TKX_Value<std::string> {
public:
    using TKX_Value::TKX_Value;
    // A slot outside 0..2 gives an empty string.
    std::string GetValue(TValueSlot slot) const {
        if (slot < 0 || slot > 2) return {};
        return values_[slot];
    }
    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;
};

class TKX_Boolean final : public TKX_Value<bool> {
public:
    using TKX_Value::TKX_Value;
    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;
};

class TKX_Metric final : public TKX_Value<TMetric> {
public:
    using TKX_Value::TKX_Value;
    void SaveTo(TINIObject& ini) const override;
    void LoadFrom(const TINIObject& ini) override;
    void Show(IEditorPage& page, const std::string& widget, TValueSlot slot) const override;
    void Read(IEditorPage& page, const std::string& widget, TValueSlot slot) override;
};

// A length with a metric: pixels as they are, percent of the reference
// length rounded half to even (32-bit product, division in floating point).
std::int32_t MetricToPixels(std::int32_t value, TMetric metric, std::int32_t reference);

}  // namespace pm
