#include "app/ScenarioModel.h"

#include "app/MemoryEditorPage.h"
#include "core/IniFile.h"
#include "core/ScenarioFile.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingConsole.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "tasks/PM__TSaveToFile.h"
#include "tasks/PM__TShadow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace pm {
namespace {

using test::TTempDir;

// Everything a scenario model needs, with scripted dialogs and a recording view.
struct TScenarioRig {
    TScenarioRig() {
        infos.RegisterAll(&ctx);
        model.ProgramDir = "/program/";
        log.Clear();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> n;
        for (const auto& e : model.Entries) n.push_back(e->Name);
        return n;
    }
    std::vector<std::string> Types() const {
        std::vector<std::string> t;
        for (const auto& e : model.Entries) t.push_back(e->Task->ClassName());
        return t;
    }
    // Every entry's settings as its SaveSettings writes them.
    std::vector<std::vector<std::string>> Settings() {
        std::vector<std::vector<std::string>> all;
        for (const auto& e : model.Entries) {
            std::vector<std::string> lines;
            for (const TINIRecord& r : e->Task->SaveSettings(e->Name).Records())
                lines.push_back(r.Name + "=" + r.Data);
            all.push_back(lines);
        }
        return all;
    }
    // The only file request so far was the scenario file dialog.
    void ExpectOneScenarioRequest(bool save, const std::string& title, const std::string& initialDir) const {
        ASSERT_EQ(dialogs.FileRequests.size(), 1u);
        const auto& request = dialogs.FileRequests[0];
        EXPECT_EQ(request.Save, save);
        EXPECT_EQ(request.Title, title);
        EXPECT_EQ(request.InitialDir, initialDir);
        EXPECT_EQ(request.Filter, "PM scenario files (*.pms)|*.pms");
        EXPECT_EQ(request.DefaultExt, ".pms");
    }

    test::TLogRecorder log;
    TRunContext ctx;
    TTaskInfoList infos;
    test::TScriptedDialogs dialogs;
    test::TRecordingMainView view;
    TMemoryEditorPage editor;
    TScenarioModel model{ctx, infos, dialogs, view, editor};
};

class ScenarioModel : public testing::Test {
protected:
    std::string File(const std::string& name = "s.pms") const { return dir.Path(name); }
    // A new scenario saved to `file`.
    void NewAndSave(const std::string& file) {
        rig.model.MM_ScNewClick();
        rig.model.ScenarioFileName = file;
        rig.model.SC_Save();
    }

    TTempDir dir;
    TScenarioRig rig;
    TScenarioModel& model = rig.model;
};

TEST_F(ScenarioModel, NewScenarioHoldsOneTaskOfEveryType) {
    model.MM_ScNewClick();
    EXPECT_TRUE(rig.dialogs.Questions.empty());
    std::vector<std::string> descriptions, types;
    // The eleven first types; the added ones come after them and stay out.
    for (const auto& e : rig.infos.Entries()) {
        if (types.size() == TaskTypeNames().size()) break;
        descriptions.push_back(e.Info.Description);
        types.push_back(e.Info.ClassName);
    }
    EXPECT_EQ(rig.Names(), descriptions);
    EXPECT_EQ(rig.Types(), types);
    EXPECT_EQ(model.Count(), 11);
    EXPECT_TRUE(model.ScenarioOpen);
    EXPECT_EQ(model.ScenarioFileName, "");
    EXPECT_EQ(model.Selected, 0);
    EXPECT_EQ(model.LastSelected, -1);
    for (const char* call : {"SelectTaskInEditor", "ShowScenarioPage", "FocusTaskList"})
        EXPECT_TRUE(rig.view.Called(call)) << call;
    EXPECT_TRUE(rig.log.Has("Creating the new scenario ..."));
    // Every task holds its type's defaults.
    std::vector<std::vector<std::string>> settings = rig.Settings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        auto fresh = MakeTask(types[i], nullptr);
        std::vector<std::string> expected;
        for (const TINIRecord& r : fresh->SaveSettings(descriptions[i]).Records())
            expected.push_back(r.Name + "=" + r.Data);
        EXPECT_EQ(settings[i], expected) << types[i];
    }
}

