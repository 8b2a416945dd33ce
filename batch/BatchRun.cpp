#include "batch/BatchRun.h"

#include "batch/CloneScenario.h"
#include "batch/FindFiles.h"
#include "batch/MemoryBudget.h"
#include "batch/ReadAhead.h"
#include "batch/RunState.h"
#include "core/AtomicFile.h"
#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/SourceGuard.h"
#include "log/WriteLog.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace pm {

namespace fs = std::filesystem;

struct TBatchRun::TItemFiles {
    int Item = 0;
    const PrItemRec* Rec = nullptr;
    TTaskList* Entries = nullptr;
    std::vector<std::string> Found;
    // Per file: empty, or the message that it is not processed because an
    // earlier source of the run has the same result file.
    std::vector<TTextColorArray> Collision;
    // Per file: the result files its saving tasks would write.
    std::vector<std::vector<std::string>> Results;
    // Per file: not processed, its results being up to date (SkipUnchanged).
    std::vector<char> Skip;
    // With SkipUnchanged: the target folder's state, the scenario's hash and
    // each source's stamp before it was processed.
    std::unique_ptr<TRunState> State;
    std::uint64_t Scenario = 0;
    std::vector<TFileStamp> Stamps;
};

namespace {

// A task keeps its last input and output until its next run; between files
// nothing needs them, and freeing them keeps one image per worker in memory.
void ReleaseTaskBitmaps(TTaskList& entries) {
    for (auto& rec : entries)
        if (rec && rec->Task) rec->Task->ResetBitmaps();
}

// The runner hands the general object's picture to the loading task, which
// does not use it; dropped first, the previous file's picture is not held
// while the next one is decoded. Loading replaces it anyway.
void DropPreviousPicture(TRunContext& ctx) {
    ctx.GeneralObject().ResetBitmaps();
}

struct TWorker {
    TRunContext Ctx;
    TTaskList Entries;
    int LastIndex = -1;
};

// What a worker hands back for one file.
struct TFileResult {
    std::vector<TLogCapture::Entry> Log;
    // Complete result files still under their temporary names.
    std::vector<std::unique_ptr<TAtomicFileWriter>> Commits;
    bool Done = false;
    bool Ok = false;
    bool Skipped = false;  // up to date, not processed
    bool Raised = false;   // a task raised an error: the item fails
    double Milliseconds = 0;
};

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string PlainText(const TTextColorArray& segments) {
    std::string text;
    for (const auto& segment : segments) text += segment.Text;
    return text;
}

// The first error message of a file's log with its continuations and the
// warnings right after it (a reader's reason): the cause, where the last
// error is the scenario's own verdict.
std::string FirstError(const std::vector<TLogCapture::Entry>& log) {
    std::string text;
    for (const auto& entry : log) {
        if (text.empty()) {
            if (entry.Kind == lmError && entry.NewMessage) text = PlainText(entry.Segments);
        } else if (!entry.NewMessage || entry.Kind == lmWarning) {
            text += (entry.NewMessage ? " " : "") + PlainText(entry.Segments);
        } else {
            break;
        }
    }
    return text;
}

void LogUpToDate(const std::string& file) {
    LogNew(lmInfo, {{"Source image \"", LogTextColor},
                    {file, LogValueColor},
                    {"\" is up to date; skipped.", LogTextColor}});
}

}  // namespace

TBatchRun::TBatchRun(std::vector<PrItemRec> items)
    : items_(std::move(items)), ctx_(std::make_unique<TRunContext>()),
      sources_(std::make_unique<TSourceGuard>()) {
    ctx_->DeferResultSync = true;
    ctx_->Sources = sources_.get();
    // Target names are folded from the source folder's name, and results are
    // kept apart from sources by name: both need the one absolute, normal
    // name of each folder, whatever the user typed ("./", "photos/..").
    for (PrItemRec& item : items_) {
        if (!ItemPathsUsable(item)) continue;
        if (!item.SourceDirectory.empty())
            item.SourceDirectory = AbsoluteNormalDirectory(item.SourceDirectory);
        if (!item.TargetDirectory.empty())
            item.TargetDirectory = AbsoluteNormalDirectory(item.TargetDirectory);
        if (!item.ScenarioFileName.empty()) item.ScenarioFileName = AbsoluteNormalPath(item.ScenarioFileName);
    }
}

