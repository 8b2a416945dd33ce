#include "core/INIObject.h"

#include "core/StringUtils.h"
#include "log/WriteLog.h"

#include <cmath>
#include <cstdio>

namespace pm {

namespace {
struct ColorIdent {
    TColor value;
    const char* name;
};
// First match by value is written.
constexpr ColorIdent kColorIdents[] = {
    {0x000000, "clBlack"},   {0x000080, "clMaroon"},  {0x008000, "clGreen"},  {0x008080, "clOlive"},
    {0x800000, "clNavy"},    {0x800080, "clPurple"},  {0x808000, "clTeal"},   {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},  {0x0000FF, "clRed"},     {0x00FF00, "clLime"},   {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},    {0xFF00FF, "clFuchsia"}, {0xFFFF00, "clAqua"},   {0xFFFFFF, "clWhite"},
    {0x80000000, "clScrollBar"},        {0x80000001, "clBackground"},
    {0x80000002, "clActiveCaption"},    {0x80000003, "clInactiveCaption"},
    {0x80000004, "clMenu"},             {0x80000005, "clWindow"},
    {0x80000006, "clWindowFrame"},      {0x80000007, "clMenuText"},
    {0x80000008, "clWindowText"},       {0x80000009, "clCaptionText"},
    {0x8000000A, "clActiveBorder"},     {0x8000000B, "clInactiveBorder"},
    {0x8000000C, "clAppWorkSpace"},     {0x8000000D, "clHighlight"},
    {0x8000000E, "clHighlightText"},    {0x8000000F, "clBtnFace"},
    {0x80000010, "clBtnShadow"},        {0x80000011, "clGrayText"},
    {0x80000012, "clBtnText"},          {0x80000013, "clInactiveCaptionText"},
    {0x80000014, "clBtnHighlight"},     {0x80000015, "cl3DDkShadow"},
    {0x80000016, "cl3DLight"},          {0x80000017, "clInfoText"},
    {0x80000018, "clInfoBk"},           {0x1FFFFFFF, "clNone"},
};
}  // namespace

std::string ColorToString(TColor c) {
    for (const ColorIdent& id : kColorIdents)
        if (id.value == c) return id.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(c));
    return buf;
}

std::optional<TColor> StringToColor(const std::string& text) {
    for (const ColorIdent& id : kColorIdents)
        if (SameText(id.name, text)) return id.value;
    if (auto v = StrToIntStrict(text)) return static_cast<TColor>(*v);
    return std::nullopt;
}

std::string BoolToString(bool b) { return b ? "Yes" : "No"; }
bool StringToBool(const std::string& text) { return UpperCase(text) == "YES"; }
std::string MetricToString(TMetric m) { return m == mPixel ? "Pixel" : "Percent"; }
TMetric StringToMetric(const std::string& text) { return UpperCase(text) == "PIXEL" ? mPixel : mPercent; }
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void TINIObject::AddRecord(const std::string& name, const std::string& data) { records_.push_back({name, data}); }

void TINIObject::AddHeader(const std::string& taskName, const std::string& taskType) {
    AddRecord("TaskName", Quoted(taskName));
    AddRecord("TaskType", Quoted(taskType));
}

int TINIObject::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (SameText(records_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

const TINIRecord* TINIObject::Find(const std::string& name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &records_[static_cast<std::size_t>(i)];
}

void TINIObject::CantReadVariable(const std::string& name) {
    LogNew(lmError, {{"Could't read variable \"", LogErrorColor}, {name, LogValueColor}, {"\"", LogErrorColor}});
}

void TINIObject::Save_Integer(const TKX_Value<std::int32_t>& v) {
    AddRecord(v.Name, std::to_string(v.GetValue(vsCurrent)));
}
void TINIObject::Save_String(const TKX_String& v) { AddRecord(v.Name, Quoted(v.GetValue(vsCurrent))); }
void TINIObject::Save_Boolean(const TKX_Boolean& v) { AddRecord(v.Name, BoolToString(v.GetValue(vsCurrent))); }
void TINIObject::Save_Color(const TKX_Color& v) { AddRecord(v.Name, ColorToString(v.GetValue(vsCurrent))); }
void TINIObject::Save_Metric(const TKX_Metric& v) { AddRecord(v.Name, MetricToString(v.GetValue(vsCurrent))); }

void TINIObject::Load_Integer(TKX_Value<std::int32_t>& v) const {
    const TINIRecord* r = Find(v.Name);
    std::optional<std::int32_t> n = r ? StrToIntStrict(r->Data) : std::nullopt;
    if (!n) return CantReadVariable(v.Name);
    v.SetValue(*n, vsCurrent);
}

void TINIObject::Load_String(TKX_String& v) const {
    const TINIRecord* r = Find(v.Name);
    if (!r) return CantReadVariable(v.Name);
    v.SetValue(r->Data, vsCurrent);
}

void TINIObject::Load_Boolean(TKX_Boolean& v) const {
    const TINIRecord* r = Find(v.Name);
    if (!r) return CantReadVariable(v.Name);
    v.SetValue(StringToBool(r->Data), vsCurrent);
}

void TINIObject::Load_Color(TKX_Color& v) const {
    const TINIRecord* r = Find(v.Name);
    std::optional<TColor> c = r ? StringToColor(r->Data) : std::nullopt;
    if (!c) return CantReadVariable(v.Name);
    v.SetValue(*c, vsCurrent);
}

void TINIObject::Load_Metric(TKX_Metric& v) const {
    const TINIRecord* r = Find(v.Name);
    if (!r) return CantReadVariable(v.Name);
    v.SetValue(StringToMetric(r->Data), vsCurrent);
}

}  // namespace pm
