#include "cli/BatchCli.h"

#include "cli/LogTarget.h"
#include "cli/PictureInfo.h"
#include "cli/RunReport.h"

#include "batch/BatchRun.h"
#include "batch/FolderWatch.h"
#include "batch/ProjectFile.h"
#include "core/ClassRegistry.h"
#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/ScenarioFile.h"
#include "log/KX_LogFile.h"
#include "log/SafeText.h"
#include "log/TerminalConsole.h"
#include "log/WriteLog.h"
#include "tasks/PM__TLoadFromFile.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pm {

namespace {

namespace fs = std::filesystem;

void Complain(std::FILE* err, const std::string& text) {
    // Our own words start on a line of their own, never after a log message.
    if (auto* console = dynamic_cast<TTerminalConsole*>(GetLogConsole())) console->Finish();
    std::fprintf(err, "pixmill-batch: %s\n", EscapeControls(text).c_str());
    std::fflush(err);
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    if (ec) return path;
    return p.lexically_normal().string();
}

// The log sinks for one command: the terminal console, optionally a log
// file; both are taken down again when the command ends.
class TCliLog {
public:
    TCliLog(std::FILE* out, bool quiet) : console_(out, TTerminalConsole::ColorMode::Auto, quiet), out_(out) {
        previous_ = GetLogConsole();
        SetLogConsole(&console_);
    }
    ~TCliLog() {
        CloseFile();
        console_.Finish();
        SetLogConsole(previous_);
    }
    // Writes the closing line and closes the log file; returns what the
    // system said when a write to it first failed (empty: all went well).
    std::string CloseFile() {
        // The closing line belongs to the file; the terminal has no use for it.
        if (LogFileActive()) WriteLog(lmInfo, {{" - Closing log-file ...", LogTextColor}}, true, false, true);
        std::string error = LogFileWriteError();
        SetLogFile(nullptr);
        return error;
    }
    bool OpenFile(const std::string& name) {
        auto file = std::make_unique<TKX_LogFile>(&console_, true, true, name);
        if (!file->Enabled()) return false;
        SetLogFile(std::move(file));
        return true;
    }
    TTerminalConsole& Console() { return console_; }
    // The width of the terminal the log goes to (0: none), looked at now
    // and then: the window may be resized during a run.
    int Columns() {
        const auto now = std::chrono::steady_clock::now();
        if (now - columnsAt_ > std::chrono::seconds(1)) {
            winsize ws{};
            columns_ = ::ioctl(::fileno(out_), TIOCGWINSZ, &ws) == 0 ? ws.ws_col : 0;
            columnsAt_ = now;
        }
        return columns_;
    }

private:
    TTerminalConsole console_;
    std::FILE* out_;
    int columns_ = 0;
    std::chrono::steady_clock::time_point columnsAt_{};
    ILogConsole* previous_ = nullptr;
};

// The progress line: the position in the item's list, the counts, the rate,
// the time left and the file at hand.
// A line wider than the terminal would wrap, and only its last row would be
// cleared: the file name gives way, from its start.
void ShowProgress(TCliLog& log, const TBatchRun& run, int position, int maximum, const std::string& file) {
    if (file.empty()) {
        log.Console().SetStatus({});
        return;
    }
    const std::string head = "[" + std::to_string(position) + "/" + std::to_string(maximum + 1) + "] " +
                             ProgressText(run.ProgressCounts()) + "  ";
    std::string name = EscapeControls(file);
    const int columns = log.Columns();
    const std::size_t room = columns > 0 ? static_cast<std::size_t>(columns) - 1 : std::string::npos;
    if (room != std::string::npos && head.size() + name.size() > room) {
        std::size_t cut =
            name.size() - std::min(name.size(), room > head.size() + 3 ? room - head.size() - 3 : 0);
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
        name = "..." + name.substr(cut);
    }
    log.Console().SetStatus((head + name).substr(0, room));
}

// Ctrl+C and SIGTERM ask the run in progress (and a watch) to stop; the
// handlers reset themselves, so a second signal ends the program the usual way.
std::atomic<TBatchRun*> g_signalledRun{nullptr};
std::atomic<bool> g_stopSignalled{false};

extern "C" void OnStopSignal(int) {
    g_stopSignalled = true;
    if (TBatchRun* run = g_signalledRun.load()) run->Stop();
    static const char note[] =
        "\npixmill-batch: stopping after the files in progress (press Ctrl+C again to quit at once)\n";
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, note, sizeof note - 1);
}

