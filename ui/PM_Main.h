#pragma once
// The main window: menus, the project page and the scenario page. Every
// command runs the project and scenario models; the window only moves values
// between them and its widgets and keeps the enabled states.
#include "app/MainView.h"
#include "app/MemoryEditorPage.h"
#include "app/ProjectModel.h"
#include "app/ScenarioModel.h"
#include "core/ClassRegistry.h"
#include "core/Config.h"
#include "core/RunContext.h"
#include "ui/QtDialogs.h"
#include "ui/TaskWindows.h"

#include <QMainWindow>
#include <QPointer>
#include <QWindow>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QStackedWidget;
class QThread;
class QToolButton;

namespace pm {

class TBatchRun;
class TKX_Button;
class TKX_FileDirComboBox;
class TPM_ConfigForm;
class TPM_LogForm;

// Forwards the engine's questions to the dialogs in use.
class TDialogsProxy : public IDialogs {
public:
    explicit TDialogsProxy(IDialogs* target) : target_(target) {}
    void SetTarget(IDialogs* target) { target_ = target; }
    bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                 bool defaultYes) override {
        return target_->Confirm(text, caption, icon, defaultYes);
    }
    std::optional<std::string> OpenFile(const std::string& title, const std::string& dir,
                                        const std::string& filter, const std::string& ext) override {
        return target_->OpenFile(title, dir, filter, ext);
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string& dir,
                                        const std::string& filter, const std::string& ext) override {
        return target_->SaveFile(title, dir, filter, ext);
    }
    void ShowMessage(const std::string& text, const std::string& caption, TMsgIcon icon) override {
        target_->ShowMessage(text, caption, icon);
    }

private:
    IDialogs* target_;
};

class TPM_MainForm : public QMainWindow, public IMainView {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Pixmill 0.6";
    static constexpr const char* kQuitQuestion = "Some project or scenario already loaded.\r\nReally quit?";

    explicit TPM_MainForm(QWidget* parent = nullptr);
    ~TPM_MainForm() override;

    // Collaborators (not owned). Null goes back to the default: Qt dialogs,
    // no task editor or test window, no log window.
    void SetDialogs(IDialogs* dialogs);
    // The questions of the main window and its tool windows go here.
    IDialogs& Dialogs() { return dialogs_; }
    void SetTaskWindows(ITaskWindows* windows);
    ITaskWindows& TaskWindows() { return *taskWindows_; }
    void SetLogForm(TPM_LogForm* form);
    TPM_LogForm* LogForm() const { return logForm_; }
    TPM_ConfigForm* ConfigForm() const { return configForm_; }

    // The directory of pixmill.ini, the default log file and the relative
    // defaults; by default the program directory, or the user's
    // configuration directory when that is not writable.
    void SetProgramDirectory(const std::string& dir);
    const std::string& ProgramDir() const { return programDir_; }
    std::string ConfigPath() const { return programDir_ + "pixmill.ini"; }

    // The start-up sequence; false (after the "Fatal error" box) when it failed.
    bool Startup();
    // Stops a run in progress and waits for its end, then closes the
    // project and the scenario, frees the registry, saves the configuration
    // and closes the log file. Runs once.
    void Shutdown();
    bool IsShutDown() const { return shutDown_; }

    TConfig& Config() { return config_; }
    TRunContext& Context() { return ctx_; }
    TScenarioModel& Scenario() { return scenario_; }
    TProjectModel& Project() { return project_; }
    const TTaskInfoList& TaskInfos() const { return taskInfos_; }

    TEditorMode EditorMode = TEditorMode::ExistingTask;
    // Set by Enter in the test window's file list, cleared by every test that runs.
    bool TestPending = false;

    int SelectedTaskRow() const { return scenario_.Selected; }
    TTestMode TestModeIndex() const;

    // Menu commands.
    void MM_PrNewClick();
    void MM_PrOpenClick();
    void MM_PrSaveClick();
    void MM_PrSaveAsClick();
    void MM_PrCloseClick();
    void MM_ScNewClick();
    void MM_ScOpenClick();
    void MM_ScSaveClick();
    void MM_ScSaveAsClick();
    void MM_ScCloseClick();
    void MM_ConfigClick();
    void MM_ShowWindowClick();
    void MM_wProjectClick();
    void MM_wScenarioClick();

    // Scenario page.
    void TaskListClick();
    void SelectTask();
    void NewTaskClick();
    void EditTaskClick();
    void DeleteTaskClick();
    void MoveTaskUpClick();
    void MoveTaskDownClick();
    void TaskListEnter();
    void FullTestClick();
    void UpdateTestWindow();
    // The window became active again, coming from another of its windows.
    void FormActivate();
    // The settings dialog's Apply, for the windows it reaches.
    void ApplySettings();

