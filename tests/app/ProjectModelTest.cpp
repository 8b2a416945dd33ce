#include "app/ProjectModel.h"

#include "batch/ProjectFile.h"
#include "support/RecordingConsole.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pm {
namespace {

using test::TLogRecorder;
using test::TScriptedDialogs;
using test::TTempDir;

class ProjectModelTest : public ::testing::Test {
protected:
    ProjectModelTest()
        : src1(dir.MakeDir("src1")), src2(dir.MakeDir("src2")), src3(dir.MakeDir("src3")),
          tgt(dir.MakeDir("tgt")), scenario(dir.Put("s.pms", "[Task1]\n")), model(dialogs, view) {}

    PrItemRec Item(const std::string& src, bool scan = true) const { return {src, scan, tgt, scenario}; }
    void SetEditor(const PrItemRec& item) {
        model.EditorSourceDirectory = item.SourceDirectory;
        model.EditorScanSubDir = item.SourceScanSubDir;
        model.EditorTargetDirectory = item.TargetDirectory;
        model.EditorScenarioFileName = item.ScenarioFileName;
        model.PR_Change();
    }
    std::vector<std::string> Sources() const {
        std::vector<std::string> out;
        for (const PrItemRec& i : model.Items) out.push_back(i.SourceDirectory);
        return out;
    }
    std::string ItemSection(int n, const std::string& src, const std::string& scan,
                            const std::string& target) const {
        return "[Item" + std::to_string(n) + "]\nSourceDirectory=\"" + src + "\"\nSourceScanSubDir=" + scan +
               "\nTargetDirectory=\"" + target + "\"\nScenarioFileName=\"" + scenario + "\"\n";
    }