// The command line makes a new scenario without the model; both files and
// both logs are the same.
TEST_F(ScenarioModel, NewScenarioTasksWriteWhatTheModelWrites) {
    NewAndSave(File("model.pms"));
    std::vector<std::string> modelLog = rig.log.Texts();
    rig.log.Clear();
    TRunContext ctx;
    TTaskList tasks = NewScenarioTasks(ctx);
    ASSERT_TRUE(WriteScenarioFile(tasks, File("plain.pms")));
    EXPECT_EQ(TTempDir::Read(File("plain.pms")), TTempDir::Read(File("model.pms")));
    modelLog.back() = "Saving scenario file \"" + File("plain.pms") + "\" ... Complete.";
    EXPECT_EQ(rig.log.Texts(), modelLog);
}

TEST_F(ScenarioModel, NewWhileOpenAsksFirst) {
    model.MM_ScNewClick();
    const TaskRec* first = model.Entries[0].get();
    rig.ctx.CurrentSourceFile = "/x/a.jpg";

    rig.dialogs.No();
    model.MM_ScNewClick();
    ASSERT_EQ(rig.dialogs.Questions.size(), 1u);
    const auto& q = rig.dialogs.Questions[0];
    EXPECT_EQ(q.Text, "Some scenario already opened.\r\nCreate new?");
    EXPECT_EQ(q.Caption, "Confirmation");
    EXPECT_EQ(q.Icon, TMsgIcon::Question);
    EXPECT_FALSE(q.DefaultYes);
    EXPECT_EQ(model.Entries[0].get(), first);  // nothing changed
    EXPECT_EQ(rig.ctx.CurrentSourceFile, "/x/a.jpg");

    rig.log.Clear();
    rig.view.Calls.clear();
    rig.dialogs.Yes();
    model.MM_ScNewClick();
    EXPECT_EQ(model.Count(), 11);
    EXPECT_NE(model.Entries[0].get(), first);
    EXPECT_EQ(rig.ctx.CurrentSourceFile, "");
    const auto texts = rig.log.Texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Closing the current scenario ... ");
    EXPECT_EQ(texts[1], "Clearing the \"scenario\" resources ...");
    EXPECT_EQ(texts[2], "Ok");
    EXPECT_EQ(rig.log.Messages[2].Segments[0].Color, LogDoneColor);
    EXPECT_EQ(texts[3], "Creating the new scenario ...");
    for (const char* call : {"HideTaskEditor", "ClearTestWindow", "UpdateMenus", "HidePageArea"})
        EXPECT_TRUE(rig.view.Called(call)) << call;
}

TEST_F(ScenarioModel, CloseAsksAndShowsTheProjectPageWhenAProjectIsOpen) {
    EXPECT_TRUE(model.SC_CreateNewAllowed("Close current scenario?"));  // nothing open: no question
    EXPECT_TRUE(rig.dialogs.Questions.empty());
    model.MM_ScNewClick();
    rig.view.projectOpen = true;
    rig.dialogs.Yes();
    model.MM_ScCloseClick();
    EXPECT_EQ(rig.dialogs.Questions.at(0).Text, "Some scenario already opened.\r\nClose current scenario?");
    EXPECT_FALSE(model.ScenarioOpen);
    EXPECT_EQ(model.Count(), 0);
    EXPECT_EQ(rig.ctx.CurrentTask, nullptr);
    EXPECT_TRUE(rig.view.Called("ShowProjectPage"));
    EXPECT_FALSE(rig.view.Called("HidePageArea"));
}

