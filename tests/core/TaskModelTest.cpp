#include "core/ClassRegistry.h"

#include "core/RunContext.h"
#include "log/KX_LogFile.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <iterator>

namespace pm {
namespace {

using test::TLogRecorder;

TEST(TClassRegistry, HoldsTheTwelveClassesInOrderThenTheAddedTypes) {
    EXPECT_EQ(TClassRegistry::Instance().Names(),
              (std::vector<std::string>{"TBaseClass", "TLoadFromFile", "TResizeBitmap", "TResizeCanvas",
                                        "TShadow", "TRectangleBevel", "TFadeRectangleBevel",
                                        "TFadeEllipseBevel", "TFadeShadow", "TFilm", "TStamp", "TSaveToFile",
                                        "TCrop", "TRotate", "TSharpen", "TAdjust", "TWatermark", "TText"}));
    // Added types are task types, but a new scenario holds the eleven only.
    EXPECT_TRUE(IsTaskType("tcrop"));
    EXPECT_EQ(TaskTypeNames().size(), 11u);
    EXPECT_EQ(TaskTypeNames().back(), "TSaveToFile");
}

TEST(TClassRegistry, LookUpIgnoresCaseAndFailsForUnknownNames) {
    EXPECT_EQ(MakeTask("tresizecanvas", nullptr)->ClassName(), "TResizeCanvas");
    EXPECT_EQ(MakeTask("TSAVETOFILE", nullptr)->ClassName(), "TSaveToFile");
    try {
        MakeTask("TBitmap", nullptr);
        FAIL() << "no error";
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(std::string(e.what()), "Class TBitmap not found");
    }
    // TBaseClass can be made but is no task type.
    EXPECT_NE(MakeTask("TBaseClass", nullptr), nullptr);
    EXPECT_FALSE(IsTaskType("TBaseClass"));
    EXPECT_TRUE(IsTaskType("tshadow"));
    EXPECT_FALSE(IsTaskType("TBitmap"));
}

TEST(TTaskInfoList, RegistersTheElevenTypesThenTheAddedOnesAndLogsToTheConsoleOnly) {
    test::TTempDir dir;
    TLogRecorder log;
    SetLogFile(std::make_unique<TKX_LogFile>(nullptr, false, true, dir.Path("l.log")));
    TRunContext ctx;
    TTaskInfoList list;
    list.RegisterAll(&ctx);
    SetLogFile(nullptr);

    struct Row {
        const char *className, *caption, *description;
        int page;
    };
    const Row expected[] = {
        {"TLoadFromFile", "File: Load from file", "Load source graphical file", 0},
        {"TResizeBitmap", "Transform: Change image size", "Make \"ResizeImage\"", 1},
        {"TResizeCanvas", "Transform: Change canvas size", "Make \"ResizeCanvas\"", 2},
        {"TShadow", "Border: \"Shadow\"", "Make border \"Shadow\"", 3},
        {"TFadeShadow", "Border: \"FadeShadow\"", "Make border \"FadeShadow\"", 7},
        {"TRectangleBevel", "Border: \"RectangleBevel\"", "Make border \"RectangleBevel\"", 4},
        {"TFadeRectangleBevel", "Border: \"FadeRectangleBevel\"", "Make border \"FadeRectangleBevel\"", 5},
        {"TFadeEllipseBevel", "Border: \"FadeEllipseBevel\"", "Make border \"FadeEllipseBevel\"", 6},
        {"TFilm", "Border: \"Film\"", "Make border \"Film\"", 8},
        {"TStamp", "Border: \"Stamp\"", "Make border \"Stamp\"", 9},
        {"TSaveToFile", "File: Save to file", "Save resulting graphical file", 10},
        {"TCrop", "Transform: Crop", "Make \"Crop\"", 11},
        {"TRotate", "Transform: Rotate and flip", "Make \"Rotate\"", 12},
        {"TSharpen", "Filter: Sharpen", "Make \"Sharpen\"", 13},
        {"TAdjust", "Filter: Adjust", "Make \"Adjust\"", 14},
        {"TWatermark", "Mark: Watermark", "Make \"Watermark\"", 15},
        {"TText", "Mark: Text", "Make \"Text\"", 16},
    };
    const int count = int(std::size(expected));
    ASSERT_EQ(list.Count(), count);
    ASSERT_EQ(log.Messages.size(), std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const Row& r = expected[i];
        EXPECT_EQ(list[i].Caption, r.caption);
        EXPECT_EQ(list[i].Info.ClassName, r.className);
        EXPECT_EQ(list[i].Info.Caption, r.caption);
        EXPECT_EQ(list[i].Info.Description, r.description);
        EXPECT_EQ(list[i].Info.PageIndex, r.page);
        EXPECT_EQ(list.IndexOf(r.caption), i);
        const auto& m = log.Messages[static_cast<std::size_t>(i)];
        EXPECT_EQ(m.Kind, lmInfo);
        EXPECT_EQ(m.Text(), std::string("    - initialize task \"") + r.className + "\" ... Complete");
        EXPECT_EQ(m.Segments[1].Color, LogValueColor);
        EXPECT_EQ(m.Segments[3].Color, LogDoneColor);
    }
    EXPECT_EQ(list.IndexOf("border: \"film\""), 8);
    EXPECT_EQ(test::TTempDir::Read(dir.Path("l.log")), "");  // start-up lines stay off the file

    // A task in the middle is offered neither loading nor saving.
    std::vector<TTaskInfoList::Entry> middle = list.EditorTypes(true);
    ASSERT_EQ(middle.size(), std::size_t(count - 2));
    EXPECT_EQ(middle.front().Caption, "Transform: Change image size");
    EXPECT_EQ(middle[8].Caption, "Border: \"Stamp\"");
    EXPECT_EQ(middle[9].Caption, "Transform: Crop");
    EXPECT_EQ(middle.back().Caption, "Mark: Text");
    EXPECT_EQ(list.EditorTypes(false).size(), std::size_t(count));
}

TEST(TTaskInfoList, UnknownTypeIsSkipped) {
    TLogRecorder log;
    TTaskInfoList list;
    list.RegisterType("TNoSuchTask", nullptr);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0].Text(), "    - initialize task \"TNoSuchTask\" ... Failed! Skipped.");
    EXPECT_EQ(log.Messages[0].Segments.back().Color, LogErrorColor);
}

