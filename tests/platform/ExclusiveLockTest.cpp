#include "platform/ExclusiveLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

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
    EXPECT_FALSE(fs::exists(file)) << "a released lock leaves no file behind";
    EXPECT_TRUE(AnotherProcessCanLock(file));
}

TEST(ExclusiveLockTest, AFileLeftByAKilledRunLocksNothingAndGoesWithTheNextRun) {
    test::TemporaryFolder folder;
    const fs::path file = folder.writeFile(kPrefixLockFile);
    std::string error;
    {
        auto lock = test::TryExclusiveLock(file, "the prefix /p", error);
        ASSERT_TRUE(lock) << error;
    }
    EXPECT_FALSE(fs::exists(file));
}

// Removing the file on release must not let two processes hold the lock at once: one
// that opened the old file just before it went would otherwise lock a file no one else
// can see. Each child adds to a counter by reading it, waiting and writing it back while
// it holds the lock; a lost addition means two held it together.
TEST(ExclusiveLockTest, HoldersNeverOverlapWhileTheFileComesAndGoes) {
    test::TemporaryFolder folder;
    const fs::path file = folder.path() / kWorkFolderLockFile;
    const fs::path counter = folder.writeFile("counter", "0");
    constexpr int kChildren = 4;
    constexpr int kRounds = 40;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int round = 0; round < kRounds;) {
                std::string error;
                auto lock = test::TryExclusiveLock(file, "the test", error);
                if (!lock) continue;
                int value = 0;
                std::ifstream(counter) >> value;
                ::usleep(50);
                std::ofstream(counter, std::ios::trunc) << value + 1;
                ++round;
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int total = 0;
    std::ifstream(counter) >> total;
    EXPECT_EQ(total, kChildren * kRounds);
    EXPECT_FALSE(fs::exists(file));
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
