// brindle-cli fix and restore killed with SIGKILL at many moments: every registry file
// must still load and hold the registry before the job or the one after it, every
// shortcut file is whole, and whenever anything was removed a complete backup is on disk.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/WinePrefixMachine.h"
#include "registry/BackupFile.h"
#include "registry/BackupFolder.h"
#include "registry/BackupOrigin.h"
#include "support/OpenOrError.h"
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
    auto machine = test::OpenWinePrefix(prefix, state.error);
    if (!machine) return state;
    state.loaded = true;
    state.machine = test::DumpRegistry(machine->registry(), win::HKEY_LOCAL_MACHINE);
    state.user = test::DumpRegistry(machine->registry(), win::HKEY_USERS, "S-1-5-21-0-0-0-1000");
    state.defaultUser = test::DumpRegistry(machine->registry(), win::HKEY_USERS, ".Default");
    return state;
}

struct Run {
    bool killed = false;
    int exitCode = -1;
    std::chrono::microseconds took{};
};

// Runs brindle-cli with these arguments in folder (its work folder too) on prefix, killing it after the delay
// when one is given.
Run RunCli(const fs::path& prefix, const fs::path& folder, const std::vector<std::string>& command,
           std::optional<std::chrono::microseconds> killAfter = std::nullopt) {
    std::vector<std::string> arguments{BRINDLE_CLI_PATH, "--prefix", prefix.string(), "--work-dir", folder.string()};
    arguments.insert(arguments.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        std::freopen("/dev/null", "r", stdin);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execv(BRINDLE_CLI_PATH, argv.data());
        ::_exit(127);
    }
    if (killAfter) {
        std::this_thread::sleep_for(*killAfter);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Run run;
    run.took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    run.killed = WIFSIGNALED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A copy of a work folder whose prefix is its "prefix" folder: the backups' records of
// their prefix name the copy's, as if they had been taken there.
void CopyWorkFolder(const fs::path& from, const fs::path& to) {
    test::CopyTree(from, to);
    std::error_code none;
    for (fs::directory_iterator it(to / kBackupFolderName, none), end; !none && it != end; it.increment(none)) {
        if (it->path().extension() != kBackupOriginExtension) continue;
        fs::remove(it->path());
        std::ofstream(it->path(), std::ios::binary) << (to / "prefix").string();
    }
}

// The shortest of three whole runs, each on its own copy of from: the kills are spread
// over that, so that most land inside the job even when the first run was slow.
std::chrono::microseconds ShortestRun(const fs::path& from, const fs::path& work, const std::string& name,
                                      const std::vector<std::string>& command) {
    auto shortest = std::chrono::microseconds::max();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const fs::path folder = work / (name + std::to_string(attempt));
        CopyWorkFolder(from, folder);
        const Run run = RunCli(folder / "prefix", folder, command);
        EXPECT_EQ(run.exitCode, 0) << name;
        shortest = std::min(shortest, run.took);
    }
    return shortest;
}

// Every shortcut file in the prefix, by its path inside it, with its bytes.
std::map<std::string, std::string> ShortcutFiles(const fs::path& prefix) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".lnk") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), prefix).string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

class KilledJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path pristine = work.path() / "pristine";
        const auto built = test::RunProgram(BRINDLE_DEMO_BUILDER_PATH, {(pristine / "prefix").string()}, work.path());
        ASSERT_EQ(built.exitCode, 0) << built.err;
        before = StateOf(pristine / "prefix");
        ASSERT_TRUE(before.loaded) << before.error;
        beforeShortcuts = ShortcutFiles(pristine / "prefix");

        // A repair to its end gives the state after it, with its backup in the work folder.
        fixDuration = ShortestRun(pristine, work.path(), "fixed", {"fix", "--yes"});
        after = StateOf(work.path() / "fixed0" / "prefix");
        ASSERT_TRUE(after.loaded) << after.error;
        ASSERT_NE(after.machine, before.machine);
        afterShortcuts = ShortcutFiles(work.path() / "fixed0" / "prefix");
        ASSERT_NE(afterShortcuts, beforeShortcuts);
    }

    static bool Either(const RegistryState& state, const RegistryState& one, const RegistryState& other) {
        const auto same = [&](const RegistryState& s) {
            return state.machine == s.machine && state.user == s.user && state.defaultUser == s.defaultUser;
        };
        return same(one) || same(other);
    }

    // Each shortcut is whole: as it was before the repair, or absent where the repair
    // removed it.
    void expectShortcutsWhole(const fs::path& prefix, int run) {
        for (const auto& [path, bytes] : ShortcutFiles(prefix)) {
            const auto original = beforeShortcuts.find(path);
            ASSERT_NE(original, beforeShortcuts.end()) << "run " << run << ": " << path << " was never there";
            EXPECT_EQ(bytes, original->second) << "run " << run << ": " << path << " is not whole";
        }
        for (const auto& [path, bytes] : afterShortcuts)
            EXPECT_TRUE(fs::exists(prefix / path)) << "run " << run << ": " << path << " went missing";
    }

    static constexpr int kRuns = 40;
    test::TemporaryFolder work;
    RegistryState before, after;
    std::map<std::string, std::string> beforeShortcuts, afterShortcuts;
    std::chrono::microseconds fixDuration{};
};

