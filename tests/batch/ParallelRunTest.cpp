#include "app/ProjectModel.h"
#include "batch/BatchRun.h"
#include "batch/Shard.h"

#include "core/Paths.h"
#include "core/ScenarioFile.h"
#include "decoders/Decoders.h"
#include "encoders/JPEGImage.h"
#include "log/KX_LogFile.h"
#include "support/JpegTestFiles.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TResizeBitmap.h"
#include "tasks/PM__TSaveToFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>

namespace pm {
namespace {

namespace fs = std::filesystem;
using test::TLogRecorder;
using test::TTempDir;

std::vector<std::uint8_t> Jpeg(int width, int height, int seed) {
    TFastDIB dib;
    dib.SetSize(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.SetPixel(
                y, x,
                {std::uint8_t(x * 7 + seed), std::uint8_t(y * 5 + x * seed), std::uint8_t((x ^ y) + seed)});
    TJPEGImage jpeg;
    jpeg.CompressionQuality = 90;
    std::vector<std::uint8_t> out;
    std::string error;
    jpeg.SaveToSink(
        dib,
        [&out](const std::uint8_t* d, std::size_t n) {
            out.insert(out.end(), d, d + n);
            return true;
        },
        error);
    return out;
}

std::string Bmp(int width, int height, int seed) {
    TFastDIB dib;
    dib.SetSize(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.SetPixel(y, x, {std::uint8_t(x + seed), std::uint8_t(y * 3), std::uint8_t(x * y + seed)});
    std::vector<std::uint8_t> out;
    dib.SaveToStream(out);
    return std::string(out.begin(), out.end());
}

// A tree of good pictures of several sizes and formats, with files that
// fail to load among them, and a scenario that fits them into 64 x 64
// (Lanczos 3) and saves them as JPEG.
class ParallelRunTest : public ::testing::Test {
protected:
    ParallelRunTest() : src(dir.MakeDir("src")), tgt(dir.MakeDir("tgt")), scenario(dir.Path("fit.pms")) {
        dir.MakeDir("src/sub/deeper");
        int seed = 1;
        for (const char* name : {"a.jpg", "b.JPG", "sub/c.jpeg", "sub/deeper/d.jpg", "sub/e.jpg", "z.jpg"})
            test::WriteFileBytes(dir.Path(std::string("src/") + name),
                                 Jpeg(90 + 13 * seed, 70 + 7 * seed, seed)),
                ++seed;
        dir.Put("src/tiny.jpg", "");
        test::WriteFileBytes(dir.Path("src/small.jpg"), Jpeg(40, 30, 9));  // not enlarged
        dir.Put("src/f.bmp", Bmp(120, 50, 3));
        dir.Put("src/sub/g.bmp", Bmp(33, 99, 4));
        dir.Put("src/broken.jpg", "not an image");
        std::vector<std::uint8_t> cut = Jpeg(100, 100, 5);
        cut.resize(cut.size() / 2);
        test::WriteFileBytes(dir.Path("src/sub/cut.jpg"), cut);
        dir.Put("src/sub/h.bmp", "BM and nothing more");
        dir.Put("src/notes.txt", "skipped: not an image type");

        TRunContext ctx;
        TTaskList list;
        auto load = std::make_unique<TLoadFromFile>(&ctx);
        auto resize = std::make_unique<TResizeBitmap>(&ctx);
        resize->Width.SetValue(64, vsCurrent);
        resize->Height.SetValue(64, vsCurrent);
        resize->Method.SetValue(5, vsCurrent);  // Lanczos3
        auto save = std::make_unique<TSaveToFile>(&ctx);
        save->JPEG_Comment.SetValue("made\r\nby test", vsCurrent);
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Load", std::move(load)}));
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Fit", std::move(resize)}));
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Save", std::move(save)}));
        EXPECT_TRUE(WriteScenarioFile(list, scenario));
    }

    struct TOutcome {
        bool Complete = false;
        std::vector<std::string> Log;       // console: kind and text per message
        std::string LogFile;                // the log file without time stamps
        std::vector<std::string> Progress;  // position/maximum file
        std::vector<std::string> Done;      // OnFileDone in order
        std::map<std::string, std::string> Files;
        int Found = 0, Failed = 0, DoneCount = 0;
    };

    TOutcome Run(int jobs, TShard shard = {}) {
        TOutcome out;
        TLogRecorder log;
        const std::string logFile = dir.Path("run.log");
        SetLogFile(std::make_unique<TKX_LogFile>(nullptr, false, true, logFile));
        TBatchRun run({{src, true, tgt, scenario}, {src, false, tgt + "again/", scenario}});
        run.Jobs = jobs;
        run.Shard = shard;
        run.OnProgress = [&](int p, int m, const std::string& f) {
            out.Progress.push_back(std::to_string(p) + "/" + std::to_string(m) + " " + f);
        };
        run.OnFileDone = [&](const TBatchRun::TFileDone& d) {
            out.Done.push_back(std::to_string(d.Item) + ":" + std::to_string(d.Index) + "/" +
                               std::to_string(d.Count) + " " + d.File + (d.Ok ? " ok" : " failed"));
        };
        out.Complete = run.Execute();
        SetLogFile(nullptr);
        for (const auto& m : log.Messages) out.Log.push_back(std::to_string(m.Kind) + " " + m.Text());
        out.LogFile = TTempDir::Read(logFile);
        out.Files = TTempDir::Snapshot(tgt);
        out.Found = run.FilesFound();
        out.Failed = run.FilesFailed();
        out.DoneCount = run.FilesDone();
        EXPECT_EQ(run.Context().CurrentProjectItem, &run.Items().back());
        fs::remove_all(tgt);
        fs::create_directories(tgt);
        return out;
    }

    TTempDir dir;
    std::string src, tgt, scenario;
};

TEST_F(ParallelRunTest, SeveralWorkersGiveTheFilesAndTheLogOfOne) {
    const TOutcome one = Run(1);
    ASSERT_EQ(one.Found, 13 + 7);  // all of the tree, then the top folder again
    EXPECT_EQ(one.Failed, 4 + 2);
    EXPECT_FALSE(one.Complete);
    EXPECT_EQ(one.Files.size(), 9u + 5u);  // the second item's results in their own folder
    EXPECT_EQ(one.Log.back(), "1 Project error(s)!");
    for (int jobs : {2, 3, 8}) {
        const TOutcome many = Run(jobs);
        EXPECT_EQ(many.Files, one.Files) << jobs << " workers";
        EXPECT_EQ(many.Log, one.Log) << jobs << " workers";
        EXPECT_EQ(many.LogFile, one.LogFile) << jobs << " workers";
        EXPECT_EQ(many.Progress, one.Progress) << jobs << " workers";
        EXPECT_EQ(many.Done, one.Done) << jobs << " workers";
        EXPECT_EQ(many.Complete, one.Complete);
        EXPECT_EQ(many.DoneCount, one.Found);
    }
}

// Two sources with the same result name: the first in the list keeps it and
// the later one fails naming both, whichever worker would finish first (the
// large first picture takes longer).
TEST(ParallelRunOrder, SameResultNameGoesToTheFirstSourceWithAnyWorkerCount) {
    TTempDir dir;
    const std::string src = dir.MakeDir("src"), scenario = dir.Path("copy.pms");
    dir.Put("src/dup.bmp", Bmp(1500, 1200, 7));
    test::WriteFileBytes(dir.Path("src/dup.jpg"), Jpeg(16, 16, 2));
    dir.Put("src/other.bmp", Bmp(10, 10, 1));
    {
        TRunContext ctx;
        TTaskList list;
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Load", std::make_unique<TLoadFromFile>(&ctx)}));
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Save", std::make_unique<TSaveToFile>(&ctx)}));
        ASSERT_TRUE(WriteScenarioFile(list, scenario));
    }
    std::map<std::string, std::string> results[2];
    std::vector<std::string> logs[2];
    for (int jobs : {1, 2}) {
        TLogRecorder log;
        fs::remove_all(dir.Path("tgt"));
        const std::string tgt = dir.MakeDir("tgt");
        TBatchRun run({{src, true, tgt, scenario}});
        run.Jobs = jobs;
        EXPECT_FALSE(run.Execute());
        EXPECT_EQ(run.FilesFailed(), 1);
        results[jobs - 1] = TTempDir::Snapshot(tgt);
        for (const auto& m : log.Messages) logs[jobs - 1].push_back(m.Text());
        std::string folded = ExcludeTrailingSeparator(src);
        std::replace(folded.begin(), folded.end(), '/', '_');
        const std::string expected = "Result file \"" + tgt + folded + "/dup.jpg\" of \"" + src +
                                     "dup.jpg\" is already the result of \"" + src +
                                     "dup.bmp\"; not written!";
        EXPECT_NE(std::find(logs[jobs - 1].begin(), logs[jobs - 1].end(), expected), logs[jobs - 1].end())
            << expected;
    }
    ASSERT_EQ(results[0].size(), 2u);
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(logs[1], logs[0]);
    const std::string dup = results[0].begin()->second;
    EXPECT_GT(dup.size(), 4000u);  // the large picture's result
}

TEST_F(ParallelRunTest, ShardsAreDisjointAndTogetherGiveTheWholeRun) {
    const TOutcome whole = Run(2);
    for (int count : {2, 3, 5}) {
        std::map<std::string, std::string> together;
        int found = 0;
        for (int k = 1; k <= count; ++k) {
            const TOutcome part = Run(k % 2 + 1, {k, count});
            found += part.Found;
            for (const auto& [name, bytes] : part.Files)
                EXPECT_TRUE(together.emplace(name, bytes).second)
                    << name << " in two of " << count << " shards";
        }
        EXPECT_EQ(found, whole.Found) << count << " shards";
        EXPECT_EQ(together, whole.Files) << count << " shards";
    }
}

TEST(Shard, HashIsFnv1a64OfTheRelativePath) {
    EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171f73967e8ULL);
    // The source folder itself does not count, so moving the tree (or
    // mounting it elsewhere on another machine) keeps every file's shard.
    std::vector<std::string> here = {"/a/x/1.jpg", "/a/x/sub/2.jpg", "/a/x/3.jpg"};
    std::vector<std::string> there = {"/mnt/b/1.jpg", "/mnt/b/sub/2.jpg", "/mnt/b/3.jpg"};
    for (int k = 1; k <= 2; ++k) {
        auto h = here, t = there;
        KeepShard(h, "/a/x/", {k, 2});
        KeepShard(t, "/mnt/b/", {k, 2});
        ASSERT_EQ(h.size(), t.size());
        for (std::size_t i = 0; i < h.size(); ++i) EXPECT_EQ(h[i].substr(5), t[i].substr(7));
        for (const std::string& f : h) EXPECT_EQ(ShardOf(f.substr(5), 2), k - 1);
    }
}

// A stop finishes the files in progress, starts no other and leaves only
// complete result files.
TEST_F(ParallelRunTest, StopFinishesTheFilesInProgressAndStartsNoOther) {
    for (int jobs : {1, 2, 3}) {
        TLogRecorder log;
        TBatchRun run({{src, true, tgt, scenario}, {src, false, tgt + "again/", scenario}});
        run.Jobs = jobs;
        std::vector<std::string> done;
        int written = 0;
        run.OnFileDone = [&](const TBatchRun::TFileDone& d) {
            done.push_back(d.File);
            written += d.Ok;
            if (done.size() == 2) run.Stop();
        };
        EXPECT_FALSE(run.Execute());
        EXPECT_TRUE(run.Stopped());
        // Files already done or in progress when the stop came are finished;
        // with one worker that is exactly the two.
        EXPECT_GE(run.FilesDone(), 2);
        if (jobs == 1) {
            EXPECT_EQ(run.FilesDone(), 2);
        }
        EXPECT_EQ(static_cast<int>(done.size()), run.FilesDone());
        EXPECT_EQ(run.FilesDone() + run.FilesSkipped(), 13) << jobs;
        EXPECT_EQ(run.ItemsSkipped(), 1);
        // Every file that was started was finished and logged.
        EXPECT_EQ(log.Count("Processing source image ... "), run.FilesDone());
        EXPECT_EQ(log.Count("Scenario complete.") + log.Count("Scenario processing failed!"),
                  run.FilesDone());
        EXPECT_EQ(static_cast<int>(TTempDir::Snapshot(tgt).size()), written);
        const std::string stopped = "Run stopped: " + std::to_string(run.FilesDone()) + " file(s) done, " +
                                    std::to_string(run.FilesSkipped()) +
                                    " file(s) skipped, 1 item(s) not started.";
        ASSERT_GE(log.Messages.size(), 2u);
        EXPECT_EQ(log.Messages[log.Messages.size() - 2].Text(), stopped) << log.Dump();
        EXPECT_EQ(log.Messages[log.Messages.size() - 2].Kind, lmWarning);
        EXPECT_EQ(log.Messages.back().Text(), "Project error(s)!");
        // Every result is whole: it decodes, and no temporary file is left.
        for (const auto& [name, bytes] : TTempDir::Snapshot(tgt)) {
            EXPECT_NE(fs::path(name).filename().string()[0], '.') << name;
            TPicture picture;
            std::string error;
            EXPECT_TRUE(DecodeJpeg({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), name},
                                   picture, error))
                << name << ": " << error;
        }
        fs::remove_all(tgt);
        fs::create_directories(tgt);
    }
}

TEST_F(ParallelRunTest, StopBeforeTheRunStartsNothing) {
    TLogRecorder log;
    TBatchRun run({{src, true, tgt, scenario}});
    run.Jobs = 2;
    run.Stop();
    EXPECT_FALSE(run.Execute());
    EXPECT_TRUE(run.Stopped());
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "Run stopped: 0 file(s) done, 0 file(s) skipped, 1 item(s) not started.",
                               "Project error(s)!"}));
    EXPECT_TRUE(TTempDir::Snapshot(tgt).empty());
}

