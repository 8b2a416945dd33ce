#include "cli/BatchCli.h"

#include "imaging/FastDIB.h"
#include "support/ReaderTestKit.h"
#include "support/ScenarioFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pm {
namespace {

using test::TTempDir;
using test::WriteScenario;

constexpr const char* kJunk = "not an image";

// Runs pixmill-batch in-process with both streams captured.
struct TCliRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(std::FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

TCliRun Cli(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    TCliRun r;
    r.status = CommandLineMain(args, out, err);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

// Starts `program` with `args`, its standard output and error going to
// out[0], which the caller reads; -1 when it cannot.
pid_t SpawnWithOutput(const std::string& program, const std::vector<std::string>& args, int out[2]) {
    if (::pipe(out) != 0) return -1;
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    return child;
}

int Lines(const std::string& s) {
    return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

// Runs pixmill-batch with `args` and sends it `signal` once its output holds
// `marker` (after `delay`); its output and exit status.
struct TSignalledRun {
    std::string Text;
    bool Signalled = false;
    int Status = -1;  // the wait status
};
TSignalledRun SignalWhen(const std::vector<std::string>& args, const std::string& marker, int signal,
                         std::chrono::milliseconds delay = {}) {
    TSignalledRun r;
    int out[2];
    const pid_t child = SpawnWithOutput(std::string(PIXMILL_BIN_DIR) + "/pixmill-batch", args, out);
    if (child < 0) return r;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        r.Text.append(buf, static_cast<std::size_t>(n));
        if (!r.Signalled && r.Text.find(marker) != std::string::npos) {
            std::this_thread::sleep_for(delay);
            ::kill(child, signal);
            r.Signalled = true;
        }
    }
    ::close(out[0]);
    if (::waitpid(child, &r.Status, 0) != child) r.Status = -1;
    return r;
}

class BatchCliTest : public ::testing::Test {
protected:
    BatchCliTest() : src(dir.MakeDir("src")), tgt(dir.MakeDir("tgt")), scenario(dir.Path("s.pms")) {
        WriteScenario(scenario, {"Bitmap"});
    }
    std::string Project(const std::string& name, const std::string& body) { return dir.Put(name, body); }
    // `count` copies of the picture as BMP files src/1000.bmp, src/1001.bmp, ...
    void PutSourceCopies(const TFastDIB& dib, int count) {
        std::vector<std::uint8_t> bytes;
        dib.SaveToStream(bytes);
        for (int i = 0; i < count; ++i)
            dir.Put("src/" + std::to_string(1000 + i) + ".bmp", std::string(bytes.begin(), bytes.end()));
    }
    std::string ItemSection(int n, const std::string& source, const std::string& target) const {
        return "[Item" + std::to_string(n) + "]\nSourceDirectory=\"" + source + "\"\nTargetDirectory=\"" +
               target + "\"\nScenarioFileName=\"" + scenario + "\"\n";
    }

    TTempDir dir;
    std::string src, tgt, scenario;
};

TEST_F(BatchCliTest, ScenarioNewWritesEveryTaskTypeAndCheckReadsIt) {
    const std::string file = dir.Path("new.pms");
    TCliRun r = Cli({"scenario", "new", file});
    ASSERT_EQ(r.status, kExitComplete) << r.err;
    const std::string text = TTempDir::Read(file);
    for (int n = 1; n <= 11; ++n)
        EXPECT_NE(text.find("[Task" + std::to_string(n) + "]\n"), std::string::npos) << n;
    EXPECT_EQ(text.find("[Task12]"), std::string::npos);

    r = Cli({"scenario", "check", file});
    EXPECT_EQ(r.status, kExitComplete) << r.err;
    EXPECT_NE(r.out.find("Loading scenario file \"" + file + "\" ... Complete\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  1. Load source graphical file (TLoadFromFile)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" 11. Save resulting graphical file (TSaveToFile)\n"), std::string::npos) << r.out;

    // An existing file is never overwritten.
    r = Cli({"scenario", "new", file});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "pixmill-batch: " + file + " already exists; not overwritten\n");
    EXPECT_EQ(TTempDir::Read(file), text);
}

TEST_F(BatchCliTest, ScenarioCheckOfBadFiles) {
    const struct {
        const char* content;  // nullptr: no file
        const char* logged;
    } cases[] = {
        {nullptr, ""},
        {"no sections\n", "Can't found valid data inside file!"},
        {"[Task1]\nTaskName=\"x\"\nTaskType=\"TBitmap\"\n", "Unknown \"TaskType\" - \"TBitmap\""},
        {"[Task1]\nTaskName=\"x\"\nTaskType=\"TLoadFromFile\"\n", "Invalid type of last task!"},
    };
    for (const auto& c : cases) {
        const std::string file = dir.Path("bad.pms");
        std::filesystem::remove(file);
        if (c.content) dir.Put("bad.pms", c.content);
        const TCliRun r = Cli({"scenario", "check", file});
        EXPECT_EQ(r.status, kExitUsage) << c.logged;
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_NE(r.out.find(c.logged), std::string::npos) << r.out;
    }
}

TEST_F(BatchCliTest, RunExitStatus) {
    const std::string emptySrc = dir.MakeDir("empty");
    dir.Put("src/junk.bmp", kJunk);
    const std::string gone = dir.Path("gone/");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* err;  // start of the one-line message, or empty for none
    } cases[] = {
        {{"run", "--scenario", scenario, "--source", emptySrc, "--target", tgt}, kExitComplete, ""},
        {{"run", "--scenario", scenario, "--source", src, "--target", tgt},
         kExitErrors,
         "pixmill-batch: the run ended with \"Project error(s)!\": 1 of 1 files failed"},
        {{"run", "--scenario", scenario, "--source", gone, "--target", tgt},
         kExitUsage,
         "pixmill-batch: source, target or scenario not found"},
        {{"run", "--scenario", dir.Path("none.pms"), "--source", src, "--target", tgt},
         kExitUsage,
         "pixmill-batch: source, target or scenario not found"},
        {{"run", "--scenario", dir.Put("x.pms", "[Task1]\nTaskName=\"\"\n"), "--source", src, "--target",
          tgt},
         kExitUsage,
         "pixmill-batch: cannot use scenario file"},
        {{"run", dir.Path("none.pmp")}, kExitUsage, "pixmill-batch: project file not found"},
        {{"run", dir.Put("e.pmp", "")}, kExitUsage, "pixmill-batch: cannot read project file"},
        {{"run", Project("empty.pmp", ItemSection(1, emptySrc, tgt))}, kExitComplete, ""},
        {{"run", Project("junk.pmp", ItemSection(1, src, tgt))}, kExitErrors, "pixmill-batch: the run ended"},
        {{"run", Project("gone.pmp", ItemSection(1, gone, tgt))},
         kExitUsage,
         "pixmill-batch: no item of project"},
        // The rest ran well, but an item of the project was dropped.
        {{"run", Project("skip.pmp", ItemSection(1, emptySrc, tgt) + ItemSection(2, gone, tgt))},
         kExitErrors,
         "pixmill-batch: 1 item(s) of the project were skipped"},
        {{"run"}, kExitUsage, "pixmill-batch: run: no project file given (see pixmill-batch --help)"},
        {{"run", "x", "--log", dir.Put("file", "") + "/log.txt"},
         kExitUsage,
         "pixmill-batch: cannot open log file"},
    };
    for (const auto& c : cases) {
        const TCliRun r = Cli(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(r.status, c.status) << what << "\n" << r.out << r.err;
        if (*c.err) {
            EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << what << ": " << r.err;
            EXPECT_EQ(Lines(r.err), 1) << what << ": " << r.err;
        } else {
            EXPECT_EQ(r.err, "") << what;
        }
    }
}

TEST_F(BatchCliTest, LogFileHasTimeStampsAndKindPrefixes) {
    dir.Put("src/junk.bmp", kJunk);
    const std::string logFile = dir.Path("logs/run.log");  // the folder is made
    const TCliRun r =
        Cli({"--log", logFile, "run", "--scenario", scenario, "--source", src, "--target", tgt});
    EXPECT_EQ(r.status, kExitErrors);
    const std::string text = TTempDir::Read(logFile);
    ASSERT_EQ(text.rfind("\r\n", 0), 0u) << text;  // a fresh file starts with an empty line
    std::vector<std::string> lines;
    for (std::size_t pos = 2; pos < text.size();) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    ASSERT_GE(lines.size(), 4u);
    // Every line: date, time, kind prefix, text.
    const auto stamped = [](const std::string& l) {
        const std::size_t a = l.find(' ');
        const std::size_t b = a == std::string::npos ? a : l.find(' ', a + 1);
        if (a == 0 || b == std::string::npos || b == a + 1) return false;
        const std::string rest = l.substr(b + 1);
        return (rest.rfind("(i) ", 0) == 0 || rest.rfind("(e) ", 0) == 0 || rest.rfind("(w) ", 0) == 0) &&
               rest.size() > 4;
    };
    for (const std::string& l : lines) EXPECT_TRUE(stamped(l)) << l;
    EXPECT_NE(lines.front().find("(i) Loading scenario file \"" + scenario + "\" ... Complete"),
              std::string::npos)
        << lines.front();
    EXPECT_NE(text.find("(w) BMP: Not a bitmap file\r\n"), std::string::npos);  // why the load failed
    EXPECT_NE(text.find("(e) Scenario processing failed!\r\n"), std::string::npos);
    EXPECT_NE(text.find("(i) Project error(s)!\r\n"), std::string::npos);
    EXPECT_NE(lines.back().find("(i)  - Closing log-file ..."), std::string::npos);
    EXPECT_EQ(r.out.find("Closing log-file"), std::string::npos);
}

TEST_F(BatchCliTest, QuietPrintsErrorsOnly) {
    dir.Put("src/junk.bmp", kJunk);
    const TCliRun r = Cli({"run", "-q", "--scenario", scenario, "--source", src, "--target", tgt});
    EXPECT_EQ(r.status, kExitErrors);
    EXPECT_EQ(r.out.find("Loading scenario file"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Processing source image"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Scenario processing failed!"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Project error(s)!"), std::string::npos) << r.out;
}

// The installed program itself: arguments, streams and exit status.
TEST(BatchCliBinary, ExitStatusAndStreams) {
    const std::string bin = std::string(PIXMILL_BIN_DIR) + "/pixmill-batch";
    const struct {
        const char* args;
        int status;
        const char* firstLine;
    } cases[] = {
        {"", kExitUsage, "pixmill-batch: no command given (see pixmill-batch --help)"},
        {"--version", kExitComplete, "Pixmill 0.6"},
        {"--help", kExitComplete, "Usage:"},
        {"run /nonexistent/p.pmp", kExitUsage, "pixmill-batch: project file not found: /nonexistent/p.pmp"},
    };
    for (const auto& c : cases) {
        const std::string cmd = bin + " " + c.args + " 2>&1";
        std::FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string out;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        const int raw = ::pclose(p);
        ASSERT_TRUE(WIFEXITED(raw)) << c.args;
        EXPECT_EQ(WEXITSTATUS(raw), c.status) << c.args;
        EXPECT_EQ(out.substr(0, out.find('\n')), c.firstLine) << c.args;
    }
}

// The parts of --shard together make the files of the whole run, each once.
TEST_F(BatchCliTest, ShardsOfARunAreDisjointAndComplete) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        const std::string name = (i % 3 ? "sub/" : "") + std::string("f") + std::to_string(i) + ".bmp";
        TFastDIB dib;
        dib.SetSize(4 + i, 3, 24);
        dib.Fill({std::uint8_t(i), 2, 3});
        std::vector<std::uint8_t> bytes;
        dib.SaveToStream(bytes);
        dir.Put("src/" + name, std::string(bytes.begin(), bytes.end()));
    }
    const auto results = [&](const std::string& target) {
        std::set<std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(target))
            if (e.is_regular_file()) files.insert(std::filesystem::relative(e.path(), target).string());
        return files;
    };
    TCliRun r = Cli({"run", "--scenario", scenario, "--source", src, "--target", tgt, "--jobs", "2"});
    ASSERT_EQ(r.status, kExitComplete) << r.err;
    const std::set<std::string> whole = results(tgt);
    ASSERT_EQ(whole.size(), 12u);
    std::set<std::string> together;
    for (int k = 1; k <= 3; ++k) {
        const std::string part = dir.MakeDir("part" + std::to_string(k));
        r = Cli({"run", "--scenario", scenario, "--source", src, "--target", part, "--shard",
                 std::to_string(k) + "/3"});
        ASSERT_EQ(r.status, kExitComplete) << r.err;
        for (const std::string& f : results(part)) EXPECT_TRUE(together.insert(f).second) << f;
    }
    EXPECT_EQ(together, whole);
}

// Ctrl+C in the middle of a run: the program finishes the file at hand,
// says how far it got and ends with its own status.
TEST_F(BatchCliTest, InterruptStopsTheRunAfterTheFileAtHand) {
    TFastDIB dib;
    dib.SetSize(300, 200, 24);
    dib.Fill({10, 20, 30});
    PutSourceCopies(dib, 400);
    const TSignalledRun run = SignalWhen({"run", "--scenario", scenario, "--source", src, "--target", tgt,
                                          "--jobs", "2", "--log", dir.Path("run.log")},
                                         "Scenario complete.", SIGINT);
    const std::string& text = run.Text;
    const int status = run.Status;
    ASSERT_TRUE(run.Signalled) << text;
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), kExitStopped) << text;
    // "Run stopped: D file(s) done, S file(s) skipped."
    const std::string head = "Run stopped: ";
    const std::size_t at = text.find(head);
    ASSERT_NE(at, std::string::npos) << text;
    int done = -1, skipped = -1;
    ASSERT_EQ(
        std::sscanf(text.c_str() + at + head.size(), "%d file(s) done, %d file(s) skipped.", &done, &skipped),
        2)
        << text;
    EXPECT_EQ(done + skipped, 400);
    EXPECT_GT(skipped, 0);
    EXPECT_NE(text.find("Project error(s)!"), std::string::npos);
    EXPECT_NE(text.find("pixmill-batch: stopping after the files in progress"), std::string::npos);
    EXPECT_NE(
        TTempDir::Read(dir.Path("run.log")).find("Run stopped: " + std::to_string(done) + " file(s) done"),
        std::string::npos);
    // Only whole results, one for every file done, and no temporary file.
    int results = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tgt))
        if (e.is_regular_file()) {
            ++results;
            EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
        }
    EXPECT_EQ(results, done);
}
}  // namespace
}  // namespace pm

