#include "core/ClassRegistry.h"
#include "core/PM_Utils.h"

#include "support/RecordingConsole.h"
#include "support/TempDir.h"
#include "tasks/StandardClasses.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace pm {
namespace {

using test::TLogRecorder;
using test::TTempDir;

// One section as a fresh task of `type` saves it, with some keys replaced
// (an empty replacement drops the key).
std::string Sec(const std::string& section, const std::string& type, const std::string& nameLine,
                std::map<std::string, std::string> replace = {}) {
    std::string text = "[" + section + "]\r\n";
    if (!nameLine.empty()) text += nameLine + "\r\n";
    auto task = MakeTask(type, nullptr);
    for (const TINIRecord& r : task->SaveSettings("x").Records()) {
        if (r.Name == "TaskName") continue;
        std::string data = r.Data;
        if (auto it = replace.find(r.Name); it != replace.end()) {
            if (it->second.empty()) continue;
            data = it->second;
        }
        text += r.Name + "=" + data + "\r\n";
    }
    return text;
}
std::string Load(const std::string& s) {
    return Sec(s, "TLoadFromFile", "TaskName=\"Load\"");
}
std::string Save(const std::string& s) {
    return Sec(s, "TSaveToFile", "TaskName=\"Save\"");
}
std::string Shadow(const std::string& s) {
    return Sec(s, "TShadow", "TaskName=\"Shadow\"");
}
// A section whose TaskType is `type` as written, for types that are no task.
std::string Typed(const std::string& s, const std::string& type) {
    return "[" + s + "]\r\nTaskName=\"T\"\r\nTaskType=\"" + type + "\"\r\n";
}

struct Case {
    const char* name;
    std::string file;
    bool ok;
    std::vector<std::string> types;
    std::vector<std::string> messages;  // each one the start of the logged text, all of them, in order
};

std::vector<Case> Cases() {
    const std::string loading = "Loading scenario file \"<f>\" ... ";
    return {
        {"good",
         Load("Task1") + Shadow("Task2") + Save("Task3"),
         true,
         {"TLoadFromFile", "TShadow", "TSaveToFile"},
         {loading + "Complete"}},
        {"gap",
         Load("Task1") + Shadow("Task2") + Save("Task4"),
         true,
         {"TLoadFromFile", "TShadow"},
         {loading, "Can't found task (section) 3 Skipped."}},
        {"fileOrder",
         Save("Task3") + Shadow("Task2") + Load("Task1"),
         true,
         {"TLoadFromFile", "TShadow", "TSaveToFile"},
         {loading + "Complete"}},
        {"otherSection",
         Load("Task1") + "[Notes]\r\nx=1\r\n" + Save("Task2"),
         true,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Can't found task (section) 3 Skipped."}},
        {"onlyLoad",
         Load("Task1"),
         false,
         {},
         {loading, "Invalid type of last task!", "Can't load scenario!"}},
        {"onlySave",
         Save("Task1"),
         false,
         {},
         {loading, "Invalid type of first task!", "Can't load scenario!"}},
        {"onlyShadow",
         Shadow("Task1"),
         false,
         {},
         {loading, "Invalid type of first task!", "Invalid type of last task!", "Can't load scenario!"}},
        {"typeCase",
         Sec("Task1", "TLoadFromFile", "TaskName=\"L\"", {{"TaskType", "\"tloadfromfile\""}}) +
             Sec("Task2", "TShadow", "TaskName=\"S\"", {{"TaskType", "\"tshadow\""}}) + Save("Task3"),
         false,
         {"TShadow", "TSaveToFile"},
         {loading, "Invalid type of first task!", "Can't load scenario!"}},
        {"TBitmap",
         Load("Task1") + Typed("Task2", "TBitmap") + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Unknown \"TaskType\" - \"TBitmap\"", "Can't load scenario!"}},
        {"TBaseClass",
         Load("Task1") + Typed("Task2", "TBaseClass") + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Unknown \"TaskType\" - \"TBaseClass\"", "Can't load scenario!"}},
        {"blankName",
         Load("Task1") + Sec("Task2", "TShadow", "TaskName=\"\"") + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Blank value for key \"TaskName\"", "Can't load scenario!"}},
        {"blanksName",
         Load("Task1") + Sec("Task2", "TShadow", "TaskName=   ") + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Blank value for key \"TaskName\"", "Can't load scenario!"}},
        {"noName",
         Load("Task1") + Sec("Task2", "TShadow", "") + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Can't found keys \"TaskName\" for task 2", "Can't load scenario!"}},
        {"noType",
         Load("Task1") + Sec("Task2", "TShadow", "TaskName=\"S\"", {{"TaskType", ""}}) + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Can't found keys \"TaskType\" for task 2", "Can't load scenario!"}},
        {"blankType",
         Load("Task1") + Sec("Task2", "TShadow", "TaskName=\"S\"", {{"TaskType", "\"\""}}) + Save("Task3"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Blank value for key \"TaskType\"", "Can't load scenario!"}},
        {"badSectionsDoNotStopTheLoop",
         Load("Task1") + Typed("Task2", "TNope") + Sec("Task3", "TShadow", "TaskName=\"\"") + Save("Task4"),
         false,
         {"TLoadFromFile", "TSaveToFile"},
         {loading, "Unknown \"TaskType\" - \"TNope\"", "Blank value for key \"TaskName\"",
          "Can't load scenario!"}},
        {"badValue",
         Load("Task1") + Sec("Task2", "TShadow", "TaskName=\"S\"", {{"Shadow_X", "12abc"}}) + Save("Task3"),
         true,
         {"TLoadFromFile", "TShadow", "TSaveToFile"},
         {loading, "Could't read variable \"Shadow_X\""}},
        {"empty", "", true, {}, {loading, "Can't found valid data inside file!"}},
        {"garbage",
         std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         true,
         {},
         {loading, "Can't found valid data inside file!"}},
    };
}

