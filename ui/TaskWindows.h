#pragma once
// The task editor and the task test window as the main window drives them.
// Every operation does nothing by default, so the main window works (and is
// tested) without them; the real windows override what they offer. They
// reach the main window's state (scenario, run context, configuration,
// editor mode, test mode) and its operations (UpdateTaskButtons,
// UpdateTestWindow, TaskListClick, FullTestClick) through TPM_MainForm and
// are installed with TPM_MainForm::SetTaskWindows before Startup.
#include "core/Config.h"

class QWidget;

namespace pm {

class IEditorPage;

// Whether the task editor is creating a new task or showing the selected one.
enum class TEditorMode { ExistingTask, NewTask };

// "None", "Single task test", "Full scenario test".
enum TTestMode { tmNone = 0, tmSingleTask = 1, tmFullScenario = 2 };

class ITaskWindows {
public:
    virtual ~ITaskWindows() = default;

    // The editor's settings widgets as the tasks see them; null: the main
    // window keeps them in memory.
    virtual IEditorPage* EditorPage() { return nullptr; }
    // The editor window, whose colour combos follow the colour format.
    virtual QWidget* EditorWindow() { return nullptr; }

    // Start-up of the two windows, after the task-type registry is filled.
    virtual void InitializeEditor() {}
    virtual void InitializeTestWindow() {}

    // The current task (row `row` of `count`) goes into the editor: type
    // list, name, page, settings; the test window's caption follows.
    virtual void SelectTask(int /*row*/, int /*count*/) {}
    // Shows the editor when it is hidden.
    virtual void ShowEditor() {}
    virtual void HideEditor() {}
    virtual bool EditorVisible() const { return false; }
    // The editor side of "New": compact window, middle types only, "Create task".
    virtual void StartNewTask() {}
    // The editor side of "Edit": full height, shown, focus in the type list
    // when it is enabled, else in the name field.
    virtual void EditTask() {}

    // The editor's "Test settings" button is disabled.
    virtual void DisableTestSettings() {}
    // Sets "Test settings" for the selected row from the editor's type and
    // the test window's file list (left as it is without a selected type);
    // returns its enabled state, which "Test " takes over.
    virtual bool UpdateTestSettings(int /*row*/, int /*count*/) { return false; }

    // The test window is shown without taking the activation, or hidden.
    virtual void ShowTestWindow(bool /*visible*/) {}
    virtual bool TestWindowVisible() const { return false; }
    virtual void ClearDestinationFrame() {}
    // Clears both image frames and hides the test window.
    virtual void ClearTestWindow() {}
    // Loads the test window's selected file when it is not the loaded one,
    // runs the tasks the test mode asks for and shows the result; on failure
    // the result frame and the time column are cleared.
    virtual void RunTest(TTestMode /*mode*/, int /*row*/, int /*count*/) {}

    // The main window became active while the editor is visible.
    virtual void AskSaveChanges() {}
    virtual void AskCreateNewTask() {}

    // The settings dialog's Apply: the type list's enabled state (unless the
    // first or the last row is selected) and the frames' synchronisation.
    virtual void ApplySettings(const TConfig& /*config*/, bool /*middleRowSelected*/) {}
};

}  // namespace pm