TEST_F(KilledJobTest, AKilledRepairLeavesEachFileWholeAndABackupOfWhatWentMissing) {
    int killed = 0;
    // Where the kills landed: before the backup, between backup and save, after the save.
    int untouched = 0;
    int backedUpOnly = 0;
    int repaired = 0;
    for (int run = 0; run < kRuns; ++run) {
        const fs::path folder = work.path() / ("run" + std::to_string(run));
        CopyWorkFolder(work.path() / "pristine", folder);
        const fs::path prefix = folder / "prefix";
        // Spread over the whole run, a little past its end.
        killed += RunCli(prefix, folder, {"fix", "--yes"}, fixDuration * run / (kRuns - 8)).killed ? 1 : 0;

        const RegistryState state = StateOf(prefix);
        ASSERT_TRUE(state.loaded) << "run " << run << ": " << state.error;
        EXPECT_TRUE(state.machine == before.machine || state.machine == after.machine) << "run " << run;
        EXPECT_TRUE(state.user == before.user || state.user == after.user) << "run " << run;
        EXPECT_TRUE(state.defaultUser == before.defaultUser || state.defaultUser == after.defaultUser)
            << "run " << run;
        expectShortcutsWhole(prefix, run);

        const bool changed = state.machine != before.machine || state.user != before.user ||
                             state.defaultUser != before.defaultUser || ShortcutFiles(prefix) != beforeShortcuts;
        const auto backups = ListBackups(folder / kBackupFolderName);
        (changed ? repaired : backups.empty() ? untouched : backedUpOnly) += 1;
        if (changed) {
            ASSERT_EQ(backups.size(), 1u) << "run " << run << ": the prefix changed without a backup";
            const DecodedBackup backup = ReadBackupFile(backups.front());
            EXPECT_TRUE(backup.ok()) << "run " << run << ": " << backup.message();
        }
    }
    // The kill must have landed inside the repair often enough for the test to mean much.
    EXPECT_GE(killed, kRuns / 2);
    RecordProperty("untouched", untouched);
    RecordProperty("backed_up_only", backedUpOnly);
    RecordProperty("repaired", repaired);
}

// restore --latest killed at many moments: each registry file holds the repaired
// registry or the restored one, each shortcut is whole or not yet back, and the backup
// is still there to run the restore again.
TEST_F(KilledJobTest, AKilledRestoreLeavesEachFileWholeAndTheBackupInPlace) {
    const fs::path fixed = work.path() / "fixed0";
    const auto restoreDuration = ShortestRun(fixed, work.path(), "restored", {"restore", "--latest"});
    const RegistryState restored = StateOf(work.path() / "restored0" / "prefix");
    ASSERT_TRUE(restored.loaded) << restored.error;
    ASSERT_NE(restored.machine, after.machine);
    EXPECT_EQ(ShortcutFiles(work.path() / "restored0" / "prefix"), beforeShortcuts);

    int killed = 0;
    for (int run = 0; run < kRuns; ++run) {
        const fs::path folder = work.path() / ("restore" + std::to_string(run));
        CopyWorkFolder(fixed, folder);
        const fs::path prefix = folder / "prefix";
        killed += RunCli(prefix, folder, {"restore", "--latest"}, restoreDuration * run / (kRuns - 8)).killed ? 1 : 0;

        const RegistryState state = StateOf(prefix);
        ASSERT_TRUE(state.loaded) << "run " << run << ": " << state.error;
        EXPECT_TRUE(Either(state, after, restored)) << "run " << run;
        expectShortcutsWhole(prefix, run);
        const auto backups = ListBackups(folder / kBackupFolderName);
        ASSERT_EQ(backups.size(), 1u) << "run " << run;
        EXPECT_TRUE(ReadBackupFile(backups.front()).ok()) << "run " << run;
    }
    EXPECT_GE(killed, kRuns / 2);
}

}  // namespace
}  // namespace brindle
