#include "platform/FileEntry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

// A name is free only when nothing at all has it: a link that leads nowhere still holds
// its name, and writing there would land wherever it points.
TEST(FileEntryTest, ANameIsFreeOnlyWhenNoEntryHasIt) {
    test::TemporaryFolder folder;
    fs::create_symlink("nowhere", folder.path() / "dangling.xml");
    const std::pair<fs::path, bool> cases[] = {
        {folder.path() / "none.xml", true},
        {folder.writeFile("file.xml"), false},
        {folder.path() / "dangling.xml", false},
        {folder.makeFolder("folder.xml"), false},
        {folder.path() / "no folder" / "none.xml", true},
    };
    for (const auto& [path, free] : cases) EXPECT_EQ(free, NameIsFree(path)) << path;
}

TEST(FileEntryTest, AFileHasACreationTimeAndAMissingOneNone) {
    test::TemporaryFolder folder;
    const fs::path file = folder.writeFile("2026-01-01_00-00-00.reg");
    const auto stamp = FileCreationTime(file);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_GT(*stamp, 0);
    EXPECT_FALSE(FileCreationTime(folder.path() / "none.reg").has_value());
}

}  // namespace
}  // namespace brindle
