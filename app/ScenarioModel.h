#pragma once
// The open scenario as the main window holds it, with its commands
// (new, open, save, save as, close) and the task list operations.
#include "app/DocumentModel.h"
#include "core/ClassRegistry.h"
#include "core/RunContext.h"

#include <string>

namespace pm {

class IEditorPage;

inline constexpr const char* kScenarioFilter = "PM scenario files (*.pms)|*.pms";

class TScenarioModel : public TDocumentModel {
public:
    TScenarioModel(TRunContext& ctx, const TTaskInfoList& taskInfos, IDialogs& dialogs, IMainView& view,
                   IEditorPage& editor);
    // The entries go as any deletion goes: the context outlives the model.
    ~TScenarioModel() override;

    TTaskList Entries;
    bool ScenarioOpen = false;
    std::string ScenarioFileName;
    int Selected = -1;      // selected line of the task list
    int LastSelected = -1;  // last handled line; -1 forces a reload

    int Count() const { return static_cast<int>(Entries.size()); }

    void MM_ScNewClick();
    void MM_ScOpenClick();
    void MM_ScSaveClick() { SaveClick(); }
    void MM_ScSaveAsClick() { SaveAsClick(); }
    void MM_ScCloseClick() { SC_CreateNewAllowed("Close current scenario?"); }

    bool SC_CreateNewAllowed(const std::string& question) { return CreateNewAllowed(question); }
    void SC_Save();
    void ClearScenario();

    // The entry at index becomes the one the task editor shows (the run
    // context's current task); its task, or nullptr (logged) when there is
    // none, which leaves the current one as it was.
    TBaseClass* MakeCurrent(int index);

    void AddTask(const std::string& typeName, const std::string& name, bool afterCurrent);
    void ChangeTask(const std::string& typeName, const std::string& name);
    void RemoveTask(int index);
    // Exchanges two lines (move up / down).
    void Exchange(int a, int b);

    // The editor widgets new and changed tasks are read from (not owned).
    void SetEditorPage(IEditorPage& editor) { editor_ = &editor; }

private:
    bool& OpenFlag() override { return ScenarioOpen; }
    std::string& FileName() override { return ScenarioFileName; }
    void Clear() override { ClearScenario(); }
    void Save() override { SC_Save(); }
    void SetCurrent(TaskRec* rec);
    // Every entry, each through RemoveTask.
    void RemoveAll();

    TRunContext& ctx_;
    IEditorPage* editor_;
};

}  // namespace pm
