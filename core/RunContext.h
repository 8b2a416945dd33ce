#pragma once
// The state a running task can reach: the general object with the image of
// the file being processed, the task being edited, the current source file
// and project item. The main window holds one; a batch run (or each of
// its workers) holds its own.
#include "core/AtomicFile.h"
#include "core/BaseClass.h"

#include <memory>
#include <string>
#include <vector>

namespace pm {

class TSourceGuard;

// One project item.
struct PrItemRec {
    std::string SourceDirectory;
    bool SourceScanSubDir = true;
    std::string TargetDirectory;
    std::string ScenarioFileName;
    // Sources whose results are up to date (see batch/RunState.h) are not
    // processed again. Optional project key "SkipUnchanged", default off.
    bool SkipUnchanged = false;
};

// One scenario entry: the task's name and the task, which it owns.
struct TaskRec {
    std::string Name;
    std::unique_ptr<TBaseClass> Task;
};

// Entries are held by pointer so that references stay valid while the list
// is reordered.
using TTaskList = std::vector<std::unique_ptr<TaskRec>>;

class TRunContext {
public:
    TRunContext();
    ~TRunContext();
    TRunContext(const TRunContext&) = delete;
    TRunContext& operator=(const TRunContext&) = delete;

    // A plain TBaseClass that is never executed: SrcBitmap is the image as
    // loaded, DstBitmap the result of a scenario run, BitmapsInfo describes
    // the loaded file and the target file name.
    TBaseClass& GeneralObject() { return *generalObject_; }

    // The scenario entry the task editor shows and its task. Only the scenario
    // model, which owns the entries, sets them, and it clears them with the
    // entry; readers and runners get the entries they work on directly.
    TaskRec* CurrentTaskRec = nullptr;
    TBaseClass* CurrentTask = nullptr;
    std::string CurrentSourceFile;
    // Its place, from 1, among the files of the run's item (of the run's part
    // with a shard), whichever worker processes it; 0 outside a run.
    int CurrentFileNumber = 0;
    const PrItemRec* CurrentProjectItem = nullptr;
    // The scenario being edited, for editor pages that need its first task.
    const TTaskList* EditedScenario = nullptr;
    // Set by a batch run, which flushes its result files to disk once per
    // item instead of one by one: a saving task then only renames each
    // complete file into place.
    bool DeferResultSync = false;
    // Set by the workers of a parallel batch run: a saving task leaves its
    // complete result file under its temporary name here, and the run renames
    // the files into place in file-list order, so that two sources with the
    // same result name leave the same file as a run on one worker.
    bool DeferResultCommit = false;
    std::vector<std::unique_ptr<TAtomicFileWriter>> PendingCommits;
    // Set by the scenario runner: the task after the one running now (null
    // for the last), which a load asks how small the picture may be decoded.
    const TBaseClass* FollowingTask = nullptr;
    // The task a load decoded the picture smaller for (null when it did
    // not): that task sizes its result by the file's own size in the
    // general object's BitmapsInfo, and clears this.
    const TBaseClass* ShrunkLoadFor = nullptr;
    // The source files of the batch run, which no result may replace.
    const TSourceGuard* Sources = nullptr;

private:
    std::unique_ptr<TBaseClass> generalObject_;
};

}  // namespace pm