    TTempDir dir;
    std::string src1, src2, src3, tgt, scenario;
    TLogRecorder log;
    TScriptedDialogs dialogs;
    IMainView view;
    TProjectModel model;
};

bool operator==(const PrItemRec& a, const PrItemRec& b) {
    return a.SourceDirectory == b.SourceDirectory && a.SourceScanSubDir == b.SourceScanSubDir &&
           a.TargetDirectory == b.TargetDirectory && a.ScenarioFileName == b.ScenarioFileName;
}

TEST_F(ProjectModelTest, SaveWritesKeysInOrderQuotedAndReopensTheSameItems) {
    model.Items = {Item(src1, true), Item(src2, false)};
    model.ProjectFileName = dir.Path("p.pmp");
    model.PR_Save();
    EXPECT_EQ(TTempDir::Read(model.ProjectFileName),
              ItemSection(1, src1, "Yes", tgt) + ItemSection(2, src2, "No", tgt));
    EXPECT_FALSE(std::filesystem::exists(model.ProjectFileName + ".bak"));
    EXPECT_TRUE(log.Has("Saving project file \"" + model.ProjectFileName + "\" ...Complete.")) << log.Dump();
    EXPECT_EQ(model.InitialDir, dir.Dir());

    TProjectModel reopened(dialogs, view);
    ASSERT_TRUE(reopened.LoadProjectFile(model.ProjectFileName));
    ASSERT_EQ(reopened.Items.size(), 2u);
    EXPECT_TRUE(reopened.Items[0] == model.Items[0]);
    EXPECT_TRUE(reopened.Items[1] == model.Items[1]);
    EXPECT_TRUE(reopened.ProjectOpen);
    EXPECT_EQ(reopened.ProjectFileName, model.ProjectFileName);
    EXPECT_EQ(reopened.Selected, 0);
    EXPECT_EQ(reopened.EditorSourceDirectory, src1);  // the first line is shown in the editor
}

TEST_F(ProjectModelTest, SaveOverAnOldFileReplacesItsSections) {
    const std::string file = dir.Put("p.pmp", "[Item1]\nSourceDirectory=\"old\"\n[Item7]\nX=1\n");
    model.Items = {Item(src3)};
    model.ProjectFileName = file;
    model.PR_Save();
    EXPECT_EQ(TTempDir::Read(file), ItemSection(1, src3, "Yes", tgt));
    EXPECT_FALSE(std::filesystem::exists(file + ".bak"));
}

TEST_F(ProjectModelTest, ScanFlagIsTrueForMissingKeyAndExactlyYes) {
    const struct {
        const char* line;  // the SourceScanSubDir line, or empty for none
        bool scan;
    } cases[] = {{"", true},
                 {"SourceScanSubDir=Yes\n", true},
                 {"SourceScanSubDir=yes\n", true},
                 {"SourceScanSubDir=YES\n", true},
                 {"SourceScanSubDir=no\n", false},
                 {"SourceScanSubDir=No\n", false},
                 {"SourceScanSubDir=0\n", false},
                 {"SourceScanSubDir=1\n", false},
                 {"SourceScanSubDir=y\n", false}};
    for (const auto& c : cases) {
        const std::string file = dir.Put("flag.pmp", "[Item1]\nSourceDirectory=\"" + src1 + "\"\n" + c.line +
                                                         "TargetDirectory=\"" + tgt +
                                                         "\"\nScenarioFileName=\"" + scenario + "\"\n");
        TProjectModel m(dialogs, view);
        ASSERT_TRUE(m.LoadProjectFile(file)) << c.line;
        ASSERT_EQ(m.Items.size(), 1u);
        EXPECT_EQ(m.Items[0].SourceScanSubDir, c.scan) << c.line;
    }
}

// The skip setting is optional: written only when on, so a project without
// it reads and saves as before; read like the scan flag, missing means off.
TEST_F(ProjectModelTest, SkipUnchangedKeyIsOptional) {
    PrItemRec on = Item(src1);
    on.SkipUnchanged = true;
    model.Items = {on, Item(src2)};
    model.ProjectFileName = dir.Path("p.pmp");
    model.PR_Save();
    EXPECT_EQ(TTempDir::Read(model.ProjectFileName),
              ItemSection(1, src1, "Yes", tgt) + "SkipUnchanged=Yes\n" + ItemSection(2, src2, "Yes", tgt));
    const struct {
        std::string extra;
        bool skip;
    } cases[] = {{"", false},
                 {"SkipUnchanged=Yes\n", true},
                 {"SkipUnchanged=yes\n", true},
                 {"SkipUnchanged=No\n", false},
                 {"SkipUnchanged=1\n", false}};
    for (const auto& c : cases) {
        const std::string file = dir.Put("skip.pmp", ItemSection(1, src1, "Yes", tgt) + c.extra);
        TProjectModel m(dialogs, view);
        log.Clear();
        ASSERT_TRUE(m.LoadProjectFile(file)) << c.extra;
        ASSERT_EQ(m.Items.size(), 1u);
        EXPECT_EQ(m.Items[0].SkipUnchanged, c.skip) << c.extra;
        EXPECT_EQ(log.CountContaining("read variable"), 0) << log.Dump();
        m.Selected = 0;
        m.PR_ItemListClick();
        EXPECT_EQ(m.EditorSkipUnchanged, c.skip);
    }
}

TEST_F(ProjectModelTest, ItemWithDeletedTargetIsSkippedWithMessages) {
    const std::string gone = dir.MakeDir("gone");
    const std::string file =
        dir.Put("p.pmp", ItemSection(1, src1, "Yes", tgt) + ItemSection(2, src2, "Yes", gone) +
                             ItemSection(3, src3, "No", tgt));
    std::filesystem::remove(gone);
    ASSERT_TRUE(model.LoadProjectFile(file));
    EXPECT_EQ(Sources(), (std::vector<std::string>{src1, src3}));
    EXPECT_EQ(model.SkippedItems, 1);
    EXPECT_TRUE(
        log.Has("Invalid value of key \"TargetDirectory\". Specified directory \"" + gone + "\" not found!"))
        << log.Dump();
    EXPECT_EQ(log.CountContaining("Can't add item 2. Error founded. Section skipped!"), 1);
    EXPECT_TRUE(model.ProjectOpen);
}

TEST_F(ProjectModelTest, ValidateRecordReportsEveryMissingPath) {
    PrItemRec item{dir.Path("nosrc/"), true, dir.Path("notgt/"), dir.Path("no.pms")};
    EXPECT_FALSE(TProjectModel::PR_ValidateRecord(&item));
    EXPECT_FALSE(TProjectModel::PR_ValidateRecord(nullptr));
    EXPECT_TRUE(log.Has("Invalid value of key \"SourceDirectory\". Specified directory \"" +
                        item.SourceDirectory + "\" not found!"));
    EXPECT_TRUE(log.Has("Invalid value of key \"TargetDirectory\". Specified directory \"" +
                        item.TargetDirectory + "\" not found!"));
    EXPECT_TRUE(log.Has("Invalid value of key \"ScenarioFileName\". Specified file \"" +
                        item.ScenarioFileName + "\" not found!"));
    item = Item(src1);
    item.ScenarioFileName = src2;  // a directory is not a scenario file
    EXPECT_FALSE(TProjectModel::PR_ValidateRecord(&item));
    EXPECT_TRUE(TProjectModel::PR_ValidateRecord(&(item = Item(src1))));
}

TEST_F(ProjectModelTest, SectionNumbersFollowTheSectionCount) {
    // Two sections: Item1 and Item2 are read; Item3 never is, even when valid.
    const std::string file =
        dir.Put("p.pmp", ItemSection(1, src1, "Yes", tgt) + ItemSection(3, src3, "Yes", tgt));
    ASSERT_TRUE(model.LoadProjectFile(file));
    EXPECT_EQ(Sources(), (std::vector<std::string>{src1}));
    EXPECT_EQ(log.CountContaining("Can't found item 2 Skipped."), 1) << log.Dump();
}

// The command line reads projects without the model: the same items, the
// same skipped count and the same log, whatever the file holds.
TEST_F(ProjectModelTest, ReadProjectFileReadsWhatTheModelOpens) {
    const std::string gone = dir.Path("gone/");
    const struct {
        const char* name;
        std::string text;  // empty: no file
    } cases[] = {
        {"good", ItemSection(1, src1, "Yes", tgt) + ItemSection(2, src2, "No", tgt)},
        {"skipped", ItemSection(1, src1, "Yes", gone) + ItemSection(3, src3, "Yes", tgt)},
        {"no sections", "Key=1\n"},
        {"missing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = c.text.empty() ? dir.Path("missing.pmp") : dir.Put("p.pmp", c.text);
        log.Clear();
        TProjectModel m(dialogs, view);
        const bool opened = m.LoadProjectFile(file);
        const std::vector<std::string> modelLog = log.Texts();
        log.Clear();
        TProjectFile project;
        EXPECT_EQ(ReadProjectFile(file, project), opened);
        EXPECT_EQ(log.Texts(), modelLog);
        EXPECT_EQ(project.SkippedItems, m.SkippedItems);
        ASSERT_EQ(project.Items.size(), m.Items.size());
        for (std::size_t i = 0; i < m.Items.size(); ++i) {
            EXPECT_EQ(project.Items[i].SourceDirectory, m.Items[i].SourceDirectory);
            EXPECT_EQ(project.Items[i].SourceScanSubDir, m.Items[i].SourceScanSubDir);
        }
    }
}

TEST_F(ProjectModelTest, FileWithoutSectionsOpensNothing) {
    const std::string file = dir.Put("empty.pmp", "; nothing here\nKey=1\n");
    EXPECT_FALSE(model.LoadProjectFile(file));
    EXPECT_FALSE(model.LoadProjectFile(dir.Path("missing.pmp")));
    EXPECT_EQ(log.Count("Can't found valid data inside file!"), 2);
    EXPECT_FALSE(model.ProjectOpen);
}

TEST_F(ProjectModelTest, HandEditedDirectoriesGetTheirSeparator) {
    std::string s1 = src1, t = tgt;
    s1.pop_back();
    t.pop_back();
    const std::string file = dir.Put("p.pmp", ItemSection(1, s1, "Yes", t));
    ASSERT_TRUE(model.LoadProjectFile(file));
    ASSERT_EQ(model.Items.size(), 1u);
    EXPECT_EQ(model.Items[0].SourceDirectory, src1);
    EXPECT_EQ(model.Items[0].TargetDirectory, tgt);
}

TEST_F(ProjectModelTest, NothingToSaveLeavesTheFileAlone) {
    const std::string file = dir.Put("p.pmp", "[Item1]\nSourceDirectory=\"keep\"\n");
    model.ProjectFileName = file;
    model.PR_Save();
    EXPECT_TRUE(log.Has("No items for saving."));
    EXPECT_EQ(TTempDir::Read(file), "[Item1]\nSourceDirectory=\"keep\"\n");
    EXPECT_FALSE(std::filesystem::exists(file + ".bak"));
}

TEST_F(ProjectModelTest, BackupThatCannotBeDeletedStopsTheSave) {
    const std::string file = dir.Put("p.pmp", "old");
    dir.Put("p.pmp.bak/blocker", "x");  // a non-empty directory cannot be deleted as a file
    model.Items = {Item(src1)};
    model.ProjectFileName = file;
    model.PR_Save();
    EXPECT_TRUE(log.Has("Can't delete old backup copy!"));
    EXPECT_EQ(TTempDir::Read(file), "old");
}

TEST_F(ProjectModelTest, WriteErrorIsReported) {
    model.Items = {Item(src1)};
    model.ProjectFileName = dir.Path("no/such/folder/p.pmp");
    model.PR_Save();
    EXPECT_EQ(log.CountContaining(" Can't save project!"), 1) << log.Dump();
    EXPECT_FALSE(std::filesystem::exists(model.ProjectFileName));
}

TEST_F(ProjectModelTest, DeleteMovesTheSelection) {
    const struct {
        int count, deleted, selected;
        std::vector<int> left;  // indices into {src1, src2, src3}
    } cases[] = {
        {3, 2, 1, {0, 1}},  // the last: the new last line
        {3, 0, 0, {1, 2}},  // the first: the new first line
        {3, 1, 1, {0, 2}},
        {1, 0, -1, {}},  // the only one: no selection
    };
    const std::string srcs[] = {src1, src2, src3};
    for (const auto& c : cases) {
        model.Items.clear();
        for (int i = 0; i < c.count; ++i) model.Items.push_back(Item(srcs[i]));
        model.Selected = c.deleted;
        model.PR_DeleteClick();
        std::vector<std::string> expected;
        for (int i : c.left) expected.push_back(srcs[i]);
        EXPECT_EQ(Sources(), expected) << "delete " << c.deleted << " of " << c.count;
        EXPECT_EQ(model.Selected, c.selected) << "delete " << c.deleted << " of " << c.count;
    }
    model.Selected = -1;
    model.Items = {Item(src1)};
    model.PR_DeleteClick();  // nothing selected: nothing deleted
    EXPECT_EQ(model.Items.size(), 1u);
    model.PR_DeleteItem(5);
    EXPECT_TRUE(log.Has("Can't delete item 5"));
}

TEST_F(ProjectModelTest, AddInsertsBelowTheSelectionUnlessItIsTheLast) {
    const struct {
        int selected;
        int position;
    } cases[] = {{2, 3}, {0, 1}, {1, 2}, {-1, 3}};
    const std::string extra = dir.MakeDir("extra");
    for (const auto& c : cases) {
        model.Items = {Item(src1), Item(src2), Item(src3)};
        model.Selected = c.selected;
        SetEditor(Item(extra, false));
        model.PR_AddClick();
        ASSERT_EQ(model.Items.size(), 4u);
        EXPECT_EQ(model.Items[static_cast<std::size_t>(c.position)].SourceDirectory, extra) << c.selected;
        EXPECT_FALSE(model.Items[static_cast<std::size_t>(c.position)].SourceScanSubDir);
        EXPECT_EQ(model.Selected, c.position);
    }
    model.Items.clear();
    model.Selected = -1;
    SetEditor({extra, true, tgt, dir.Path("missing.pms")});  // no scenario: "Add item" is disabled
    EXPECT_FALSE(model.Buttons.Add);
    model.PR_AddClick();
    EXPECT_TRUE(model.Items.empty());
}

TEST_F(ProjectModelTest, ReplaceUpAndDownKeepTheEditorInStep) {
    model.Items = {Item(src1), Item(src2), Item(src3)};
    model.Selected = -1;
    model.PR_DownClick();  // no selection: nothing happens
    EXPECT_EQ(Sources(), (std::vector<std::string>{src1, src2, src3}));
    EXPECT_EQ(model.Selected, -1);

    model.Selected = 0;
    model.PR_UpClick();  // already first
    model.PR_DownClick();
    EXPECT_EQ(Sources(), (std::vector<std::string>{src2, src1, src3}));
    EXPECT_EQ(model.Selected, 1);
    EXPECT_EQ(model.EditorSourceDirectory, src1);
    model.Selected = 2;
    model.PR_DownClick();  // already last
    model.PR_UpClick();
    EXPECT_EQ(Sources(), (std::vector<std::string>{src2, src3, src1}));
    EXPECT_EQ(model.Selected, 1);

    SetEditor(Item(src1, false));
    model.PR_ReplaceClick();
    EXPECT_EQ(Sources(), (std::vector<std::string>{src2, src1, src1}));
    EXPECT_FALSE(model.Items[1].SourceScanSubDir);
}

TEST_F(ProjectModelTest, ButtonStates) {
    const struct {
        int count, selected;
        bool run, up, down, del;
    } cases[] = {
        {0, -1, false, false, false, false}, {1, 0, true, false, false, true},
        {2, -1, true, true, true, false},    {2, 0, true, false, true, true},
        {2, 1, true, true, false, true},     {3, 1, true, true, true, true},
    };
    SetEditor(Item(src1));
    for (const auto& c : cases) {
        model.Items.assign(static_cast<std::size_t>(c.count), Item(src1));
        model.Selected = c.selected;
        model.UpdateProjectButtons();
        EXPECT_EQ(model.Buttons.RunProject, c.run) << c.count << "/" << c.selected;
        EXPECT_EQ(model.Buttons.Up, c.up) << c.count << "/" << c.selected;
        EXPECT_EQ(model.Buttons.Down, c.down) << c.count << "/" << c.selected;
        EXPECT_EQ(model.Buttons.Delete, c.del) << c.count << "/" << c.selected;
        EXPECT_TRUE(model.Buttons.Add);
        EXPECT_EQ(model.Buttons.Replace, c.selected >= 0);
    }
    SetEditor({src1, true, "", scenario});
    EXPECT_FALSE(model.Buttons.Add);
    EXPECT_FALSE(model.Buttons.Replace);
}

TEST_F(ProjectModelTest, ItemListClickShowsOnlyPathsThatExist) {
    model.Items = {{dir.Path("gone/"), false, tgt, dir.Path("gone.pms")}};
    model.Selected = 0;
    model.PR_ItemListClick();
    EXPECT_EQ(model.EditorSourceDirectory, "");
    EXPECT_FALSE(model.EditorScanSubDir);
    EXPECT_EQ(model.EditorTargetDirectory, tgt);
    EXPECT_EQ(model.EditorScenarioFileName, "");
}

TEST_F(ProjectModelTest, OpenAsksBeforeClosingAndLogsACancel) {
    model.MM_PrNewClick();
    EXPECT_TRUE(model.ProjectOpen);
    model.Items = {Item(src1)};

    dialogs.No();
    model.MM_PrOpenClick();
    ASSERT_EQ(dialogs.Questions.size(), 1u);
    EXPECT_EQ(dialogs.Questions[0].Text, "Some project already opened.\r\nOpen other?");
    EXPECT_EQ(dialogs.Questions[0].Caption, "Confirmation");
    EXPECT_FALSE(dialogs.Questions[0].DefaultYes);
    EXPECT_TRUE(model.ProjectOpen);
    EXPECT_EQ(model.Items.size(), 1u);
    EXPECT_TRUE(dialogs.FileRequests.empty());

    dialogs.Yes().Cancel();
    model.MM_PrOpenClick();
    EXPECT_FALSE(model.ProjectOpen);
    EXPECT_TRUE(model.Items.empty());
    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(dialogs.FileRequests[0].Title, "Select project filename ...");
    EXPECT_EQ(dialogs.FileRequests[0].Filter, "PM project files (*.pmp)|*.pmp");
    EXPECT_EQ(dialogs.FileRequests[0].DefaultExt, ".pmp");
    ASSERT_FALSE(log.Messages.empty());
    EXPECT_EQ(log.Messages.back().Text(), "Opening project ...Abort!");
}

TEST_F(ProjectModelTest, OpenAndSaveAsThroughTheDialogs) {
    const std::string file = dir.Put("p.pmp", ItemSection(1, src1, "No", tgt));
    dialogs.File(file);
    model.InitialDir = "/somewhere/";
    model.MM_PrOpenClick();
    EXPECT_EQ(dialogs.FileRequests.at(0).InitialDir, "/somewhere/");
    ASSERT_TRUE(model.ProjectOpen);
    EXPECT_EQ(model.ProjectFileName, file);
    EXPECT_EQ(model.InitialDir, dir.Dir());

    const std::string copy = dir.Path("copy.pmp");
    dialogs.File(copy);
    model.ProgramDir = "/program/";
    model.MM_PrSaveAsClick();
    EXPECT_EQ(dialogs.FileRequests.at(1).Title, "Enter project filename ...");
    EXPECT_EQ(dialogs.FileRequests.at(1).InitialDir, "/program/");
    EXPECT_EQ(model.ProjectFileName, copy);
    EXPECT_EQ(TTempDir::Read(copy), TTempDir::Read(file));

    dialogs.Cancel();
    model.MM_PrSaveAsClick();  // nothing changes
    EXPECT_EQ(model.ProjectFileName, copy);
    EXPECT_EQ(log.Messages.back().Text(), "Saving project as ...Abort!");

    dialogs.Yes();
    model.MM_PrCloseClick();
    EXPECT_FALSE(model.ProjectOpen);
    EXPECT_EQ(dialogs.Questions.back().Text, "Some project already opened.\r\nClose current project?");
}

// Closing logs its steps on two lines, then the menus follow and the
// scenario page shows when a scenario is open.
TEST_F(ProjectModelTest, CloseLogsItsStepsAndShowsTheOtherPage) {
    const std::pair<bool, const char*> cases[] = {{false, "HidePageArea"}, {true, "ShowScenarioPage"}};
    for (const auto& [scenarioOpen, page] : cases) {
        test::TRecordingMainView recording;
        recording.scenarioOpen = scenarioOpen;
        TProjectModel closing(dialogs, recording);
        closing.MM_PrNewClick();
        closing.Items = {Item(src1), Item(src2)};
        log.Clear();
        recording.Calls.clear();
        dialogs.Yes();
        closing.MM_PrCloseClick();
        EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Closing the current project ...",
                                                         "Clearing the \"project\" resources ...Ok"}));
        EXPECT_TRUE(closing.Items.empty());
        ASSERT_GE(recording.Calls.size(), 2u);
        EXPECT_EQ(recording.Calls.end()[-2], "UpdateMenus");
        EXPECT_EQ(recording.Calls.back(), page);
    }
}

}  // namespace
}  // namespace pm
