#include "batch/FolderWatch.h"
#include "batch/BatchRun.h"

#include "support/BmpBuilder.h"
#include "support/RecordingConsole.h"
#include "support/ScenarioFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace pm {
namespace {

using namespace std::chrono_literals;
using test::TTempDir;

// A file copied in slowly, in pieces, is processed once, whole, after the
// first run, with inotify and with the periodic look alone, whether the
// pauses are shorter than the settle time or longer (the file is still
// open for writing).
TEST(FolderWatch, ASlowlyCopiedFileIsProcessedOnceWhenComplete) {
    const struct {
        bool events;
        std::chrono::milliseconds pause;
    } cases[] = {{true, 150ms}, {false, 150ms}, {true, 550ms}, {false, 550ms}};
    for (const auto& [events, pause] : cases) {
        SCOPED_TRACE((events ? "inotify, pauses of " : "periodic look, pauses of ") +
                     std::to_string(pause.count()) + " ms");
        TTempDir dir;
        const std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt"), scenario = dir.Path("s.pms");
        test::WriteScenario(scenario, {"Bitmap"});
        dir.Put("src/first.bmp", test::UniformBmp(20, 10, 1));
        PrItemRec item{src, true, tgt, scenario};
        item.SkipUnchanged = true;
        TWatchOptions options;
        options.Settle = 400ms;
        options.Tick = 40ms;
        options.Rescan = events ? 60s : 100ms;
        options.Events = events;

        std::mutex mutex;
        std::vector<std::string> done;  // "status name" per file handed to a run
        int batches = 0;
        std::atomic<bool> stop{false};
        test::TLogRecorder log;
        std::thread watcher([&] {
            TFolderWatch watch({item}, options);
            watch.Run(
                [&](const std::set<std::string>* files) {
                    TBatchRun run({item});
                    if (files) run.FileFilter = [files](const std::string& f) { return files->count(f) > 0; };
                    run.OnFileDone = [&](const TBatchRun::TFileDone& d) {
                        std::lock_guard lock(mutex);
                        done.push_back((d.Status == TBatchRun::TFileStatus::Done ? "done " : "not done ") +
                                       d.File.substr(src.size()));
                    };
                    run.Execute();
                    std::lock_guard lock(mutex);
                    ++batches;
                },
                stop);
        });
        const auto waitFor = [&](std::size_t count) {
            for (int i = 0; i < 150; ++i) {
                {
                    std::lock_guard lock(mutex);
                    if (done.size() >= count) return;
                }
                std::this_thread::sleep_for(40ms);
            }
        };
        waitFor(1);
        const std::string bytes = test::UniformBmp(64, 48, 2);
        dir.MakeDir("src/new");
        std::FILE* f = std::fopen(dir.Path("src/new/slow.bmp").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (std::size_t at = 0; at < bytes.size(); at += bytes.size() / 5 + 1) {
            std::fwrite(bytes.data() + at, 1, std::min(bytes.size() - at, bytes.size() / 5 + 1), f);
            std::fflush(f);
            std::this_thread::sleep_for(pause);
        }
        std::fclose(f);
        waitFor(2);
        std::this_thread::sleep_for(800ms);  // time enough for a second, wrong pass
        stop = true;
        watcher.join();
        EXPECT_EQ(done, (std::vector<std::string>{"done first.bmp", "done new/slow.bmp"})) << log.Dump();
        EXPECT_EQ(batches, 2);
    }
}

}  // namespace
}  // namespace pm
