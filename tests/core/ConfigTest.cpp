#include "core/Config.h"

#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pm {
namespace {

using test::TTempDir;

constexpr int kScreenW = 1280, kScreenH = 1024;

// A pixmill.ini holding `lines` below [Settings], read with the program
// directory `dir`.
TConfig ReadWith(const TTempDir& dir, const std::string& lines) {
    const std::string path = dir.Put("pixmill.ini", "[Settings]\r\n" + lines);
    return LoadConfiguration(path, dir.Dir(), kScreenW, kScreenH);
}

struct IntCase {
    const char* name;
    const char* line;
    int top;
};

class ConfigIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ConfigIntTest, LogFormTopFollowsTheIntegerRule) {
    TTempDir dir;
    EXPECT_EQ(ReadWith(dir, GetParam().line).LogFormTop, GetParam().top) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Values, ConfigIntTest,
                         ::testing::Values(IntCase{"SpacesAround", "LogFormTop= 200 \r\n", 200},
                                           IntCase{"Highest", "LogFormTop=974\r\n", 974},
                                           // above screen height - 50
                                           IntCase{"OneTooHigh", "LogFormTop=975\r\n", 170},
                                           IntCase{"Words", "LogFormTop=two hundred\r\n", 170},
                                           IntCase{"Negative", "LogFormTop=-1\r\n", 170},
                                           IntCase{"Empty", "LogFormTop=\r\n", 170},
                                           IntCase{"HexPrefix", "LogFormTop=$C8\r\n", 170},
                                           IntCase{"Absent", "Other=1\r\n", 170}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BoolCase {
    const char* value;
    bool overwrite;
};

class ConfigBoolTest : public ::testing::TestWithParam<BoolCase> {};

TEST_P(ConfigBoolTest, LogOverwriteFollowsTheBooleanRule) {
    TTempDir dir;
    const std::string line = std::string("LogOverwrite=") + GetParam().value + "\r\n";
    EXPECT_EQ(ReadWith(dir, line).LogOverwrite, GetParam().overwrite) << line;
}

// Named by the value itself; the digit and the empty value get words.
INSTANTIATE_TEST_SUITE_P(Values, ConfigBoolTest,
                         ::testing::Values(BoolCase{"yes", true}, BoolCase{"YES", true}, BoolCase{"y", true},
                                           BoolCase{"Yep", true}, BoolCase{"1", false}, BoolCase{"No", false},
                                           BoolCase{"true", false}, BoolCase{"", true}),
                         [](const auto& info) {
                             const std::string v = info.param.value;
                             return v.empty() ? std::string("Empty") : v == "1" ? std::string("One") : v;
                         });

TEST(ConfigTest, PathsAreCorrectedAgainstTheProgramDirectory) {
    TTempDir dir;
    const std::string gone = dir.MakeDir("gone");
    std::filesystem::remove(gone);
    const std::string kept = dir.MakeDir("kept");
    struct Case {
        std::string lines;
        std::string initialDir, logFileName;
    } cases[] = {
        {"LogFileName=log/run.txt\r\n", dir.Dir(), dir.Dir() + "log/run.txt"},
        {"LogFileName=\"/var/tmp/run.txt\"\r\n", dir.Dir(), "/var/tmp/run.txt"},
        {"LogFileName=\r\n", dir.Dir(), dir.Dir() + "pixmill.log"},
        {"InitialDir=\"" + gone + "\"\r\n", dir.Dir(), dir.Dir() + "pixmill.log"},
        {"InitialDir=\"" + kept + "\"\r\n", kept, dir.Dir() + "pixmill.log"},
    };
    for (const Case& c : cases) {
        const TConfig config = ReadWith(dir, c.lines);
        EXPECT_EQ(config.InitialDir, c.initialDir) << c.lines;
        EXPECT_EQ(config.LogFileName, c.logFileName) << c.lines;
    }
}

TEST(ConfigTest, MissingFileGivesDefaultsAndOneWarning) {
    TTempDir dir;
    test::TLogRecorder log;
    const TConfig config = LoadConfiguration(dir.Path("pixmill.ini"), dir.Dir(), kScreenW, kScreenH);
    EXPECT_EQ(config.InitialDir, dir.Dir());
    EXPECT_EQ(config.TestDirectory, dir.Dir());
    EXPECT_EQ(config.LogFileName, dir.Dir() + "pixmill.log");
    EXPECT_FALSE(config.AllowChangeTaskType);
    EXPECT_EQ(config.LogFormLeft, 150);
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0].Kind, lmWarning);
    EXPECT_EQ(log.Messages[0].Text(), "Can't found configuration file \"" + dir.Path("pixmill.ini") +
                                          "\". Loading default settings ...");
}

TEST(ConfigTest, SavedStringsAreQuotedAndSurviveARestart) {
    TTempDir dir;
    TConfig config = TConfig::Defaults(dir.Dir());
    config.TestDirectory = dir.MakeDir("test images");
    config.AllowChangeTaskType = true;
    config.ColorFormat = 2;
    config.LogFormWidth = 640;
    config.MemoryLimitMB = 3072;
    const std::string path = dir.Path("pixmill.ini");
    ASSERT_TRUE(SaveConfiguration(path, config));

    const std::string text = TTempDir::Read(path);
    for (const std::string& line :
         {"InitialDir=\"" + dir.Dir() + "\"", "TestDirectory=\"" + config.TestDirectory + "\"",
          std::string("AllowChangeTaskType=Yes"), std::string("LogOverwrite=Yes"),
          std::string("ColorFormat=2"), std::string("LogFormWidth=640"), std::string("MemoryLimitMB=3072")})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_LT(text.find("InitialDir="), text.find("ShowLogForm="));

    const TConfig back = LoadConfiguration(path, dir.Dir(), kScreenW, kScreenH);
    EXPECT_EQ(back.TestDirectory, config.TestDirectory);
    EXPECT_EQ(back.InitialDir, config.InitialDir);
    EXPECT_TRUE(back.AllowChangeTaskType);
    EXPECT_EQ(back.ColorFormat, 2);
    EXPECT_EQ(back.LogFormWidth, 640);
    EXPECT_EQ(back.MemoryLimitMB, 3072);
}

// The memory budget key came later: missing or out of range, it is 0 (half
// the available memory), without a word.
TEST(ConfigTest, MemoryLimitIsOptional) {
    TTempDir dir;
    const std::string path = dir.Path("pixmill.ini");
    for (const auto& [text, expected] : std::vector<std::pair<std::string, int>>{
             {"[Settings]\nJobs=2\n", 0},
             {"[Settings]\nMemoryLimitMB=2048\n", 2048},
             {"[Settings]\nMemoryLimitMB=-5\n", 0},
             {"[Settings]\nMemoryLimitMB=99999999999\n", 0}}) {
        TTempDir::Write(path, text);
        test::TLogRecorder log;
        EXPECT_EQ(LoadConfiguration(path, dir.Dir(), kScreenW, kScreenH).MemoryLimitMB, expected) << text;
        EXPECT_EQ(log.CountContaining("Could't"), 0);
    }
}

}  // namespace
}  // namespace pm
