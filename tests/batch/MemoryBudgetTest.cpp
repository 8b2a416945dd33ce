// The workers of a parallel run stay within their memory budget, and the
// budget changes no result.
#include "batch/MemoryBudget.h"
#include "batch/BatchRun.h"
#include "imaging/FastDIB.h"

#include "support/RecordingConsole.h"
#include "support/ScenarioFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <filesystem>
#include <latch>
#include <map>
#include <mutex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pm {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;
constexpr std::uint64_t MiB = 1 << 20;

// Workers allocate their files' pictures through the gate: the reserved total
// never exceeds the budget by more than the oldest file's own, and a file
// larger than the budget runs alone.
TEST(MemoryBudget, ReservationsStayWithinTheLimit) {
    struct Case {
        std::uint64_t limit;
        std::vector<std::uint64_t> files;  // picture bytes per file
        int workers;
    };
    const Case cases[] = {
        {100 * MiB, {10 * MiB, 10 * MiB, 10 * MiB, 10 * MiB, 10 * MiB, 10 * MiB}, 3},
        {100 * MiB,
         {30 * MiB, 5 * MiB, 30 * MiB, 2 * MiB, 40 * MiB, 1 * MiB},
         4},                                            // 120 MiB alone, then small
        {50 * MiB, {20 * MiB, 20 * MiB, 20 * MiB}, 3},  // each larger than all
        {0, {50 * MiB, 50 * MiB, 50 * MiB}, 3},         // no limit
    };
    for (const Case& c : cases) {
        TMemoryBudget budget(c.limit);
        std::mutex mutex;
        std::uint64_t inUse = 0, peak = 0;
        int running = 0, maxRunning = 0;
        std::atomic<int> next{0};
        std::vector<std::thread> threads;
        // All workers start together, so that files overlap and the budget
        // is tested even when the machine is busy.
        std::latch start(c.workers);
        for (int w = 0; w < c.workers; ++w)
            threads.emplace_back([&] {
                TMemoryBudget::TWorkerGate gate(budget);
                start.arrive_and_wait();
                for (int j; (j = next.fetch_add(1)) < static_cast<int>(c.files.size());) {
                    const std::uint64_t need = c.files[j] * kPictureWorkingCopies;
                    gate.BeginFile(j);
                    gate.BeforeAllocate(c.files[j] / 2, 1);  // the file's bytes
                    gate.BeforeAllocate(c.files[j], kPictureWorkingCopies);
                    gate.BeforeAllocate(c.files[j], kPictureWorkingCopies);  // a second picture: no more
                    {
                        std::lock_guard lock(mutex);
                        inUse += need;
                        peak = std::max(peak, inUse);
                        maxRunning = std::max(maxRunning, ++running);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    {
                        std::lock_guard lock(mutex);
                        inUse -= need;
                        --running;
                    }
                    gate.EndFile();
                }
            });
        for (auto& t : threads) t.join();
        std::uint64_t largest = 0;
        for (std::uint64_t f : c.files) largest = std::max(largest, f * kPictureWorkingCopies);
        if (c.limit > 0) {
            EXPECT_LE(peak, c.limit + largest);
            EXPECT_LE(budget.PeakReserved(), c.limit + largest);
            EXPECT_GT(budget.Waits(), 0);
        } else {
            EXPECT_EQ(budget.Waits(), 0);
        }
        if (c.limit == 50 * MiB) {
            EXPECT_EQ(maxRunning, 1);
        }
    }
}

TEST(MemoryBudget, SizesParse) {
    const std::pair<const char*, std::uint64_t> good[] = {{"0", 0},
                                                          {"123", 123},
                                                          {"1K", 1024},
                                                          {"512M", 512 * MiB},
                                                          {"2G", 2048 * MiB},
                                                          {"1.5g", 1536 * MiB},
                                                          {"1T", std::uint64_t(1) << 40}};
    for (const auto& [text, bytes] : good) {
        std::uint64_t v = 1;
        EXPECT_TRUE(ParseMemorySize(text, v)) << text;
        EXPECT_EQ(v, bytes) << text;
    }
    for (const char* bad : {"", "G", "-1", "1.2.3", "12X", "1GB", "99999999999999999999999T", " 1G"}) {
        std::uint64_t v = 0;
        EXPECT_FALSE(ParseMemorySize(bad, v)) << bad;
    }
    EXPECT_GE(DefaultMemoryBudget(), 256 * MiB);
}

std::string Bmp(int width, int height, int seed) {
    TFastDIB dib;
    dib.SetSize(width, height, 24);
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 5) dib.SetPixel(y, x, {std::uint8_t(x + seed), std::uint8_t(y), 9});
    std::vector<std::uint8_t> out;
    dib.SaveToStream(out);
    return std::string(out.begin(), out.end());
}

