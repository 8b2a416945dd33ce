#pragma once
// One run of a project: every item in order, every found file of an item
// through the item's own scenario, on one or several worker threads.
#include "batch/FindFiles.h"
#include "batch/RunProgress.h"
#include "batch/Shard.h"
#include "core/RunContext.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace pm {

class TSourceGuard;

class TBatchRun {
public:
    // The run works on its own copy of the items and reads its own scenario
    // per item, so changes to the open project or scenario while it runs
    // (the window stays usable between files) cannot disturb it.
    explicit TBatchRun(std::vector<PrItemRec> items);
    ~TBatchRun();
    TBatchRun(const TBatchRun&) = delete;
    TBatchRun& operator=(const TBatchRun&) = delete;

    // Worker threads per item, set before Execute. 1 (the default) processes
    // one file after the other on the calling thread; 0 means one worker per
    // core. With several workers every worker has its own context and its
    // own copy of the item's tasks; the result files and the log are the
    // same as with one worker: each file's messages are kept together and
    // come out in the order of the file list.
    int Jobs = 1;
    // Only this part of each item's files is processed (see Shard.h).
    TShard Shard;
    // The memory the workers of a parallel run may hold, in bytes (see
    // MemoryBudget.h); 0: DefaultMemoryBudget(). One worker needs no budget.
    std::uint64_t MemoryLimit = 0;
    // Nothing is written: every source logs the result it would get and
    // whether it would be processed or skipped as up to date.
    bool DryRun = false;
    // When set, only the found files it accepts take part in the run (the
    // watched folder passes the files that changed).
    std::function<bool(const std::string& file)> FileFilter;
    // The first error message of a failed file is handed to OnFileDone
    // (the log of a file run on this thread is then held until the file ends).
    bool WantReasons = false;

    // Progress of the current item: `position` is the index of a file in
    // the item's list, `maximum` the number of files minus one. With one
    // worker it is called just before the file is processed, with several
    // when the file's messages are logged; the sequence of calls is the
    // same. At the start and at the end the position is 0 and the file empty.
    std::function<void(int position, int maximum, const std::string& file)> OnProgress;

    // One file finished; told after its messages are logged, in the order of
    // the file list.
    enum class TFileStatus { Done, Failed, Skipped, Planned };
    struct TFileDone {
        int Item = 0;   // index into Items()
        int Index = 0;  // index of the file in the item's list
        int Count = 0;  // files in the item's list
        std::string File;
        bool Ok = false;  // the scenario ran through, or the file is up to date
        // Skipped: up to date; Planned: a dry run would process it.
        TFileStatus Status = TFileStatus::Failed;
        std::vector<std::string> Results;  // the result files of the file's saving tasks
        std::string Reason;                // first error message (WantReasons)
        double Milliseconds = 0;
    };
    std::function<void(const TFileDone&)> OnFileDone;

    // All callbacks run on the thread that called Execute.

    // Runs every item and logs "Project complete." or "Project error(s)!";
    // true for the first. A file whose scenario run fails counts as an error,
    // and so does a stopped run.
    bool Execute();

    // Asks the run to stop: files being processed are finished, no new file
    // and no further item is started. Safe from any thread and from a signal
    // handler; may be called before Execute.
    void Stop() noexcept { stop_.store(true, std::memory_order_relaxed); }
    bool StopRequested() const noexcept { return stop_.load(std::memory_order_relaxed); }
    // The run ended before its last file because of Stop.
    bool Stopped() const { return stopped_; }

    // After the run the context keeps the last item, the last file and the
    // general object with the last image.
    TRunContext& Context() { return *ctx_; }
    const std::vector<PrItemRec>& Items() const { return items_; }

    // The worker count `jobs` stands for (0: the number of cores, at least 1).
    static int ResolveJobs(int jobs);
    // The folder below the item's target folder that holds all its results.
    static std::string OutputRoot(const PrItemRec& item);
    // How the item's source folder is scanned: its results are left out.
    static TScanOptions ScanOptionsFor(const PrItemRec& item, bool warn);

    int ProgressPosition() const { return position_; }
    // The counts for the progress text (RunProgress.h), as of the last
    // OnProgress or OnFileDone call.
    TProgressCounts ProgressCounts() const;
    int ProgressMaximum() const { return maximum_; }
    int FilesFound() const { return filesFound_; }
    int FilesFailed() const { return filesFailed_; }
    int FilesDone() const { return filesDone_; }          // processed, well or not
    int FilesSkipped() const { return filesSkipped_; }    // found, not started because of Stop
    int FilesUpToDate() const { return filesUpToDate_; }  // not processed: results up to date
    int ItemsFailed() const { return itemsFailed_; }
    int ItemsSkipped() const { return itemsSkipped_; }  // not started because of Stop
    // The most memory the workers had reserved at once, and how often a file
    // waited for memory (parallel runs).
    std::uint64_t PeakReservedMemory() const { return peakReserved_; }
    int MemoryWaits() const { return memoryWaits_; }

private:
    struct TItemFiles;
    bool RunItem(int itemIndex);
    bool RunSequential(TItemFiles& files);
    bool RunParallel(TItemFiles& files, int workers);
    void Progress(int position, const std::string& file);
    void FileDone(const TItemFiles& files, int index, TFileStatus status, double ms = 0,
                  std::string reason = {});
    void PlanItem(TItemFiles& files);
    void RecordState(TItemFiles& files, int index, bool ok);
    void SaveState(TItemFiles& files);
    bool PlanOnly(TItemFiles& files);
    static bool ItemPathsUsable(const PrItemRec& item);
    void CollectSources();
    void FindCollisions(TItemFiles& files);
    void NoteTargetToSync(const std::string& directory);
    bool SyncTargets();

    std::vector<PrItemRec> items_;
    std::unique_ptr<TRunContext> ctx_;
    std::unique_ptr<TSourceGuard> sources_;
    // Result file -> the source that first claimed it in this run.
    std::unordered_map<std::string, std::string> resultOwners_;
    // File systems holding results of the run, with one folder on each.
    std::map<std::uint64_t, std::string> syncTargets_;
    std::atomic<bool> stop_{false};
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool stopped_ = false;
    int position_ = 0;
    int maximum_ = 0;
    int filesFound_ = 0;
    int filesFailed_ = 0;
    int filesDone_ = 0;
    int filesSkipped_ = 0;
    int filesUpToDate_ = 0;
    int itemsFailed_ = 0;
    int itemsSkipped_ = 0;
    std::uint64_t peakReserved_ = 0;
    int memoryWaits_ = 0;
};

}  // namespace pm