namespace pm {
namespace {

// --log opens (and first removes) its file before anything else: naming a
// file the run reads is refused before anything is written.
TEST_F(BatchCliTest, LogNamingAFileOfTheRunIsRefused) {
    dir.Put("src/a.bmp", "picture");
    dir.Put("src/sub/b.tif", "picture");
    const std::string project = Project("p.pmp", ItemSection(1, src, tgt));
    struct Case {
        std::string log;
        bool onlyProject;  // a file only the project form reads
    };
    const Case cases[] = {{project, true},           {dir.Path("./p.pmp"), true}, {scenario, false},
                          {src + "../s.pms", false}, {src + "a.bmp", false},      {src + "new.jpg", false},
                          {src + "sub/x.TIF", false}};
    for (const Case& c : cases) {
        for (bool asProject : {true, false}) {
            if (!asProject && c.onlyProject) continue;
            const TCliRun r =
                asProject
                    ? Cli({"--log", c.log, "run", project})
                    : Cli({"--log", c.log, "run", "--scenario", scenario, "--source", src, "--target", tgt});
            EXPECT_EQ(r.status, 2) << c.log << r.err;
            EXPECT_NE(r.err.find("nothing done"), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
    EXPECT_EQ(TTempDir::Read(src + "a.bmp"), "picture");
    EXPECT_FALSE(TTempDir::Exists(src + "new.jpg"));
    EXPECT_NE(TTempDir::Read(project).find("[Item1]"), std::string::npos);
    EXPECT_NE(TTempDir::Read(scenario).find("TLoadFromFile"), std::string::npos);
    // Beside the pictures, a log of another type is fine.
    const TCliRun beside = Cli({"--log", src + "run.log", "run", project});
    EXPECT_EQ(beside.err.find("nothing done"), std::string::npos) << beside.err;
    EXPECT_NE(TTempDir::Read(src + "run.log").find("Project"), std::string::npos);
}

// Sources swapped for fifos while two workers run: each fails at once, and
// SIGTERM still stops the program within seconds.
TEST_F(BatchCliTest, FifosAmongTheSourcesNeitherHangTheRunNorItsStop) {
    TFastDIB dib;
    dib.SetSize(200, 200, 24);
    PutSourceCopies(dib, 400);
    const std::string bin = std::string(PIXMILL_BIN_DIR) + "/pixmill-batch";
    int out[2];
    const pid_t child = SpawnWithOutput(
        bin, {"run", "--scenario", scenario, "--source", src, "--target", tgt, "--jobs", "2"}, out);
    ASSERT_GE(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string text;
    bool swapped = false, signalled = false;
    std::chrono::steady_clock::time_point stopAt;
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        if (std::chrono::steady_clock::now() > deadline || ::poll(&p, 1, 1000) < 0) break;
        if (!(p.revents & (POLLIN | POLLHUP))) continue;
        char buf[4096];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, static_cast<std::size_t>(n));
        if (!swapped && text.find("Scenario complete.") != std::string::npos) {
            for (int i = 1300; i < 1400; ++i) {
                const std::string f = src + std::to_string(i) + ".bmp";
                std::filesystem::remove(f);
                ASSERT_EQ(::mkfifo(f.c_str(), 0644), 0);
            }
            swapped = true;
        }
        if (swapped && !signalled && text.find("Can't load image") != std::string::npos) {
            ::kill(child, SIGTERM);
            signalled = true;
            stopAt = std::chrono::steady_clock::now();
        }
    }
    ::close(out[0]);
    int status = 0;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline + std::chrono::seconds(5)) {
        ended = ::waitpid(child, &status, WNOHANG) == child;
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    ASSERT_TRUE(ended) << "still running after a minute:\n"
                       << text.substr(text.size() > 2000 ? text.size() - 2000 : 0);
    ASSERT_TRUE(signalled) << text;
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, std::chrono::seconds(10));
    ASSERT_TRUE(WIFEXITED(status));
    // Stopped, or (on a fast machine) through before the signal came.
    EXPECT_TRUE(WEXITSTATUS(status) == kExitStopped || WEXITSTATUS(status) == kExitErrors)
        << WEXITSTATUS(status);
    EXPECT_NE(text.find("Can't load image \"" + src + "13"), std::string::npos);
}

// Our own words on standard error start a line of their own, even when the
// log and they share one terminal.
TEST_F(BatchCliTest, OwnLinesNeverGlueToTheLog) {
    dir.Put("src/bad.bmp", kJunk);
    const std::string empty = Project("empty.pmp", ItemSection(1, dir.Path("missing/"), tgt));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"run", "--scenario", scenario, "--source", src, "--target", tgt},
          std::vector<std::string>{"run", empty}}) {
        std::FILE* both = std::tmpfile();
        const int status = CommandLineMain(args, both, both);
        const std::string text = Slurp(both);
        EXPECT_NE(status, 0);
        const std::size_t at = text.find("pixmill-batch: ");
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_TRUE(at == 0 || text[at - 1] == '\n') << text;
    }
}

