#include "platform/WineServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "support/LockHolder.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::LockHolder;
using test::TemporaryFolder;

class WineServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_prefix = m_scratch.makeFolder("prefix");
        m_proc = m_scratch.makeFolder("proc");
        m_probe.procRoot = m_proc;
        m_probe.serverRoots = std::vector<fs::path>{};
    }

    // /proc/<pid>/exe -> a file at executablePath, /proc/<pid>/fd/N -> each open path.
    void addProcess(const std::string& pid, const std::string& executablePath, const std::vector<fs::path>& open) {
        const fs::path executable = m_scratch.writeFile(executablePath.substr(1));
        const fs::path process = m_scratch.makeFolder("proc/" + pid + "/fd");
        fs::create_symlink(executable, m_proc / pid / "exe");
        int fd = 0;
        for (const auto& path : open) fs::create_symlink(path, process / std::to_string(fd++));
    }

    TemporaryFolder m_scratch;
    fs::path m_prefix;
    fs::path m_proc;
    WineServerProbe m_probe;
};

TEST_F(WineServerTest, FindsWineserverHoldingThePrefixOpen) {
    addProcess("77", "/usr/bin/wine64-preloader", {m_prefix});
    addProcess("1234", "/usr/lib/wine/wineserver64", {"/dev/null", m_prefix / "."});
    const auto status = DetectWineServer(m_prefix, m_probe);
    EXPECT_TRUE(status.running);
    EXPECT_EQ("wineserver process 1234 (" + (m_scratch.path() / "usr/lib/wine/wineserver64").string() + ") holds " +
                  m_prefix.string() + " open",
              status.evidence);
}

TEST_F(WineServerTest, FindsWineserverWhoseBinaryWasReplaced) {
    // The kernel appends " (deleted)" to exe when the binary was upgraded underneath.
    addProcess("55", "/usr/bin/wineserver (deleted)", {m_prefix});
    EXPECT_TRUE(DetectWineServer(m_prefix, m_probe).running);
}

TEST_F(WineServerTest, IgnoresProcessesThatAreNotTheServerOfThisPrefix) {
    const fs::path otherPrefix = m_scratch.makeFolder("other-prefix");
    addProcess("10", "/usr/bin/wine64-preloader", {m_prefix});      // a client, not the server
    addProcess("11", "/usr/bin/wineserver64", {otherPrefix});        // another prefix's server
    addProcess("12", "/usr/bin/mywineserver", {m_prefix});           // name only contains it
    fs::create_directories(m_proc / "13" / "fd");                    // exe unreadable (another user)
    fs::create_symlink(m_prefix, m_proc / "13" / "fd" / "3");
    fs::create_symlink(m_scratch.path() / "missing", m_proc / "14");  // vanished process
    m_scratch.writeFile("proc/self");                                 // not a process id
    m_scratch.writeFile("proc/15");                                   // not a folder
    const auto status = DetectWineServer(m_prefix, m_probe);
    EXPECT_FALSE(status.running) << status.evidence;
    EXPECT_EQ("", status.evidence);
}

TEST_F(WineServerTest, FindsServerLockHeldByAnotherProcess) {
    const fs::path emptyRoot = m_scratch.makeFolder("run/user/1000/wine");
    const fs::path root = m_scratch.makeFolder("tmp/.wine-1000");
    const fs::path serverDirectory = root / WineServerDirectoryName(m_prefix);
    fs::create_directories(serverDirectory);
    m_probe.serverRoots = std::vector<fs::path>{emptyRoot, root};

    LockHolder holder(serverDirectory / "lock");
    ASSERT_TRUE(holder.locked());
    const auto status = DetectWineServer(m_prefix, m_probe);
    EXPECT_TRUE(status.running);
    EXPECT_EQ("server lock " + (serverDirectory / "lock").string() + " is held by process " +
                  std::to_string(holder.pid()),
              status.evidence);

    // The lock file stays behind when the server exits; only a held lock counts.
    holder.release();
    EXPECT_FALSE(DetectWineServer(m_prefix, m_probe).running);
}

