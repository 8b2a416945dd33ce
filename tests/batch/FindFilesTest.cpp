#include "batch/FindFiles.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace pm {
namespace {

using test::TTempDir;

TEST(FileExtension, OnlyTheLastDotCounts) {
    const struct {
        const char* name;
        const char* ext;
    } cases[] = {
        {"photo.final.JPG", "JPG"}, {"archive.jpg.txt", "txt"}, {"noext", ""},
        {"trailing.", ""},          {".hidden", "hidden"},      {"a.b.c.jpeg", "jpeg"},
        {"dir.x/file", "x/file"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileExtension(c.name), c.ext) << c.name;
}

const std::vector<std::string> kJpeg = {"JPG", "JPEG", "JPE", "JFIF"};

std::vector<std::string> Relative(const TTempDir& dir, const std::vector<std::string>& found) {
    std::vector<std::string> out;
    for (const std::string& f : found) out.push_back(f.substr(dir.Dir().size()));
    return out;
}

TEST(FindFiles, OwnFilesFirstThenSubdirectoriesDepthFirst) {
    TTempDir dir;
    for (const char* f : {"b.jpeg", "a.JPG", "c.txt", "zz.jpe", "noext", "photo.final.JPG", "archive.jpg.txt",
                          "sub/d.jpg", "sub/deep/f.jfif", "sub/e.jpg", "sub2/g.jpg", "x.jpg/inner.jpg"})
        dir.Put(f, "x");
    std::vector<std::string> found;
    FindFiles(dir.Dir(), kJpeg, found, true);
    const std::vector<std::string> expected = {"a.JPG",           "b.jpeg",     "photo.final.JPG",
                                               "zz.jpe",          "sub/d.jpg",  "sub/e.jpg",
                                               "sub/deep/f.jfif", "sub2/g.jpg", "x.jpg/inner.jpg"};
    EXPECT_EQ(Relative(dir, found), expected);

    found.clear();
    FindFiles(dir.Dir(), kJpeg, found, false);
    EXPECT_EQ(Relative(dir, found),
              (std::vector<std::string>{"a.JPG", "b.jpeg", "photo.final.JPG", "zz.jpe"}));
}

TEST(FindFiles, SkipsDotNamesAndAppendsToWhatIsThere) {
    TTempDir dir;
    dir.Put(".hidden.jpg", "x");
    dir.Put(".cache/e.jpg", "x");
    dir.Put("sub/.x/f.jpg", "x");
    dir.Put("sub/d.jpg", "x");
    std::vector<std::string> found = {"earlier"};
    FindFiles(dir.Dir(), {"jpg"}, found, true);  // extensions match in any letter case
    EXPECT_EQ(found, (std::vector<std::string>{"earlier", dir.Path("sub/d.jpg")}));
}

TEST(FindFiles, MissingDirectoryAndEmptyExtensionsFindNothing) {
    TTempDir dir;
    dir.Put("a.jpg", "x");
    dir.Put("noext", "x");
    std::vector<std::string> found;
    FindFiles(dir.Path("missing/"), kJpeg, found, true);
    FindFiles(dir.Dir(), {}, found, true);
    FindFiles(dir.Dir(), {""}, found, true);  // a name without a dot matches nothing
    EXPECT_TRUE(found.empty());
}

// Special files must never reach the loader (a fifo would block it), and a
// link back to a parent must not send the scan in a circle.
TEST(FindFiles, SkipsSpecialFilesAndLinkedDirectories) {
    TTempDir dir;
    dir.Put("a.jpg", "x");
    dir.Put("sub/b.jpg", "x");
    ASSERT_EQ(::mkfifo((dir.Path("pipe.jpg")).c_str(), 0600), 0);
    std::filesystem::create_directory_symlink(dir.Dir(), dir.Path("sub/loop"));
    std::filesystem::create_symlink(dir.Path("a.jpg"), dir.Path("sub/link.jpg"));
    std::vector<std::string> found;
    FindFiles(dir.Dir(), kJpeg, found, true);
    EXPECT_EQ(Relative(dir, found), (std::vector<std::string>{"a.jpg", "sub/b.jpg", "sub/link.jpg"}));
}

}  // namespace
}  // namespace pm
