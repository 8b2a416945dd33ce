#pragma once
// One section of a settings file: an ordered list of key/value records with
// the typed savers and loaders.
#include "core/Values.h"

#include <optional>
#include <string>
#include <vector>

namespace pm {

struct TINIRecord {
    std::string Name;
    std::string Data;
};

class TINIObject {
public:
    void AddRecord(const std::string& name, const std::string& data);
    void ClearList() { records_.clear(); }
    void AddHeader(const std::string& taskName, const std::string& taskType);

    // Case-insensitive; the first of duplicate keys wins; -1 when absent.
    int IndexOf(const std::string& name) const;
    const TINIRecord* Find(const std::string& name) const;

    int Count() const { return static_cast<int>(records_.size()); }
    const TINIRecord& operator[](int i) const { return records_[static_cast<std::size_t>(i)]; }
    const std::vector<TINIRecord>& Records() const { return records_; }

    void Save_Integer(const TKX_Value<std::int32_t>& v);
    void Save_String(const TKX_String& v);
    void Save_Boolean(const TKX_Boolean& v);
    void Save_Color(const TKX_Color& v);
    void Save_Metric(const TKX_Metric& v);

    void Load_Integer(TKX_Value<std::int32_t>& v) const;
    void Load_String(TKX_String& v) const;
    void Load_Boolean(TKX_Boolean& v) const;
    void Load_Color(TKX_Color& v) const;
    void Load_Metric(TKX_Metric& v) const;

    static void CantReadVariable(const std::string& name);

private:
    std::vector<TINIRecord> records_;
};

// Text encodings of the settings files.
std::string ColorToString(TColor c);                         // identifier or "$" + 8 hex digits
std::optional<TColor> StringToColor(const std::string& text); // identifier or integer text
std::string BoolToString(bool b);                            // "Yes" / "No"
bool StringToBool(const std::string& text);                  // true exactly for "YES" in any case
std::string MetricToString(TMetric m);                        // "Pixel" / "Percent"
TMetric StringToMetric(const std::string& text);              // mPixel exactly for "PIXEL" in any case
std::string Quoted(const std::string& text);                  // "\"" + text + "\""

}  // namespace pm