    // Project page. "Run project" starts the run on a thread of its own and
    // returns; the window stays usable (the run works on copies of the items
    // and reads its own scenarios) and RunEnded tells when it is over.
    void RunProjectClick();
    // Files in progress are finished, no new one is started.
    void StopRunClick();
    bool RunInProgress() const { return runThread_ != nullptr; }
    // The run in progress, or null.
    const TBatchRun* ActiveRun() const { return run_.get(); }
    // Asks a run in progress to stop and waits for its end, processing
    // events meanwhile (but no user input) so that the log shows its last
    // lines. Does nothing without a run.
    void StopAndWaitForRun();

    // IMainView
    void UpdateMenus() override;
    // Opening or creating a document shows its page without the menu's
    // "Activation" message, which would take the document's "Complete".
    void ShowProjectPage() override { ShowPage(0, false); }
    void ShowScenarioPage() override { ShowPage(1, false); }
    void HidePageArea() override;
    void FocusTaskList() override;
    void HideTaskEditor() override { taskWindows_->HideEditor(); }
    void ClearTestWindow() override { taskWindows_->ClearTestWindow(); }
    void TaskListChanged() override;
    void SelectTaskInEditor() override { SelectTask(); }
    void UpdateTaskButtons() override;
    void UpdateProjectButtons() override;
    void ProjectListChanged() override;
    void ProjectEditorChanged() override;
    void ProcessMessages() override;
    bool ProjectOpen() const override { return project_.ProjectOpen; }
    bool ScenarioOpen() const override { return scenario_.ScenarioOpen; }

    // Menu.
    QAction *MM_PrNew, *MM_PrOpen, *MM_PrSave, *MM_PrSaveAs, *MM_PrClose;
    QAction *MM_ScNew, *MM_ScOpen, *MM_ScSave, *MM_ScSaveAs, *MM_ScClose;
    QAction *MM_Config, *MM_ShowLog, *MM_wProject, *MM_wScenario, *MM_Quit;
    QToolButton* MM_QuitButton;

    QStackedWidget* NoteBook;
    // Project page.
    QGroupBox* GB1;
    QListWidget* PR_ItemList;
    TKX_Button *PR_Up, *PR_Down, *PR_Delete;
    QGroupBox* GB2;
    TKX_FileDirComboBox *PR_Source, *PR_Target, *PR_Scenario;
    QCheckBox* PR_ScanSubDir;
    QCheckBox* PR_SkipUnchanged;
    TKX_Button *PR_Add, *PR_Replace;
    QProgressBar* ProgressBar;
    TKX_Button* RunProject;
    TKX_Button* StopRun;
    // Scenario page.
    QListWidget* TaskList;
    TKX_Button *NewTask, *EditTask, *DeleteTask, *MoveTaskUp, *MoveTaskDown;
    QLabel* Label1;
    QComboBox* TestMode;
    TKX_Button* FullTest;

signals:
    // The window closed for good (after Shutdown).
    void Closed();
    // A run started by "Run project" has ended and "Run project" is usable again.
    void RunEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    QWidget* CreateProjectPage();
    QWidget* CreateScenarioPage();
    void FitWindow();
    void ShowPage(int page, bool logActivation);
    void InitializeMainWindow();
    void InitializeConfigForm();
    // Both models remember the last directory; the configuration keeps it.
    void SyncInitialDir();
    void ItemEditorChanged();
    void TaskListRowChanged(int row);
    void ItemListRowChanged(int row);
    void FormKeyDown(QKeyEvent* event, bool& handled);
    // Whether `from` is one of the program's other windows (the editor, the
    // test window, the log window), not a dialog or message box.
    bool ComesFromToolWindow(QWindow* from) const;
    void ApplyLogMenuCaption(const QString& caption);
    // `done` of `count` files of the current item finished.
    void ShowRunProgress(int done, int count, const std::string& text = {});
    // Back on this thread after the run's thread ended.
    void RunFinished();

    std::string programDir_;
    TConfig config_;
    TRunContext ctx_;
    TTaskInfoList taskInfos_;
    TQtDialogs qtDialogs_;
    TDialogsProxy dialogs_;
    ITaskWindows noTaskWindows_;
    ITaskWindows* taskWindows_ = &noTaskWindows_;
    TMemoryEditorPage memoryEditor_;
    TScenarioModel scenario_;
    TProjectModel project_;
    TPM_LogForm* logForm_ = nullptr;
    TPM_ConfigForm* configForm_ = nullptr;
    // The run in progress and its thread; the run's callbacks only post
    // calls to this window, and the window does not go before the thread.
    std::unique_ptr<TBatchRun> run_;
    std::unique_ptr<QThread> runThread_;
    bool waitingForRun_ = false;
    bool shutDown_ = false;
    bool fillingLists_ = false;
    bool fillingEditor_ = false;
    QPointer<QWindow> lastFocusWindow_;
};

}  // namespace pm