// A NUL cuts short the name the system sees: such a value names no folder or
// file the user meant.
bool TBatchRun::ItemPathsUsable(const PrItemRec& item) {
    const auto hasNul = [](const std::string& s) { return s.find('\0') != std::string::npos; };
    return !hasNul(item.SourceDirectory) && !hasNul(item.TargetDirectory) && !hasNul(item.ScenarioFileName);
}

std::string TBatchRun::OutputRoot(const PrItemRec& item) {
    return DirectoryPart(
        MakeTargetFileName(item.SourceDirectory + "x", item.SourceDirectory, item.TargetDirectory));
}

TScanOptions TBatchRun::ScanOptionsFor(const PrItemRec& item, bool warn) {
    TScanOptions options;
    options.Recurse = item.SourceScanSubDir;
    // Results written inside the source folder are not sources: a re-run
    // must not take the last run's results as new pictures. Compared as the
    // folders really are, so that a target reached through a link is found.
    options.Exclude = OutputRoot(item);
    std::error_code ec;
    const std::string realSource =
        IncludeTrailingSeparator(fs::weakly_canonical(item.SourceDirectory, ec).string());
    const std::string realRoot = IncludeTrailingSeparator(fs::weakly_canonical(options.Exclude, ec).string());
    if (!ec && PathInside(realRoot, realSource))
        options.Exclude = item.SourceDirectory + realRoot.substr(realSource.size());
    options.Warn = warn;
    return options;
}

// Every file below every source folder of the run, whatever its type:
// none of them may be replaced by a result, whichever item writes it.
void TBatchRun::CollectSources() {
    for (const PrItemRec& item : items_) {
        if (!ItemPathsUsable(item) || item.SourceDirectory.empty()) continue;
        ScanTree(item.SourceDirectory, ScanOptionsFor(item, false),
                 [this](const std::string& file) { sources_->Add(file); });
    }
}

// Results that two sources of the run would share: the first source in
// file-list order keeps it, the later ones are not processed.
void TBatchRun::FindCollisions(TItemFiles& files) {
    files.Collision.assign(files.Found.size(), {});
    files.Results.assign(files.Found.size(), {});
    std::vector<const TSaveToFile*> savers;
    for (const auto& rec : *files.Entries)
        if (auto* save = dynamic_cast<const TSaveToFile*>(rec->Task.get())) savers.push_back(save);
    const PrItemRec& item = *files.Rec;
    for (std::size_t j = 0; j < files.Found.size(); ++j) {
        const std::string& file = files.Found[j];
        const std::string target = MakeTargetFileName(file, item.SourceDirectory, item.TargetDirectory);
        for (const TSaveToFile* save : savers) {
            const std::string result = save->ResultFileName(target, vsCurrent, file, static_cast<int>(j) + 1);
            if (result.empty()) continue;
            files.Results[j].push_back(result);
            const auto [owner, isNew] = resultOwners_.emplace(result, file);
            if (isNew || !files.Collision[j].empty()) continue;
            files.Collision[j] = {{"Result file \"", LogErrorColor},
                                  {result, LogValueColor},
                                  {"\" of \"", LogErrorColor},
                                  {file, LogValueColor},
                                  {"\" is already the result of \"", LogErrorColor},
                                  {owner->second, LogValueColor},
                                  {"\"; not written!", LogErrorColor}};
        }
    }
}

TBatchRun::~TBatchRun() = default;

