#pragma once
// The open scenario as the main window holds it, with its commands
// (new, open, save, save as, close) and the task list operations.
#include "app/Dialogs.h"
#include "app/MainView.h"
#include "core/ClassRegistry.h"
#include "core/RunContext.h"

#include <string>

namespace pm {

class IEditorPage;

inline constexpr const char* kScenarioFilter = "PM scenario files (*.pms)|*.pms";

class TScenarioModel {
public:
    TScenarioModel(TRunContext& ctx, const TTaskInfoList& taskInfos, IDialogs& dialogs, IMainView& view,
                   IEditorPage& editor);

    TTaskList Entries;
    bool ScenarioOpen = false;
    std::string ScenarioFileName;
    int Selected = -1;      // selected line of the task list
    int LastSelected = -1;  // last handled line; -1 forces a reload
    // Remembered last directory ("InitialDir") and the program directory.
    std::string InitialDir;
    std::string ProgramDir;

    int Count() const { return static_cast<int>(Entries.size()); }

    void MM_ScNewClick();
    void MM_ScOpenClick();
    void MM_ScSaveClick();
    void MM_ScSaveAsClick();
    void MM_ScCloseClick() { SC_CreateNewAllowed("Close current scenario?"); }

    bool SC_CreateNewAllowed(const std::string& question);
    void SC_Save();
    void ClearScenario();

    void AddTask(const std::string& typeName, const std::string& name, bool afterCurrent);
    void ChangeTask(const std::string& typeName, const std::string& name);
    void RemoveTask(int index);
    // Exchanges two lines (move up / down).
    void Exchange(int a, int b);

    // The editor widgets new and changed tasks are read from (not owned).
    void SetEditorPage(IEditorPage& editor) { editor_ = &editor; }

private:
    TRunContext& ctx_;
    const TTaskInfoList& taskInfos_;
    IDialogs& dialogs_;
    IMainView& view_;
    IEditorPage* editor_;
};

}  // namespace pm
