#pragma once
// The task editor and the task test window behind the main window's
// ITaskWindows: what the editor's buttons do to the scenario (create, change,
// reset and test a task, the prompts that keep edits from being lost) and
// what the test window runs. The main window keeps the shared state (editor
// mode, test mode, test pending flag) and the scenario.
#include "ui/TaskWindows.h"

#include <QObject>

namespace pm {

class TPM_MainForm;
class TPM_TaskEditForm;
class TPM_TaskTestForm;
class TBaseClass;
struct TaskRec;

class TPM_TaskWindows : public QObject, public ITaskWindows {
    Q_OBJECT

public:
    // Makes both windows as tool windows of `main` and installs itself there.
    explicit TPM_TaskWindows(TPM_MainForm& main);
    ~TPM_TaskWindows() override;

    TPM_TaskEditForm& Editor() { return *editor_; }
    TPM_TaskTestForm& Tester() { return *tester_; }
    // Keeps "Test settings" from re-entering itself.
    bool TestRunning() const { return testRunning_; }

    // ITaskWindows
    IEditorPage* EditorPage() override;
    QWidget* EditorWindow() override;
    void InitializeEditor() override;
    void InitializeTestWindow() override;
    void SelectTask(int row, int count) override;
    void ShowEditor() override;
    void HideEditor() override;
    bool EditorVisible() const override;
    void StartNewTask() override;
    void EditTask() override;
    void DisableTestSettings() override;
    bool UpdateTestSettings(int row, int count) override;
    void ShowTestWindow(bool visible) override;
    bool TestWindowVisible() const override;
    void ClearDestinationFrame() override;
    void ClearTestWindow() override;
    void RunTest(TTestMode mode, int row, int count) override;
    void AskSaveChanges() override;
    void AskCreateNewTask() override;
    void ApplySettings(const TConfig& config, bool middleRowSelected) override;

    // Task editor operations.
    void TaskTypeCBChange();
    void btn1Click();
    void btn2Click();
    // The editor is being closed from its title bar.
    void EditorClosing();
    void DefaultBtnClick();
    void LoadDefaultSettings();
    void MakeCurSetTest();

    // Test window operations.
    void TestDirChange(bool reloaded);
    void TestFilesListKeyDown();
    void TestFilesListKeyUp();
    // However the test window was hidden, "Test settings" and "Test " are
    // off until it is shown again.
    void TestWindowHidden();

private:
    bool MiddleRow() const;
    TaskRec* SelectedEntry() const;
    // Makes the selected row's task the current task; that task, or nullptr.
    TBaseClass* MakeSelectedCurrent();
    void ShowEditorTypes(bool middleTask);
    void RefreshCaptions();
    void SetTimeCell(int row, double ms);
    void StoreTestDirectory();
    // The first time they are shown, the editor goes to the right of the
    // main window and the test window below it.
    void PlaceBesideMain();

    TPM_MainForm& main_;
    TPM_TaskEditForm* editor_;
    TPM_TaskTestForm* tester_;
    bool testRunning_ = false;
    bool testInProgress_ = false;
    bool placed_ = false;
};

}  // namespace pm