// A log file that cannot be written is said once on standard error, and the
// command does not succeed.
TEST_F(BatchCliTest, ALogThatCannotBeWrittenFailsTheCommand) {
    if (!TTempDir::Exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    dir.Put("src/a.bmp", "not a picture but no matter");
    const std::string project = Project("p.pmp", ItemSection(1, src, tgt));
    const TCliRun r = Cli({"--log", "/dev/full", "scenario", "check", scenario});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pixmill-batch: cannot write log file /dev/full: No space left on device\n");
    struct stat st {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));  // written to, never replaced
}

// File names reach the terminal with their control characters written out:
// no name can forge a log line or restyle the terminal.
TEST_F(BatchCliTest, ControlCharactersInNamesAreEscaped) {
    const std::string evil = "x\nProject complete.\x1b[31m\r.bmp";
    dir.Put("src/" + evil, "not a picture");
    const TCliRun r =
        Cli({"--log", dir.Path("run.log"), "run", "--scenario", scenario, "--source", src, "--target", tgt});
    EXPECT_EQ(r.status, 1);
    const std::string file = TTempDir::Read(dir.Path("run.log"));
    for (const std::string& text : {r.out, file}) {
        EXPECT_EQ(text.find('\x1b'), std::string::npos);
        EXPECT_EQ(text.find("\nProject complete."), std::string::npos) << text;
        EXPECT_NE(text.find("x\\nProject complete.\\x1b[31m\\r.bmp"), std::string::npos) << text;
    }
}