TEST_F(ScenarioModel, SavedFileHasOneSectionPerTask) {
    NewAndSave(File());
    const std::string text = TTempDir::Read(File());
    std::vector<std::string> expected;
    for (int i = 1; i <= 11; ++i) expected.push_back("Task" + std::to_string(i));
    EXPECT_EQ(TIniFile(File()).ReadSections(), expected);
    const std::size_t from = text.find("[Task3]\n"), to = text.find("[Task4]\n");
    ASSERT_NE(from, std::string::npos);
    EXPECT_EQ(text.substr(from, to - from), "[Task3]\n"
                                            "TaskName=\"Make \"ResizeCanvas\"\"\n"
                                            "TaskType=\"TResizeCanvas\"\n"
                                            "Resize_Method=0\nTop=10\nLeft=10\nRight=10\nBottom=10\n"
                                            "Top_Metric=Pixel\nLeft_Metric=Pixel\nRight_Metric=Pixel\n"
                                            "Bottom_Metric=Pixel\nWidth=800\nHeight=600\nWidth_Metric=Pixel\n"
                                            "Height_Metric=Pixel\nArchor_Position=5\nBG_Color=clBlack\n"
                                            "BG_File=\"\"\n");
    EXPECT_EQ(text.substr(0, text.find("[Task2]")),
              "[Task1]\nTaskName=\"Load source graphical file\"\n"
              "TaskType=\"TLoadFromFile\"\nAutodesk=Yes\nCompuServe=Yes\n"
              "DrHalo=Yes\nEPS=Yes\nFAX=Yes\nKodak=Yes\nPaintshop=Yes\n"
              "Photoshop=Yes\nPNG=Yes\nPortable=Yes\nSGIimages=Yes\n"
              "SGIWavefront=Yes\nJPEG=Yes\nBitmap=Yes\nTIFF=Yes\n"
              "Truevision=Yes\nIcons=Yes\nMetafiles=Yes\nWord5=Yes\n"
              "Paintbrush=Yes\nHEIF=Yes\nWebP=Yes\nApply_Orientation=Yes\n");
    EXPECT_TRUE(rig.log.Has("Saving scenario file \"" + File() + "\" ... Complete."));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"s.pms"});  // no backup, no temporary file
    EXPECT_EQ(model.InitialDir, dir.Dir());
    EXPECT_EQ(model.ScenarioFileName, File());
}

// A new scenario saved and opened again gives the same tasks, names and values.
TEST_F(ScenarioModel, SaveAndReopenGiveTheSameScenario) {
    model.MM_ScNewClick();
    model.Entries[3]->Name = "  My \"shadow\" ";
    auto& shadow = dynamic_cast<TShadow&>(*model.Entries[3]->Task);
    shadow.Shadow_X.SetValue(-7, vsCurrent);
    shadow.BG_Color.SetValue(0x00010203, vsCurrent);
    shadow.Shadow_Color.SetValue(0x8000000F, vsCurrent);
    auto& save = dynamic_cast<TSaveToFile&>(*model.Entries[10]->Task);
    save.JPEG_Comment.SetValue("\"quoted\" and  blanks ", vsCurrent);
    save.Progressive_JPEG.SetValue(true, vsCurrent);
    model.ScenarioFileName = File();
    model.SC_Save();
    const auto names = rig.Names();
    const auto types = rig.Types();
    const auto settings = rig.Settings();

    TScenarioRig other;
    other.dialogs.File(File());
    other.model.InitialDir = "/somewhere/";
    other.model.MM_ScOpenClick();
    other.ExpectOneScenarioRequest(false, "Select scenario filename ...", "/somewhere/");
    EXPECT_TRUE(other.model.ScenarioOpen);
    EXPECT_EQ(other.model.ScenarioFileName, File());
    EXPECT_EQ(other.model.InitialDir, dir.Dir());
    EXPECT_EQ(other.model.Selected, 0);
    EXPECT_EQ(other.Names(), names);
    EXPECT_EQ(other.Types(), types);
    EXPECT_EQ(other.Settings(), settings);
    EXPECT_EQ(other.log.Messages.front().Text(), "Opening scenario ... ");
    EXPECT_EQ(other.log.Messages.back().Segments.back().Text, "Complete.");
    EXPECT_EQ(other.log.CountContaining("Could't read"), 0);
}

TEST_F(ScenarioModel, SaveReplacesEveryOldSection) {
    std::string old;
    // More sections than one section list holds.
    for (int i = 1; i <= 2000; ++i) old += "[Task" + std::to_string(i) + "]\nTaskName=\"old\"\n";
    old += "[Other]\nk=v\n";
    TTempDir::Write(File(), old);
    NewAndSave(File());
    EXPECT_EQ(TIniFile(File()).ReadSections().size(), 11u);
    EXPECT_EQ(TTempDir::Read(File()).find("old"), std::string::npos);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"s.pms"});
}

