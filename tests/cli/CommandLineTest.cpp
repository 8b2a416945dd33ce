#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, AcceptedForms) {
    struct Case {
        Args args;
        TCliCommand command;
        std::string project, scenario, source, target, log;
        bool scan, quiet;
    };
    const Case cases[] = {
        {{"run", "p.pmp"}, TCliCommand::RunProject, "p.pmp", "", "", "", "", true, false},
        {{"--quiet", "run", "p.pmp", "--log", "l.txt"},
         TCliCommand::RunProject,
         "p.pmp",
         "",
         "",
         "",
         "l.txt",
         true,
         true},
        {{"run", "--scenario", "s.pms", "--source", "in", "--target=out"},
         TCliCommand::RunItem,
         "",
         "s.pms",
         "in",
         "out",
         "",
         true,
         false},
        {{"-q", "run", "--no-subdirs", "--target", "o", "--scenario=s", "--source", "i", "--log=x"},
         TCliCommand::RunItem,
         "",
         "s",
         "i",
         "o",
         "x",
         false,
         true},
        {{"scenario", "new", "n.pms"}, TCliCommand::ScenarioNew, "", "n.pms", "", "", "", true, false},
        {{"scenario", "check", "--", "-odd.pms"},
         TCliCommand::ScenarioCheck,
         "",
         "-odd.pms",
         "",
         "",
         "",
         true,
         false},
        {{"run", "p.pmp", "--help"}, TCliCommand::Help, "", "", "", "", "", true, false},
        {{"bogus", "-h"}, TCliCommand::Help, "", "", "", "", "", true, false},
    };
    for (const Case& c : cases) {
        const TCliParseResult r = ParseCommandLine(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        ASSERT_TRUE(r.Ok) << what << ": " << r.Error;
        EXPECT_EQ(r.Options.Command, c.command) << what;
        if (c.command == TCliCommand::Help || c.command == TCliCommand::Version) continue;
        EXPECT_EQ(r.Options.ProjectFile, c.project) << what;
        EXPECT_EQ(r.Options.ScenarioFile, c.scenario) << what;
        EXPECT_EQ(r.Options.SourceDirectory, c.source) << what;
        EXPECT_EQ(r.Options.TargetDirectory, c.target) << what;
        EXPECT_EQ(r.Options.LogFile, c.log) << what;
        EXPECT_EQ(r.Options.ScanSubDirs, c.scan) << what;
        EXPECT_EQ(r.Options.Quiet, c.quiet) << what;
    }
}