// info prints, for each sample, what its making put there (tests/data/SOURCES.md).
TEST(BatchCliInfo, PrintsWhatTheLoaderSees) {
    const struct {
        std::string file, format, stored, upright;
        int bpp, orientation;
        const char* profile;
        bool facts;  // the date, camera and lens of metadata/make.sh
    } cases[] = {
        {"orientation/jpeg_orientation_1.jpg", "JPEG", "24 x 16", "24 x 16", 24, 1, "none", false},
        {"orientation/jpeg_orientation_2.jpg", "JPEG", "24 x 16", "24 x 16", 24, 2, "none", false},
        {"orientation/jpeg_orientation_3.jpg", "JPEG", "24 x 16", "24 x 16", 24, 3, "none", false},
        {"orientation/jpeg_orientation_4.jpg", "JPEG", "24 x 16", "24 x 16", 24, 4, "none", false},
        {"orientation/jpeg_orientation_5.jpg", "JPEG", "16 x 24", "24 x 16", 24, 5, "none", false},
        {"orientation/jpeg_orientation_6.jpg", "JPEG", "16 x 24", "24 x 16", 24, 6, "none", false},
        {"orientation/jpeg_orientation_7.jpg", "JPEG", "16 x 24", "24 x 16", 24, 7, "none", false},
        {"orientation/jpeg_orientation_8.jpg", "JPEG", "16 x 24", "24 x 16", 24, 8, "none", false},
        {"orientation/jpeg_damaged_exif.jpg", "JPEG", "16 x 24", "16 x 24", 24, 1, "none", false},
        {"orientation/png_orientation_6.png", "PNG", "16 x 24", "24 x 16", 4, 6, "none", false},
        {"orientation/tiff_orientation_6.tif", "TIFF", "16 x 24", "24 x 16", 24, 6, "none", false},
        {"orientation/webp_orientation_6.webp", "WebP", "16 x 24", "24 x 16", 24, 6, "none", false},
        {"pixmill/animated.webp", "WebP", "64 x 48", "64 x 48", 32, 1, "none", false},
        {"pixmill/lossless.webp", "WebP", "64 x 48", "64 x 48", 24, 1, "none", false},
        {"pixmill/lossy.webp", "WebP", "64 x 48", "64 x 48", 24, 1, "none", false},
        {"pixmill/plain.avif", "AVIF", "64 x 48", "64 x 48", 24, 1, "none", false},
        // libheif turns the picture by the file's own rotation as it decodes.
        {"pixmill/rotated90.heic", "HEIF", "48 x 64", "48 x 64", 24, 1, "none", false},
        {"metadata/photo.jpg", "JPEG", "16 x 24", "24 x 16", 24, 6, "Pixmill Test RGB", true},
        {"metadata/photo.png", "PNG", "16 x 24", "24 x 16", 4, 6, "Pixmill Test RGB", true},
        {"metadata/photo.tif", "TIFF", "16 x 24", "24 x 16", 24, 6, "Pixmill Test RGB", true},
        {"metadata/photo.webp", "WebP", "64 x 48", "64 x 48", 24, 1, "Pixmill Test RGB", true},
        {"metadata/photo.heic", "HEIF", "64 x 48", "64 x 48", 24, 1, "Pixmill Test RGB", true},
        {"metadata/damaged_profile.jpg", "JPEG", "16 x 24", "24 x 16", 24, 6, "damaged", true},
    };
    std::vector<std::string> args = {"info"};
    std::string expected;
    for (const auto& c : cases) {
        const std::string path = test::TestDataPath(c.file);
        args.push_back(path);
        expected +=
            path + "\n  format: " + c.format + "\n  size: " + c.stored + " stored, " + c.upright +
            " upright\n  bits per pixel: " + std::to_string(c.bpp) +
            "\n  orientation: " + std::to_string(c.orientation) + "\n  colour profile: " + c.profile +
            (c.facts ? "\n  date taken: 2026:12:08 10:30:00\n  camera: Pixmill TestCam 1\n  lens: Test "
                       "Lens 35mm\n"
                     : "\n  date taken: none\n  camera: none\n  lens: none\n");
    }
    const TCliRun r = Cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected);
}

