#pragma once
// What the scenario and project commands ask of the main window. Every
// operation does nothing by default, so the models run headless.
namespace pm {

class IMainView {
public:
    virtual ~IMainView() = default;
    virtual void UpdateMenus() {}
    virtual void ShowProjectPage() {}
    virtual void ShowScenarioPage() {}
    virtual void HidePageArea() {}
    virtual void FocusTaskList() {}
    virtual void HideTaskEditor() {}
    // Clears both images of the test window and hides it.
    virtual void ClearTestWindow() {}
    // The task list's lines changed (text, order, count) or its selection moved.
    virtual void TaskListChanged() {}
    // Load the selected row into the task editor.
    virtual void SelectTaskInEditor() {}
    virtual void UpdateTaskButtons() {}
    virtual void UpdateProjectButtons() {}
    virtual void ProjectListChanged() {}
    // The project item editor's values were set from the selected item.
    virtual void ProjectEditorChanged() {}
    // Let pending window messages run (repaint, log).
    virtual void ProcessMessages() {}
    virtual bool ProjectOpen() const { return false; }
    virtual bool ScenarioOpen() const { return false; }
};

}  // namespace pm
