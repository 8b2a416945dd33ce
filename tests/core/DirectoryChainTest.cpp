// Creating the target folder chain, the extension rule and the check for
// files we may not replace.
#include "core/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace pm {
namespace {

namespace fs = std::filesystem;

class DirectoryChainTest : public ::testing::Test {
protected:
    DirectoryChainTest() {
        std::random_device rd;
        root = (fs::temp_directory_path() / ("pm_chain_" + std::to_string(rd()) + std::to_string(rd())))
                   .string();
        fs::create_directories(root);
    }
    ~DirectoryChainTest() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string root;
};

TEST_F(DirectoryChainTest, CreatesMissingParentsAndReportsOnlyItsOwnFolder) {
    fs::create_directory(root + "/have");
    std::ofstream(root + "/file") << "x";
    struct Case {
        std::string dir;  // "@" stands for the test folder
        bool result;
        std::string mustExist;  // "" when nothing is created
    } cases[] = {
        {"@/a/b/c/", true, "@/a/b/c"},      // trailing separator dropped, parents made
        {"@/x/y/z", true, "@/x/y/z"},       // without the separator too
        {"@/have", false, "@/have"},        // exists already
        {"@/have/", false, "@/have"},       // exists, written with a separator
        {"@/a/b/c/d/", true, "@/a/b/c/d"},  // parents exist: just the last one
        {"@/file/sub/", false, ""},         // a file is in the way
        {"ab/", false, ""},                 // shorter than 3 once the separator is gone
        {"ab", false, ""},
        {"/", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        auto expand = [&](const std::string& s) { return s.empty() || s[0] != '@' ? s : root + s.substr(1); };
        SCOPED_TRACE(c.dir);
        EXPECT_EQ(CreateDirectoryChain(expand(c.dir)), c.result);
        if (!c.mustExist.empty()) {
            EXPECT_TRUE(DirectoryExists(expand(c.mustExist)));
        }
    }
    EXPECT_FALSE(fs::exists("ab"));
    EXPECT_FALSE(fs::exists(root + "/file/sub"));
}

TEST(StripExtension, RemovesOnlyTheLastExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {"a.b.tif", "a.b"},        {"photo.JPG", "photo"}, {"noext", "noext"},
        {"trailing.", "trailing"}, {".hidden", ""},        {"", ""},
    };
    for (const auto& [name, stripped] : cases) EXPECT_EQ(StripExtension(name), stripped) << name;
}

TEST_F(DirectoryChainTest, WriteProtectedFilesAreNotDeletable) {
    const std::string file = root + "/f.jpg";
    std::ofstream(file) << "x";
    EXPECT_TRUE(FileDeletable(file));
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(FileDeletable(file));
    // A link is removed itself, whatever its target allows.
    fs::create_symlink(file, root + "/link.jpg");
    EXPECT_TRUE(FileDeletable(root + "/link.jpg"));
}

}  // namespace
}  // namespace pm
