#include "app/ProjectModel.h"

#include "batch/BatchRun.h"
#include "batch/ProjectFile.h"
#include "core/Paths.h"
#include "log/WriteLog.h"

#include <stdexcept>

namespace pm {

const TDocumentKind kProjectKind{"project",
                                 {"Closing the current project ...", "Opening project ...", false},
                                 {kProjectFilter, ".pmp"},
                                 {&IMainView::ScenarioOpen, &IMainView::ShowScenarioPage}};

TProjectModel::TProjectModel(IDialogs& dialogs, IMainView& view)
    : TDocumentModel(kProjectKind, dialogs, view) {}

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
    return {EditorSourceDirectory, EditorScanSubDir, EditorTargetDirectory, EditorScenarioFileName,
            EditorSkipUnchanged};
}

void TProjectModel::ClearProject() {
    RemoveAllLogged([this] {
        while (!Items.empty()) PR_DeleteItem(0);
    });
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
    return item && ValidateProjectItem(*item);
}

void TProjectModel::MM_PrNewClick() {
    if (!PR_CreateNewAllowed("Create new?")) return;
    UpdateProjectButtons();
    LogNew(lmInfo, {{"Creating the new project ...", LogTextColor}});
    ProjectOpen = true;
    view_.ShowProjectPage();
    ProjectFileName.clear();
}

bool TProjectModel::LoadProjectFile(const std::string& fileName) {
    TProjectFile file;
    const bool read = ReadProjectFile(fileName, file);
    SkippedItems = file.SkippedItems;
    if (!read && !file.ItemFailed) return false;
    bool opened = false;
    try {
        for (PrItemRec& item : file.Items) Items.push_back(std::move(item));
        view_.ProjectListChanged();
        if (!read) {
            ClearProject();
            return false;
        }
        ProjectFileName = fileName;
        InitialDir = DirectoryPart(fileName);
        ProjectOpen = true;
        opened = true;
        UpdateProjectButtons();
        view_.ShowProjectPage();
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
    if (std::optional<std::string> file = ChooseFileToOpen()) LoadProjectFile(*file);
    view_.UpdateMenus();
}

void TProjectModel::PR_Save() {
    if (WriteProjectFile(ProjectFileName, Items)) InitialDir = DirectoryPart(ProjectFileName);
}

void TProjectModel::PR_ItemListClick() {
    if (Selected >= 0 && Selected < Count()) {
        const PrItemRec& item = Items[static_cast<std::size_t>(Selected)];
        EditorSourceDirectory = DirectoryBoxValue(item.SourceDirectory);
        EditorScanSubDir = item.SourceScanSubDir;
        EditorSkipUnchanged = item.SkipUnchanged;
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
