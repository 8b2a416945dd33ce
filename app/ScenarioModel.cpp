#include "app/ScenarioModel.h"

#include "core/EditorPage.h"
#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/ScenarioFile.h"
#include "log/WriteLog.h"

namespace pm {

const TDocumentKind kScenarioKind{"scenario",
                                  {"Closing the current scenario ... ", "Opening scenario ... ", true},
                                  {kScenarioFilter, ".pms"},
                                  {&IMainView::ProjectOpen, &IMainView::ShowProjectPage}};

// Tasks are made through the class registry (MakeTask); the list parameter
// stays for the callers that pass it.
TScenarioModel::TScenarioModel(TRunContext& ctx, const TTaskInfoList& /*taskInfos*/, IDialogs& dialogs,
                               IMainView& view, IEditorPage& editor)
    : TDocumentModel(kScenarioKind, dialogs, view), ctx_(ctx), editor_(&editor) {}

TScenarioModel::~TScenarioModel() {
    RemoveAll();
}

void TScenarioModel::SetCurrent(TaskRec* rec) {
    ctx_.CurrentTaskRec = rec;
    ctx_.CurrentTask = rec ? rec->Task.get() : nullptr;
}

TBaseClass* TScenarioModel::MakeCurrent(int index) {
    TBaseClass* task = GetEntryTask(&Entries, index);
    if (task) SetCurrent(Entries[static_cast<std::size_t>(index)].get());
    return task;
}

void TScenarioModel::RemoveAll() {
    while (!Entries.empty()) RemoveTask(0);
}

void TScenarioModel::ClearScenario() {
    if (!RemoveAllLogged([this] { RemoveAll(); })) return;
    Selected = -1;
    view_.HideTaskEditor();
    ctx_.CurrentSourceFile.clear();
    view_.ClearTestWindow();
    view_.TaskListChanged();
}

void TScenarioModel::RemoveTask(int index) {
    if (index < 0 || index >= Count()) return;
    if (ctx_.CurrentTaskRec == Entries[static_cast<std::size_t>(index)].get()) SetCurrent(nullptr);
    Entries.erase(Entries.begin() + index);
    if (Selected >= Count()) Selected = Count() - 1;
}

void TScenarioModel::MM_ScNewClick() {
    if (!SC_CreateNewAllowed("Create new?")) return;
    LastSelected = -1;
    LogNew(lmInfo, {{"Creating the new scenario ...", LogTextColor}});
    RemoveAll();
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
        TaskRec& added = *Entries[static_cast<std::size_t>(pos)];
        SetCurrent(&added);
        view_.TaskListChanged();
        TBaseClass& t = *added.Task;
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
        TaskRec* rec = GetTaskRecord(&Entries, Selected);
        if (!rec) throw std::runtime_error("no entry");
        // The new task is complete before the old one goes, so a failure
        // leaves the entry as it was instead of without a task.
        std::unique_ptr<TBaseClass> task = MakeTask(typeName, &ctx_);
        task->ReadSettings(*editor_, vsCurrent);
        rec->Task = std::move(task);
        SetCurrent(rec);
        rec->Name = name;
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
    std::optional<std::string> file = ChooseFileToOpen();
    if (!file) {
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
                TBaseClass* task = GetEntryTask(&Entries, Count() - 1);
                if (!task) {
                    allTaken = false;
                    break;
                }
                task->PrepareEditor(*editor_);
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
    view_.UpdateMenus();
}

void TScenarioModel::SC_Save() {
    const bool written = WriteScenarioFile(Entries, ScenarioFileName);
    // The editor goes on with the selected entry.
    if (Selected >= 0 && Selected < Count()) SetCurrent(Entries[static_cast<std::size_t>(Selected)].get());
    if (written) InitialDir = DirectoryPart(ScenarioFileName);
}

}  // namespace pm