TEST(TBaseClass, SaveSettingsHoldsOnlyTheLastCall) {
    auto task = MakeTask("TFilm", nullptr);
    task->SaveSettings("first");
    const TINIObject& ini = task->SaveSettings("second");
    ASSERT_EQ(ini.Count(), 6);
    EXPECT_EQ(ini[0].Name, "TaskName");
    EXPECT_EQ(ini[0].Data, "\"second\"");
    EXPECT_EQ(ini[1].Data, "\"TFilm\"");
    EXPECT_EQ(&ini, &task->SettingsStore());
}

TEST(TBaseClass, LoadSettingsReadsEveryKeyAndSkipsBadOnes) {
    TLogRecorder log;
    auto task = MakeTask("TRectangleBevel", nullptr);
    TINIObject ini;
    ini.AddRecord("bevel_thickness", "12");
    ini.AddRecord("Top_Amount", "x");
    ini.AddRecord("Solid_Border", "Yes");
    task->LoadSettings(ini);
    const TINIObject& saved = task->SaveSettings("n");
    std::vector<std::string> data;
    for (const TINIRecord& r : saved.Records()) data.push_back(r.Name + "=" + r.Data);
    EXPECT_EQ(data,
              (std::vector<std::string>{"TaskName=\"n\"", "TaskType=\"TRectangleBevel\"",
                                        "Bevel_Thickness=12", "Top_Amount=130", "Left_Amount=100",
                                        "Right_Amount=-100", "Bottom_Amount=-130", "Solid_Border=Yes"}));
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Could't read variable \"Top_Amount\"",
                                                     "Could't read variable \"Left_Amount\"",
                                                     "Could't read variable \"Right_Amount\"",
                                                     "Could't read variable \"Bottom_Amount\""}));
}

// A task with settings of the first release and settings added later.
class TGrownTask : public TBaseClass {
public:
    TGrownTask() {
        classInfo_ = {"TGrownTask", "Grown", "Grown", 0};
        Declare<TKX_Integer>("", "Width", 10, TIntRange{0, 100});
        DeclareOptional<TKX_Integer>("", "Margin", 7, TIntRange{0, 100});
        DeclareOptional<TKX_Color>("", "Edge_Color", TColor(0x0000FF));
        DeclareOptional<TKX_String>("", "Caption", std::string("none"));
        DeclareOptional<TKX_Boolean>("", "Upright", true);
    }
};

// A missing optional key sets its default without a message; a missing key
// of the first release logs and keeps its value; an optional key that is
// present is read, and an unreadable one still logs.
TEST(TBaseClass, OptionalKeysTakeTheirDefaultSilently) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> records;
        std::string saved;  // the settings after loading, as saved
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"only the old key",
         {{"Width", "20"}},
         "Width=20 Margin=7 Edge_Color=clRed Caption=\"none\" Upright=Yes",
         {}},
        {"nothing",
         {},
         "Width=55 Margin=7 Edge_Color=clRed Caption=\"none\" Upright=Yes",
         {"Could't read variable \"Width\""}},
        {"all keys",
         {{"width", "1"}, {"MARGIN", "2"}, {"Edge_Color", "clLime"}, {"Caption", "x"}, {"Upright", "No"}},
         "Width=1 Margin=2 Edge_Color=clLime Caption=\"x\" Upright=No",
         {}},
        {"unreadable optional values",
         {{"Width", "3"}, {"Margin", "12abc"}, {"Edge_Color", "clNoSuch"}},
         "Width=3 Margin=99 Edge_Color=clBlack Caption=\"none\" Upright=Yes",
         {"Could't read variable \"Margin\"", "Could't read variable \"Edge_Color\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGrownTask task;
        // Values from before the load: kept only where a key is unreadable.
        static_cast<TKX_Integer*>(task.FindSetting("Width"))->SetValue(55, vsCurrent);
        static_cast<TKX_Integer*>(task.FindSetting("Margin"))->SetValue(99, vsCurrent);
        static_cast<TKX_Color*>(task.FindSetting("Edge_Color"))->SetValue(0, vsCurrent);
        static_cast<TKX_String*>(task.FindSetting("Caption"))->SetValue("old", vsCurrent);
        static_cast<TKX_Boolean*>(task.FindSetting("Upright"))->SetValue(false, vsCurrent);
        TLogRecorder log;
        TINIObject ini;
        for (const auto& [key, value] : c.records) ini.AddRecord(key, value);
        task.LoadSettings(ini);
        std::string saved;
        for (const TINIRecord& r : task.SaveSettings("n").Records())
            if (r.Name != "TaskName" && r.Name != "TaskType")
                saved += (saved.empty() ? "" : " ") + r.Name + "=" + r.Data;
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(log.Texts(), c.log);
    }
}

}  // namespace
}  // namespace pm