// A file that cannot be read gets its reason on stderr; the others are still
// shown, and the status says something failed.
TEST(BatchCliInfo, UnreadableFilesGiveTheirReason) {
    TTempDir dir;
    const std::string junk = dir.Put("junk.jpg", kJunk), missing = dir.Path("missing.png"),
                      good = test::TestDataPath("pixmill/lossy.webp"), text = dir.Put("notes.txt", kJunk);
    const TCliRun r = Cli({"info", missing, good, junk, text});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind(good + "\n  format: WebP\n", 0), 0u) << r.out;
    EXPECT_EQ(Lines(r.out), 9);
    EXPECT_EQ(r.err, "pixmill-batch: " + missing + ": Cannot open file (No such file or directory)\n" +
                         "pixmill-batch: " + junk + ": JPEG: Not a JPEG file\n" + "pixmill-batch: " + text +
                         ": Unknown picture file extension (.txt)\n");
}

}  // namespace
}  // namespace pm

#include "cli/RunReport.h"

namespace pm {
namespace {

// The report's lines without their times, which differ from run to run.
std::vector<std::string> ReportLines(const std::string& file) {
    std::vector<std::string> lines;
    std::string text = TTempDir::Read(file);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t eol = text.find('\n', at);
        std::string line = text.substr(at, eol - at);
        line.erase(line.rfind(",\"ms\":"));
        lines.push_back(line);
        at = eol == std::string::npos ? text.size() : eol + 1;
    }
    return lines;
}

TEST(RunReport, JsonStringsStayValidWhateverANameHolds) {
    const struct {
        std::string text, json;
    } cases[] = {
        {"plain/a.jpg", "\"plain/a.jpg\""},
        {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
        {"tab\there\nnl", "\"tab\\u0009here\\u000anl\""},
        {"gr\xc3\xbc\xc3\x9f", "\"gr\xc3\xbc\xc3\x9f\""},
        {"bad\xff\xc3(", "\"bad\\ufffd\\ufffd(\""},
        {"cut\xe2\x82", "\"cut\\ufffd\\ufffd\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

// One object per source in file-list order whatever the number of workers,
// then the totals; a re-run with --skip-unchanged reports the skips.
TEST_F(BatchCliTest, ReportHasOneLinePerSourceInListOrder) {
    TFastDIB dib;
    dib.SetSize(40, 30, 24);
    dib.Fill({1, 2, 3});
    PutSourceCopies(dib, 6);
    dir.Put("src/1003a.bmp", kJunk);
    const std::string report = dir.Path("report.jsonl");
    const auto run = [&](const std::string& jobs, bool skip) {
        std::vector<std::string> args = {"run", "--scenario", scenario, "--source", src,   "--target",
                                         tgt,   "--jobs",     jobs,     "--report", report};
        if (skip) args.push_back("--skip-unchanged");
        const TCliRun r = Cli(args);
        EXPECT_EQ(r.status, kExitErrors) << r.err;
        return ReportLines(report);
    };
    const std::vector<std::string> one = run("1", false);
    EXPECT_EQ(run("4", false), one);
    ASSERT_EQ(one.size(), 8u);
    const std::vector<std::string> names = {"1000", "1001", "1002", "1003", "1003a", "1004", "1005"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool junk = names[i] == "1003a";
        const std::string head = "{\"source\":\"" + src + names[i] + ".bmp\",\"result\":\"";
        EXPECT_EQ(one[i].rfind(head, 0), 0u) << one[i];
        EXPECT_NE(one[i].find(junk ? "\"status\":\"failed\",\"reason\":\"Can't"
                                   : "\"status\":\"done\",\"reason\":\"\""),
                  std::string::npos)
            << one[i];
    }
    EXPECT_EQ(one.back(), "{\"total\":7,\"done\":6,\"failed\":1,\"skipped\":0");
    run("3", true);
    const std::vector<std::string> again = run("3", true);
    ASSERT_EQ(again.size(), 8u);
    EXPECT_NE(again[0].find("\"status\":\"skipped\""), std::string::npos) << again[0];
    EXPECT_NE(again[4].find("\"status\":\"failed\""), std::string::npos) << again[4];
    EXPECT_EQ(again.back(), "{\"total\":7,\"done\":0,\"failed\":1,\"skipped\":6");
}

TEST_F(BatchCliTest, ReportNamingAFileOfTheRunIsRefused) {
    const std::string picture = dir.Put("src/a.bmp", "picture");
    for (const std::string& report : {picture, scenario}) {
        const std::string before = TTempDir::Read(report);
        const TCliRun r =
            Cli({"run", "--scenario", scenario, "--source", src, "--target", tgt, "--report", report});
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_NE(r.err.find("the report file"), std::string::npos) << r.err;
        EXPECT_EQ(TTempDir::Read(report), before);
    }
}

// watch runs once and keeps watching; SIGTERM ends it cleanly, with the
// report closed by its totals.
TEST_F(BatchCliTest, WatchEndsCleanlyOnSigterm) {
    TFastDIB dib;
    dib.SetSize(40, 30, 24);
    dib.Fill({1, 2, 3});
    PutSourceCopies(dib, 2);
    const std::string report = dir.Path("report.jsonl");
    const TSignalledRun run =
        SignalWhen({"watch", "--scenario", scenario, "--source", src, "--target", tgt, "--report", report},
                   "Project complete.", SIGTERM, std::chrono::milliseconds(300));
    ASSERT_TRUE(run.Signalled) << run.Text;
    ASSERT_TRUE(WIFEXITED(run.Status)) << run.Text;
    EXPECT_EQ(WEXITSTATUS(run.Status), kExitComplete) << run.Text;
    const std::vector<std::string> lines = ReportLines(report);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.back(), "{\"total\":2,\"done\":2,\"failed\":0,\"skipped\":0");
}

}  // namespace
}  // namespace pm