class MemoryBudgetRunTest : public ::testing::Test {
protected:
    MemoryBudgetRunTest() : src(dir.MakeDir("src")), scenario(dir.Path("s.pms")) {
        test::WriteScenario(scenario, {"Bitmap"}, {1, "", ".jpg"});
        for (int i = 0; i < 8; ++i) dir.Put("src/p" + std::to_string(i) + ".bmp", Bmp(1200, 1000, i));
        dir.Put("src/big.bmp", Bmp(3000, 2000, 9));  // larger than the small budget alone
    }
    TTempDir dir;
    test::TLogRecorder log;
    std::string src, scenario;
};

// A budget smaller than the run's pictures together: files wait their turn,
// the reserved total holds, the picture larger than the budget still runs,
// and every result is the one of a run without a limit.
TEST_F(MemoryBudgetRunTest, ASmallBudgetHoldsAndChangesNoResult) {
    std::map<std::string, std::string> results[2];
    const std::uint64_t limits[2] = {std::uint64_t(1) << 40, 12 * MiB};
    for (int i = 0; i < 2; ++i) {
        const std::string tgt = dir.MakeDir("tgt" + std::to_string(i));
        TBatchRun run({{src, false, tgt, scenario}});
        run.Jobs = 4;
        run.MemoryLimit = limits[i];
        EXPECT_TRUE(run.Execute()) << log.Dump();
        results[i] = TTempDir::Snapshot(tgt);
        if (i == 1) {
            EXPECT_GT(run.MemoryWaits(), 0);
            // One 1200 x 1000 picture (3.6 MB, 14.4 MB reserved) fits alone;
            // the 3000 x 2000 one (18 MB, 72 MB reserved) goes when it is the
            // oldest file, beside what is already reserved.
            EXPECT_LE(run.PeakReservedMemory(), 12 * MiB + 3000u * 2000u * 3u * kPictureWorkingCopies);
        }
    }
    ASSERT_EQ(results[0].size(), 9u);
    EXPECT_EQ(results[1], results[0]);
}

// The process's peak memory, measured: the same run with a small budget
// peaks lower than without one. Pictures of 36 MB: the allocator hands
// memory of that size back to the system as soon as it is freed, so the peak
// shows what the workers held at once.
TEST_F(MemoryBudgetRunTest, TheBudgetLowersThePeakOfTheProcess) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory for a while";
#endif
    for (const auto& e : fs::directory_iterator(src)) fs::remove(e.path());
    for (int i = 0; i < 4; ++i) dir.Put("src/p" + std::to_string(i) + ".bmp", Bmp(4000, 3000, i));
    const std::string bin = std::string(PIXMILL_BIN_DIR) + "/pixmill-batch";
    const auto peakOf = [&](const char* limit, const std::string& tgt) {
        const pid_t child = ::fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            ::execl(bin.c_str(), bin.c_str(), "--quiet", "run", "--scenario", scenario.c_str(), "--source",
                    src.c_str(), "--target", tgt.c_str(), "--jobs", "4", "--memory-limit", limit,
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        EXPECT_EQ(::wait4(child, &status, 0, &usage), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return static_cast<long>(usage.ru_maxrss) / 1024;  // MiB
    };
    const long limited = peakOf("100M", dir.MakeDir("t2"));
    // How many files the unlimited workers hold at once depends on how the
    // system schedules them; on a busy machine one run may overlap only two.
    long unlimited = 0;
    for (int run = 0; run < 3 && unlimited <= limited + 60; ++run)
        unlimited = std::max(unlimited, peakOf("1T", dir.MakeDir("t1-" + std::to_string(run))));
    EXPECT_EQ(TTempDir::Snapshot(dir.Path("t1-0")), TTempDir::Snapshot(dir.Path("t2")));
    // Without a limit four workers hold four files and their pictures at
    // once; within 100 MiB one file goes at a time.
    EXPECT_LT(limited, 180) << "limited " << limited << " MiB, unlimited " << unlimited << " MiB";
    EXPECT_LT(limited + 60, unlimited) << "limited " << limited << " MiB, unlimited " << unlimited << " MiB";
}

}  // namespace
}  // namespace pm
