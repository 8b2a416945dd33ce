#include "tasks/PM__TLoadFromFile.h"

#include "app/MemoryEditorPage.h"
#include "support/RecordingConsole.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

constexpr const char* kList = "FileType_LV";

std::vector<bool> Ticks(TMemoryEditorPage& page) {
    std::vector<bool> t;
    for (int i = 0; i < page.RowCount(kList); ++i) t.push_back(page.GetRowChecked(kList, i));
    return t;
}

TEST(TLoadFromFile, EditorListHasOneRowPerFormat) {
    TLoadFromFile task;
    TMemoryEditorPage page;
    page.AddRow(kList, {"stale"});
    task.PrepareEditor(page);
    const auto& rows = page.rows[kList];
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0].columns, (std::vector<std::string>{"Autodesk images files", "CEL, PIC"}));
    EXPECT_EQ(rows[9].columns, (std::vector<std::string>{"Portable pixel/gray map images", "PPM, PGM, PBM"}));
    EXPECT_EQ(rows[12].columns,
              (std::vector<std::string>{"Standard JPEG (JFIF) images", "JPG, JPEG, JPE, JFIF"}));
    EXPECT_EQ(rows[19].columns, (std::vector<std::string>{"ZSoft Paintbrush images", "PCX, PCC"}));
}

TEST(TLoadFromFile, UntickingRowNineTurnsOffOnlyPortable) {
    TLoadFromFile task;
    TMemoryEditorPage page;
    task.PrepareEditor(page);
    task.ShowSettings(page, vsCurrent);
    EXPECT_EQ(Ticks(page), std::vector<bool>(20, true));
    page.SetRowChecked(kList, 9, false);
    EXPECT_TRUE(task.SettingsChanged(page));
    task.ReadSettings(page, vsCurrent);
    for (int i = 0; i < 20; ++i) {
        const TFileFormat& f = *task.Formats[static_cast<std::size_t>(i)];
        EXPECT_EQ(f.Enabled.GetValue(vsCurrent), i != 9) << f.Enabled.Name;
    }
    EXPECT_EQ(task.Formats[9]->Enabled.Name, "Portable");
}

TEST(TLoadFromFile, ExtensionListsFollowTheSlot) {
    TLoadFromFile task;
    for (auto& f : task.Formats) f->Enabled.SetValue(f->Enabled.Name == "JPEG", vsEdited);
    task.BuildExtensionLists(vsEdited);
    EXPECT_EQ(task.EnabledExtensions, (std::vector<std::string>{"JPG", "JPEG", "JPE", "JFIF"}));
    ASSERT_EQ(task.AllExtensions.size(), 41u);
    EXPECT_EQ(task.AllExtensions[0], "CEL");
    EXPECT_EQ(task.AllExtensions[2], "GIF");
    EXPECT_EQ(task.AllExtensions[40], "PCC");
    task.BuildExtensionLists(vsCurrent);  // the current values still enable everything
    EXPECT_EQ(task.EnabledExtensions, task.AllExtensions);
    for (auto& f : task.Formats) f->Enabled.SetValue(false, vsCurrent);
    task.BuildExtensionLists(vsCurrent);
    EXPECT_TRUE(task.EnabledExtensions.empty());
    EXPECT_EQ(task.AllExtensions.size(), 41u);  // rebuilt, not appended
}

std::vector<bool> Only(std::initializer_list<int> rows, bool others = false) {
    std::vector<bool> t(20, others);
    for (int r : rows) t[static_cast<std::size_t>(r)] = !others;
    return t;
}
std::vector<bool> AllBut(std::initializer_list<int> rows) {
    return Only(rows, true);
}

TEST(TLoadFromFile, SelectClearInvertAndTheConfirmButton) {
    struct Case {
        std::vector<bool> before;
        int tag;
        std::vector<bool> after;
        bool enabled;
    };
    const Case cases[] = {
        {Only({}), 1, AllBut({}), true},          // select
        {Only({3, 7}), 2, Only({}), false},       // clear
        {Only({3, 7}), 3, AllBut({3, 7}), true},  // invert
        {AllBut({}), 3, Only({}), false},         // inverting all ticked rows leaves none
        {Only({5}), 9, Only({5}), true},          // an unknown tag only checks the list
    };
    for (const Case& c : cases) {
        TLoadFromFile task;
        TMemoryEditorPage page;
        task.PrepareEditor(page);
        for (int i = 0; i < 20; ++i) page.SetRowChecked(kList, i, c.before[static_cast<std::size_t>(i)]);
        TLoadFromFile::SelectClearInvert(page, c.tag);
        EXPECT_EQ(Ticks(page), c.after) << c.tag;
        EXPECT_EQ(page.enabled["btn1"], c.enabled) << c.tag;
    }
}

TEST(TLoadFromFile, ListClickEnablesConfirmOnlyWithATickedRow) {
    TLoadFromFile task;
    TMemoryEditorPage page;
    task.PrepareEditor(page);
    page.SetRowChecked(kList, 19, true);
    TLoadFromFile::CheckListState(page);
    EXPECT_TRUE(page.enabled["btn1"]);
    page.SetRowChecked(kList, 19, false);
    TLoadFromFile::CheckListState(page);
    EXPECT_FALSE(page.enabled["btn1"]);
}

TEST(TLoadFromFile, MissingKeyKeepsItsFlagAndTheRestIsRead) {
    test::TLogRecorder log;
    TLoadFromFile task;
    TINIObject ini;
    for (const auto& f : task.Formats)
        if (f->Enabled.Name != "EPS") ini.AddRecord(f->Enabled.Name, "No");
    task.LoadSettings(ini);
    for (const auto& f : task.Formats) EXPECT_EQ(f->Enabled.GetValue(vsCurrent), f->Enabled.Name == "EPS");
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Could't read variable \"EPS\""});
}

}  // namespace
}  // namespace pm
