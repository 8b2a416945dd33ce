#include "tasks/NamePattern.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

// The source was taken 2026:12:08 10:30:00 (its EXIF says so).
TEST(NamePattern, PlaceholdersExpand) {
    const TNameFacts facts{"photo", test::TestDataPath("metadata/photo.jpg"), 7};
    const std::pair<const char*, const char*> cases[] = {
        {"", "photo"},
        {"{name}_web", "photo_web"},
        {"{date}_{counter:4}", "2026-12-08_0007"},
        {"{date:%Y%m%d-%H%M}", "20261208-1030"},
        {"{counter}{counter:1}", "77"},
        {"{counter:12}", "{counter:12}"},  // more than nine digits is no width
        {"{name:x} {other} {name", "{name:x} {other} {name"},
    };
    for (const auto& [pattern, name] : cases) EXPECT_EQ(ExpandNamePattern(pattern, facts), name) << pattern;
}

TEST(NamePattern, UsableFileNames) {
    const std::pair<const char*, bool> cases[] = {
        {"a", true},   {"a b.c", true}, {"", false},     {".", false},
        {"..", false}, {"a/b", false},  {"a\tb", false},
    };
    for (const auto& [name, usable] : cases) EXPECT_EQ(UsableFileName(name), usable) << name;
}

}  // namespace
}  // namespace pm
