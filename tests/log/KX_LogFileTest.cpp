#include "log/KX_LogFile.h"

#include "support/FileSizeLimit.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

namespace pm {
namespace {

using test::TRecordingConsole;
using test::TTempDir;

TEST(KX_LogFile, NewMessagesStartLinesAndContinuationsStayOnThem) {
    TTempDir dir;
    const std::string name = dir.Path("pixmill.log");
    TRecordingConsole console;
    {
        TKX_LogFile log(&console, false, true, name);
        ASSERT_TRUE(log.Enabled());
        EXPECT_EQ(log.LogFileStatus(), 0);
        log.Write(
            lmInfo,
            {{"Saving result image \"", LogTextColor}, {"a.jpg", LogValueColor}, {"\" ...", LogTextColor}},
            true);
        log.Write(lmInfo, {{"Complete.", LogDoneColor}}, false);
        log.Write(lmWarning, {{"Abort!", LogErrorColor}}, true);
        log.Write(lmQuestion, {{"q", LogTextColor}}, true);
        log.Write(lmError, {{"e", LogErrorColor}}, true);
        log.Write(7, {{"no prefix", LogTextColor}}, true);
        log.Write(lmError, {}, true); // an empty message writes nothing
        EXPECT_EQ(log.LogFileStatus(), 0);
    }
    EXPECT_EQ(TTempDir::Read(name), "\r\n(i) Saving result image \"a.jpg\" ...Complete."
                                    "\r\n(w) Abort!"
                                    "\r\n(q) q"
                                    "\r\n(e) e"
                                    "\r\nno prefix");
    EXPECT_TRUE(console.Messages.empty());
}

TEST(KX_LogFile, TimeStampPrecedesThePrefix) {
    TTempDir dir;
    const std::string name = dir.Path("t.log");
    auto now = [] {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        char buf[128];
        return std::string(buf, std::strftime(buf, sizeof buf, "%x %X", &tm));
    };
    const std::string before = now();
    {
        TKX_LogFile log(nullptr, true, true, name);
        log.Write(lmInfo, {{"Hello", LogTextColor}}, true);
        log.Write(lmInfo, {{" world", LogTextColor}}, false);
    }
    const std::string after = now();
    const std::string text = TTempDir::Read(name);
    EXPECT_TRUE(text == "\r\n" + before + " (i) Hello world" || text == "\r\n" + after + " (i) Hello world")
        << text;
}

TEST(KX_LogFile, OverwriteDecidesWhetherRunsAccumulate) {
    TTempDir dir;
    const std::string name = dir.Path("run.log");
    for (int run = 0; run < 2; ++run) {
        TKX_LogFile log(nullptr, false, false, name);
        log.Write(lmInfo, {{"run " + std::to_string(run), LogTextColor}}, true);
    }
    EXPECT_EQ(TTempDir::Read(name), "\r\n(i) run 0\r\n(i) run 1");
    {
        TKX_LogFile log(nullptr, false, true, name);
        log.Write(lmInfo, {{"fresh", LogTextColor}}, true);
    }
    EXPECT_EQ(TTempDir::Read(name), "\r\n(i) fresh");
}

TEST(KX_LogFile, CreatesMissingDirectoryChain) {
    TTempDir dir;
    const std::string name = dir.Path("a/b/c/x.log");
    TKX_LogFile log(nullptr, false, true, name);
    EXPECT_TRUE(log.Enabled());
    EXPECT_TRUE(std::filesystem::is_regular_file(name));
}

struct OpenFailure {
    const char* what;
    bool overwrite;
    int status;
    const char* message; // first segment; then the name, then "\"!"
};

class KX_LogFileOpenFailure : public testing::TestWithParam<OpenFailure> {};

TEST_P(KX_LogFileOpenFailure, ReportsOnTheConsoleAndStaysOff) {
    const OpenFailure& c = GetParam();
    TTempDir dir;
    // "blocker" is a plain file, so nothing can be created below it;
    // "busy" is a directory with content where the log file should be.
    TTempDir::Write(dir.Path("blocker"), "x");
    std::filesystem::create_directories(dir.Path("busy/inner"));
    std::string name, shown;
    switch (c.status) {
    case 6:
        name = dir.Path("blocker/sub/x.log"), shown = dir.Path("blocker/sub");
        break;
    default:
        name = dir.Path("busy"), shown = name;
        break;
    }
    TRecordingConsole console;
    TKX_LogFile log(&console, false, c.overwrite, name);
    EXPECT_FALSE(log.Enabled());
    EXPECT_EQ(log.LogFileStatus(), c.status);
    ASSERT_EQ(console.Messages.size(), 1u);
    const auto& m = console.Messages[0];
    EXPECT_EQ(m.Kind, lmError);
    ASSERT_EQ(m.Segments.size(), 3u);
    EXPECT_EQ(m.Segments[0].Text, c.message);
    EXPECT_EQ(m.Segments[1].Text, shown);
    EXPECT_EQ(m.Segments[1].Color, LogValueColor);
    EXPECT_EQ(m.Segments[2].Text, "\"!");
    log.Write(lmInfo, {{"ignored", LogTextColor}}, true);
    EXPECT_EQ(console.Messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Status, KX_LogFileOpenFailure,
                         testing::Values(OpenFailure{"directory", true, 6,
                                                     "Can't create directory for log-file \""},
                                         OpenFailure{"delete", true, 7, "Can't delete old log-file \""},
                                         OpenFailure{"open", false, 8, "Can't create new log-file \""}),
                         [](const auto& info) { return std::string(info.param.what); });

// A full disk fails every write: the console hears of it once per stretch
// of failures, and every write tries again.
TEST(KX_LogFile, FailedWritesReportOnceAndTheNextWriteTriesAgain) {
    TTempDir dir;
    const std::string name = dir.Path("small.log");
    TRecordingConsole console;
    TKX_LogFile log(&console, false, true, name);
    ASSERT_TRUE(log.Enabled());
    {
        test::TFileSizeLimit limit(10);
        log.Write(lmInfo, {{"0123456789abcdef", LogTextColor}}, true); // only part fits
        EXPECT_EQ(log.LogFileStatus(), 9);
        log.Write(lmInfo, {{"more", LogTextColor}}, true); // nothing fits
        EXPECT_EQ(log.LogFileStatus(), 9);
    }
    log.Write(lmInfo, {{"ok", LogTextColor}}, false);
    EXPECT_EQ(log.LogFileStatus(), 0);
    {
        test::TFileSizeLimit limit(10);
        log.Write(lmInfo, {{"again", LogTextColor}}, true);
    }
    ASSERT_EQ(console.Messages.size(), 2u);
    EXPECT_EQ(console.Messages[0].Text(),
              "Strange... Not all data correctly saved inside log-file \"" + name + "\"!");
    EXPECT_EQ(console.Messages[1].Text(), "Can't write data into log-file \"" + name + "\"!");
    for (const auto& m : console.Messages) {
        EXPECT_EQ(m.Kind, lmError);
        EXPECT_EQ(m.Segments[1].Color, LogValueColor);
    }
    EXPECT_TRUE(log.WriteEverFailed());
    EXPECT_EQ(TTempDir::Read(name), "\r\n(i) 0123ok");
}

} // namespace
} // namespace pm
