#include "core/Values.h"
#include "core/INIObject.h"
#include "core/IniFile.h"

#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::TLogRecorder;

// A one-record section holding `data` under `key`.
TINIObject Section(const std::string& key, const std::string& data) {
    TINIObject ini;
    ini.AddRecord(key, data);
    return ini;
}

void ExpectReadFailure(const TLogRecorder& log, const std::string& key) {
    ASSERT_EQ(log.Messages.size(), 1u);
    const auto& m = log.Messages[0];
    EXPECT_EQ(m.Kind, lmError);
    ASSERT_EQ(m.Segments.size(), 3u);
    EXPECT_EQ(m.Segments[0].Text, "Could't read variable \"");
    EXPECT_EQ(m.Segments[0].Color, LogErrorColor);
    EXPECT_EQ(m.Segments[1].Text, key);
    EXPECT_EQ(m.Segments[1].Color, LogValueColor);
    EXPECT_EQ(m.Segments[2].Text, "\"");
    EXPECT_EQ(m.Segments[2].Color, LogErrorColor);
}

TEST(Load_Boolean, OnlyYesInAnyCaseIsTrueAndNothingFails) {
    const std::pair<const char*, bool> cases[] = {{"Yes", true},   {"YES", true}, {"yes", true},
                                                  {"yEs", true},   {"No", false}, {"1", false},
                                                  {"True", false}, {"", false},   {"yes ", false}};
    for (auto [text, expected] : cases) {
        TLogRecorder log;
        TKX_Boolean b("Flag", !expected);
        Section("Flag", text).Load_Boolean(b);
        EXPECT_EQ(b.GetValue(vsCurrent), expected) << text;
        EXPECT_TRUE(log.Messages.empty()) << text;
    }
}

TEST(Load_Metric, OnlyPixelInAnyCaseIsPixel) {
    const std::pair<const char*, TMetric> cases[] = {
        {"Pixel", mPixel}, {"pixel", mPixel}, {"PIXEL", mPixel},    {"Pixels", mPercent},
        {"%", mPercent},   {"", mPercent},    {"Percent", mPercent}};
    for (auto [text, expected] : cases) {
        TLogRecorder log;
        TKX_Metric m("Width_Metric", expected == mPixel ? mPercent : mPixel);
        Section("Width_Metric", text).Load_Metric(m);
        EXPECT_EQ(m.GetValue(vsCurrent), expected) << text;
        EXPECT_TRUE(log.Messages.empty()) << text;
    }
}

TEST(Load_Integer, AcceptsDecimalAndHexOnly) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"800", 800},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"$1F", 31},
        {"$ff", 255},
        {"$FFFFFFFF", -1},
        {"$000000010", 16},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"12abc", {}},
        {"", {}},
        {"$", {}},
        {"-", {}},
        {"1 2", {}},
        {"0x10", {}},
        {"$123456789", {}},
        {"2147483648", {}},
        {"1.5", {}},
        {"$G", {}},
    };
    for (const auto& [text, expected] : cases) {
        TLogRecorder log;
        TKX_Integer v("Top", 10);
        v.SetValue(42, vsCurrent);
        Section("Top", text).Load_Integer(v);
        if (expected) {
            EXPECT_EQ(v.GetValue(vsCurrent), *expected) << text;
            EXPECT_TRUE(log.Messages.empty()) << text;
        } else {
            EXPECT_EQ(v.GetValue(vsCurrent), 42) << text;
            ExpectReadFailure(log, "Top");
        }
    }
}

TEST(Colors, WrittenByIdentifierOrHex) {
    const std::pair<TColor, const char*> cases[] = {
        {0x000000FF, "clRed"},     {0x00010203, "$00010203"}, {0x00000000, "clBlack"},
        {0x00C08040, "$00C08040"}, {0x00FFFFFF, "clWhite"},   {0x80000005, "clWindow"},
        {0x80000018, "clInfoBk"},  {0x80000019, "$80000019"}, {0x1FFFFFFF, "clNone"},
        {0x00808080, "clGray"},
    };
    for (auto [color, text] : cases) {
        TINIObject ini;
        ini.Save_Color(TKX_Color("C", color));
        EXPECT_EQ(ini[0].Data, text);
    }
}

TEST(Colors, ReadByIdentifierInAnyCaseOrInteger) {
    const std::pair<const char*, std::optional<TColor>> cases[] = {
        {"clred", 0x000000FF},
        {"CLWHITE", 0x00FFFFFF},
        {"clBtnFace", 0x8000000F},
        {"$00010203", 0x00010203},
        {"255", 0x000000FF},
        {"-1", 0xFFFFFFFF},
        {"clNone", 0x1FFFFFFF},
        {"clRedd", {}},
        {"", {}},
        {"12abc", {}},
        {"red", {}},
    };
    for (const auto& [text, expected] : cases) {
        TLogRecorder log;
        TKX_Color c("BG_Color", 0x00123456);
        Section("bg_color", text).Load_Color(c);
        if (expected) {
            EXPECT_EQ(c.GetValue(vsCurrent), *expected) << text;
            EXPECT_TRUE(log.Messages.empty()) << text;
        } else {
            EXPECT_EQ(c.GetValue(vsCurrent), 0x00123456u) << text;
            ExpectReadFailure(log, "BG_Color");
        }
    }
}

