// A run never harms the user's files, whatever the folders, names and
// settings it is given.
#include "app/ProjectModel.h"
#include "batch/BatchRun.h"
#include "batch/FindFiles.h"
#include "batch/Shard.h"
#include "core/Paths.h"
#include "core/TempNames.h"
#include "decoders/PictureLoader.h"
#include "imaging/FastDIB.h"
#include "log/KX_LogFile.h"

#include "support/RecordingConsole.h"
#include "support/ScenarioFiles.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pm {
namespace {

namespace fs = std::filesystem;
using test::TLogRecorder;
using test::TTempDir;
using test::WriteScenario;

std::string Bmp(int width, int height, int seed) {
    TFastDIB dib;
    dib.SetSize(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.SetPixel(y, x, {std::uint8_t(x + seed), std::uint8_t(y), std::uint8_t(seed)});
    std::vector<std::uint8_t> out;
    dib.SaveToStream(out);
    return std::string(out.begin(), out.end());
}

std::string Folded(const std::string& dir) {
    std::string f = ExcludeTrailingSeparator(dir);
    std::replace(f.begin(), f.end(), '/', '_');
    return f;
}

std::string EscapeForTrace(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out += c < 0x20 || c == 0x7f ? "\\x" + std::to_string(c) : std::string(1, char(c));
    return out;
}

class TCurrentDir {
public:
    explicit TCurrentDir(const std::string& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
    ~TCurrentDir() { fs::current_path(saved_); }

private:
    fs::path saved_;
};

class FileSafetyTest : public ::testing::Test {
protected:
    FileSafetyTest() : scenario(dir.Path("s.pms")) {
        EXPECT_TRUE(WriteScenario(scenario, {"Bitmap", "JPEG", "PNG"}, {1, "", ".jpg"}));  // BMP results
    }
    TTempDir dir;
    TLogRecorder log;
    std::string scenario;
};

// Relative folders, the same folder twice, a target inside the source: the
// sources keep their bytes, results land below the target, and a second run
// finds the same sources as the first.
TEST_F(FileSafetyTest, RelativeAndNestedFoldersNeverTouchTheSources) {
    struct Case {
        const char* cwd;  // all relative to the temp folder
        const char* source;
        const char* target;
        const char* resultRoot;
    };
    const Case cases[] = {
        {"photos", "./", "./", "photos/"},
        {"", "photos", ".", ""},
        {"photos/sub", "..", "../..", ""},
        {"", "photos/sub/..", "photos/.", "photos/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " -> " + c.target);
        fs::remove_all(dir.Path("photos"));
        dir.Put("photos/a.bmp", Bmp(5, 4, 1));
        dir.Put("photos/sub/b.bmp", Bmp(3, 3, 2));
        const auto before = TTempDir::Snapshot(dir.Path("photos"));
        TCurrentDir cwd(dir.Path(c.cwd));
        std::vector<std::string> found[2];
        for (int pass = 0; pass < 2; ++pass) {
            TBatchRun run({{c.source, true, c.target, scenario}});
            run.OnFileDone = [&](const TBatchRun::TFileDone& d) { found[pass].push_back(d.File); };
            EXPECT_TRUE(run.Execute()) << log.Dump();
        }
        EXPECT_EQ(found[1], found[0]);
        ASSERT_EQ(found[0].size(), 2u);
        const std::string root = dir.Path(std::string(c.resultRoot) + Folded(dir.Path("photos")) + "/");
        EXPECT_TRUE(TTempDir::Exists(root + "a.bmp")) << root;
        EXPECT_TRUE(TTempDir::Exists(root + "sub/b.bmp"));
        for (const auto& [name, bytes] : before)
            EXPECT_EQ(TTempDir::Read(dir.Path("photos/" + name)), bytes) << name;
        fs::remove_all(root);
    }
}

// A target folder that is a link into the source folder: the results are
// still left out of the next run's scan.
TEST_F(FileSafetyTest, ATargetLinkedIntoTheSourceDoesNotFeedTheNextRun) {
    const std::string src = dir.MakeDir("photos");
    dir.Put("photos/a.bmp", Bmp(3, 3, 1));
    ASSERT_EQ(::symlink(src.c_str(), dir.Path("out").c_str()), 0);
    std::vector<std::string> found[2];
    for (auto& f : found) {
        TBatchRun run({{src, true, dir.Path("out/"), scenario}});
        run.OnFileDone = [&](const TBatchRun::TFileDone& d) { f.push_back(d.File); };
        EXPECT_TRUE(run.Execute()) << log.Dump();
    }
    EXPECT_EQ(found[0], std::vector<std::string>{src + "a.bmp"});
    EXPECT_EQ(found[1], found[0]);
}

// A result that would replace a source of the run, by any path: another
// item's source, a hard link to a source. The source keeps its bytes and the
// file fails with a message.
TEST_F(FileSafetyTest, AResultNeverReplacesASourceOfTheRun) {
    const std::string a = dir.MakeDir("a"), out = dir.MakeDir("out");
    dir.Put("a/x.bmp", Bmp(4, 4, 1));
    dir.Put("a/y.bmp", Bmp(4, 4, 2));
    // The second item's source is where the first item's results go.
    const std::string second = dir.MakeDir("out/" + Folded(a));
    const std::string original = Bmp(6, 6, 9);
    dir.Put("out/" + Folded(a) + "/x.bmp", original);
    // And a result name that is a hard link to a source.
    fs::create_directories(dir.Path("out2/" + Folded(a)));
    ASSERT_EQ(::link(dir.Path("a/y.bmp").c_str(), dir.Path("out2/" + Folded(a) + "/y.bmp").c_str()), 0);
    const std::string ySource = TTempDir::Read(dir.Path("a/y.bmp"));

    TBatchRun run({{a, false, out, scenario},
                   {second, false, dir.Path("elsewhere/"), scenario},
                   {a, false, dir.Path("out2/"), scenario}});
    EXPECT_FALSE(run.Execute());
    EXPECT_EQ(TTempDir::Read(second + "x.bmp"), original);
    EXPECT_EQ(TTempDir::Read(dir.Path("a/y.bmp")), ySource);
    EXPECT_EQ(log.CountContaining("\" is a source file of this run and is not replaced!"), 2) << log.Dump();
    EXPECT_EQ(run.FilesFailed(), 2);
}

// Extensions from a scenario file that would lead a result out of its
// folder, or make a name with control characters, are refused.
TEST_F(FileSafetyTest, HostileExtensionsAreRefused) {
    const std::string src = dir.MakeDir("deep/er/src"), tgt = dir.MakeDir("deep/er/tgt");
    dir.Put("deep/er/src/a.jpg", "");  // never loaded: the test is about the name
    dir.Put("deep/er/src/b.bmp", Bmp(2, 2, 1));
    const std::string victim = dir.Put("victim.txt", "precious");
    const std::vector<std::string> extensions = {"/../../../../victim.txt", "/x", std::string(".jpg\0x", 6),
                                                 ".\x1b[31m", ".\x7f"};
    for (const std::string& ext : extensions) {
        SCOPED_TRACE(EscapeForTrace(ext));
        const std::string evil = dir.Path("evil.pms");
        ASSERT_TRUE(WriteScenario(evil, {"Bitmap"}, {0, "", ext}));
        log.Clear();
        TBatchRun run({{src, false, tgt, evil}});
        EXPECT_FALSE(run.Execute());
        EXPECT_EQ(
            log.CountContaining("for the result file: a path separator or control character is not allowed!"),
            1)
            << log.Dump();
        EXPECT_EQ(TTempDir::Read(victim), "precious");
        EXPECT_TRUE(TTempDir::Snapshot(tgt).empty());
    }
}

// A NUL inside a folder of a project item: the item fails with a message,
// at once, and nothing is scanned.
TEST_F(FileSafetyTest, ANulInAFolderNameFailsTheItem) {
    const std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt");
    dir.Put("src/a.bmp", Bmp(2, 2, 1));
    const std::string nul = src + std::string("\0/x/", 4);
    // The project file reader drops it.
    dir.Put("p.pmp", "[Item1]\nSourceDirectory=\"" + nul + "\"\nTargetDirectory=\"" + tgt +
                         "\"\nScenarioFileName=\"" + scenario + "\"\n");
    test::TScriptedDialogs dialogs;
    IMainView view;
    TProjectModel project(dialogs, view);
    EXPECT_FALSE(project.LoadProjectFile(dir.Path("p.pmp")) && !project.Items.empty());
    EXPECT_TRUE(log.Has("Invalid value of key \"SourceDirectory\". Specified directory \"" + src +
                        "\\x00/x/\" not found!"))
        << log.Dump();
    // A run given one anyway refuses it.
    log.Clear();
    TBatchRun run({{nul, true, tgt, scenario}, {src, true, std::string("\0", 1) + tgt, scenario}});
    EXPECT_FALSE(run.Execute());
    EXPECT_EQ(run.ItemsFailed(), 2);
    EXPECT_EQ(run.FilesFound(), 0);
    EXPECT_EQ(log.CountContaining("names a folder or file with a NUL character; not run!"), 2);
    std::vector<std::string> found;
    FindFiles(nul, {"BMP"}, found, true);
    EXPECT_TRUE(found.empty());
}

// Every item of a large project runs: all but the last scan an empty folder,
// the last one has the picture.
TEST_F(FileSafetyTest, EveryItemOfAProjectOf5000Runs) {
    const int kItems = 5000;
    const std::string empty = dir.MakeDir("empty"), src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt");
    dir.Put("src/a.bmp", Bmp(2, 2, 1));
    std::string text;
    for (int i = 1; i <= kItems; ++i)
        text += "[Item" + std::to_string(i) + "]\r\nSourceDirectory=\"" + (i == kItems ? src : empty) +
                "\"\r\nSourceScanSubDir=No\r\nTargetDirectory=\"" + tgt + "\"\r\nScenarioFileName=\"" +
                scenario + "\"\r\n";
    dir.Put("big.pmp", text);
    test::TScriptedDialogs dialogs;
    IMainView view;
    TProjectModel project(dialogs, view);
    ASSERT_TRUE(project.LoadProjectFile(dir.Path("big.pmp")));
    ASSERT_EQ(project.Items.size(), static_cast<std::size_t>(kItems));
    log.Clear();
    TBatchRun run(project.Items);
    EXPECT_TRUE(run.Execute());
    EXPECT_EQ(log.CountContaining("Loading scenario file"), kItems);
    EXPECT_EQ(run.FilesDone(), 1);
    EXPECT_TRUE(TTempDir::Exists(tgt + Folded(src) + "/a.bmp"));
}

// Sources that share a result name: the first in list order keeps it, each
// later one fails naming both, with any worker count and in any shard.
TEST_F(FileSafetyTest, SourcesSharingAResultNameFailAfterTheFirstInEveryShard) {
    const std::string src = dir.MakeDir("src");
    for (const char* name : {"a.bmp", "a.jpg", "a.png", "b.bmp", "c.bmp", "sub/a.bmp", "sub/d.bmp"})
        dir.Put(std::string("src/") + name, Bmp(3, 2, name[0]));
    // a.jpg and a.png are not pictures: they never get that far.
    std::map<std::string, std::string> whole;
    for (int count : {1, 2, 3, 5}) {
        int failed = 0, done = 0;
        std::map<std::string, std::string> together;
        for (int k = 1; k <= count; ++k) {
            const std::string tgt = dir.MakeDir("tgt" + std::to_string(count) + "_" + std::to_string(k));
            TBatchRun run({{src, true, tgt, scenario}});
            run.Jobs = k % 2 + 1;
            run.Shard = {k, count};
            run.Execute();
            failed += run.FilesFailed();
            done += run.FilesDone();
            for (const auto& [name, bytes] : TTempDir::Snapshot(tgt))
                EXPECT_TRUE(together.emplace(name, bytes).second);
        }
        EXPECT_EQ(failed, 2) << count << " parts";
        EXPECT_EQ(done, 7);
        EXPECT_EQ(together.size(), 5u);
        if (count == 1) whole = together;
        EXPECT_EQ(together, whole) << count << " parts";
    }
    EXPECT_TRUE(log.Has("Result file \"" + dir.Path("tgt1_1/") + Folded(src) + "/a.bmp\" of \"" + src +
                        "a.png\" is already the result of \"" + src + "a.bmp\"; not written!"))
        << log.Dump();
    EXPECT_EQ(ShardOf("x/a.bmp", 7), ShardOf("x/a.jpg", 7));
    EXPECT_EQ(ShardOf("x.y/a", 7), ShardOf("x.y/a.png", 7));
}

// Any name the file system takes gives a result; a source folder whose
// folded name is too long for one name is shortened, the same way each time.
TEST_F(FileSafetyTest, LongNamesGiveResults) {
    std::string deep = dir.Path("");
    for (int i = 0; i < 3; ++i) deep += std::string(100, char('k' + i)) + "/";
    fs::create_directories(deep);
    for (std::size_t length : {200u, 244u, 250u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".bmp";
        TTempDir::Write(deep + name, Bmp(2, 2, int(length)));
    }
    TTempDir::Write(deep + std::string(251, 'n') + ".jpg", "");  // same result as the 255-byte .bmp
    const std::string tgt = dir.MakeDir("tgt"), jpeg = dir.Path("jpeg.pms");
    ASSERT_TRUE(WriteScenario(jpeg, {"Bitmap", "JPEG"}, {0, "", ".jpeg"}));
    std::map<std::string, std::string> results[2];
    for (auto& r : results) {
        TBatchRun run({{deep, false, tgt, jpeg}});
        run.Execute();
        EXPECT_EQ(run.FilesFailed(), 1) << log.Dump();
        r = TTempDir::Snapshot(tgt);
    }
    EXPECT_EQ(results[0], results[1]);
    ASSERT_EQ(results[0].size(), 4u);
    for (const auto& [path, bytes] : results[0]) {
        const std::string folder = DirectoryPart(path), file = FileNamePart(path);
        EXPECT_EQ(folder.size(), kMaxNameBytes + 1) << folder;
        EXPECT_LE(file.size(), kMaxNameBytes);
    }
    EXPECT_EQ(FitFileName(std::string(300, 'a')), FitFileName(std::string(300, 'a')));
    EXPECT_NE(FitFileName(std::string(300, 'a')), FitFileName(std::string(300, 'a') + "b"));
    EXPECT_EQ(FitFileName(std::string(252, 'a'), ".bmp").substr(234, 1), "~");
    EXPECT_EQ(FitFileName(std::string(251, 'a'), ".bmp"), std::string(251, 'a') + ".bmp");
    EXPECT_EQ(FitFileName(std::string(20, 'a'), std::string(240, 'x')), "");  // even the suffix does not fit
    // A cut never splits a character: 2-byte letters from an odd position.
    const std::string fitted = FitFileName("x" + [] {
        std::string t;
        for (int i = 0; i < 150; ++i) t += "\xc3\xa9";
        return t;
    }());
    EXPECT_EQ(fitted.size(), 254u);
    EXPECT_EQ(fitted[fitted.size() - 18], '\xa9');
}

// Results and folders get the process umask, and the umask is never
// changed while workers create files.
TEST_F(FileSafetyTest, ResultsGetTheUmaskWhichNoWorkerChanges) {
    const std::string src = dir.MakeDir("src");
    for (int i = 0; i < 40; ++i)
        dir.Put("src/d" + std::to_string(i % 8) + "/p" + std::to_string(i) + ".bmp", Bmp(8, 8, i));
    const std::string tgt = dir.MakeDir("tgt");
    const mode_t saved = ::umask(022);
    std::atomic<bool> running{true}, changed{false};
    std::thread watcher([&] {
        while (running) {
            std::ifstream status("/proc/self/status");
            std::string line;
            while (std::getline(status, line))
                if (line.rfind("Umask:", 0) == 0 && line.find("0022") == std::string::npos) changed = true;
        }
    });
    TBatchRun run({{src, true, tgt, scenario}});
    run.Jobs = 4;
    EXPECT_TRUE(run.Execute());
    running = false;
    watcher.join();
    ::umask(saved);
    EXPECT_FALSE(changed);
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(tgt)) {
        struct stat st {};
        ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, e.is_directory() ? 0755u : 0644u) << e.path();
        files += e.is_regular_file();
    }
    EXPECT_EQ(files, 40);
}

// A source replaced by a fifo while the run is under way fails at once.
TEST_F(FileSafetyTest, AFifoSwappedInForASourceFailsAtOnce) {
    const std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt");
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) dir.Put(std::string("src/") + name, Bmp(2, 2, 1));
    {
        TBatchRun run({{src, false, tgt, scenario}});
        run.OnProgress = [&](int, int, const std::string& file) {
            if (FileNamePart(file) != "a.bmp") return;
            fs::remove(src + "b.bmp");
            ASSERT_EQ(::mkfifo((src + "b.bmp").c_str(), 0644), 0);
        };
        EXPECT_FALSE(run.Execute());
        EXPECT_EQ(run.FilesFailed(), 1);
        EXPECT_EQ(run.FilesDone(), 3);
        EXPECT_TRUE(log.Has("Can't load image \"" + src + "b.bmp\" !"));
    }
    TPicture picture;
    std::string error;
    EXPECT_FALSE(LoadPicture(src + "b.bmp", picture, error));
    EXPECT_EQ(error, "Not a regular file");
}

// Leftovers of a killed run are removed by the next run into the folder
// when their writer is provably gone; nothing else is touched.
TEST_F(FileSafetyTest, StaleTemporaryFilesAreSweptOthersKept) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);  // its id now names no process
    const std::string mine = NewTemporaryName();
    const std::string head = mine.substr(0, mine.find('-', 9) + 1);  // ".pixmill-HOSTHASH-"
    const std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt");
    dir.Put("src/a.bmp", Bmp(2, 2, 1));
    const std::string root = dir.MakeDir("tgt/" + Folded(src));
    struct Case {
        std::string name;
        bool stale;
    };
    const Case cases[] = {
        {head + std::to_string(child) + "-abc123.tmp", true},
        {mine, false},                                                          // this process: in flight
        {".pixmill-00000000-" + std::to_string(child) + "-abc123.tmp", false},  // another host
        {head + "1-abc123.tmp", false},  // a live process older than the file
        {head + std::to_string(child) + "-abc123.tmp.jpg", false},
        {".a.jpg.tmp-123456", false},
        {"notes.txt", false},
    };
    for (const Case& c : cases) TTempDir::Write(root + c.name, "partial");
    for (const Case& c : cases) EXPECT_EQ(IsStaleTemporary(root, c.name), c.stale) << c.name;
    TBatchRun run({{src, false, tgt, scenario}});
    EXPECT_TRUE(run.Execute());
    for (const Case& c : cases) EXPECT_EQ(TTempDir::Exists(root + c.name), !c.stale) << c.name;
}

