// The ranges integer settings are declared with: what the editor accepts,
// and what a run makes of a hand-edited value outside it.
#include "core/ClassRegistry.h"
#include "support/EffectTesting.h"
#include "support/Pixels.h"
#include "tasks/Effect.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace pm {
namespace {

TKX_Integer& IntegerSetting(TBaseClass& task, const std::string& key) {
    auto* v = dynamic_cast<TKX_Integer*>(task.FindSetting(key));
    if (!v) throw std::logic_error(task.ClassName() + " has no integer " + key);
    return *v;
}

TEST(SettingRanges, EachIntegerHoldsItsDefaultAndARunKeepsWhatTheEditorTakes) {
    int integers = 0;
    std::vector<std::string> types = TaskTypeNames();
    types.insert(types.end(), AddedTaskTypeNames().begin(), AddedTaskTypeNames().end());
    for (const std::string& type : types) {
        auto task = MakeTask(type, nullptr);
        for (const TBaseClass::TSetting& s : task->Settings()) {
            const auto* v = dynamic_cast<const TKX_Integer*>(s.Value.get());
            if (!v) continue;
            ++integers;
            const TIntRange& edit = v->Range();
            const TIntRange& run = v->RunRange();
            const std::string where = type + " " + v->Name;
            EXPECT_NE(edit, TIntRange{}) << where << ": declared without a range";
            EXPECT_LT(edit.Min, edit.Max) << where;
            EXPECT_TRUE(edit.Contains(v->GetValue(vsDefault))) << where;
            EXPECT_TRUE(run.Contains(edit.Min) && run.Contains(edit.Max)) << where;
        }
    }
    EXPECT_GT(integers, 0);
}

// A hand-edited value is loaded as it stands, and a run uses what that task
// has always used of it: its run range, which is not always the editor's.
// Where the two differ, an effect draws otherwise than at the editor's end.
TEST(SettingRanges, HandEditedValuesLoadAsTheyStandAndRunInTheirRunRange) {
    struct Case {
        const char* type;
        const char* key;
        std::int32_t stored, used;
    };
    const Case cases[] = {
        {"TShadow", "FG_Line1Thickness", 150, 150},
        {"TShadow", "BG_Line1Thickness", INT32_MAX, 65536},
        {"TShadow", "BG_Line2Thickness", -3, 0},
        {"TShadow", "Radius", 120, 120},
        {"TShadow", "Radius", -1, 0},
        {"TFadeShadow", "Shadow_Thickness", 120, 120},
        {"TFadeShadow", "Line1Thickness", 70000, 65536},
        {"TFadeShadow", "Line2Thickness", 150, 150},
        {"TRectangleBevel", "Bevel_Thickness", 150, 150},
        {"TRectangleBevel", "Top_Amount", 1000, 255},
        {"TRectangleBevel", "Bottom_Amount", INT32_MIN, -255},
        {"TFadeRectangleBevel", "Bevel_Thickness", 150, 150},
        {"TFadeRectangleBevel", "Bevel_Thickness", -7, 0},
        {"TFadeEllipseBevel", "Bevel_Thickness", 120, 120},
        {"TStamp", "Radius", 0, 0},
        {"TStamp", "Border", 120, 120},
        {"TStamp", "Border", -5, 0},
        {"TSaveToFile", "Compression_Quality", 5, 5},
        {"TSaveToFile", "Compression_Quality", 0, 1},
        {"TSaveToFile", "Compression_Quality", 101, 100},
    };
    const TBitmap source = test::PatternBitmap(400, 300);
    const auto run = [&source](TBaseClass& task) {
        task.SrcBitmap = source;
        EXPECT_TRUE(task.Execute(vsCurrent));
        return test::ReadRows(task.DstBitmap);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.key + " " + std::to_string(c.stored));
        auto task = MakeTask(c.type, nullptr);
        TINIObject ini;
        ini.AddRecord(c.key, std::to_string(c.stored));
        task->LoadSettings(ini);
        TKX_Integer& v = IntegerSetting(*task, c.key);
        EXPECT_EQ(v.GetValue(vsCurrent), c.stored);
        EXPECT_EQ(v.InRange(vsCurrent), c.used);

        const std::int32_t editorEnd = v.Range().Clamp(c.stored);
        if (c.used == editorEnd || !dynamic_cast<TEffect*>(task.get())) continue;
        const test::TRows asStored = run(*task);
        v.SetValue(editorEnd, vsCurrent);
        EXPECT_TRUE(asStored != run(*task));
    }
}

}  // namespace
}  // namespace pm
