#pragma once
// The arguments of pixmill-batch.
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

enum class TCliCommand {
    Help,
    Version,
    RunProject,
    RunItem,
    WatchProject,
    WatchItem,
    ScenarioNew,
    ScenarioCheck,
    Info
};

struct TCliOptions {
    TCliCommand Command = TCliCommand::Help;
    std::string ProjectFile;   // run PROJECT.pmp
    std::string ScenarioFile;  // run --scenario, scenario new/check
    std::string SourceDirectory;
    std::string TargetDirectory;
    bool ScanSubDirs = true;
    std::string LogFile;  // empty: no log file
    bool Quiet = false;
    int Jobs = 0;        // worker threads; 0: one per core
    int ShardIndex = 1;  // --shard K/N: this run does part K (1 .. N) of N
    int ShardCount = 1;
    std::uint64_t MemoryLimit = 0;   // --memory-limit in bytes; 0: the default budget
    std::vector<std::string> Files;  // info FILE...
    bool SkipUnchanged = false;      // --skip-unchanged (watch: always)
    bool DryRun = false;
    std::string ReportFile;  // --report: one JSON object per source file
};

struct TCliParseResult {
    bool Ok = false;
    TCliOptions Options;
    std::string Error;  // one line, for a usage error
};

// `args` are the arguments after the program name.
TCliParseResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();
std::string VersionText();

}  // namespace pm
