#include "tasks/PM__TLoadFromFile.h"

#include "app/MemoryEditorPage.h"
#include "core/PM_Utils.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"
#include "tasks/PM__TSaveToFile.h"

#include <gtest/gtest.h>

#include <fstream>

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
    ASSERT_EQ(rows.size(), 22u);
    EXPECT_EQ(rows[0].columns, (std::vector<std::string>{"Autodesk images files", "CEL, PIC"}));
    EXPECT_EQ(rows[9].columns, (std::vector<std::string>{"Portable pixel/gray map images", "PPM, PGM, PBM"}));
    EXPECT_EQ(rows[12].columns,
              (std::vector<std::string>{"Standard JPEG (JFIF) images", "JPG, JPEG, JPE, JFIF"}));
    EXPECT_EQ(rows[19].columns, (std::vector<std::string>{"ZSoft Paintbrush images", "PCX, PCC"}));
    EXPECT_EQ(rows[20].columns, (std::vector<std::string>{"HEIF and AVIF images", "HEIC, HEIF, AVIF"}));
    EXPECT_EQ(rows[21].columns, (std::vector<std::string>{"WebP images", "WEBP"}));
}

TEST(TLoadFromFile, UntickingRowNineTurnsOffOnlyPortable) {
    TLoadFromFile task;
    TMemoryEditorPage page;
    task.PrepareEditor(page);
    task.ShowSettings(page, vsCurrent);
    EXPECT_EQ(Ticks(page), std::vector<bool>(22, true));
    page.SetRowChecked(kList, 9, false);
    EXPECT_TRUE(task.SettingsChanged(page));
    task.ReadSettings(page, vsCurrent);
    for (int i = 0; i < 22; ++i) {
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
    ASSERT_EQ(task.AllExtensions.size(), 45u);
    EXPECT_EQ(task.AllExtensions[0], "CEL");
    EXPECT_EQ(task.AllExtensions[2], "GIF");
    EXPECT_EQ(task.AllExtensions[40], "PCC");
    EXPECT_EQ(std::vector<std::string>(task.AllExtensions.begin() + 41, task.AllExtensions.end()),
              (std::vector<std::string>{"HEIC", "HEIF", "AVIF", "WEBP"}));
    task.BuildExtensionLists(vsCurrent);  // the current values still enable everything
    EXPECT_EQ(task.EnabledExtensions, task.AllExtensions);
    for (auto& f : task.Formats) f->Enabled.SetValue(false, vsCurrent);
    task.BuildExtensionLists(vsCurrent);
    EXPECT_TRUE(task.EnabledExtensions.empty());
    EXPECT_EQ(task.AllExtensions.size(), 45u);  // rebuilt, not appended
}

std::vector<bool> Only(std::initializer_list<int> rows, bool others = false) {
    std::vector<bool> t(22, others);
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
        for (int i = 0; i < 22; ++i) page.SetRowChecked(kList, i, c.before[static_cast<std::size_t>(i)]);
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

// The keys of the first release, as a scenario file written then holds them.
const char* const kFirstReleaseKeys[] = {"Autodesk",   "CompuServe",   "DrHalo",    "EPS",    "FAX",
                                         "Kodak",      "Paintshop",    "Photoshop", "PNG",    "Portable",
                                         "SGIimages",  "SGIWavefront", "JPEG",      "Bitmap", "TIFF",
                                         "Truevision", "Icons",        "Metafiles", "Word5",  "Paintbrush"};

// Formats added later have optional keys: a file without them loads
// silently with them on, one that has them is read, and a missing key of the
// first release still logs.
TEST(TLoadFromFile, KeysAddedLaterAreOptional) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> extra;  // added to the 20 old keys ("No")
        const char* dropped;                                     // an old key left out, or null
        bool heif, webp;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"file of the first release", {}, nullptr, true, true, {}},
        {"new keys stored", {{"HEIF", "No"}, {"webp", "Yes"}}, nullptr, false, true, {}},
        {"old key missing", {}, "TIFF", true, true, {"Could't read variable \"TIFF\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TLogRecorder log;
        TLoadFromFile task;
        // Flags a run had switched off come back to their default, not left as they were.
        for (auto& f : task.Formats) f->Enabled.SetValue(false, vsCurrent);
        TINIObject ini;
        for (const char* key : kFirstReleaseKeys)
            if (!c.dropped || std::string(key) != c.dropped) ini.AddRecord(key, "No");
        for (const auto& [key, value] : c.extra) ini.AddRecord(key, value);
        task.LoadSettings(ini);
        EXPECT_EQ(task.Formats[20]->Enabled.GetValue(vsCurrent), c.heif);
        EXPECT_EQ(task.Formats[21]->Enabled.GetValue(vsCurrent), c.webp);
        for (int i = 0; i < 20; ++i)
            EXPECT_FALSE(task.Formats[static_cast<std::size_t>(i)]->Enabled.GetValue(vsCurrent));
        EXPECT_EQ(log.Texts(), c.log);
    }
}

// A scenario file of the first release, read from disk: no message beyond
// the reader's own, and a batch run over it looks for the new extensions too.
TEST(TLoadFromFile, OldScenarioFileLoadsWithoutNewMessages) {
    test::TTempDir dir;
    const std::string file = dir.Path("old.pms");
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Task1]\r\nTaskName=\"Load\"\r\nTaskType=\"TLoadFromFile\"\r\n";
        for (const char* key : kFirstReleaseKeys) out << key << "=Yes\r\n";
        out << "[Task2]\r\n";
        TSaveToFile save;
        for (const TINIRecord& r : save.SaveSettings("Save").Records())
            out << r.Name << "=" << r.Data << "\r\n";
    }
    test::TLogRecorder log;
    TRunContext ctx;
    TTaskList list;
    ASSERT_TRUE(ReadScenario(ctx, file, list)) << ::testing::PrintToString(log.Texts());
    for (const std::string& text : log.Texts()) EXPECT_EQ(text.find("Could't"), std::string::npos) << text;
    ASSERT_EQ(list.size(), 2u);
    auto& task = static_cast<TLoadFromFile&>(*list[0]->Task);
    task.BuildExtensionLists(vsCurrent);
    EXPECT_EQ(task.EnabledExtensions, task.AllExtensions);
    EXPECT_EQ(task.EnabledExtensions.back(), "WEBP");
    EXPECT_TRUE(task.ApplyOrientation.GetValue(vsCurrent));
}

// A fresh task writes the new keys after the old ones, so a file it writes
// reads back in older order plus the new ones.
TEST(TLoadFromFile, SavesTheNewKeysAfterTheOldOnes) {
    TLoadFromFile task;
    task.Formats[21]->Enabled.SetValue(false, vsCurrent);
    const TINIObject& ini = task.SaveSettings("Load");
    ASSERT_EQ(ini.Count(), 25);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(ini[i + 2].Name, kFirstReleaseKeys[i]);
    EXPECT_EQ(ini[22].Name + "=" + ini[22].Data, "HEIF=Yes");
    EXPECT_EQ(ini[23].Name + "=" + ini[23].Data, "WebP=No");
    EXPECT_EQ(ini[24].Name + "=" + ini[24].Data, "Apply_Orientation=Yes");
}

}  // namespace
}  // namespace pm