TEST_F(ScenarioModel, FailedWriteLeavesTheBackupAndTheOldFile) {
    const std::string old = "[Task1]\nTaskName=\"old\"\n";
    TTempDir::Write(File(), old);
    model.MM_ScNewClick();
    model.ScenarioFileName = File();
    model.InitialDir = "/before/";
    {
        test::TFileSizeLimit limit(200);  // the backup fits, the new file does not
        model.SC_Save();
    }
    EXPECT_TRUE(rig.log.Has("Unable to write to " + File() + " Can't save scenario!"));
    EXPECT_EQ(TTempDir::Read(File()), old);
    EXPECT_EQ(TTempDir::Read(File() + ".bak"), old);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"s.pms", "s.pms.bak"}));
    EXPECT_EQ(model.InitialDir, "/before/");

    rig.log.Clear();
    model.SC_Save();  // the next save clears the old backup first
    EXPECT_TRUE(rig.log.Has("Saving scenario file \"" + File() + "\" ... Complete."));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"s.pms"});
}

TEST_F(ScenarioModel, BackupProblemsLeaveTheFileUntouched) {
    const std::string old(400, ';');
    TTempDir::Write(File(), old);
    model.MM_ScNewClick();
    model.ScenarioFileName = File();

    std::filesystem::create_directories(File() + ".bak/inner");  // cannot be deleted
    model.SC_Save();
    EXPECT_TRUE(rig.log.Has("Can't delete old backup copy!"));
    EXPECT_EQ(TTempDir::Read(File()), old);
    std::filesystem::remove_all(File() + ".bak");

    rig.log.Clear();
    {
        test::TFileSizeLimit limit(100);  // the copy cannot be written
        model.SC_Save();
    }
    EXPECT_TRUE(rig.log.Has("Can't create backup copy!"));
    EXPECT_EQ(TTempDir::Read(File()), old);
}

TEST_F(ScenarioModel, NothingToSave) {
    model.ScenarioFileName = File();
    model.SC_Save();
    const auto* m = rig.log.Find("No items for saving!");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Kind, lmWarning);
    EXPECT_FALSE(TTempDir::Exists(File()));
}

// A task that cannot write its settings.
class UnsavableTask : public TBaseClass {
public:
    TINIObject& SaveSettings(const std::string&) override { throw std::runtime_error("No settings."); }
};

TEST_F(ScenarioModel, SaveFailureOfOneTaskNamesItsPositionFromZero) {
    TTaskList list;
    for (const char* type : {"TLoadFromFile", "", "TSaveToFile"}) {
        auto rec = std::make_unique<TaskRec>();
        rec->Name = type;
        rec->Task = *type ? MakeTask(type, nullptr) : std::make_unique<UnsavableTask>();
        list.push_back(std::move(rec));
    }
    EXPECT_FALSE(WriteScenarioFile(list, File()));
    const auto& last = rig.log.Messages.back();
    EXPECT_EQ(last.Segments.front().Text, "No settings. Can't save task 1");
    EXPECT_EQ(last.Kind, lmError);
    EXPECT_EQ(last.Segments.back().Text, "Error(s)!");
    EXPECT_EQ(last.Segments.back().Color, LogErrorColor);
    EXPECT_EQ(TIniFile(File()).ReadSections(), (std::vector<std::string>{"Task1", "Task3"}));
}

TEST_F(ScenarioModel, AddTaskPosition) {
    struct Case {
        int selected;
        bool afterCurrent;
        int position;
    };
    const Case cases[] = {{10, true, 10}, {3, true, 4}, {0, true, 1}, {5, false, 11}};
    for (const Case& c : cases) {
        TScenarioRig r;
        r.model.MM_ScNewClick();
        r.model.Selected = c.selected;
        r.model.AddTask("TFilm", "", c.afterCurrent);
        ASSERT_EQ(r.model.Count(), 12);
        EXPECT_EQ(r.model.Selected, c.position) << c.selected;
        EXPECT_EQ(r.model.Entries[static_cast<std::size_t>(c.position)]->Name, "Make border \"Film\"");
        EXPECT_EQ(r.ctx.CurrentTaskRec, r.model.Entries[static_cast<std::size_t>(c.position)].get());
        if (c.afterCurrent) {
            EXPECT_EQ(r.Types().back(), "TSaveToFile") << c.selected;
        }
    }
}

