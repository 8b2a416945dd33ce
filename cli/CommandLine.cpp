#include "cli/CommandLine.h"

#include "batch/MemoryBudget.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace pm {

namespace {

// Splits "--name=value" into name and value.
bool SplitInline(const std::string& arg, std::string& name, std::string& value) {
    const std::size_t eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos) return false;
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
}

// A whole decimal number from `min` to `max`, nothing else.
bool ParseNumber(const std::string& text, int min, int max, int& out) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < min || v > max) return false;
    out = v;
    return true;
}

constexpr int kMaxJobs = 1024;
constexpr int kMaxShards = 1000000;

TCliParseResult Fail(std::string error) {
    TCliParseResult r;
    r.Error = std::move(error);
    return r;
}

}  // namespace

TCliParseResult ParseCommandLine(const std::vector<std::string>& args) {
    TCliOptions o;
    std::vector<std::string> positional;
    bool help = false, version = false, noSubdirs = false, optionsEnded = false;
    std::string scenario, source, target, log, jobs, shard, memory, report;
    bool haveScenario = false, haveSource = false, haveTarget = false, haveLog = false, haveJobs = false,
         haveShard = false, haveMemory = false, haveReport = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        if (arg == "--version") {
            version = true;
            continue;
        }
        if (arg == "--quiet" || arg == "-q") {
            o.Quiet = true;
            continue;
        }
        if (arg == "--no-subdirs") {
            noSubdirs = true;
            continue;
        }
        if (arg == "--skip-unchanged") {
            o.SkipUnchanged = true;
            continue;
        }
        if (arg == "--dry-run") {
            o.DryRun = true;
            continue;
        }
        std::string name = arg, value;
        bool hasValue = SplitInline(arg, name, value);
        struct Valued {
            const char* name;
            std::string* value;
            bool* seen;
        };
        const Valued valued[] = {{"--scenario", &scenario, &haveScenario},
                                 {"--source", &source, &haveSource},
                                 {"--target", &target, &haveTarget},
                                 {"--log", &log, &haveLog},
                                 {"--jobs", &jobs, &haveJobs},
                                 {"--shard", &shard, &haveShard},
                                 {"--memory-limit", &memory, &haveMemory},
                                 {"--report", &report, &haveReport}};
        const Valued* match = nullptr;
        for (const Valued& v : valued)
            if (name == v.name) match = &v;
        if (!match) return Fail("unknown option " + name);
        if (!hasValue) {
            if (i + 1 >= args.size()) return Fail("option " + name + " needs a value");
            value = args[++i];
        }
        if (value.empty()) return Fail("option " + name + " needs a value");
        if (*match->seen) return Fail("option " + name + " given twice");
        *match->seen = true;
        *match->value = value;
    }

    o.LogFile = log;
    o.ReportFile = report;
    const bool newRunOptions = haveReport || o.SkipUnchanged || o.DryRun;
    if (haveJobs && !ParseNumber(jobs, 0, kMaxJobs, o.Jobs))
        return Fail("option --jobs needs a number from 0 (one per core) to " + std::to_string(kMaxJobs));
    if (haveMemory && !ParseMemorySize(memory, o.MemoryLimit))
        return Fail("option --memory-limit needs a size such as 2G, 512M or 0 (half the available memory)");
    if (haveShard) {
        const std::size_t slash = shard.find('/');
        const bool parsed = slash != std::string::npos &&
                            ParseNumber(shard.substr(slash + 1), 1, kMaxShards, o.ShardCount) &&
                            ParseNumber(shard.substr(0, slash), 1, o.ShardCount, o.ShardIndex);
        if (!parsed) return Fail("option --shard needs K/N with 1 <= K <= N, for example --shard 2/4");
    }
    if (help) {
        o.Command = TCliCommand::Help;
        return {true, o, {}};
    }
    if (version) {
        o.Command = TCliCommand::Version;
        return {true, o, {}};
    }
    if (positional.empty()) return Fail("no command given");

    const bool itemOptions = haveScenario || haveSource || haveTarget;
    const std::string& command = positional[0];
    if (command == "run" || command == "watch") {
        const bool watch = command == "watch";
        if (watch && o.DryRun) return Fail("watch: --dry-run belongs to run");
        if (itemOptions) {
            if (positional.size() > 1)
                return Fail("give either a project file or --scenario, --source and --target");
            if (!haveScenario) return Fail(command + ": --scenario is missing");
            if (!haveSource) return Fail(command + ": --source is missing");
            if (!haveTarget) return Fail(command + ": --target is missing");
            o.Command = watch ? TCliCommand::WatchItem : TCliCommand::RunItem;
            o.ScenarioFile = scenario;
            o.SourceDirectory = source;
            o.TargetDirectory = target;
            o.ScanSubDirs = !noSubdirs;
            return {true, o, {}};
        }
        if (noSubdirs) return Fail("--no-subdirs belongs to run --scenario ... --source ... --target ...");
        if (positional.size() < 2) return Fail(command + ": no project file given");
        if (positional.size() > 2) return Fail(command + ": too many arguments");
        o.Command = watch ? TCliCommand::WatchProject : TCliCommand::RunProject;
        o.ProjectFile = positional[1];
        return {true, o, {}};
    }
    if (command == "scenario") {
        if (haveJobs || haveShard || haveMemory)
            return Fail("scenario: --jobs, --shard and --memory-limit belong to run");
        if (newRunOptions) return Fail("scenario: --skip-unchanged, --dry-run and --report belong to run");
        if (itemOptions || noSubdirs)
            return Fail("scenario: --scenario, --source, --target and --no-subdirs belong to run");
        if (positional.size() < 2) return Fail("scenario: say new or check");
        const std::string& sub = positional[1];
        if (sub != "new" && sub != "check") return Fail("scenario: unknown action " + sub);
        if (positional.size() < 3) return Fail("scenario " + sub + ": no scenario file given");
        if (positional.size() > 3) return Fail("scenario " + sub + ": too many arguments");
        o.Command = sub == "new" ? TCliCommand::ScenarioNew : TCliCommand::ScenarioCheck;
        o.ScenarioFile = positional[2];
        return {true, o, {}};
    }
    if (command == "info") {
        if (itemOptions || noSubdirs || haveJobs || haveShard || haveMemory)
            return Fail("info: --scenario, --source, --target, --no-subdirs, --jobs, --shard and "
                        "--memory-limit belong to run");
        if (newRunOptions) return Fail("info: --skip-unchanged, --dry-run and --report belong to run");
        if (positional.size() < 2) return Fail("info: no picture file given");
        o.Command = TCliCommand::Info;
        o.Files.assign(positional.begin() + 1, positional.end());
        return {true, o, {}};
    }
    return Fail("unknown command " + command);
}

