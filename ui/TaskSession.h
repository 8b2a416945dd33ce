#pragma once
// The scenario page's work with the task editor and the test window:
// selecting a task into the editor, creating, changing and testing tasks,
// and the prompts that keep edited settings from being lost. It holds the
// state the main window keeps for them (editor mode, test pending and test
// running flags) and asks the main window for the rest through
// IScenarioPage.
#include "core/ClassRegistry.h"
#include "core/Dialogs.h"
#include "core/RunContext.h"
#include "core/ScenarioModel.h"

#include <QObject>

namespace pm {

class TPM_TaskEditForm;
class TPM_TaskTestForm;

// What the session needs of the main window's scenario page.
class IScenarioPage {
public:
    virtual ~IScenarioPage() = default;
    // Index of the test mode list: 0 "None", 1 "Single task test",
    // 2 "Full scenario test".
    virtual int TestMode() const { return 0; }
    // The page's whole button update; it ends with the session's
    // UpdateTestButtons.
    virtual void UpdateTaskButtons() {}
    // Disables "New", "Edit", "Delete", "Up", "Down" and "Test ".
    virtual void DisableTaskButtons() {}
    virtual bool FullTestEnabled() const { return false; }
    virtual void SetFullTestEnabled(bool) {}
    // The task list shows the model's entries and selected row again.
    virtual void TaskListChanged() {}
    virtual void FocusTaskList() {}
    // Gives the focus back to the main window.
    virtual void ActivateMainWindow() {}
};

class TTaskSession : public QObject {
    Q_OBJECT

public:
    enum TEditorMode { emNewTask, emExistingTask };

    TTaskSession(TRunContext& ctx, TScenarioModel& model, const TTaskInfoList& types, IDialogs& dialogs,
                 TPM_TaskEditForm& editor, TPM_TaskTestForm& tester, IScenarioPage& page);

    TEditorMode EditorMode = emExistingTask;
    // Set by Enter in the test list, cleared by every test that runs.
    bool TestPending = false;
    // Keeps "Test settings" from re-entering itself.
    bool TestRunning = false;
    // The "Allow to change type of task" setting.
    bool AllowChangeTaskType = false;

    // Main window operations.
    void TaskListClick();
    void SelectTask();
    void NewTaskClick();
    void EditTaskClick();
    // Asks, removes the selected row and reloads the one taking its place.
    void DeleteTaskClick();
    // After a row was removed: reload the row that took its place.
    void TaskDeleted();
    void FullTestClick();
    void UpdateTestWindow();
    // Steps of the button update that concern the editor and the test:
    // "Test settings" and "Test ".
    void UpdateTestButtons();
    void DisableTestButtons();
    // The main window became active again.
    void FormActivate();
    // Settings dialog's Apply: the type list follows the setting for a
    // middle row.
    void ApplyAllowChangeTaskType(bool allow);
    // The scenario was cleared: hide the editor, empty and hide the test window.
    void ClearWindows();

    // Task editor operations.
    void TaskTypeCBChange();
    void btn1Click();
    void btn2Click();
    void DefaultBtnClick();
    void LoadDefaultSettings();
    void MakeCurSetTest();
    void AskCreateNewTask();
    void AskSaveChanges();

    // Test window operations.
    void TestDirChange(bool reloaded);
    void TestFilesListKeyDown();
    void TestFilesListKeyUp();

private:
    bool MiddleRow() const;
    TaskRec* SelectedEntry() const;
    // Makes the selected row's task the current task.
    bool MakeSelectedCurrent();
    void ShowEditorTypes(bool middleTask);
    void RefreshCaptions();
    void SetTimeCell(int row, double ms);

    TRunContext& ctx_;
    TScenarioModel& model_;
    const TTaskInfoList& types_;
    IDialogs& dialogs_;
    TPM_TaskEditForm& editor_;
    TPM_TaskTestForm& tester_;
    IScenarioPage& page_;
    bool testInProgress_ = false;
};

}  // namespace pm