int TBatchRun::ResolveJobs(int jobs) {
    if (jobs > 0) return jobs;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

void TBatchRun::Progress(int position, const std::string& file) {
    position_ = position;
    if (OnProgress) OnProgress(position_, maximum_, file);
}

void TBatchRun::FileDone(const TItemFiles& files, int index, TFileStatus status, double ms,
                         std::string reason) {
    if (status == TFileStatus::Skipped) {
        ++filesUpToDate_;
    } else if (status != TFileStatus::Planned) {
        ++filesDone_;
        if (status == TFileStatus::Failed) ++filesFailed_;
    }
    const auto at = static_cast<std::size_t>(index);
    if (OnFileDone)
        OnFileDone({files.Item, index, static_cast<int>(files.Found.size()), files.Found[at],
                    status != TFileStatus::Failed, status, files.Results[at], std::move(reason), ms});
}

// Decides, before any file is processed, which sources are up to date.
void TBatchRun::PlanItem(TItemFiles& files) {
    const std::size_t n = files.Found.size();
    files.Skip.assign(n, 0);
    if (!files.Rec->SkipUnchanged) return;
    files.Scenario = ScenarioHash(*files.Entries);
    files.State = std::make_unique<TRunState>(files.Rec->TargetDirectory);
    files.State->Load();
    files.Stamps.assign(n, {});
    for (std::size_t j = 0; j < n; ++j) {
        files.Skip[j] =
            StampOf(files.Found[j], files.Stamps[j]) && files.Collision[j].empty() &&
            files.State->UpToDate(files.Found[j], files.Stamps[j], files.Scenario, files.Results[j]);
    }
}

void TBatchRun::RecordState(TItemFiles& files, int index, bool ok) {
    if (!files.State) return;
    const auto at = static_cast<std::size_t>(index);
    if (ok)
        files.State->Record(files.Found[at], files.Stamps[at], files.Scenario, files.Results[at]);
    else
        files.State->Forget(files.Found[at]);
}

void TBatchRun::SaveState(TItemFiles& files) {
    if (files.State && !files.State->Save())
        LogNew(lmWarning, {{"Can't write file \"", LogErrorColor},
                           {files.State->FileName(), LogValueColor},
                           {"\"; the next run processes these files again.", LogErrorColor}});
}

// A dry run: the results each source would get, and whether it would be
// processed; nothing is written.
bool TBatchRun::PlanOnly(TItemFiles& files) {
    for (int j = 0; j < static_cast<int>(files.Found.size()); ++j) {
        const auto at = static_cast<std::size_t>(j);
        Progress(j, files.Found[at]);
        if (!files.Collision[at].empty()) {
            LogNew(lmError, files.Collision[at]);
            FileDone(files, j, TFileStatus::Failed, 0, PlainText(files.Collision[at]));
            continue;
        }
        TTextColorArray text = {
            {"Dry run: \"", LogTextColor}, {files.Found[at], LogValueColor}, {"\" -> ", LogTextColor}};
        for (const std::string& result : files.Results[at]) {
            text.push_back({"\"", LogTextColor});
            text.push_back({result, LogValueColor});
            text.push_back({"\" ", LogTextColor});
        }
        text.push_back(
            {files.Skip[at] ? "up to date, would be skipped." : "would be processed.", LogTextColor});
        LogNew(lmInfo, text);
        FileDone(files, j, files.Skip[at] ? TFileStatus::Skipped : TFileStatus::Planned);
    }
    return true;
}

// One file after the other on this thread, logging straight to the sinks.
bool TBatchRun::RunSequential(TItemFiles& files) {
    TRunContext& ctx = *ctx_;
    const int n = static_cast<int>(files.Found.size());
    const int last = static_cast<int>(files.Entries->size()) - 1;
    for (int j = 0; j < n; ++j) {
        const std::string& file = files.Found[static_cast<std::size_t>(j)];
        if (!StopRequested()) Progress(j, file);
        if (StopRequested()) {
            filesSkipped_ += n - j;
            return true;
        }
        ctx.CurrentSourceFile = file;
        ctx.CurrentFileNumber = j + 1;
        DropPreviousPicture(ctx);
        const TTextColorArray& collision = files.Collision[static_cast<std::size_t>(j)];
        if (!collision.empty()) {
            LogNew(lmError, collision);
            RecordState(files, j, false);
            FileDone(files, j, TFileStatus::Failed, 0, PlainText(collision));
            continue;
        }
        if (files.Skip[static_cast<std::size_t>(j)]) {
            LogUpToDate(file);
            FileDone(files, j, TFileStatus::Skipped);
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        std::optional<TLogCapture> capture;
        if (WantReasons) capture.emplace();
        std::string reason;
        const auto release = [&] {
            if (!capture) return;
            const std::vector<TLogCapture::Entry> log = capture->Take();
            reason = FirstError(log);
            TLogCapture::Replay(log);
        };
        // The runner has already logged why; the file still counts, so a run
        // with lost files does not end as complete.
        bool ok = false;
        try {
            ok = RunScenario(ctx, 0, last, files.Entries) != -1;
        } catch (...) {
            release();
            throw;
        }
        release();
        ReleaseTaskBitmaps(*files.Entries);
        RecordState(files, j, ok);
        FileDone(files, j, ok ? TFileStatus::Done : TFileStatus::Failed, MillisecondsSince(start),
                 std::move(reason));
    }
    return true;
}

// Workers take the files in list order; each file's messages are kept on
// its worker and logged here once every earlier file has been logged.
bool TBatchRun::RunParallel(TItemFiles& files, int workerCount) {
    std::vector<std::unique_ptr<TWorker>> workers;
    for (int w = 0; w < workerCount; ++w) {
        auto worker = std::make_unique<TWorker>();
        worker->Ctx.CurrentProjectItem = files.Rec;
        worker->Ctx.DeferResultSync = true;
        worker->Ctx.DeferResultCommit = true;
        worker->Ctx.Sources = sources_.get();
        // A task whose settings do not copy faithfully would make different
        // pictures on another worker: such an item runs on one.
        if (!CloneScenario(*files.Entries, worker->Ctx, worker->Entries)) return RunSequential(files);
        workers.push_back(std::move(worker));
    }

    const int n = static_cast<int>(files.Found.size());
    const int last = static_cast<int>(files.Entries->size()) - 1;
    std::vector<TFileResult> results(static_cast<std::size_t>(n));
    TMemoryBudget budget(MemoryLimit > 0 ? MemoryLimit : DefaultMemoryBudget());
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<int> next{0};
    std::atomic<bool> abandon{false};
    int running = 0;

    const auto processFiles = [&](TWorker& worker, TMemoryBudget::TWorkerGate& gate) {
        while (!StopRequested() && !abandon.load(std::memory_order_relaxed)) {
            const int j = next.fetch_add(1);
            if (j >= n) break;
            gate.BeginFile(j);
            if (j + workerCount < n && !files.Skip[static_cast<std::size_t>(j + workerCount)])
                HintReadAhead(files.Found[static_cast<std::size_t>(j + workerCount)]);
            TFileResult result;
            {
                TLogCapture capture;
                worker.Ctx.CurrentSourceFile = files.Found[static_cast<std::size_t>(j)];
                worker.Ctx.CurrentFileNumber = j + 1;
                DropPreviousPicture(worker.Ctx);
                const TTextColorArray& collision = files.Collision[static_cast<std::size_t>(j)];
                const auto start = std::chrono::steady_clock::now();
                try {
                    if (!collision.empty()) {
                        LogNew(lmError, collision);
                    } else if (files.Skip[static_cast<std::size_t>(j)]) {
                        LogUpToDate(files.Found[static_cast<std::size_t>(j)]);
                        result.Ok = result.Skipped = true;
                    } else {
                        result.Ok = RunScenario(worker.Ctx, 0, last, &worker.Entries) != -1;
                    }
                } catch (const std::exception& e) {
                    LogError(e.what());
                    result.Raised = true;
                } catch (...) {
                    result.Raised = true;
                }
                result.Log = capture.Take();
                result.Milliseconds = MillisecondsSince(start);
            }
            result.Commits = std::move(worker.Ctx.PendingCommits);
            worker.Ctx.PendingCommits.clear();
            ReleaseTaskBitmaps(worker.Entries);
            // The picture stays in the general object only while this may
            // be the last file of the list (the run leaves it there); held
            // longer, it would be memory outside the budget.
            if (j + 1 < n && next.load() > j + 1) DropPreviousPicture(worker.Ctx);
            gate.EndFile();
            worker.LastIndex = j;
            if (result.Raised) abandon = true;
            result.Done = true;
            {
                std::lock_guard lock(mutex);
                results[static_cast<std::size_t>(j)] = std::move(result);
            }
            changed.notify_all();
        }
    };
    const auto work = [&](TWorker& worker) {
        TMemoryBudget::TWorkerGate gate(budget);
        SetThreadPixelMemoryGate(&gate);
        try {
            processFiles(worker, gate);
        } catch (...) {
            // Out of memory outside a task: no further file is started, and
            // the file at hand counts as not done.
            abandon = true;
        }
        SetThreadPixelMemoryGate(nullptr);
        gate.EndFile();
        {
            std::lock_guard lock(mutex);
            --running;
        }
        changed.notify_all();
    };

    std::vector<std::thread> threads;
    for (auto& worker : workers) {
        {
            std::lock_guard lock(mutex);
            ++running;
        }
        try {
            threads.emplace_back(work, std::ref(*worker));
        } catch (const std::system_error&) {
            std::lock_guard lock(mutex);
            --running;
            break;
        }
    }
    if (threads.empty()) {
        workers.clear();
        return RunSequential(files);
    }

    bool raised = false;
    int released = 0;
    try {
        std::unique_lock lock(mutex);
        while (released < n) {
            changed.wait(lock,
                         [&] { return results[static_cast<std::size_t>(released)].Done || running == 0; });
            if (!results[static_cast<std::size_t>(released)].Done) break;
            TFileResult result = std::move(results[static_cast<std::size_t>(released)]);
            lock.unlock();
            // Results go into place in list order, as on one worker.
            std::string uncommitted;
            for (auto& commit : result.Commits)
                if (!commit->Commit()) uncommitted = commit->Target();
            TLogCapture::Replay(result.Log);
            if (!uncommitted.empty()) {
                LogNew(lmError, {{"Can't write file \"", LogErrorColor},
                                 {uncommitted, LogValueColor},
                                 {"\"!", LogErrorColor}});
                result.Ok = false;
            }
            Progress(released, files.Found[static_cast<std::size_t>(released)]);
            if (result.Raised) {
                raised = true;
            } else if (result.Skipped) {
                FileDone(files, released, TFileStatus::Skipped);
            } else {
                RecordState(files, released, result.Ok);
                FileDone(files, released, result.Ok ? TFileStatus::Done : TFileStatus::Failed,
                         result.Milliseconds, WantReasons ? FirstError(result.Log) : std::string());
            }
            ++released;
            lock.lock();
        }
    } catch (...) {
        // A callback raised an error: the workers finish the files at hand
        // and stop before the error goes on to fail the item.
        abandon = true;
        for (std::thread& t : threads) t.join();
        throw;
    }
    for (std::thread& t : threads) t.join();
    peakReserved_ = std::max(peakReserved_, budget.PeakReserved());
    memoryWaits_ += budget.Waits();
    // A worker that gave up outside a task (out of memory) fails the item
    // like a task error; only a stop skips files.
    if (abandon.load() && !raised) raised = true;
    if (!raised) filesSkipped_ += n - released;

    // Leave the context as one worker would: the last file processed, with
    // its image in the general object.
    int lastIndex = -1;
    TWorker* lastWorker = nullptr;
    for (auto& worker : workers)
        if (worker->LastIndex > lastIndex) {
            lastIndex = worker->LastIndex;
            lastWorker = worker.get();
        }
    if (lastWorker) {
        TBaseClass& from = lastWorker->Ctx.GeneralObject();
        TBaseClass& to = ctx_->GeneralObject();
        to.SrcBitmap = std::move(from.SrcBitmap);
        to.DstBitmap = std::move(from.DstBitmap);
        to.BitmapsInfo = from.BitmapsInfo;
        ctx_->CurrentSourceFile = files.Found[static_cast<std::size_t>(lastIndex)];
    }
    return !raised;
}

bool TBatchRun::RunItem(int itemIndex) {
    const PrItemRec& item = items_[static_cast<std::size_t>(itemIndex)];
    TRunContext& ctx = *ctx_;
    ctx.CurrentProjectItem = &item;
    TTaskList entries;
    bool ok = true;
    try {
        if (!ItemPathsUsable(item)) {
            LogNew(lmError, {{"Item ", LogErrorColor},
                             {std::to_string(itemIndex + 1), LogValueColor},
                             {" names a folder or file with a NUL character; not run!", LogErrorColor}});
            ok = false;
        } else if (!ReadScenario(ctx, item.ScenarioFileName, entries)) {
            ok = false;
        } else if (const TaskRec* first = GetTaskRecord(&entries, 0); !first) {
            ok = false;
        } else if (auto* load = dynamic_cast<TLoadFromFile*>(first->Task.get()); !load) {
            ok = false;
        } else {
            load->BuildExtensionLists(vsCurrent);
            TItemFiles files;
            files.Item = itemIndex;
            files.Rec = &item;
            files.Entries = &entries;
            FindFiles(item.SourceDirectory, load->EnabledExtensions, files.Found, ScanOptionsFor(item, true));
            if (FileFilter)
                std::erase_if(files.Found, [this](const std::string& f) { return !FileFilter(f); });
            KeepShard(files.Found, item.SourceDirectory, Shard);
            FindCollisions(files);
            PlanItem(files);
            filesFound_ += static_cast<int>(files.Found.size());
            maximum_ = static_cast<int>(files.Found.size()) - 1;
            if (DryRun) {
                ok = PlanOnly(files);
            } else {
                const int workers = std::min(ResolveJobs(Jobs), static_cast<int>(files.Found.size()));
                const int doneBefore = filesDone_;
                try {
                    ok = workers > 1 ? RunParallel(files, workers) : RunSequential(files);
                } catch (...) {
                    SaveState(files);
                    throw;
                }
                SaveState(files);
                if (filesDone_ > doneBefore) NoteTargetToSync(item.TargetDirectory);
            }
        }
    } catch (const std::exception& e) {
        LogError(e.what());
        ok = false;
    } catch (...) {
        ok = false;
    }
    return ok;
}

void TBatchRun::NoteTargetToSync(const std::string& directory) {
    struct stat st {};
    if (::stat(directory.c_str(), &st) == 0)
        syncTargets_.emplace(static_cast<std::uint64_t>(st.st_dev), directory);
}

// One flush per file system for all results of the run (see DeferResultSync),
// before the run can call itself complete.
bool TBatchRun::SyncTargets() {
    bool ok = true;
    for (const auto& [device, directory] : syncTargets_)
        if (!SyncFileSystemOf(directory)) {
            LogNew(lmError, {{"Can't write the results to disk below \"", LogErrorColor},
                             {directory, LogValueColor},
                             {"\"!", LogErrorColor}});
            ok = false;
        }
    syncTargets_.clear();
    return ok;
}

TProgressCounts TBatchRun::ProgressCounts() const {
    TProgressCounts c;
    c.Done = filesDone_ - filesFailed_;
    c.Failed = filesFailed_;
    c.Skipped = filesUpToDate_;
    c.Left = std::max(0, maximum_ + 1 - position_);
    c.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    return c;
}

bool TBatchRun::Execute() {
    start_ = std::chrono::steady_clock::now();
    Progress(0, {});
    bool error = false;
    CollectSources();
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        if (StopRequested()) {
            itemsSkipped_ = static_cast<int>(items_.size()) - i;
            break;
        }
        const int failedBefore = filesFailed_;
        if (!RunItem(i)) {
            ++itemsFailed_;
            error = true;
        }
        if (filesFailed_ != failedBefore) error = true;
    }
    if (!SyncTargets()) error = true;
    stopped_ = filesSkipped_ > 0 || itemsSkipped_ > 0;
    if (stopped_) {
        error = true;
        TTextColorArray text = {{"Run stopped: ", LogTextColor},
                                {std::to_string(filesDone_), LogValueColor},
                                {" file(s) done, ", LogTextColor},
                                {std::to_string(filesSkipped_), LogValueColor},
                                {" file(s) skipped", LogTextColor}};
        if (itemsSkipped_ > 0) {
            text.push_back({", ", LogTextColor});
            text.push_back({std::to_string(itemsSkipped_), LogValueColor});
            text.push_back({" item(s) not started", LogTextColor});
        }
        text.push_back({".", LogTextColor});
        LogNew(lmWarning, text);
    }
    if (error)
        LogNew(lmInfo, {{"Project error(s)!", LogErrorColor}});
    else
        LogNew(lmInfo, {{"Project complete.", LogTextColor}});
    Progress(0, {});
    return !error;
}

}  // namespace pm