class TStopSignals {
public:
    TStopSignals() {
        g_stopSignalled = false;
        struct sigaction sa {};
        sa.sa_handler = OnStopSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        ::sigaction(SIGINT, &sa, &oldInt_);
        ::sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~TStopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

int FinishRun(TBatchRun& run, bool complete, std::FILE* err) {
    if (complete) return kExitComplete;
    if (run.Stopped()) {
        Complain(err, "the run was stopped: " + std::to_string(run.FilesDone()) + " file(s) done, " +
                          std::to_string(run.FilesSkipped()) + " skipped");
        return kExitStopped;
    }
    std::string why = "the run ended with \"Project error(s)!\"";
    if (run.FilesFailed() > 0)
        why += ": " + std::to_string(run.FilesFailed()) + " of " + std::to_string(run.FilesFound()) +
               " files failed";
    if (run.ItemsFailed() > 0)
        why += (run.FilesFailed() > 0 ? ", " : ": ") + std::to_string(run.ItemsFailed()) + " item(s) failed";
    Complain(err, why);
    return kExitErrors;
}

// The run a stop signal reaches, while in scope; a signal that came before
// stops it at once.
class TSignalledRun {
public:
    explicit TSignalledRun(TBatchRun& run) {
        g_signalledRun = &run;
        if (g_stopSignalled.load()) run.Stop();
    }
    ~TSignalledRun() { g_signalledRun = nullptr; }
    TSignalledRun(const TSignalledRun&) = delete;
    TSignalledRun& operator=(const TSignalledRun&) = delete;
};

// What every run of one command shares.
struct TCommand {
    const TCliOptions& Options;
    TCliLog& Log;
    std::FILE* Err;
    TRunReport* Report = nullptr;  // null without --report
    bool Watching = false;         // the stop signals are the watch's
};

int Execute(TBatchRun& run, TCommand& c) {
    const TCliOptions& o = c.Options;
    run.Jobs = o.Jobs;
    run.Shard = {o.ShardIndex, o.ShardCount};
    run.MemoryLimit = o.MemoryLimit;
    run.DryRun = o.DryRun;
    TCliLog& log = c.Log;
    run.OnProgress = [&log, &run](int position, int maximum, const std::string& file) {
        ShowProgress(log, run, position, maximum, file);
    };
    if (c.Report) {
        run.WantReasons = true;
        run.OnFileDone = [report = c.Report](const TBatchRun::TFileDone& done) { report->File(done); };
    }
    bool complete = false;
    {
        std::optional<TStopSignals> signals;
        if (!c.Watching) signals.emplace();
        TSignalledRun current(run);
        complete = run.Execute();
    }
    std::FILE* err = c.Err;
    log.Console().SetStatus({});
    return FinishRun(run, complete, err);
}

// Reads a scenario without showing the reader's messages unless it fails;
// true when it can drive a run (it starts with a loading task).
bool ScenarioUsable(const std::string& fileName) {
    TLogCapture capture;
    TRunContext ctx;
    TTaskList list;
    const bool read = ReadScenario(ctx, fileName, list);
    const bool usable = read && !list.empty() && dynamic_cast<TLoadFromFile*>(list.front()->Task.get());
    std::vector<TLogCapture::Entry> messages = capture.Take();
    if (!usable) TLogCapture::Replay(messages);
    return usable;
}

std::vector<PrItemRec> WithSkipUnchanged(std::vector<PrItemRec> items, bool skip) {
    if (skip)
        for (PrItemRec& item : items) item.SkipUnchanged = true;
    return items;
}

// Runs once, then each set of new or changed files that settled, until a
// stop signal.
int Watch(const std::vector<PrItemRec>& items, TCommand& c) {
    TStopSignals signals;
    c.Watching = true;
    int status = kExitComplete;
    TFolderWatch watch(WithSkipUnchanged(items, true), {});
    watch.Run(
        [&](const std::set<std::string>* files) {
            TBatchRun run(WithSkipUnchanged(items, true));
            if (files) run.FileFilter = [files](const std::string& file) { return files->count(file) > 0; };
            const int result = Execute(run, c);
            if (result != kExitComplete && status == kExitComplete) status = result;
        },
        g_stopSignalled);
    return status;
}

int RunItems(const std::vector<PrItemRec>& items, TCommand& c) {
    if (c.Options.Command == TCliCommand::WatchProject || c.Options.Command == TCliCommand::WatchItem)
        return Watch(items, c);
    TBatchRun run(WithSkipUnchanged(items, c.Options.SkipUnchanged));
    return Execute(run, c);
}

int RunProjectFile(TCommand& c) {
    const TCliOptions& o = c.Options;
    std::FILE* err = c.Err;
    if (!FileExists(o.ProjectFile)) {
        Complain(err, "project file not found: " + o.ProjectFile);
        return kExitUsage;
    }
    TProjectFile project;
    if (!ReadProjectFile(o.ProjectFile, project)) {
        Complain(err, "cannot read project file " + o.ProjectFile);
        return kExitUsage;
    }
    if (project.Items.empty()) {
        Complain(err, "no item of project " + o.ProjectFile + " can be run");
        return kExitUsage;
    }
    const int status = RunItems(project.Items, c);
    // Items dropped while opening are lost work too, even when the rest ran well.
    if (project.SkippedItems > 0 && status == kExitComplete) {
        Complain(err, std::to_string(project.SkippedItems) + " item(s) of the project were skipped");
        return kExitErrors;
    }
    return status;
}

int RunOneItem(TCommand& c) {
    const TCliOptions& o = c.Options;
    std::FILE* err = c.Err;
    PrItemRec item;
    item.SourceDirectory = IncludeTrailingSeparator(AbsolutePath(o.SourceDirectory));
    item.SourceScanSubDir = o.ScanSubDirs;
    item.TargetDirectory = IncludeTrailingSeparator(AbsolutePath(o.TargetDirectory));
    item.ScenarioFileName = AbsolutePath(o.ScenarioFile);
    if (!ValidateProjectItem(item)) {
        Complain(err, "source, target or scenario not found");
        return kExitUsage;
    }
    if (!ScenarioUsable(item.ScenarioFileName)) {
        Complain(err, "cannot use scenario file " + o.ScenarioFile);
        return kExitUsage;
    }
    return RunItems({item}, c);
}

int ScenarioNew(const TCliOptions& o, std::FILE* err) {
    if (fs::exists(fs::symlink_status(o.ScenarioFile))) {
        Complain(err, o.ScenarioFile + " already exists; not overwritten");
        return kExitUsage;
    }
    TRunContext ctx;
    TTaskList tasks = NewScenarioTasks(ctx);
    if (!WriteScenarioFile(tasks, o.ScenarioFile)) {
        Complain(err, "cannot write scenario file " + o.ScenarioFile);
        return kExitErrors;
    }
    return kExitComplete;
}

int ScenarioCheck(const TCliOptions& o, TCliLog& log, std::FILE* out, std::FILE* err) {
    if (!FileExists(o.ScenarioFile)) {
        Complain(err, "scenario file not found: " + o.ScenarioFile);
        return kExitUsage;
    }
    TRunContext ctx;
    TTaskList list;
    const bool read = ReadScenario(ctx, o.ScenarioFile, list);
    log.Console().Finish();
    if (!o.Quiet)
        for (std::size_t i = 0; i < list.size(); ++i)
            std::fprintf(out, "%3zu. %s (%s)\n", i + 1, EscapeControls(list[i]->Name).c_str(),
                         list[i]->Task->ClassName().c_str());
    std::fflush(out);
    if (!read) {
        Complain(err, "cannot read scenario file " + o.ScenarioFile);
        return kExitUsage;
    }
    if (list.empty() || !dynamic_cast<TLoadFromFile*>(list.front()->Task.get())) {
        Complain(err, "scenario " + o.ScenarioFile + " has no loading task to start a run");
        return kExitUsage;
    }
    return kExitComplete;
}

}  // namespace

int RunCommandLine(const TCliOptions& o, std::FILE* out, std::FILE* err) {
    if (o.Command == TCliCommand::Help) {
        std::fputs(UsageText().c_str(), out);
        return kExitComplete;
    }
    if (o.Command == TCliCommand::Version) {
        std::fputs(VersionText().c_str(), out);
        return kExitComplete;
    }
    // Opening the log file removes an old one: it must not be a file the
    // command is about to read.
    if (const std::string conflict = LogFileConflict(o); !conflict.empty()) {
        Complain(err, conflict + "; nothing done");
        return kExitUsage;
    }
    TCliLog log(out, o.Quiet);
    if (!o.LogFile.empty() && !log.OpenFile(AbsolutePath(o.LogFile))) {
        Complain(err, "cannot open log file " + o.LogFile);
        return kExitUsage;
    }
    TRunReport report;
    if (!o.ReportFile.empty()) {
        std::string conflict = OutputFileConflict(o, o.ReportFile, "the report file");
        if (conflict.empty() && !o.LogFile.empty() && AbsolutePath(o.LogFile) == AbsolutePath(o.ReportFile))
            conflict = "the report file " + o.ReportFile + " is the log file";
        if (!conflict.empty()) {
            Complain(err, conflict + "; nothing done");
            return kExitUsage;
        }
        if (!report.Open(AbsolutePath(o.ReportFile))) {
            Complain(err, "cannot open report file " + o.ReportFile);
            return kExitUsage;
        }
    }
    TCommand command{o, log, err, report.IsOpen() ? &report : nullptr};
    const auto started = std::chrono::steady_clock::now();
    int status = kExitUsage;
    switch (o.Command) {
    case TCliCommand::RunProject:
    case TCliCommand::WatchProject:
        status = RunProjectFile(command);
        break;
    case TCliCommand::RunItem:
    case TCliCommand::WatchItem:
        status = RunOneItem(command);
        break;
    case TCliCommand::ScenarioNew:
        status = ScenarioNew(o, err);
        break;
    case TCliCommand::ScenarioCheck:
        status = ScenarioCheck(o, log, out, err);
        break;
    case TCliCommand::Info:
        status = PrintPictureInfo(o.Files, out, [err](const std::string& line) { Complain(err, line); })
                     ? kExitComplete
                     : kExitErrors;
        break;
    default:
        break;
    }
    if (report.IsOpen() &&
        !report.Close(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count())) {
        Complain(err, "cannot write report file " + o.ReportFile);
        if (status == kExitComplete) status = kExitErrors;
    }
    // A log that lost messages is no record of the run: say so once, and do
    // not call the command a success.
    if (const std::string error = log.CloseFile(); !error.empty()) {
        Complain(err, "cannot write log file " + o.LogFile + ": " + error);
        if (status == kExitComplete) status = kExitErrors;
    }
    return status;
}

int CommandLineMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const TCliParseResult parsed = ParseCommandLine(args);
    if (!parsed.Ok) {
        Complain(err, parsed.Error + " (see pixmill-batch --help)");
        return kExitUsage;
    }
    try {
        return RunCommandLine(parsed.Options, out, err);
    } catch (const std::exception& e) {
        Complain(err, e.what());
        return kExitErrors;
    }
}

}  // namespace pm