// Strings go through a real file: quotes are added on save and one pair is
// removed on reading.
TEST(Strings, SurviveASaveAndAReload) {
    const std::string cases[] = {"\"abc\"", "Make border \"Stamp\"", "  lead and trail  ", "", "a=b;c",
                                 "'q'"};
    test::TTempDir dir;
    for (const std::string& value : cases) {
        TKX_String s("BG_File", "");
        s.SetValue(value, vsCurrent);
        TINIObject out;
        out.Save_String(s);
        EXPECT_EQ(out[0].Data, "\"" + value + "\"");
        TIniFile file(dir.Path("s.ini"));
        file.WriteString("Task1", out[0].Name, out[0].Data);
        file.UpdateFile();
        TINIObject in = Section("BG_File", TIniFile(dir.Path("s.ini")).ReadString("Task1", "BG_File", "?"));
        TKX_String back("BG_File", "default");
        in.Load_String(back);
        EXPECT_EQ(back.GetValue(vsCurrent), value);
    }
}

TEST(TINIObject, LookUpIgnoresCaseAndTakesTheFirstDuplicate) {
    TLogRecorder log;
    TINIObject ini;
    ini.AddRecord("top", "5");
    ini.AddRecord("TOP", "6");
    TKX_Integer top("Top", 10);
    ini.Load_Integer(top);
    EXPECT_EQ(top.GetValue(vsCurrent), 5);
    TKX_String missing("Left", "keep");
    ini.Load_String(missing);
    EXPECT_EQ(missing.GetValue(vsCurrent), "keep");
    ExpectReadFailure(log, "Left");
}

TEST(TINIObject, SaversAppendAndHeaderIsQuoted) {
    TINIObject ini;
    ini.AddHeader("Make \"ResizeCanvas\"", "TResizeCanvas");
    ini.Save_Integer(TKX_Integer("Top", -5));
    ini.Save_Boolean(TKX_Boolean("B", true));
    ini.Save_Boolean(TKX_Boolean("C", false));
    ini.Save_Metric(TKX_Metric("M", mPixel));
    ini.Save_Metric(TKX_Metric("P", mPercent));
    ini.Save_String(TKX_String("S", ""));
    std::vector<std::pair<std::string, std::string>> got;
    for (const TINIRecord& r : ini.Records()) got.emplace_back(r.Name, r.Data);
    EXPECT_EQ(got,
              (std::vector<std::pair<std::string, std::string>>{{"TaskName", "\"Make \"ResizeCanvas\"\""},
                                                                {"TaskType", "\"TResizeCanvas\""},
                                                                {"Top", "-5"},
                                                                {"B", "Yes"},
                                                                {"C", "No"},
                                                                {"M", "Pixel"},
                                                                {"P", "Percent"},
                                                                {"S", "\"\""}}));
    ini.ClearList();
    EXPECT_EQ(ini.Count(), 0);
}

TEST(TypedValues, SlotsAndChanged) {
    TKX_Integer i("I", 7);
    EXPECT_EQ(i.GetValue(vsDefault), 7);
    EXPECT_EQ(i.GetValue(vsEdited), 0); // the edited slot starts empty
    EXPECT_EQ(i.GetValue(vsCurrent), 7);
    i.SetValue(9, vsCurrent);
    for (TValueSlot outside : {-1, 3, 100}) {
        i.SetValue(1000, outside); // changes nothing
        EXPECT_EQ(i.GetValue(outside), 9) << outside;
    }
    EXPECT_EQ(i.GetValue(vsDefault), 7);
    EXPECT_TRUE(i.Changed());
    i.SetValue(9, vsEdited);
    EXPECT_FALSE(i.Changed());

    TKX_String s("S", "abc");
    EXPECT_EQ(s.GetValue(vsEdited), "");
    EXPECT_EQ(s.GetValue(3), ""); // strings give nothing outside 0..2
    EXPECT_EQ(s.GetValue(-1), "");
    s.SetValue("ABC", vsEdited);
    EXPECT_TRUE(s.Changed()); // letter case counts
    s.SetValue("abc", vsEdited);
    EXPECT_FALSE(s.Changed());

    TKX_Boolean b("B", true);
    EXPECT_FALSE(b.GetValue(vsEdited));
    EXPECT_TRUE(b.Changed());
    TKX_Color c("C", 0x1FFFFFFF);
    EXPECT_EQ(c.GetValue(5), 0x1FFFFFFFu);
}

TEST(MetricToPixels, PercentRoundsHalfToEven) {
    struct Case {
        std::int32_t value;
        TMetric metric;
        std::int32_t reference, expected;
    };
    const Case cases[] = {{10, mPixel, 999, 10}, {10, mPercent, 333, 33}, {50, mPercent, 5, 2},
                          {50, mPercent, 7, 4},  {-50, mPercent, 5, -2},  {150, mPercent, 10, 15}};
    for (const Case& c : cases) EXPECT_EQ(MetricToPixels(c.value, c.metric, c.reference), c.expected);
}

} // namespace
} // namespace pm
