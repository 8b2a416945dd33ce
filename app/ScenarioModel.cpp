#include "app/ScenarioModel.h"

#include "core/EditorPage.h"
#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/ScenarioFile.h"
#include "log/WriteLog.h"

namespace pm {

TScenarioModel::TScenarioModel(TRunContext& ctx, const TTaskInfoList& taskInfos, IDialogs& dialogs,
                               IMainView& view, IEditorPage& editor)
    : ctx_(ctx), taskInfos_(taskInfos), dialogs_(dialogs), view_(view), editor_(&editor) {}

bool TScenarioModel::SC_CreateNewAllowed(const std::string& question) {
    if (!ScenarioOpen) return true;
    if (!dialogs_.Confirm("Some scenario already opened.\r\n" + question, "Confirmation", TMsgIcon::Question,
                          false))
        return false;
    LogNew(lmInfo, {{"Closing the current scenario ... ", LogTextColor}});
    ClearScenario();
    ScenarioOpen = false;
    LogNew(lmInfo, {{"Ok", LogDoneColor}});
    view_.UpdateMenus();
    if (view_.ProjectOpen())
        view_.ShowProjectPage();
    else
        view_.HidePageArea();
    return true;
}

void TScenarioModel::ClearScenario() {
    LogNew(lmInfo, {{"Clearing the \"scenario\" resources ...", LogTextColor}});
    try {
        while (!Entries.empty()) RemoveTask(0);
    } catch (const std::exception&) {
        LogError("Can't clear resources");
        return;
    }
    Selected = -1;
    ctx_.CurrentTaskRec = nullptr;
    ctx_.CurrentTask = nullptr;
    view_.HideTaskEditor();
    ctx_.CurrentSourceFile.clear();
    view_.ClearTestWindow();
    view_.TaskListChanged();
}

void TScenarioModel::RemoveTask(int index) {
    if (index < 0 || index >= Count()) return;
    ctx_.CurrentTaskRec = Entries[static_cast<std::size_t>(index)].get();
    if (ctx_.CurrentTask == ctx_.CurrentTaskRec->Task.get()) ctx_.CurrentTask = nullptr;
    Entries.erase(Entries.begin() + index);
    ctx_.CurrentTaskRec = nullptr;
    if (Selected >= Count()) Selected = Count() - 1;
}

void TScenarioModel::MM_ScNewClick() {
    if (!SC_CreateNewAllowed("Create new?")) return;
    LastSelected = -1;
    LogNew(lmInfo, {{"Creating the new scenario ...", LogTextColor}});
    Entries.clear();
    Selected = -1;
    for (const std::string& type : TaskTypeNames()) AddTask(type, "", false);
    Selected = Entries.empty() ? -1 : 0;
    ScenarioOpen = true;
    view_.TaskListChanged();
    view_.SelectTaskInEditor();
    view_.ShowScenarioPage();
    view_.FocusTaskList();
    ScenarioFileName.clear();
}

void TScenarioModel::AddTask(const std::string& typeName, const std::string& name, bool afterCurrent) {
    try {
        std::unique_ptr<TBaseClass> task = MakeTask(typeName, &ctx_);
        ctx_.CurrentTask = task.get();
        auto rec = std::make_unique<TaskRec>();
        rec->Name = name.empty() ? task->ClassInfo().Description : name;
        rec->Task = std::move(task);
        int pos = Count();
        if (afterCurrent) {
            pos = Selected + 1;
            if (pos >= Count()) pos = Count() - 1;
            if (pos < 0) pos = 0;
        }
        Entries.insert(Entries.begin() + pos, std::move(rec));
        Selected = pos;
        ctx_.CurrentTaskRec = Entries[static_cast<std::size_t>(pos)].get();
        view_.TaskListChanged();
        TBaseClass& t = *ctx_.CurrentTask;
        t.PrepareEditor(*editor_);
        t.ShowSettings(*editor_, vsDefault);
        t.ReadSettings(*editor_, vsCurrent);
    } catch (const std::exception&) {
        LogNew(lmError, {{"Can't add new task \"", LogErrorColor},
                         {typeName, LogValueColor},
                         {"\" to TaskList!", LogErrorColor}});
    }
}

void TScenarioModel::ChangeTask(const std::string& typeName, const std::string& name) {
    try {
        if (!GetTaskRecord(ctx_, &Entries, Selected)) throw std::runtime_error("no entry");
        TaskRec& rec = *ctx_.CurrentTaskRec;
        // The new task is complete before the old one goes, so a failure
        // leaves the entry as it was instead of without a task.
        std::unique_ptr<TBaseClass> task = MakeTask(typeName, &ctx_);
        task->ReadSettings(*editor_, vsCurrent);
        rec.Task = std::move(task);
        rec.Name = name;
        ctx_.CurrentTask = rec.Task.get();
        view_.TaskListChanged();
    } catch (const std::exception&) {
        LogNew(lmError, {{"Can't change the task \"", LogErrorColor},
                         {name, LogValueColor},
                         {"\" inside TaskList!", LogErrorColor}});
    }
}

void TScenarioModel::Exchange(int a, int b) {
    if (a < 0 || b < 0 || a >= Count() || b >= Count()) return;
    std::swap(Entries[static_cast<std::size_t>(a)], Entries[static_cast<std::size_t>(b)]);
    view_.TaskListChanged();
}

void TScenarioModel::MM_ScOpenClick() {
    if (!SC_CreateNewAllowed("Open other?")) return;
    LastSelected = -1;
    LogNew(lmInfo, {{"Opening scenario ... ", LogTextColor}});
    std::optional<std::string> file =
        dialogs_.OpenFile("Select scenario filename ...", InitialDir, kScenarioFilter, ".pms");
    if (!file) {
        LogAppend(lmWarning, {{"Abort!", LogErrorColor}});
        view_.UpdateMenus();
        return;
    }
    TTaskList list;
    if (ReadScenario(ctx_, *file, list)) {
        if (list.empty()) {
            LogError("Items not found!");
        } else {
            bool allTaken = true;
            for (auto& rec : list) {
                Entries.push_back(std::move(rec));
                if (!GetTaskRecord(ctx_, &Entries, Count() - 1) || !GetBaseClass(ctx_)) {
                    allTaken = false;
                    break;
                }
                ctx_.CurrentTask->PrepareEditor(*editor_);
            }
            if (allTaken) {
                ScenarioFileName = *file;
                InitialDir = DirectoryPart(*file);
                Selected = 0;
                // Open before the page is shown: showing it selects the first
                // task and sets the buttons, which depend on an open scenario.
                ScenarioOpen = true;
                view_.TaskListChanged();
                view_.UpdateTaskButtons();
                view_.ShowScenarioPage();
                LogAppend(lmInfo, {{"Complete.", LogDoneColor}});
            }
        }
    }
    // The reader made its tasks current; those that were not taken over are
    // freed with `list`, so the references must not outlive them.
    for (const auto& rec : list)
        if (rec && ctx_.CurrentTaskRec == rec.get()) {
            ctx_.CurrentTaskRec = nullptr;
            ctx_.CurrentTask = nullptr;
        }
    view_.UpdateMenus();
}

void TScenarioModel::MM_ScSaveClick() {
    if (!ScenarioFileName.empty())
        SC_Save();
    else
        MM_ScSaveAsClick();
}

void TScenarioModel::MM_ScSaveAsClick() {
    LogNew(lmInfo, {{"Saving scenario as ...", LogTextColor}});
    std::optional<std::string> file =
        dialogs_.SaveFile("Enter scenario filename ...", ProgramDir, kScenarioFilter, ".pms");
    if (!file) {
        LogAppend(lmWarning, {{"Abort!", LogErrorColor}});
        return;
    }
    ScenarioFileName = *file;
    SC_Save();
}

void TScenarioModel::SC_Save() {
    if (WriteScenarioFile(ctx_, Entries, ScenarioFileName, Selected))
        InitialDir = DirectoryPart(ScenarioFileName);
}

}  // namespace pm