// A folder that cannot be listed, or lies too deep, is named in a warning
// and the run goes on.
TEST_F(FileSafetyTest, UnscannableFoldersAreNamed) {
    const std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt");
    dir.Put("src/a.bmp", Bmp(2, 2, 1));
    std::string deep = src;
    for (int i = 0; i <= kMaxScanDepth; ++i) deep += "d/";
    fs::create_directories(deep);
    TTempDir::Write(deep + "lost.bmp", Bmp(2, 2, 1));
    // Beyond the path length limit: made one level at a time from inside.
    int fd = ::open(src.c_str(), O_RDONLY | O_DIRECTORY);
    const std::string level(250, 'L');
    for (int i = 0; i < 18 && fd >= 0; ++i) {
        ::mkdirat(fd, level.c_str(), 0755);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(fd);
    TBatchRun run({{src, true, tgt, scenario}});
    EXPECT_TRUE(run.Execute());
    EXPECT_EQ(run.FilesDone(), 1);
    EXPECT_EQ(log.CountContaining("\" is not scanned: it lies more than 128 levels deep."), 1) << log.Dump();
    EXPECT_EQ(log.CountContaining("\" is not scanned: File name too long."), 1);
    // Removing it needs a tool that walks down folder by folder.
    EXPECT_EQ(std::system(("rm -rf '" + src + "'").c_str()), 0);
}

}  // namespace
}  // namespace pm