TEST_F(WineServerTest, IgnoresLocksOfOtherPrefixes) {
    const fs::path root = m_scratch.makeFolder("wine");
    fs::create_directories(root / "server-1-2");
    m_probe.serverRoots = std::vector<fs::path>{root};
    LockHolder holder(root / "server-1-2" / "lock");
    ASSERT_TRUE(holder.locked());
    EXPECT_FALSE(DetectWineServer(m_prefix, m_probe).running);
}

TEST_F(WineServerTest, NamesServerDirectoryInLowercaseHexWithoutPadding) {
    struct stat info {};
    ASSERT_EQ(0, ::stat(m_prefix.c_str(), &info));
    char expected[64];
    std::snprintf(expected, sizeof expected, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    EXPECT_EQ(expected, WineServerDirectoryName(m_prefix));
    // Through a link the folder is the same, and so is the server.
    fs::create_directory_symlink(m_prefix, m_scratch.path() / "alias");
    EXPECT_EQ(expected, WineServerDirectoryName(m_scratch.path() / "alias"));
    EXPECT_EQ("", WineServerDirectoryName(m_scratch.path() / "missing"));
}

TEST_F(WineServerTest, LooksWhereWineCreatesTheServerDirectory) {
    const std::string uid = std::to_string(::getuid());
    auto roots = WineServerRoots(m_prefix);
    EXPECT_EQ(fs::path("/run/user/" + uid + "/wine"), roots.front());
    EXPECT_EQ(fs::path("/tmp/.wine-" + uid), roots.back());
    EXPECT_EQ(2u, roots.size());

    // Some distributions make a folder in TMPDIR and note its name in the prefix.
    m_scratch.writeFile("prefix/wineserver", "/var/tmp/wine-Ab12Cd\n");
    roots = WineServerRoots(m_prefix);
    ASSERT_EQ(3u, roots.size());
    EXPECT_EQ(fs::path("/var/tmp/wine-Ab12Cd"), roots[1]);

    for (const char* unusable : {"relative/wine-x\n", "", "\n"}) {
        m_scratch.writeFile("prefix/wineserver", unusable);
        EXPECT_EQ(2u, WineServerRoots(m_prefix).size()) << '"' << unusable << '"';
    }
}

TEST_F(WineServerTest, ReportsAPrefixItCannotRead) {
    const auto status = DetectWineServer(m_scratch.path() / "missing", m_probe);
    EXPECT_FALSE(status.running);
    EXPECT_EQ("cannot read " + (m_scratch.path() / "missing").string() + ": No such file or directory",
              status.evidence);
}

TEST_F(WineServerTest, FindsNoServerForAFreshFolderOnThisSystem) {
    // The real /proc and server folders: nothing serves a folder made a moment ago.
    const auto status = DetectWineServer(m_prefix);
    EXPECT_FALSE(status.running) << status.evidence;
}

TEST(WineServerRunningMessageTest, NamesPrefixEvidenceAndTheWayToStopIt) {
    const WineServerStatus status{true, "server lock /run/user/1000/wine/server-803-1a2b/lock is held"};
    EXPECT_EQ("a wineserver is running for /home/u/.wine (server lock /run/user/1000/wine/server-803-1a2b/lock is "
              "held); nothing was written. Stop it with: WINEPREFIX=/home/u/.wine wineserver -k",
              WineServerRunningMessage("/home/u/.wine", status));
    // The command must survive being pasted into a shell.
    EXPECT_EQ("a wineserver is running for /home/u/My Games's (x); nothing was written. Stop it with: "
              "WINEPREFIX='/home/u/My Games'\\''s' wineserver -k",
              WineServerRunningMessage("/home/u/My Games's", {true, "x"}));
}

}  // namespace
}  // namespace brindle
