// brindle-cli fix killed with SIGKILL at many moments: every registry file must still
// load and hold either the registry before the repair or the one after it, and
// whenever anything was removed a complete backup must be on disk.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/WinePrefixMachine.h"
#include "registry/BackupFile.h"
#include "registry/BackupFolder.h"
#include "support/RegistryDump.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Per file: HKLM is system.reg, the user's hive user.reg, .Default userdef.reg.
struct RegistryState {
    bool loaded = false;
    std::string error;
    std::string machine;
    std::string user;
    std::string defaultUser;
};

RegistryState StateOf(const fs::path& prefix) {
    RegistryState state;
    auto machine = WinePrefixMachine::Open(prefix, state.error);
    if (!machine) return state;
    state.loaded = true;
    state.machine = test::DumpRegistry(machine->registry(), win::HKEY_LOCAL_MACHINE);
    state.user = test::DumpRegistry(machine->registry(), win::HKEY_USERS, "S-1-5-21-0-0-0-1000");
    state.defaultUser = test::DumpRegistry(machine->registry(), win::HKEY_USERS, ".Default");
    return state;
}

// Starts `brindle-cli fix --yes` in folder and kills it after the delay; true when the
// kill came first.
bool RunAndKill(const fs::path& prefix, const fs::path& folder, std::chrono::microseconds delay) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        std::freopen("/dev/null", "r", stdin);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(BRINDLE_CLI_PATH, BRINDLE_CLI_PATH, "--prefix", prefix.c_str(), "fix", "--yes",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status);
}

TEST(FixCrashTest, AKilledRepairLeavesEachFileWholeAndABackupOfWhatWentMissing) {
    test::TemporaryFolder work;
    const fs::path pristine = work.path() / "pristine";
    const auto built = test::RunProgram(BRINDLE_DEMO_BUILDER_PATH, {pristine.string()}, work.path());
    ASSERT_EQ(built.exitCode, 0) << built.err;
    const RegistryState before = StateOf(pristine);
    ASSERT_TRUE(before.loaded) << before.error;

    // One repair to its end gives the state after, and how long a repair takes here.
    const fs::path finished = work.path() / "finished";
    fs::create_directories(finished);
    test::CopyTree(pristine, finished / "prefix");
    const auto start = Clock::now();
    const auto whole = test::RunProgram(BRINDLE_CLI_PATH, {"--prefix", (finished / "prefix").string(), "fix", "--yes"},
                                        finished);
    const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    const RegistryState after = StateOf(finished / "prefix");
    ASSERT_TRUE(after.loaded) << after.error;
    ASSERT_NE(after.machine, before.machine);

    constexpr int kRuns = 40;
    int killed = 0;
    // Where the kills landed: before the backup, between backup and save, after the save.
    int untouched = 0;
    int backedUpOnly = 0;
    int repaired = 0;
    for (int run = 0; run < kRuns; ++run) {
        const fs::path folder = work.path() / ("run" + std::to_string(run));
        const fs::path prefix = folder / "prefix";
        fs::create_directories(folder);
        test::CopyTree(pristine, prefix);
        // Spread over the whole run, a little past its end.
        killed += RunAndKill(prefix, folder, duration * run / (kRuns - 8)) ? 1 : 0;

        const RegistryState state = StateOf(prefix);
        ASSERT_TRUE(state.loaded) << "run " << run << ": " << state.error;
        EXPECT_TRUE(state.machine == before.machine || state.machine == after.machine) << "run " << run;
        EXPECT_TRUE(state.user == before.user || state.user == after.user) << "run " << run;
        EXPECT_TRUE(state.defaultUser == before.defaultUser || state.defaultUser == after.defaultUser)
            << "run " << run;

        const bool changed = state.machine != before.machine || state.user != before.user ||
                             state.defaultUser != before.defaultUser;
        const bool backedUp = !ListBackups(folder / kBackupFolderName).empty();
        (changed ? repaired : backedUp ? backedUpOnly : untouched) += 1;
        if (changed) {
            const auto backups = ListBackups(folder / kBackupFolderName);
            ASSERT_EQ(backups.size(), 1u) << "run " << run << ": the registry changed without a backup";
            const DecodedBackup backup = ReadBackupFile(backups.front());
            EXPECT_TRUE(backup.ok()) << "run " << run << ": " << backup.error;
        }
    }
    // The kill must have landed inside the repair often enough for the test to mean much.
    EXPECT_GE(killed, kRuns / 2);
    RecordProperty("untouched", untouched);
    RecordProperty("backed_up_only", backedUpOnly);
    RecordProperty("repaired", repaired);
}

}  // namespace
}  // namespace brindle
