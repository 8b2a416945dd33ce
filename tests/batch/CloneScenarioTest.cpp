#include "batch/CloneScenario.h"

#include "core/ClassRegistry.h"
#include "core/PM_Utils.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

std::vector<TINIRecord> Settings(const TaskRec& rec) {
    return rec.Task->SaveSettings(rec.Name).Records();
}

bool Same(const std::vector<TINIRecord>& a, const std::vector<TINIRecord>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Data != b[i].Data) return false;
    return true;
}

// Every task type, with values that are not the defaults and strings that
// need care (quotes, backslashes, line breaks), copies exactly.
TEST(CloneScenario, CopiesEveryTaskTypeWithItsSettings) {
    test::TTempDir dir;
    test::TLogRecorder log;
    std::string text;
    int n = 0;
    for (const std::string& type : TaskTypeNames()) {
        if (type == "TLoadFromFile" || type == "TSaveToFile") continue;
        text += "[Task" + std::to_string(++n + 1) + "]\nTaskName=\"" + type + " \"\"x\"\"\"\nTaskType=\"" +
                type + "\"\n";
    }
    const std::string file = dir.Put(
        "all.pms",
        "[Task1]\nTaskName=\"Load\"\nTaskType=\"TLoadFromFile\"\nJPEG=No\nPNG=Yes\n" + text + "[Task" +
            std::to_string(n + 2) +
            "]\nTaskName=\"Save\"\nTaskType=\"TSaveToFile\"\nOut_Format=1\nImage_Extension_BMP=\".B\\MP\"\n"
            "Compression_Quality=33\nJPEG_Comment=\"a\\\\b\\r\\nc\"\nJPEG_Comment_Escaped=Yes\n"
            "Progressive_JPEG=Yes\n");
    TRunContext ctx, other;
    TTaskList list, copy;
    ASSERT_TRUE(ReadScenario(ctx, file, list)) << log.Dump();
    ASSERT_EQ(list.size(), TaskTypeNames().size());
    ASSERT_TRUE(CloneScenario(list, other, copy));
    ASSERT_EQ(copy.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_NE(copy[i]->Task.get(), list[i]->Task.get());
        EXPECT_EQ(copy[i]->Task->Context(), &other);
        EXPECT_EQ(copy[i]->Name, list[i]->Name);
        EXPECT_TRUE(Same(Settings(*copy[i]), Settings(*list[i]))) << list[i]->Name;
    }
}

// A copy whose settings do not come back as the original's is refused:
// here the original claims a type whose tasks keep other settings.
class TImpostor : public TBaseClass {
public:
    explicit TImpostor(TRunContext* ctx) : TBaseClass(ctx) { classInfo_ = {"TFilm", "", "", 0}; }
    TINIObject& SaveSettings(const std::string& name) override {
        TINIObject& ini = SettingsStore();
        ini.ClearList();
        ini.AddHeader(name, ClassName());
        ini.AddRecord("Frames", "7");
        return ini;
    }
};

TEST(CloneScenario, RefusesACopyWhoseSettingsDiffer) {
    test::TLogRecorder log;
    TRunContext ctx, other;
    TTaskList list, copy;
    list.push_back(std::make_unique<TaskRec>(TaskRec{"F", std::make_unique<TImpostor>(&ctx)}));
    EXPECT_FALSE(CloneScenario(list, other, copy));
    EXPECT_TRUE(log.Messages.empty());  // the caller decides what to do
}

}  // namespace
}  // namespace pm
