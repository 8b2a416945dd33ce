#include "batch/BatchRun.h"
#include "batch/RunProgress.h"
#include "batch/RunState.h"

#include "support/BmpBuilder.h"
#include "support/RecordingConsole.h"
#include "support/ScenarioFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>

namespace pm {
namespace {

namespace fs = std::filesystem;
using test::TLogRecorder;
using test::TTempDir;

void SetMTime(const std::string& file, const struct stat& from) {
    const timespec times[2] = {from.st_atim, from.st_mtim};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

// A source tree of three pictures and one that cannot be loaded, a target
// folder and a scenario that saves every picture as JPEG.
struct TTree {
    TTempDir dir;
    std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt"), scenario = dir.Path("s.pms");
    std::map<std::string, std::string> results;  // source name -> result file

    TTree() {
        test::WriteScenario(scenario, {"Bitmap"});
        dir.Put("src/a.bmp", test::UniformBmp(30, 20, 1));
        dir.Put("src/b.bmp", test::UniformBmp(30, 20, 2));
        dir.Put("src/sub/c.bmp", test::UniformBmp(17, 9, 3));
        dir.Put("src/junk.bmp", "BM and nothing more");
    }

    struct TOutcome {
        bool Complete = false;
        std::set<std::string> Processed, Skipped, Planned;  // names below src
        int SkipLines = 0, ProcessingLines = 0, DryLines = 0;
        int Complaints = 0;  // errors and warnings
        std::string Log;
    };

    TOutcome Run(int jobs, bool skip = true, TShard shard = {}, bool dry = false) {
        TOutcome out;
        TLogRecorder log;
        PrItemRec item{src, true, tgt, scenario};
        item.SkipUnchanged = skip;
        TBatchRun run({item});
        run.Jobs = jobs;
        run.Shard = shard;
        run.DryRun = dry;
        run.OnFileDone = [&](const TBatchRun::TFileDone& d) {
            const std::string name = d.File.substr(src.size());
            if (!d.Results.empty()) results[name] = d.Results.front();
            using S = TBatchRun::TFileStatus;
            (d.Status == S::Skipped   ? out.Skipped
             : d.Status == S::Planned ? out.Planned
                                      : out.Processed)
                .insert(name);
        };
        out.Complete = run.Execute();
        out.SkipLines = log.CountContaining("\" is up to date; skipped.");
        out.ProcessingLines = log.Count("Processing source image ... ");
        out.DryLines = log.CountContaining("Dry run: \"");
        out.Log = log.Dump();
        for (const auto& m : log.Messages) out.Complaints += m.Kind == lmError || m.Kind == lmWarning;
        EXPECT_EQ(run.FilesUpToDate(), static_cast<int>(out.Skipped.size()));
        return out;
    }
    std::string State() const { return tgt + TRunState::kFileName; }
};

const std::set<std::string> kAll = {"a.bmp", "b.bmp", "sub/c.bmp", "junk.bmp"};

// Each change between two runs with the setting on, and the sources the
// second run processes: what changed, and the picture that failed before.
TEST(SkipUnchanged, ASecondRunProcessesExactlyWhatChanged) {
    const struct {
        const char* what;
        std::function<void(TTree&)> change;
        std::set<std::string> processed;
    } cases[] = {
        {"nothing", [](TTree&) {}, {"junk.bmp"}},
        {"state file missing", [](TTree& t) { fs::remove(t.State()); }, kAll},
        {"state file cut short",
         [](TTree& t) {
             const std::string s = TTempDir::Read(t.State());
             TTempDir::Write(t.State(), s.substr(0, s.size() * 2 / 3));
         },
         kAll},
        {"state file with one digit changed",
         [](TTree& t) {
             std::string s = TTempDir::Read(t.State());
             const std::size_t digit = s.find_first_of("123456789", s.find("\nS\t"));
             s[digit] = s[digit] == '9' ? '8' : char(s[digit] + 1);
             TTempDir::Write(t.State(), s);
         },
         kAll},
        {"state file of no sense", [](TTree& t) { TTempDir::Write(t.State(), "\n\t\\x\n"); }, kAll},
        {"another scenario setting",
         [](TTree& t) {
             test::WriteScenario(t.scenario, {"Bitmap"}, {0, "new comment"});
         },
         kAll},
        {"scenario written again with the same settings",
         [](TTree& t) { test::WriteScenario(t.scenario, {"Bitmap"}); },
         {"junk.bmp"}},
        {"source touched",
         [](TTree& t) {
             const auto file = t.dir.Path("src/a.bmp");
             fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
         },
         {"a.bmp", "junk.bmp"}},
        {"source replaced by a file of the same size and time",
         [](TTree& t) {
             struct stat old {};
             ::stat(t.dir.Path("src/b.bmp").c_str(), &old);
             const std::string other = t.dir.Put("other.bmp", test::UniformBmp(30, 20, 7));
             SetMTime(other, old);
             fs::rename(other, t.dir.Path("src/b.bmp"));
         },
         {"b.bmp", "junk.bmp"}},
        {"source rewritten in place keeping size and time",
         [](TTree& t) {
             struct stat old {};
             const std::string file = t.dir.Path("src/b.bmp");
             ::stat(file.c_str(), &old);
             TTempDir::Write(file, test::UniformBmp(30, 20, 8));
             SetMTime(file, old);
         },
         {"b.bmp", "junk.bmp"}},
        {"result deleted",
         [](TTree& t) { fs::remove(t.results.at("sub/c.bmp")); },
         {"sub/c.bmp", "junk.bmp"}},
        {"foreign files in the target",
         [](TTree& t) {
             t.dir.Put("tgt/notes.txt", "mine");
             TTempDir::Write(fs::path(t.results.at("a.bmp")).parent_path().string() + "/x.jpg", "mine too");
         },
         {"junk.bmp"}},
    };
    for (const auto& c : cases)
        for (int jobs : {1, 3}) {
            SCOPED_TRACE(std::string(c.what) + ", jobs " + std::to_string(jobs));
            TTree t;
            const TTree::TOutcome first = t.Run(jobs);
            EXPECT_EQ(first.Processed, kAll);
            const auto before = TTempDir::Snapshot(t.tgt);
            c.change(t);
            const auto changed = TTempDir::Snapshot(t.tgt);
            const TTree::TOutcome second = t.Run(jobs);
            EXPECT_FALSE(second.Complete) << "junk.bmp fails every time";
            // Whatever the state file holds, it is never an error of its own.
            EXPECT_EQ(second.Complaints, first.Complaints) << second.Log;
            EXPECT_EQ(second.Processed, c.processed) << second.Log;
            EXPECT_EQ(second.Processed.size() + second.Skipped.size(), kAll.size());
            EXPECT_EQ(second.SkipLines, static_cast<int>(second.Skipped.size()));
            EXPECT_EQ(second.ProcessingLines, static_cast<int>(second.Processed.size()));
            // Results come out the same; files the run did not make stay.
            auto after = TTempDir::Snapshot(t.tgt);
            for (const auto& [name, bytes] : changed) {
                if (name.find(".pixmill-state") == std::string::npos && !before.count(name)) {
                    EXPECT_EQ(after[name], bytes) << name;
                }
            }
            // The state file is whole again: a third run skips all it can.
            const TTree::TOutcome third = t.Run(jobs);
            EXPECT_EQ(third.Processed, std::set<std::string>{"junk.bmp"});
        }
}

TEST(SkipUnchanged, OffByDefaultEveryRunProcessesAllAndKeepsNoState) {
    TTree t;
    const TTree::TOutcome first = t.Run(1, false);
    const TTree::TOutcome second = t.Run(2, false);
    EXPECT_EQ(first.Processed, kAll);
    EXPECT_EQ(second.Processed, kAll);
    EXPECT_EQ(first.Log, second.Log);
    EXPECT_EQ(second.SkipLines, 0);
    EXPECT_FALSE(TTempDir::Exists(t.State()));
}

// Shards of one target folder keep one state between them, whichever ran
// last; a whole run afterwards finds everything up to date.
TEST(SkipUnchanged, ShardsShareTheTargetsState) {
    for (int jobs : {1, 2}) {
        TTree t;
        const TTree::TOutcome one = t.Run(jobs, true, {1, 2});
        const TTree::TOutcome two = t.Run(jobs, true, {2, 2});
        std::set<std::string> both = one.Processed;
        both.insert(two.Processed.begin(), two.Processed.end());
        EXPECT_EQ(both, kAll);
        EXPECT_EQ(one.Processed.size() + two.Processed.size(), kAll.size());
        const TTree::TOutcome whole = t.Run(jobs);
        EXPECT_EQ(whole.Processed, std::set<std::string>{"junk.bmp"});
    }
}

// A dry run lists every source with its result and writes nothing, with the
// setting on or off, before the first run or after it.
TEST(SkipUnchanged, DryRunListsAndWritesNothing) {
    TTree t;
    const TTree::TOutcome fresh = t.Run(1, true, {}, true);
    EXPECT_TRUE(fs::is_empty(t.tgt));
    EXPECT_EQ(fresh.Planned, kAll);
    EXPECT_EQ(fresh.DryLines, 4);
    EXPECT_EQ(fresh.ProcessingLines, 0);

    t.Run(2);
    const auto made = TTempDir::Snapshot(t.tgt);
    const auto a = t.dir.Path("src/a.bmp");
    fs::last_write_time(a, fs::last_write_time(a) + std::chrono::seconds(5));
    for (bool skip : {true, false}) {
        const TTree::TOutcome dry = t.Run(2, skip, {}, true);
        EXPECT_EQ(TTempDir::Snapshot(t.tgt), made);
        const std::set<std::string> planned = {"a.bmp", "junk.bmp"};
        EXPECT_EQ(dry.Planned, skip ? planned : kAll);
        EXPECT_EQ(dry.Skipped.size(), skip ? 2u : 0u);
        EXPECT_NE(dry.Log.find("Dry run: \"" + t.src + "a.bmp\" -> \"" + t.results.at("a.bmp") +
                               "\" would be processed."),
                  std::string::npos)
            << dry.Log;
    }
}

TEST(RunProgress, TextShowsCountsRateAndTimeLeft) {
    const struct {
        TProgressCounts counts;
        const char* text;
    } cases[] = {
        {{0, 0, 0, 10, 0}, "0 done, 0 failed, 0 skipped, 0.0 files/s, --:-- left"},
        {{0, 0, 500, 10, 2}, "0 done, 0 failed, 500 skipped, 0.0 files/s, --:-- left"},
        {{8, 2, 5, 30, 4}, "8 done, 2 failed, 5 skipped, 2.5 files/s, 0:12 left"},
        {{1, 0, 0, 7200, 2}, "1 done, 0 failed, 0 skipped, 0.5 files/s, 4:00:00 left"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgressText(c.counts), c.text);
}

}  // namespace
}  // namespace pm