TEST_F(ScenarioModel, AddTaskTakesTheDefaultsTheEditorShows) {
    model.MM_ScNewClick();
    model.Selected = 10;
    rig.editor.ints["FX2_Shadow_X"] = 99;  // left over from another task
    model.AddTask("TShadow", "Second shadow", true);
    auto& added = dynamic_cast<TShadow&>(*model.Entries[10]->Task);
    EXPECT_EQ(model.Entries[10]->Name, "Second shadow");
    EXPECT_EQ(added.Shadow_X.GetValue(vsCurrent), 6);
    EXPECT_EQ(rig.editor.ints["FX2_Shadow_X"], 6);
}

TEST_F(ScenarioModel, AddTaskOfUnknownType) {
    model.MM_ScNewClick();
    rig.log.Clear();
    model.AddTask("TNope", "", true);
    EXPECT_EQ(model.Count(), 11);
    ASSERT_EQ(rig.log.Messages.size(), 1u);
    const auto& m = rig.log.Messages[0];
    EXPECT_EQ(m.Text(), "Can't add new task \"TNope\" to TaskList!");
    EXPECT_EQ(m.Kind, lmError);
    EXPECT_EQ(m.Segments[0].Color, LogErrorColor);
    EXPECT_EQ(m.Segments[1].Color, LogValueColor);
}

TEST_F(ScenarioModel, ChangeTaskReplacesTheTaskInPlace) {
    model.MM_ScNewClick();
    model.Selected = 2;
    rig.editor.colors["FX7_BG_Color"] = 0x0000FF;
    model.ChangeTask("TFilm", "Film it");
    EXPECT_EQ(model.Count(), 11);
    EXPECT_EQ(model.Entries[2]->Name, "Film it");
    EXPECT_EQ(model.Entries[2]->Task->ClassName(), "TFilm");
    EXPECT_EQ(model.Entries[2]->Task->SaveSettings("x").Find("BG_Color")->Data, "clRed");
    EXPECT_EQ(rig.ctx.CurrentTask, model.Entries[2]->Task.get());

    const TBaseClass* before = model.Entries[2]->Task.get();
    model.ChangeTask("TNope", "Broken");
    EXPECT_TRUE(rig.log.Has("Can't change the task \"Broken\" inside TaskList!"));
    EXPECT_EQ(model.Entries[2]->Task.get(), before);  // the entry keeps its task
    EXPECT_EQ(model.Entries[2]->Name, "Film it");
}

TEST_F(ScenarioModel, OpenCancelled) {
    rig.dialogs.Cancel();
    model.MM_ScOpenClick();
    ASSERT_EQ(rig.log.Messages.size(), 1u);
    EXPECT_EQ(rig.log.Messages[0].Text(), "Opening scenario ... Abort!");
    EXPECT_EQ(rig.log.Messages[0].Segments[1].Color, LogErrorColor);
    EXPECT_FALSE(model.ScenarioOpen);
    EXPECT_TRUE(rig.view.Called("UpdateMenus"));
}

TEST_F(ScenarioModel, OpenFailuresOpenNothing) {
    // Task1 and Task3 are made before the file turns out bad.
    TTempDir::Write(File("bad.pms"), "[Task1]\nTaskName=\"L\"\nTaskType=\"TLoadFromFile\"\n"
                                     "[Task2]\nTaskName=\"B\"\nTaskType=\"TBitmap\"\n"
                                     "[Task3]\nTaskName=\"S\"\nTaskType=\"TSaveToFile\"\n");
    TTempDir::Write(File("empty.pms"), "");
    const std::pair<std::string, const char*> cases[] = {{File("bad.pms"), "Can't load scenario!"},
                                                         {File("empty.pms"), "Items not found!"}};
    for (const auto& [file, message] : cases) {
        rig.log.Clear();
        rig.dialogs.File(file);
        model.MM_ScOpenClick();
        EXPECT_TRUE(rig.log.Has(message)) << file;
        EXPECT_FALSE(model.ScenarioOpen);
        EXPECT_EQ(model.Count(), 0);
        EXPECT_EQ(model.ScenarioFileName, "");
        EXPECT_EQ(rig.ctx.CurrentTaskRec, nullptr);  // nothing points at freed tasks
        EXPECT_EQ(rig.ctx.CurrentTask, nullptr);
    }
}

