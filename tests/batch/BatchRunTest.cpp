#include "batch/BatchRun.h"

#include "support/RecordingConsole.h"
#include "support/ScenarioFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace pm {
namespace {

using test::TLogRecorder;
using test::TTempDir;
using test::WriteScenario;

struct TProgressCall {
    int position, maximum;
    std::string file;
    bool operator==(const TProgressCall&) const = default;
};

// Files that no reader accepts: every one of them fails to load.
constexpr const char* kJunk = "not an image";

class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest() : tgt(dir.MakeDir("tgt")) {}

    std::vector<TProgressCall> Run(TBatchRun& run) {
        std::vector<TProgressCall> calls;
        run.OnProgress = [&](int p, int m, const std::string& f) { calls.push_back({p, m, f}); };
        complete = run.Execute();
        return calls;
    }
    static std::vector<std::string> Files(const std::vector<TProgressCall>& calls) {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (!c.file.empty()) out.push_back(c.file);
        return out;
    }

    TTempDir dir;
    TLogRecorder log;
    std::string tgt;
    bool complete = false;
};

TEST_F(BatchRunTest, OneFileGivesMaximumZeroAndTheFailedFileIsAProjectError) {
    const std::string src = dir.MakeDir("src");
    const std::string bad = dir.Put("src/bad.bmp", kJunk);
    const std::string scenario = dir.Path("s.pms");
    ASSERT_TRUE(WriteScenario(scenario, {"Bitmap"}));
    TBatchRun run({{src, true, tgt, scenario}});
    const auto calls = Run(run);
    EXPECT_EQ(calls, (std::vector<TProgressCall>{{0, 0, ""}, {0, 0, bad}, {0, 0, ""}}));
    EXPECT_EQ(run.ProgressPosition(), 0);
    EXPECT_EQ(run.ProgressMaximum(), 0);
    // The file was lost, so the run must not claim success.
    EXPECT_FALSE(complete);
    EXPECT_EQ(run.FilesFound(), 1);
    EXPECT_EQ(run.FilesFailed(), 1);
    EXPECT_EQ(run.ItemsFailed(), 0);
    EXPECT_TRUE(log.Has("Scenario processing failed!"));
    EXPECT_EQ(log.Messages.back().Text(), "Project error(s)!");
    EXPECT_EQ(log.Messages.back().Kind, lmInfo);
    EXPECT_EQ(run.Context().CurrentSourceFile, bad);
}

TEST_F(BatchRunTest, EmptyOrMissingSourceIsNotAFailure) {
    const std::string scenario = dir.Path("s.pms");
    ASSERT_TRUE(WriteScenario(scenario, {"JPEG"}));
    dir.Put("src/only.txt", "x");
    TBatchRun run({{dir.Dir() + "src/", true, tgt, scenario}, {dir.Path("missing/"), true, tgt, scenario}});
    const auto calls = Run(run);
    EXPECT_TRUE(complete);
    EXPECT_TRUE(Files(calls).empty());
    EXPECT_EQ(run.ProgressMaximum(), -1);
    EXPECT_EQ(log.Messages.back().Text(), "Project complete.");
    EXPECT_EQ(log.Count("Processing source image ... "), 0);
}

TEST_F(BatchRunTest, ItemsRunInOrderEachWithItsOwnScenario) {
    // One folder, two items: the first scenario takes bitmaps only, the
    // second PNG only.
    const std::string src = dir.MakeDir("src");
    const std::string a = dir.Put("src/a.bmp", kJunk), b = dir.Put("src/b.png", kJunk);
    const std::string c = dir.Put("src/sub/c.BMP", kJunk);
    dir.Put("src/d.jpg", kJunk);
    const std::string bmpOnly = dir.Path("bmp.pms"), pngOnly = dir.Path("png.pms");
    ASSERT_TRUE(WriteScenario(bmpOnly, {"Bitmap"}));
    ASSERT_TRUE(WriteScenario(pngOnly, {"PNG"}));
    TBatchRun run({{src, true, tgt, bmpOnly}, {src, false, tgt, pngOnly}});
    const auto calls = Run(run);
    EXPECT_EQ(Files(calls), (std::vector<std::string>{a, c, b}));
    EXPECT_EQ(calls[2], (TProgressCall{1, 1, c}));
    EXPECT_EQ(calls[3], (TProgressCall{0, 0, b}));
    std::vector<std::string> scenarios;
    for (const auto& m : log.Messages)
        if (m.Text().rfind("Loading scenario file", 0) == 0) scenarios.push_back(m.Text());
    EXPECT_EQ(scenarios,
              (std::vector<std::string>{"Loading scenario file \"" + bmpOnly + "\" ... Complete",
                                        "Loading scenario file \"" + pngOnly + "\" ... Complete"}));
    EXPECT_EQ(run.Context().CurrentProjectItem, &run.Items()[1]);
}

TEST_F(BatchRunTest, AnItemThatCannotRunFailsAndTheOthersStillRun) {
    const std::string src = dir.MakeDir("src");
    const std::string f1 = dir.Put("src/1.bmp", kJunk), f2 = dir.Put("src/2.bmp", kJunk);
    const std::string good = dir.Path("good.pms"), deleted = dir.Path("deleted.pms");
    ASSERT_TRUE(WriteScenario(good, {"Bitmap"}));
    ASSERT_TRUE(WriteScenario(deleted, {"Bitmap"}));
    std::filesystem::remove(deleted);
    const std::string noTasks = dir.Put("notasks.pms", "[Task2]\nTaskName=\"x\"\n");
    const std::string badFirst =
        dir.Put("badfirst.pms", "[Task1]\nTaskName=\"x\"\nTaskType=\"TSaveToFile\"\n");
    TBatchRun run({{src, true, tgt, deleted},
                   {src, true, tgt, noTasks},
                   {src, true, tgt, badFirst},
                   {src, true, tgt, good}});
    const auto calls = Run(run);
    EXPECT_FALSE(complete);
    EXPECT_EQ(run.ItemsFailed(), 3);
    EXPECT_EQ(Files(calls), (std::vector<std::string>{f1, f2}));
    EXPECT_EQ(log.Count("Can't found valid data inside file!"), 1);
    EXPECT_TRUE(log.Has("Can't get valid \"TaskRecord\" for task index =0")) << log.Dump();
    EXPECT_TRUE(log.Has("Invalid type of first task!"));
    EXPECT_EQ(log.Messages.back().Text(), "Project error(s)!");
}

}  // namespace
}  // namespace pm