std::string UsageText() {
    return "Usage:\n"
           "  pixmill-batch run PROJECT.pmp [RUN OPTIONS]\n"
           "  pixmill-batch run --scenario FILE.pms --source DIR --target DIR [--no-subdirs]\n"
           "                    [RUN OPTIONS]\n"
           "  pixmill-batch watch PROJECT.pmp [RUN OPTIONS]\n"
           "  pixmill-batch watch --scenario FILE.pms --source DIR --target DIR [--no-subdirs]\n"
           "                    [RUN OPTIONS]\n"
           "  pixmill-batch scenario new FILE.pms\n"
           "  pixmill-batch scenario check FILE.pms\n"
           "  pixmill-batch info FILE...\n"
           "  pixmill-batch --help | --version\n"
           "\n"
           "Runs a project, or one source folder through one scenario, without the desktop program.\n"
           "Every image below a source folder whose type the scenario's loading task accepts is\n"
           "processed and written below the target folder, which mirrors the source tree.\n"
           "watch runs once, then keeps watching the source folders and processes every new or\n"
           "changed picture once it has stopped growing and is no longer open for writing (as\n"
           "with --skip-unchanged), until Ctrl+C or SIGTERM.\n"
           "RUN OPTIONS: --jobs N, --shard K/N, --memory-limit SIZE, --skip-unchanged,\n"
           "--dry-run (run only), --report FILE.\n"
           "\n"
           "Options:\n"
           "  --scenario FILE   scenario file (.pms) for a run without a project file\n"
           "  --source DIR      folder with the source images\n"
           "  --target DIR      folder below which the results are written\n"
           "  --no-subdirs      do not scan the subfolders of the source folder\n"
           "  --jobs N          worker threads (default 0: one per core); 1 processes the files\n"
           "                    one after the other\n"
           "  --shard K/N       process only part K of N (1 <= K <= N) of every item's files, to\n"
           "                    spread one project over several processes or machines; the parts\n"
           "                    are disjoint and together hold every file\n"
           "  --memory-limit SIZE  memory the workers may hold for pictures, for example 4G or\n"
           "                    512M (default 0: half the memory available when the run starts);\n"
           "                    a file that does not fit waits for others to finish\n"
           "  --skip-unchanged  do not process a source whose results are up to date: made by this\n"
           "                    program from the same source with the same scenario settings\n"
           "                    (kept in the file .pixmill-state of the target folder)\n"
           "  --dry-run         list the result of every source and whether it would be processed\n"
           "                    or skipped; write nothing\n"
           "  --report FILE     write one JSON object per source file (source, result, status\n"
           "                    done/skipped/failed, or planned in a dry run, reason, ms) as it\n"
           "                    finishes, in file-list order, then one with the totals\n"
           "  --log FILE        also write the log to FILE (with date and time)\n"
           "  -q, --quiet       print errors only\n"
           "  -h, --help        show this text\n"
           "  --version         show the version\n"
           "\n"
           "scenario new writes a scenario with one task of every type and default settings;\n"
           "scenario check reads a scenario file and reports what it finds.\n"
           "info prints what the loader sees in each picture file: its format, its size as stored\n"
           "and upright, bits per pixel, EXIF orientation (1-8), colour profile, and the date\n"
           "taken, camera and lens of its EXIF block; a file that cannot be read gets a line with\n"
           "the reason on stderr and the status 1.\n"
           "\n"
           "Ctrl+C (or SIGTERM) stops a run: the files in progress are finished, no new one is\n"
           "started, and the log tells how many files were done and skipped; a second Ctrl+C ends\n"
           "the program at once. A result file is either complete or not there.\n"
           "\n"
           "Exit status: 0 when the run ends \"Project complete.\", 1 when it ends \"Project error(s)!\"\n"
           "(or items of the project file had to be skipped), 2 for a usage error, an unreadable\n"
           "project or scenario file or a project none of whose items can run, 3 when the run was\n"
           "stopped before its end.\n";
}

std::string VersionText() {
    std::string text = "Pixmill " PIXMILL_VERSION "\n";
    text += "engine " PIXMILL_VERSION " (";
#ifdef LIBJPEG_TURBO_VERSION
#define PM_STR2(x) #x
#define PM_STR(x) PM_STR2(x)
    text += "libjpeg-turbo " PM_STR(LIBJPEG_TURBO_VERSION);
#else
    text += "libjpeg " + std::to_string(JPEG_LIB_VERSION);
#endif
    text += ", libpng " PNG_LIBPNG_VER_STRING ", zlib " ZLIB_VERSION ")\n";
    return text;
}

}  // namespace pm