TEST_F(ParallelRunTest, TheLastFileStaysInTheContextAsWithOneWorker) {
    for (int jobs : {1, 4}) {
        TLogRecorder log;
        TBatchRun run({{src, true, tgt, scenario}});
        run.Jobs = jobs;
        run.Execute();
        TRunContext& ctx = run.Context();
        EXPECT_EQ(ctx.CurrentSourceFile, src + "sub/deeper/d.jpg") << jobs;
        EXPECT_EQ(ctx.GeneralObject().BitmapsInfo.SourceFileName, src + "sub/deeper/d.jpg") << jobs;
        EXPECT_EQ(ctx.GeneralObject().SrcBitmap.Width(), 142) << jobs;
        EXPECT_EQ(ctx.CurrentTask, nullptr);
    }
}

// An error raised by the caller's callback fails the item like an error
// raised by a task, and with several workers nothing is left running.
TEST_F(ParallelRunTest, AnErrorInACallbackFailsTheItem) {
    for (int jobs : {1, 3}) {
        TLogRecorder log;
        TBatchRun run({{src, true, tgt, scenario}, {src, false, tgt + "again/", scenario}});
        run.Jobs = jobs;
        run.OnFileDone = [](const TBatchRun::TFileDone& d) {
            if (d.Item == 0 && d.Index == 1) throw std::runtime_error("the caller failed");
        };
        EXPECT_FALSE(run.Execute());
        EXPECT_EQ(run.ItemsFailed(), 1) << jobs;
        EXPECT_EQ(log.Count("the caller failed"), 1) << jobs;
        EXPECT_EQ(run.FilesFound(), 13 + 7) << jobs;  // the second item still runs
        EXPECT_EQ(log.Messages.back().Text(), "Project error(s)!");
        fs::remove_all(tgt);
        fs::create_directories(tgt);
    }
}