TEST_F(ScenarioModel, SaveAsAsksForTheFileName) {
    model.MM_ScNewClick();
    rig.dialogs.Cancel();
    model.MM_ScSaveClick();  // no file name yet: save as
    EXPECT_TRUE(rig.log.Has("Saving scenario as ...Abort!"));
    rig.ExpectOneScenarioRequest(true, "Enter scenario filename ...", "/program/");
    EXPECT_EQ(model.ScenarioFileName, "");

    rig.dialogs.File(File());
    model.MM_ScSaveClick();
    EXPECT_EQ(model.ScenarioFileName, File());
    EXPECT_TRUE(TTempDir::Exists(File()));
    model.MM_ScSaveClick();  // now saved without asking
    EXPECT_EQ(rig.dialogs.FileRequests.size(), 2u);
}

TEST_F(ScenarioModel, SaveMakesTheSelectedEntryCurrentAgain) {
    model.MM_ScNewClick();
    model.Selected = 4;
    model.ScenarioFileName = File();
    model.SC_Save();
    EXPECT_EQ(rig.ctx.CurrentTaskRec, model.Entries[4].get());
    EXPECT_EQ(rig.ctx.CurrentTask, model.Entries[4]->Task.get());
}

TEST_F(ScenarioModel, AContextKeepsNothingOfAModelThatWent) {
    TRunContext ctx;
    {
        TScenarioModel other{ctx, rig.infos, rig.dialogs, rig.view, rig.editor};
        other.MM_ScNewClick();
        other.MakeCurrent(2);
        ASSERT_EQ(ctx.CurrentTaskRec, other.Entries[2].get());
    }
    EXPECT_EQ(ctx.CurrentTaskRec, nullptr);
    EXPECT_EQ(ctx.CurrentTask, nullptr);
}

// However an entry became the edited one, deleting it through the model
// leaves no pointer to it or its task in the context; an entry that stays
// stays the edited one.
TEST_F(ScenarioModel, ContextNeverKeepsADeletedEntry) {
    using TStep = std::function<void(TScenarioModel&)>;
    struct Case {
        const char* name;
        TStep edit;
        TStep remove;
        bool editedStays;
    };
    const Case cases[] = {
        {"selected and deleted", [](auto& m) { m.MakeCurrent(3); }, [](auto& m) { m.RemoveTask(3); }, false},
        {"another deleted", [](auto& m) { m.MakeCurrent(3); }, [](auto& m) { m.RemoveTask(2); }, true},
        {"added and deleted",
         [](auto& m) {
             m.Selected = 5;
             m.AddTask("TFilm", "", true);
         },
         [](auto& m) { m.RemoveTask(6); }, false},
        {"retyped and deleted",
         [](auto& m) {
             m.Selected = 4;
             m.ChangeTask("TFilm", "Film");
         },
         [](auto& m) { m.RemoveTask(4); }, false},
        {"closed", [](auto& m) { m.MakeCurrent(5); }, [](auto& m) { m.MM_ScCloseClick(); }, false},
        {"replaced by a new one", [](auto& m) { m.MakeCurrent(5); }, [](auto& m) { m.MM_ScNewClick(); },
         false},
    };
    for (const Case& c : cases) {
        TScenarioRig r;
        r.model.MM_ScNewClick();
        c.edit(r.model);
        const TaskRec* edited = r.ctx.CurrentTaskRec;
        ASSERT_NE(edited, nullptr) << c.name;
        const TBaseClass* editedTask = edited->Task.get();
        r.dialogs.Yes();
        c.remove(r.model);
        const auto live = std::find_if(r.model.Entries.begin(), r.model.Entries.end(),
                                       [&](const auto& e) { return e.get() == r.ctx.CurrentTaskRec; });
        if (c.editedStays) {
            EXPECT_EQ(r.ctx.CurrentTaskRec, edited) << c.name;
            EXPECT_EQ(r.ctx.CurrentTask, editedTask) << c.name;
        } else if (r.ctx.CurrentTaskRec) {
            EXPECT_NE(live, r.model.Entries.end()) << c.name;
            EXPECT_EQ(r.ctx.CurrentTask, r.ctx.CurrentTaskRec->Task.get()) << c.name;
        } else {
            EXPECT_EQ(r.ctx.CurrentTask, nullptr) << c.name;
        }
    }
}

}  // namespace
}  // namespace pm
