#pragma once
// The open project as the main window holds it: its items, the item editor's
// values, the project commands (new, open, save, save as, close), the item
// list commands and the enabled state of the project page's buttons.
#include "app/DocumentModel.h"
#include "core/RunContext.h"

#include <memory>
#include <string>
#include <vector>

namespace pm {

class TBatchRun;

inline constexpr const char* kProjectFilter = "PM project files (*.pmp)|*.pmp";

// Enabled state of the project page's buttons, set by UpdateProjectButtons.
struct TProjectButtons {
    bool RunProject = false;
    bool Up = false;
    bool Down = false;
    bool Add = false;
    bool Replace = false;
    bool Delete = false;
};

class TProjectModel : public TDocumentModel {
public:
    TProjectModel(IDialogs& dialogs, IMainView& view);
    ~TProjectModel() override;

    // The items in list order; the item list shows each SourceDirectory.
    std::vector<PrItemRec> Items;
    bool ProjectOpen = false;
    std::string ProjectFileName;
    int Selected = -1;  // selected line of the item list, -1 for none

    // The item editor. A directory value is empty or an existing directory
    // with a trailing separator; the scenario value is empty or an existing
    // file (see DirectoryBoxValue, FileBoxValue).
    std::string EditorSourceDirectory;
    bool EditorScanSubDir = true;
    bool EditorSkipUnchanged = false;
    std::string EditorTargetDirectory;
    std::string EditorScenarioFileName;

    TProjectButtons Buttons;

    // A run is under way (between BeginRun and EndRun).
    bool Running = false;
    // The most recent run; its context keeps the last item, file and image.
    std::unique_ptr<TBatchRun> LastRun;

    // Sections skipped (missing or with a missing path) by the last open.
    int SkippedItems = 0;

    int Count() const { return static_cast<int>(Items.size()); }

    // What the item editor's boxes make of a path.
    static std::string DirectoryBoxValue(const std::string& path);
    static std::string FileBoxValue(const std::string& path);

    void MM_PrNewClick();
    void MM_PrOpenClick();
    void MM_PrSaveClick() { SaveClick(); }
    void MM_PrSaveAsClick() { SaveAsClick(); }
    void MM_PrCloseClick() { PR_CreateNewAllowed("Close current project?"); }

    bool PR_CreateNewAllowed(const std::string& question) { return CreateNewAllowed(question); }
    void ClearProject();
    // Closes the project without asking (program exit).
    void Shutdown();
    void PR_DeleteItem(int index);
    // ValidateProjectItem for an item that may be missing.
    static bool PR_ValidateRecord(const PrItemRec* item);
    void PR_Save();
    // Reads a project file (the part of MM_PrOpenClick after the dialog);
    // true when the project was opened.
    bool LoadProjectFile(const std::string& fileName);

    void PR_ItemListClick();
    void PR_AddClick();
    void PR_ReplaceClick();
    void PR_UpClick();
    void PR_DownClick();
    void PR_DeleteClick();
    void UpdateProjectButtons();
    // A path box or the check box of the item editor changed.
    void PR_Change() { UpdateProjectButtons(); }
    void PR_ItemChange() { UpdateProjectButtons(); }

    // Worker threads of a run (TBatchRun::Jobs): 0 one per core, 1 one file
    // after the other.
    int Jobs = 1;
    // A run off the interface thread: BeginRun disables "Run project" and
    // gives the run (null when none can start); the caller sets its
    // callbacks, executes it on another thread and, back on the interface
    // thread, hands it to EndRun, which keeps it as LastRun and enables the
    // button again.
    std::unique_ptr<TBatchRun> BeginRun();
    void EndRun(std::unique_ptr<TBatchRun> run);

private:
    bool& OpenFlag() override { return ProjectOpen; }
    std::string& FileName() override { return ProjectFileName; }
    void Clear() override { ClearProject(); }
    void Save() override { PR_Save(); }
    PrItemRec EditorItem() const;
};

}  // namespace pm
