#include "core/IniFile.h"

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pm {
namespace {

using test::TTempDir;

TEST(TIniFile, ReadValueRules) {
    struct Case {
        const char* raw;
        std::string expected;
    };
    const Case cases[] = {
        {"abc", "abc"},
        {"  abc \t", "abc"},
        {"\"abc\"", "abc"},
        {"\"\"abc\"\"", "\"abc\""}, // one pair only
        {"'abc'", "abc"},
        {"  \" a b \"  ", " a b "},
        {"\"abc'", "\"abc'"}, // the pair must match
        {"\"", "\""},
        {"\"\"", ""},
        {"", ""},
        {"\"Make \"ResizeCanvas\"\"", "Make \"ResizeCanvas\""},
        {"a=b", "a=b"},
        {"\\no\\escapes\\n", "\\no\\escapes\\n"},
    };
    TTempDir dir;
    std::string text = "[S]\r\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].raw + "\r\n";
    TTempDir::Write(dir.Path("v.ini"), text);
    TIniFile ini(dir.Path("v.ini"));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadString("S", "k" + std::to_string(i), "?"), cases[i].expected) << cases[i].raw;
    EXPECT_EQ(ini.ReadString("S", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("Nope", "k0", "def"), "def");
}

TEST(TIniFile, LongValuesAreCut) {
    TTempDir dir;
    TTempDir::Write(dir.Path("l.ini"), "[S]\nk=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(TIniFile(dir.Path("l.ini")).ReadString("S", "k", ""), std::string(2047, 'x'));
}

TEST(TIniFile, LfAndCrLfReadAlikeAndNamesIgnoreCase) {
    TTempDir dir;
    for (const char* eol : {"\n", "\r\n"}) {
        std::string text;
        for (const char* line : {"; comment", "[Task2]", "B=2", "a= 1 ", "", "[ task1 ]", "X=\"y\""})
            text += std::string(line) + eol;
        TTempDir::Write(dir.Path("c.ini"), text);
        TIniFile ini(dir.Path("c.ini"));
        EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Task2", "task1"}));
        EXPECT_EQ(ini.ReadSection("TASK2"), (std::vector<std::string>{"B", "a"}));
        EXPECT_EQ(ini.ReadString("task2", "A", ""), "1");
        EXPECT_EQ(ini.ReadString("TASK1", "x", ""), "y");
        EXPECT_TRUE(ini.SectionExists("Task1"));
        EXPECT_FALSE(ini.ValueExists("Task1", "B"));
    }
}

// Sections are a project's items: every one is listed, however many. Key
// lists keep the platform's buffer size.
TEST(TIniFile, SectionListsAreWholeKeyListsStopAtTheirBufferSize) {
    TTempDir dir;
    std::string text;
    for (int i = 0; i < 6000; ++i) text += "[Section" + std::to_string(10000 + i) + "]\n";
    text += "[S]\n";
    for (int i = 0; i < 2000; ++i) text += "Key" + std::to_string(10000 + i) + "=v\n";  // 9 bytes a name
    TTempDir::Write(dir.Path("big.ini"), text);
    TIniFile ini(dir.Path("big.ini"));
    const std::vector<std::string> sections = ini.ReadSections();
    ASSERT_EQ(sections.size(), 6001u);
    EXPECT_EQ(sections[5999], "Section15999");
    EXPECT_EQ(sections.back(), "S");
    EXPECT_TRUE(ini.SectionExists("section15999"));
    const std::vector<std::string> keys = ini.ReadSection("S");
    EXPECT_EQ(keys.size(), 16383u / 9u);
    EXPECT_EQ(ini.ReadString("S", "Key11999", ""), "v");  // reading a value is not limited
}

TEST(TIniFile, WritesKeepOrderAndPlace) {
    TTempDir dir;
    const std::string name = dir.Path("w.ini");
    TTempDir::Write(name, "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    TIniFile ini(name);
    ini.WriteString("a", "X", "10");      // replaced in place, key keeps its spelling
    ini.WriteString("A", "w", "\"new\""); // appended after the last entry of A
    ini.WriteString("C", "k", "v");       // new section at the end
    ini.WriteString("B", "z2", "4");
    ini.UpdateFile();
    EXPECT_EQ(TTempDir::Read(name), "[A]\nx=10\ny=2\nw=\"new\"\n\n[B]\nz=3\nz2=4\n[C]\nk=v\n");

    TIniFile again(name);
    EXPECT_EQ(again.ReadString("A", "W", ""), "new");
    again.EraseSection("b");
    again.UpdateFile();
    EXPECT_EQ(TTempDir::Read(name), "[A]\nx=10\ny=2\nw=\"new\"\n\n[C]\nk=v\n");
    EXPECT_EQ(TIniFile(name).ReadSections(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"w.ini"});
}

TEST(TIniFile, FailedWriteRaisesAndKeepsTheOldFile) {
    TTempDir dir;
    {
        TIniFile ini(dir.Path("missing/dir/s.ini"));
        ini.WriteString("S", "k", "v");
        try {
            ini.UpdateFile();
            FAIL() << "no error";
        } catch (const EIniFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.Path("missing/dir/s.ini"));
        }
    }
    const std::string name = dir.Path("s.ini");
    TTempDir::Write(name, "[Old]\nk=1\n");
    TIniFile ini(name);
    ini.WriteString("Old", "big", std::string(1000, 'x'));
    {
        test::TFileSizeLimit limit(100);
        EXPECT_THROW(ini.UpdateFile(), EIniFileError);
    }
    EXPECT_EQ(TTempDir::Read(name), "[Old]\nk=1\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"s.ini"}); // no temporary file left
}

TEST(TIniFile, UnreadableFileRaises) {
    TTempDir dir;
    std::filesystem::create_directory(dir.Path("d.ini"));
    EXPECT_THROW(TIniFile ini(dir.Path("d.ini")), EIniFileError);
    EXPECT_NO_THROW(TIniFile ini(dir.Path("absent.ini")));
}

} // namespace
} // namespace pm
