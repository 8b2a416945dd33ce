#include "batch/ProjectModel.h"

#include "batch/BatchRun.h"
#include "core/INIObject.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "log/WriteLog.h"

#include <stdexcept>

namespace pm {

TProjectModel::TProjectModel(IDialogs& dialogs, IMainView& view) : dialogs_(dialogs), view_(view) {}

TProjectModel::~TProjectModel() = default;

std::string TProjectModel::DirectoryBoxValue(const std::string& path) {
    if (path.empty()) return {};
    const std::string dir = IncludeTrailingSeparator(path);
    return DirectoryExists(dir) ? dir : std::string();
}

std::string TProjectModel::FileBoxValue(const std::string& path) {
    return FileExists(path) ? path : std::string();
}

PrItemRec TProjectModel::EditorItem() const {
    return {EditorSourceDirectory, EditorScanSubDir, EditorTargetDirectory, EditorScenarioFileName};
}

bool TProjectModel::PR_CreateNewAllowed(const std::string& question) {
    if (!ProjectOpen) return true;
    if (!dialogs_.Confirm("Some project already opened.\r\n" + question, "Confirmation", TMsgIcon::Question,
                          false))
        return false;
    LogNew(lmInfo, {{"Closing the current project ...", LogTextColor}});
    ClearProject();
    ProjectOpen = false;
    LogAppend(lmInfo, {{"Ok", LogDoneColor}});
    view_.UpdateMenus();
    if (view_.ScenarioOpen())
        view_.ShowScenarioPage();
    else
        view_.HidePageArea();
    return true;
}

void TProjectModel::ClearProject() {
    LogNew(lmInfo, {{"Clearing the \"project\" resources ...", LogTextColor}});
    try {
        while (!Items.empty()) PR_DeleteItem(0);
    } catch (const std::exception&) {
        LogError("Can't clear resources");
    }
    UpdateProjectButtons();
}

void TProjectModel::Shutdown() {
    ClearProject();
    ProjectOpen = false;
}

void TProjectModel::PR_DeleteItem(int index) {
    if (index < 0 || index >= Count()) {
        LogNew(lmError, {{"Can't delete item ", LogErrorColor}, {std::to_string(index), LogValueColor}});
        return;
    }
    Items.erase(Items.begin() + index);
    if (Items.empty())
        Selected = -1;
    else if (index >= Count())
        Selected = Count() - 1;
    else
        Selected = index;
    view_.ProjectListChanged();
}

bool TProjectModel::PR_ValidateRecord(const PrItemRec* item) {
    if (!item) return false;
    try {
        auto report = [](const char* key, const char* what, const std::string& path) {
            LogNew(lmError, {{std::string("Invalid value of key \"") + key + "\". Specified " + what + " \"",
                              LogErrorColor},
                             {path, LogValueColor},
                             {"\" not found!", LogErrorColor}});
        };
        bool ok = true;
        if (!DirectoryExists(item->SourceDirectory)) {
            report("SourceDirectory", "directory", item->SourceDirectory);
            ok = false;
        }
        if (!DirectoryExists(item->TargetDirectory)) {
            report("TargetDirectory", "directory", item->TargetDirectory);
            ok = false;
        }
        if (!FileExists(item->ScenarioFileName)) {
            report("ScenarioFileName", "file", item->ScenarioFileName);
            ok = false;
        }
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

void TProjectModel::MM_PrNewClick() {
    if (!PR_CreateNewAllowed("Create new?")) return;
    UpdateProjectButtons();
    LogNew(lmInfo, {{"Creating the new project ...", LogTextColor}});
    ProjectOpen = true;
    view_.ShowProjectPage();
    ProjectFileName.clear();
}

// Directory values written by hand may lack the trailing separator; the scan
// and the target names rely on it, so it is added when the item is read.
static std::string ReadDirectory(const TIniFile& ini, const std::string& section, const std::string& key) {
    std::string dir = ini.ReadString(section, key, "");
    return dir.empty() ? dir : IncludeTrailingSeparator(dir);
}

bool TProjectModel::ReadItem(const TIniFile& ini, int n) {
    const std::string section = "Item" + std::to_string(n);
    if (!ini.SectionExists(section)) {
        LogNew(lmError, {{"Can't found item ", LogErrorColor},
                         {std::to_string(n), LogValueColor},
                         {" Skipped.", LogErrorColor}});
        ++SkippedItems;
        return true;
    }
    try {
        PrItemRec item;
        item.SourceDirectory = ReadDirectory(ini, section, "SourceDirectory");
        item.SourceScanSubDir = StringToBool(ini.ReadString(section, "SourceScanSubDir", "YES"));
        item.TargetDirectory = ReadDirectory(ini, section, "TargetDirectory");
        item.ScenarioFileName = ini.ReadString(section, "ScenarioFileName", "");
        if (PR_ValidateRecord(&item)) {
            Items.push_back(std::move(item));
        } else {
            LogNew(lmError, {{"Can't add item ", LogErrorColor},
                             {std::to_string(n), LogValueColor},
                             {". Error founded. Section skipped!", LogErrorColor}});
            ++SkippedItems;
        }
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't read item " + std::to_string(n));
        return false;
    }
    return true;
}

bool TProjectModel::LoadProjectFile(const std::string& fileName) {
    SkippedItems = 0;
    bool opened = false;
    try {
        LogNew(lmInfo, {{"Loading project file \"", LogTextColor},
                        {fileName, LogValueColor},
                        {"\" ... ", LogTextColor}});
        TIniFile ini(fileName);
        const std::vector<std::string> sections = ini.ReadSections();
        if (sections.empty()) {
            LogError("Can't found valid data inside file!");
            return false;
        }
        const int count = static_cast<int>(sections.size());
        bool failed = false;
        for (int n = 1; n <= count; ++n)
            if (!ReadItem(ini, n)) failed = true;
        view_.ProjectListChanged();
        if (failed) {
            LogError("Can't load project!");
            ClearProject();
            return false;
        }
        ProjectFileName = fileName;
        InitialDir = DirectoryPart(fileName);
        ProjectOpen = true;
        opened = true;
        UpdateProjectButtons();
        view_.ShowProjectPage();
        LogAppend(lmInfo, {{"Complete", LogDoneColor}});
        if (!Items.empty()) {
            Selected = 0;
            view_.ProjectListChanged();
            view_.ProcessMessages();
            PR_ItemListClick();
        }
    } catch (const std::exception& e) {
        LogError(e.what());
    }
    return opened;
}

void TProjectModel::MM_PrOpenClick() {
    if (!PR_CreateNewAllowed("Open other?")) return;
    LogNew(lmInfo, {{"Opening project ...", LogTextColor}});
    std::optional<std::string> file =
        dialogs_.OpenFile("Select project filename ...", InitialDir, kProjectFilter, ".pmp");
    if (!file)
        LogAppend(lmWarning, {{"Abort!", LogErrorColor}});
    else
        LoadProjectFile(*file);
    view_.UpdateMenus();
}

void TProjectModel::MM_PrSaveClick() {
    if (!ProjectFileName.empty())
        PR_Save();
    else
        MM_PrSaveAsClick();
}

void TProjectModel::MM_PrSaveAsClick() {
    LogNew(lmInfo, {{"Saving project as ...", LogTextColor}});
    std::optional<std::string> file =
        dialogs_.SaveFile("Enter project filename ...", ProgramDir, kProjectFilter, ".pmp");
    if (!file) {
        LogAppend(lmWarning, {{"Abort!", LogErrorColor}});
        return;
    }
    ProjectFileName = *file;
    PR_Save();
}

// Values are written in double quotes on one line; a line break inside a
// path cannot be stored in that form.
static std::string QuotedPath(const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos)
        throw std::runtime_error("Line break inside a path.");
    return Quoted(value);
}

void TProjectModel::PR_Save() {
    LogNew(lmInfo, {{"Saving project file \"", LogTextColor},
                    {ProjectFileName, LogValueColor},
                    {"\" ...", LogTextColor}});
    if (Items.empty()) {
        LogNew(lmWarning, {{"No items for saving.", LogTextColor}});
        return;
    }
    const std::string backup = ProjectFileName + ".bak";
    if (!DeleteFileIfExists(backup)) {
        LogError("Can't delete old backup copy!");
        return;
    }
    if (FileExists(ProjectFileName) && !CopyFileOver(ProjectFileName, backup)) {
        LogError("Can't create backup copy!");
        return;
    }
    try {
        TIniFile ini(ProjectFileName);
        for (const std::string& s : ini.ReadSections()) ini.EraseSection(s);
        bool faulty = false;
        for (int i = 0; i < Count(); ++i) {
            try {
                const PrItemRec& item = Items[static_cast<std::size_t>(i)];
                const std::string section = "Item" + std::to_string(i + 1);
                const std::string source = QuotedPath(item.SourceDirectory);
                const std::string target = QuotedPath(item.TargetDirectory);
                const std::string scenario = QuotedPath(item.ScenarioFileName);
                ini.WriteString(section, "SourceDirectory", source);
                ini.WriteString(section, "SourceScanSubDir", BoolToString(item.SourceScanSubDir));
                ini.WriteString(section, "TargetDirectory", target);
                ini.WriteString(section, "ScenarioFileName", scenario);
            } catch (const std::exception& e) {
                LogError(std::string(e.what()) + " Can't save item " + std::to_string(i));
                faulty = true;
            }
        }
        ini.UpdateFile();
        if (!DeleteFileIfExists(backup)) {
            LogError("Can't remove backup copy!");
            faulty = true;
        }
        if (faulty) {
            LogAppend(lmError, {{"Error(s)!", LogErrorColor}});
        } else {
            LogAppend(lmInfo, {{"Complete.", LogTextColor}});
            InitialDir = DirectoryPart(ProjectFileName);
        }
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't save project!");
    }
}

void TProjectModel::PR_ItemListClick() {
    if (Selected >= 0 && Selected < Count()) {
        const PrItemRec& item = Items[static_cast<std::size_t>(Selected)];
        EditorSourceDirectory = DirectoryBoxValue(item.SourceDirectory);
        EditorScanSubDir = item.SourceScanSubDir;
        EditorTargetDirectory = DirectoryBoxValue(item.TargetDirectory);
        EditorScenarioFileName = FileBoxValue(item.ScenarioFileName);
        view_.ProjectEditorChanged();
    }
    UpdateProjectButtons();
    view_.UpdateMenus();
}

void TProjectModel::PR_AddClick() {
    UpdateProjectButtons();
    if (!Buttons.Add) return;
    int pos = Count();
    if (Selected >= 0 && Selected < Count() - 1) pos = Selected + 1;
    Items.insert(Items.begin() + pos, EditorItem());
    Selected = pos;
    view_.ProjectListChanged();
    PR_ItemListClick();
}

void TProjectModel::PR_ReplaceClick() {
    UpdateProjectButtons();
    if (!Buttons.Replace || Selected < 0 || Selected >= Count()) return;
    Items[static_cast<std::size_t>(Selected)] = EditorItem();
    view_.ProjectListChanged();
    PR_ItemListClick();
}

void TProjectModel::PR_UpClick() {
    UpdateProjectButtons();
    if (!Buttons.Up || Selected <= 0 || Selected >= Count()) return;
    std::swap(Items[static_cast<std::size_t>(Selected)], Items[static_cast<std::size_t>(Selected - 1)]);
    --Selected;
    view_.ProjectListChanged();
    PR_ItemListClick();
}

void TProjectModel::PR_DownClick() {
    UpdateProjectButtons();
    if (!Buttons.Down || Selected < 0 || Selected >= Count() - 1) return;
    std::swap(Items[static_cast<std::size_t>(Selected)], Items[static_cast<std::size_t>(Selected + 1)]);
    ++Selected;
    view_.ProjectListChanged();
    PR_ItemListClick();
}

void TProjectModel::PR_DeleteClick() {
    UpdateProjectButtons();
    if (!Buttons.Delete || Selected < 0) return;
    PR_DeleteItem(Selected);
    PR_ItemListClick();
}

void TProjectModel::UpdateProjectButtons() {
    const int count = Count();
    const bool selected = Selected >= 0 && Selected < count;
    Buttons.RunProject = count >= 1 && !Running;
    Buttons.Up = count >= 2 && Selected != 0;
    Buttons.Down = count >= 2 && Selected != count - 1;
    const bool complete = DirectoryExists(EditorSourceDirectory) && DirectoryExists(EditorTargetDirectory) &&
                          FileExists(EditorScenarioFileName);
    Buttons.Add = complete;
    Buttons.Replace = complete && selected;
    Buttons.Delete = selected;
    view_.UpdateProjectButtons();
}

std::unique_ptr<TBatchRun> TProjectModel::BeginRun() {
    UpdateProjectButtons();
    if (!Buttons.RunProject) return nullptr;
    Running = true;
    UpdateProjectButtons();
    auto run = std::make_unique<TBatchRun>(Items);
    run->Jobs = Jobs;
    return run;
}

void TProjectModel::EndRun(std::unique_ptr<TBatchRun> run) {
    LastRun = std::move(run);
    Running = false;
    UpdateProjectButtons();
}

}  // namespace pm
