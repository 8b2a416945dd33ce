#include "log/WriteLog.h"

#include "log/KX_LogFile.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace pm {
namespace {

using test::TLogRecorder;
using test::TTempDir;

// Gives WriteLog a log file for one test and takes it away afterwards.
class WriteLogFile : public testing::Test {
  protected:
    void SetUp() override {
        name = dir.Path("pixmill.log");
        SetLogFile(std::make_unique<TKX_LogFile>(&console, false, true, name));
        ASSERT_TRUE(LogFileActive());
    }
    void TearDown() override { SetLogFile(nullptr); }
    std::string FileText() const { return TTempDir::Read(name); }

    TTempDir dir;
    TLogRecorder console;
    std::string name;
};

TEST_F(WriteLogFile, RoutesToTheChosenSinks) {
    struct Case {
        bool toFile, toConsole, newMessage;
        std::vector<std::string> calls;
        const char* file;
    };
    const Case cases[] = {
        {true, true, true, {"Add", "Select"}, "\r\n(i) x"},
        {true, true, false, {"Append", "Select"}, "x"},
        {false, true, true, {"Add", "Select"}, ""},
        {true, false, true, {}, "\r\n(i) x"},
        {false, false, true, {}, ""},
    };
    for (const Case& c : cases) {
        SetLogFile(std::make_unique<TKX_LogFile>(&console, false, true, name));
        console.Clear();
        console.AddMessage(lmInfo, {{"open", LogTextColor}}); // something to continue
        console.Calls.clear();
        WriteLog(lmInfo, {{"x", LogTextColor}}, c.toFile, c.toConsole, c.newMessage);
        EXPECT_EQ(console.Calls, c.calls) << c.toFile << c.toConsole << c.newMessage;
        EXPECT_EQ(FileText(), c.file) << c.toFile << c.toConsole << c.newMessage;
    }
}

TEST_F(WriteLogFile, ContinuationCompletesTheSameItemAndLine) {
    LogNew(lmInfo, {{"Loading image \"", LogTextColor}, {"a.bmp", LogValueColor}, {"\" ... ", LogTextColor}});
    LogAppend(lmInfo, {{"Complete", LogDoneColor}});
    LogError("Failed!");
    ASSERT_EQ(console.Messages.size(), 2u);
    EXPECT_EQ(console.Messages[0].Text(), "Loading image \"a.bmp\" ... Complete");
    EXPECT_EQ(console.Messages[0].Segments[3].Color, LogDoneColor);
    EXPECT_EQ(console.Messages[1].Kind, lmError);
    ASSERT_EQ(console.Messages[1].Segments.size(), 1u);
    EXPECT_EQ(console.Messages[1].Segments[0].Color, LogErrorColor);
    EXPECT_EQ(FileText(), "\r\n(i) Loading image \"a.bmp\" ... Complete\r\n(e) Failed!");
}

TEST_F(WriteLogFile, ClosingLogsToBothSinksThenStopsFileLogging) {
    CloseLogFile();
    EXPECT_FALSE(LogFileActive());
    EXPECT_EQ(FileText(), "\r\n(i)  - Closing log-file ...");
    EXPECT_TRUE(console.Has(" - Closing log-file ..."));
    LogNew(lmInfo, {{"after", LogTextColor}});
    EXPECT_EQ(FileText(), "\r\n(i)  - Closing log-file ...");
    EXPECT_TRUE(console.Has("after"));
}

TEST(WriteLog, UnusableLogFileLeavesOnlyTheConsole) {
    TTempDir dir;
    TTempDir::Write(dir.Path("blocker"), "x");
    TLogRecorder console;
    SetLogFile(std::make_unique<TKX_LogFile>(&console, false, true, dir.Path("blocker/sub/pixmill.log")));
    EXPECT_FALSE(LogFileActive());
    LogNew(lmInfo, {{"still shown", LogTextColor}});
    EXPECT_TRUE(console.Has("still shown"));
    SetLogFile(nullptr);
}

TEST(WriteLog, WithoutConsoleNothingIsShown) {
    ILogConsole* previous = GetLogConsole();
    SetLogConsole(nullptr);
    LogNew(lmInfo, {{"dropped", LogTextColor}}); // must simply not crash
    SetLogConsole(previous);
}

TEST(TLogCapture, KeepsMessagesUntilReplayedInOrder) {
    TLogRecorder console;
    std::vector<TLogCapture::Entry> kept;
    {
        TLogCapture capture;
        LogNew(lmInfo, {{"Loading ", LogTextColor}});
        LogAppend(lmInfo, {{"Complete", LogDoneColor}});
        WriteLog(lmWarning, {{"console only", LogTextColor}}, false, true, true);
        LogError("Failed!");
        EXPECT_TRUE(console.Messages.empty());
        kept = capture.Take();
        LogNew(lmInfo, {{"after take", LogTextColor}}); // no longer captured
    }
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_FALSE(kept[1].NewMessage);
    EXPECT_FALSE(kept[2].ToFile);
    ASSERT_EQ(console.Texts(), std::vector<std::string>{"after take"});
    TLogCapture::Replay(kept);
    EXPECT_EQ(console.Texts(),
              (std::vector<std::string>{"after take", "Loading Complete", "console only", "Failed!"}));
    EXPECT_EQ(console.Messages[2].Kind, lmWarning);
    EXPECT_EQ(console.Messages[3].Kind, lmError);
}

TEST(TLogCapture, CapturesOnlyItsOwnThread) {
    TLogRecorder console;
    TLogCapture capture;
    std::thread other([] { LogNew(lmInfo, {{"other thread", LogTextColor}}); });
    other.join();
    LogNew(lmInfo, {{"this thread", LogTextColor}});
    EXPECT_EQ(console.Texts(), std::vector<std::string>{"other thread"});
    auto kept = capture.Take();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].Segments[0].Text, "this thread");
}

TEST(TLogCapture, EndsWhenDestroyedWithoutTake) {
    TLogRecorder console;
    { TLogCapture capture; }
    LogNew(lmInfo, {{"shown", LogTextColor}});
    EXPECT_TRUE(console.Has("shown"));
}

} // namespace
} // namespace pm