TEST(CommandLine, UsageErrors) {
    const struct {
        Args args;
        const char* error;
    } cases[] = {
        {{}, "no command given"},
        {{"walk"}, "unknown command walk"},
        {{"run"}, "run: no project file given"},
        {{"run", "a.pmp", "b.pmp"}, "run: too many arguments"},
        {{"run", "a.pmp", "--no-subdirs"},
         "--no-subdirs belongs to run --scenario ... --source ... --target ..."},
        {{"run", "--scenario", "s", "--source", "i"}, "run: --target is missing"},
        {{"run", "p.pmp", "--scenario", "s", "--source", "i", "--target", "o"},
         "give either a project file or --scenario, --source and --target"},
        {{"run", "--scenario"}, "option --scenario needs a value"},
        {{"run", "p", "--log", "a", "--log", "b"}, "option --log given twice"},
        {{"run", "p", "--colour"}, "unknown option --colour"},
        {{"scenario"}, "scenario: say new or check"},
        {{"info"}, "info: no picture file given"},
        {{"info", "a.jpg", "--jobs", "2"},
         "info: --scenario, --source, --target, --no-subdirs, --jobs, --shard and --memory-limit belong to "
         "run"},
        {{"scenario", "edit", "x"}, "scenario: unknown action edit"},
        {{"scenario", "new", "a", "--source", "x"},
         "scenario: --scenario, --source, --target and --no-subdirs belong to run"},
        {{"run", "p", "--jobs", "two"}, "option --jobs needs a number from 0 (one per core) to 1024"},
        {{"run", "p", "--jobs", "-1"}, "option --jobs needs a number from 0 (one per core) to 1024"},
        {{"run", "p", "--jobs=1025"}, "option --jobs needs a number from 0 (one per core) to 1024"},
        {{"run", "p", "--jobs", "2", "--jobs", "3"}, "option --jobs given twice"},
        {{"run", "p", "--jobs"}, "option --jobs needs a value"},
        {{"run", "p", "--shard", "0/3"},
         "option --shard needs K/N with 1 <= K <= N, for example --shard 2/4"},
        {{"run", "p", "--shard", "4/3"},
         "option --shard needs K/N with 1 <= K <= N, for example --shard 2/4"},
        {{"run", "p", "--shard", "1/0"},
         "option --shard needs K/N with 1 <= K <= N, for example --shard 2/4"},
        {{"run", "p", "--shard", "2"}, "option --shard needs K/N with 1 <= K <= N, for example --shard 2/4"},
        {{"run", "p", "--shard", "1/2/3"},
         "option --shard needs K/N with 1 <= K <= N, for example --shard 2/4"},
        {{"run", "p", "--shard", " 1/2"},
         "option --shard needs K/N with 1 <= K <= N, for example --shard 2/4"},
        {{"scenario", "check", "x", "--jobs", "2"},
         "scenario: --jobs, --shard and --memory-limit belong to run"},
        {{"scenario", "new", "x", "--memory-limit", "1G"},
         "scenario: --jobs, --shard and --memory-limit belong to run"},
        {{"run", "p", "--memory-limit", "lots"},
         "option --memory-limit needs a size such as 2G, 512M or 0 (half the available memory)"},
        {{"run", "p", "--memory-limit", "1GB"},
         "option --memory-limit needs a size such as 2G, 512M or 0 (half the available memory)"},
    };
    for (const auto& c : cases) {
        const TCliParseResult r = ParseCommandLine(c.args);
        EXPECT_FALSE(r.Ok) << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.Error, c.error) << ::testing::PrintToString(c.args);
    }
}

TEST(CommandLine, JobsShardAndMemoryLimit) {
    const struct {
        Args args;
        int jobs, index, count;
        std::uint64_t memory = 0;
    } cases[] = {
        {{"run", "p.pmp"}, 0, 1, 1},
        {{"run", "p.pmp", "--jobs", "1"}, 1, 1, 1},
        {{"run", "--jobs=0", "p.pmp", "--shard=3/3"}, 0, 3, 3},
        {{"run", "--scenario", "s", "--source", "i", "--target", "o", "--shard", "1/1000000", "--jobs", "16"},
         16,
         1,
         1000000},
        {{"run", "p.pmp", "--memory-limit", "3G"}, 0, 1, 1, std::uint64_t(3) << 30},
        {{"run", "--memory-limit=512m", "p.pmp"}, 0, 1, 1, std::uint64_t(512) << 20},
    };
    for (const auto& c : cases) {
        const TCliParseResult r = ParseCommandLine(c.args);
        ASSERT_TRUE(r.Ok) << r.Error;
        EXPECT_EQ(r.Options.Jobs, c.jobs);
        EXPECT_EQ(r.Options.ShardIndex, c.index);
        EXPECT_EQ(r.Options.ShardCount, c.count);
        EXPECT_EQ(r.Options.MemoryLimit, c.memory);
    }
}

// info takes every further argument as a file, in order; after "--" also
// names that look like options.
TEST(CommandLine, InfoTakesFiles) {
    const TCliParseResult r = ParseCommandLine({"info", "a.jpg", "-", "--quiet", "b.png", "--", "--c.tif"});
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(r.Options.Command, TCliCommand::Info);
    EXPECT_TRUE(r.Options.Quiet);
    EXPECT_EQ(r.Options.Files, (Args{"a.jpg", "-", "b.png", "--c.tif"}));
}

TEST(CommandLine, VersionNamesTheProgramAndTheEngine) {
    const std::string v = VersionText();
    EXPECT_EQ(v.substr(0, v.find('\n')), "Pixmill 0.6");
    EXPECT_NE(v.find("\nengine 0.6 ("), std::string::npos);
}

}  // namespace
}  // namespace pm