// The desktop program's way: the model hands out the run, which executes on
// another thread and is stopped from the interface thread.
TEST_F(ParallelRunTest, ModelRunOffTheInterfaceThreadCanBeStopped) {
    TLogRecorder log;
    test::TScriptedDialogs dialogs;
    IMainView view;
    TProjectModel model(dialogs, view);
    model.Items = {{src, true, tgt, scenario}};
    model.Jobs = 2;
    std::unique_ptr<TBatchRun> run = model.BeginRun();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->Jobs, 2);
    EXPECT_TRUE(model.Running);
    EXPECT_FALSE(model.Buttons.RunProject);
    EXPECT_FALSE(model.BeginRun());  // not twice at once
    std::atomic<int> finished{0};
    std::atomic<bool> over{false};
    run->OnFileDone = [&](const TBatchRun::TFileDone&) { ++finished; };
    TBatchRun* running = run.get();
    std::thread thread([&] {
        running->Execute();
        over = true;
    });
    while (finished.load() == 0 && !over.load()) std::this_thread::yield();
    running->Stop();
    thread.join();
    model.EndRun(std::move(run));
    EXPECT_FALSE(model.Running);
    EXPECT_TRUE(model.Buttons.RunProject);
    ASSERT_TRUE(model.LastRun);
    EXPECT_EQ(model.LastRun->FilesDone(), finished.load());
    EXPECT_EQ(model.LastRun->FilesDone() + model.LastRun->FilesSkipped(), 13);
    EXPECT_EQ(model.LastRun->Stopped(), model.LastRun->FilesSkipped() > 0);
    EXPECT_EQ(log.Messages.back().Text(), "Project error(s)!");  // junk files fail in any case
}

TEST(BatchRunJobs, ZeroMeansOnePerCore) {
    EXPECT_GE(TBatchRun::ResolveJobs(0), 1);
    EXPECT_EQ(TBatchRun::ResolveJobs(3), 3);
}

}  // namespace
}  // namespace pm