TEST(ReadScenario, SectionRulesAndMessages) {
    for (const Case& c : Cases()) {
        TTempDir dir;
        const std::string file = dir.Path("s.pms");
        TTempDir::Write(file, c.file);
        TLogRecorder log;
        TRunContext ctx;
        TTaskList list;
        EXPECT_EQ(ReadScenario(ctx, file, list), c.ok) << c.name;
        std::vector<std::string> types;
        for (const auto& rec : list) types.push_back(rec->Task->ClassName());
        EXPECT_EQ(types, c.types) << c.name;
        std::vector<std::string> texts = log.Texts();
        ASSERT_EQ(texts.size(), c.messages.size()) << c.name << ": " << testing::PrintToString(texts);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            std::string expected = c.messages[i];
            if (auto p = expected.find("<f>"); p != std::string::npos) expected.replace(p, 3, file);
            EXPECT_EQ(texts[i].substr(0, expected.size()), expected) << c.name;
        }
    }
}

TEST(ReadScenario, MessagePiecesAndColours) {
    TTempDir dir;
    const std::string file = dir.Path("s.pms");
    TTempDir::Write(file, Load("Task1") + Typed("Task2", "TBitmap") + Save("Task4"));
    TLogRecorder log;
    TRunContext ctx;
    TTaskList list;
    ReadScenario(ctx, file, list);
    const auto* loading = log.Find("Loading scenario file \"" + file + "\" ... ");
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->Kind, lmInfo);
    EXPECT_EQ(loading->Segments[1].Color, LogValueColor);
    const auto* unknown = log.Find("Unknown \"TaskType\" - \"TBitmap\"");
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->Kind, lmError);
    EXPECT_EQ(unknown->Segments[1].Text, "TBitmap");
    EXPECT_EQ(unknown->Segments[1].Color, LogValueColor);
    const auto* missing = log.Find("Can't found task (section) 3 Skipped.");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->Segments[1].Text, "3");
    EXPECT_EQ(missing->Segments[1].Color, LogValueColor);
}

TEST(ReadScenario, ValuesAndNamesAreRead) {
    TTempDir dir;
    const std::string file = dir.Path("s.pms");
    TTempDir::Write(file, Load("Task1") +
                              Sec("Task2", "TShadow", "taskname=\"Make \"my\" shadow\"",
                                  {{"Shadow_X", "-3"}, {"BG_Color", "$00010203"}}) +
                              Save("Task3"));
    TLogRecorder log;
    TRunContext ctx;
    TTaskList list;
    ASSERT_TRUE(ReadScenario(ctx, file, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1]->Name, "Make \"my\" shadow");
    const TINIObject& saved = list[1]->Task->SaveSettings(list[1]->Name);
    EXPECT_EQ(saved.Find("Shadow_X")->Data, "-3");
    EXPECT_EQ(saved.Find("BG_Color")->Data, "$00010203");
    // Reading edits nothing: no entry of the list is left in the context.
    EXPECT_EQ(ctx.CurrentTaskRec, nullptr);
    EXPECT_EQ(ctx.CurrentTask, nullptr);
    EXPECT_EQ(list[1]->Task->Context(), &ctx);
}

TEST(ReadScenario, UnreadableFileFails) {
    TTempDir dir;
    std::filesystem::create_directory(dir.Path("d.pms"));
    TLogRecorder log;
    TRunContext ctx;
    TTaskList list;
    EXPECT_FALSE(ReadScenario(ctx, dir.Path("d.pms"), list));
    EXPECT_TRUE(log.Has("Unable to read " + dir.Path("d.pms") + " Can't read file!"));
}

// A TShadow whose loading or making fails, to reach the reader's own error
// handling.
class ThrowingShadow : public TBaseClass {
public:
    void LoadSettings(const TINIObject&) override { throw std::runtime_error("Bad settings."); }
};

class ReadScenarioFailingTask : public testing::Test {
protected:
    void SetUp() override {
        TTempDir::Write(dir.Path("s.pms"),
                        Load("Task1") + Sec("Task2", "TShadow", "TaskName=\"S\"") + Save("Task3"));
    }
    void TearDown() override { RegisterStandardClasses(); }
    std::vector<std::string> Read() {
        TRunContext ctx;
        TTaskList list;
        EXPECT_FALSE(ReadScenario(ctx, dir.Path("s.pms"), list));
        return log.Texts();
    }
    TTempDir dir;
    TLogRecorder log;
};

TEST_F(ReadScenarioFailingTask, ErrorWhileLoadingNamesTheSectionNumber) {
    TClassRegistry::Instance().Register("TShadow",
                                        [](TRunContext*) { return std::make_unique<ThrowingShadow>(); });
    const auto texts = Read();
    EXPECT_TRUE(log.Has("Bad settings. Can't read task 2")) << testing::PrintToString(texts);
    EXPECT_TRUE(log.Has("Can't load scenario!"));
}

TEST_F(ReadScenarioFailingTask, TaskThatCannotBeMade) {
    TClassRegistry::Instance().Register(
        "TShadow", [](TRunContext*) -> std::unique_ptr<TBaseClass> { throw std::bad_alloc(); });
    const auto texts = Read();
    const auto* m = log.Find("Can't add new task to TaskList! Name: S Type: TShadow");
    ASSERT_NE(m, nullptr) << testing::PrintToString(texts);
    EXPECT_EQ(m->Kind, lmError);
}

}  // namespace
}  // namespace pm
