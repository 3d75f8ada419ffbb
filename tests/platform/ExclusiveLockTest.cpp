#include "platform/ExclusiveLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/OpenOrError.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

// Whether another process can take the lock now (flock locks belong to open files, so
// a second open in this process would be refused as well; a child shows what another
// run would see).
bool AnotherProcessCanLock(const fs::path& file) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::string error;
        ::_exit(test::TryExclusiveLock(file, "the test", error) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ExclusiveLockTest, OneHolderAtATimeAndFreeAgainWhenItEnds) {
    test::TemporaryFolder folder;
    const fs::path file = folder.path() / kPrefixLockFile;
    std::string error;
    {
        auto lock = test::TryExclusiveLock(file, "the prefix /p", error);
        ASSERT_TRUE(lock) << error;
        EXPECT_FALSE(AnotherProcessCanLock(file));
        std::string second;
        EXPECT_FALSE(test::TryExclusiveLock(file, "the prefix /p", second));
        EXPECT_NE(second.find("another Brindle is working on the prefix /p"), std::string::npos) << second;
        EXPECT_NE(second.find(file.string()), std::string::npos) << second;
    }
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_TRUE(fs::exists(file));
}

TEST(ExclusiveLockTest, APlantedLinkOrFolderIsNotUsed) {
    test::TemporaryFolder folder;
    const fs::path target = folder.writeFile("elsewhere", "keep");
    const fs::path link = folder.path() / "link-lock";
    fs::create_symlink(target, link);
    std::string error;
    EXPECT_FALSE(test::TryExclusiveLock(link, "the work folder", error));
    EXPECT_NE(error.find(link.string()), std::string::npos) << error;
    const fs::path dir = folder.makeFolder("dir-lock");
    EXPECT_FALSE(test::TryExclusiveLock(dir, "the work folder", error));
    EXPECT_TRUE(fs::is_regular_file(target));
}

}  // namespace
}  // namespace brindle
