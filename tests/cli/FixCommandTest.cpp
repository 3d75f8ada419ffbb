// brindle-cli fix, restore, ignore and backups, run as a user runs them, on a fresh
// demo machine: what is removed, what is kept, the one backup, and the way back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/FixCommand.h"
#include "platform/ExclusiveLock.h"
#include "platform/WinePrefixMachine.h"
#include "registry/BackupFolder.h"
#include "scan/RegistryLib.h"
#include "support/OpenOrError.h"
#include "support/LockHolder.h"
#include "support/RegistryDump.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::RunProgram;

constexpr const char* kKeptFile = "C:\\Program Files\\Old Toolbar\\toolbar.dll";
constexpr const char* kKeptShortcut = "C:\\users\\demo\\Desktop\\Old App.lnk";

class FixCommandTest : public ::testing::Test {
protected:
    FixCommandTest() {
        const auto built = RunProgram(BRINDLE_DEMO_BUILDER_PATH, {prefix().string()}, work.path());
        EXPECT_EQ(built.exitCode, 0) << built.err;
    }

    fs::path prefix() const { return work.path() / "prefix"; }
    fs::path backups() const { return work.path() / kBackupFolderName; }

    test::ProgramResult cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--prefix", prefix().string(), "--work-dir", work.path().string()});
        return RunProgram(BRINDLE_CLI_PATH, std::move(arguments), work.path());
    }

    nlohmann::json scanJson() {
        const auto result = cli({"scan", "--json"});
        EXPECT_LE(result.exitCode, 1) << result.err;
        return nlohmann::json::parse(result.out);
    }

    // Registry backups; a shortcut backup goes with its registry backup.
    std::size_t backupCount() const {
        if (!fs::exists(backups())) return 0;
        const auto isRegistryBackup = [](const auto& entry) { return entry.path().extension() == ".reg"; };
        return static_cast<std::size_t>(
            std::count_if(fs::directory_iterator(backups()), fs::directory_iterator(), isRegistryBackup));
    }

    test::TemporaryFolder work;
};

TEST_F(FixCommandTest, RemovesWhatTheScanListedKeepsWhatWasNamedAndRestoresIt) {
    const std::string before = test::DumpPrefixRegistry(prefix());
    const auto listed = scanJson();
    ASSERT_EQ(listed["problems"].size(), 14u);

    const auto fixed = cli({"fix", "--yes", "--json", "--keep", kKeptFile, "--keep", kKeptShortcut});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err << fixed.out;
    const auto report = nlohmann::json::parse(fixed.out);
    EXPECT_EQ(report["outcome"], "removed");
    EXPECT_EQ(report["message"], "Items selected have been removed from the system");
    EXPECT_EQ(report["kept"], nlohmann::json::array({kKeptFile, kKeptShortcut}));
    EXPECT_EQ(report["problems"], listed["problems"]) << "the report lists what was found, kept entries included";
    int fixedTotal = 0;
    for (const auto& row : report["summaries"]) fixedTotal += row["fixed"].get<int>();
    EXPECT_EQ(fixedTotal, 13) << report["summaries"];
    EXPECT_EQ(report["shortcuts"]["fixed"], 2) << report;
    EXPECT_EQ(backupCount(), 1u);
    EXPECT_TRUE(fs::exists(prefix() / "drive_c" / "users" / "demo" / "Desktop" / "Old App.lnk"));

    // The kept entries are on the ignore list now, so nothing is listed any more.
    const auto after = scanJson();
    EXPECT_EQ(after["problems"].size(), 0u) << after["problems"];
    EXPECT_EQ(after["shortcuts"]["missing"].size(), 0u);
    EXPECT_NE(test::ReadFileAt(work.path() / "ignore.lst").find(kKeptFile), std::string::npos);

    const auto restored = cli({"restore", "--latest"});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_NE(restored.out.find("Restore Complete"), std::string::npos);
    EXPECT_EQ(test::DumpPrefixRegistry(prefix()), before);
}

TEST_F(FixCommandTest, TextOutputHasFixedCountsAndTheClosingMessage) {
    const auto fixed = cli({"fix", "--yes", "--categories", "STARTUP,UNINSTALL", "--keep", "C:\\nowhere.exe"});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
    EXPECT_EQ(fixed.err, "brindle-cli: warning: --keep C:\\nowhere.exe names nothing the scan found\n");
    EXPECT_NE(fixed.out.find("Fixed"), std::string::npos) << fixed.out;
    EXPECT_NE(fixed.out.find("Invalid Startup Entries"), std::string::npos) << fixed.out;
    EXPECT_NE(fixed.out.find("Backup: " + backups().string()), std::string::npos) << fixed.out;
    EXPECT_NE(fixed.out.find("\nItems selected have been removed from the system\n"), std::string::npos);
}

// Every entry kept: the kept ones go on the list, and nothing claims a removal.
TEST_F(FixCommandTest, KeepingEverythingSaysNothingWasRemoved) {
    const std::string before = test::DumpPrefixRegistry(prefix());
    const auto listed = cli({"scan", "--json", "--categories", "FONTS"});
    const auto document = nlohmann::json::parse(listed.out);
    ASSERT_EQ(document["problems"].size(), 1u) << listed.out;
    const std::string font = document["problems"][0]["file"];

    const auto fixed = cli({"fix", "--yes", "--json", "--categories", "FONTS", "--keep", font});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
    const auto report = nlohmann::json::parse(fixed.out);
    EXPECT_EQ(report["outcome"], "removed");
    EXPECT_EQ(report["message"], "Nothing was removed: every entry found was kept.");
    EXPECT_EQ(report["kept"], nlohmann::json::array({font}));
    EXPECT_EQ(test::DumpPrefixRegistry(prefix()), before);
    EXPECT_EQ(cli({"ignore", "list"}).out, font + "\n");
}

TEST_F(FixCommandTest, WithoutYesAndWithoutATerminalNothingIsTouched) {
    const std::string system = test::ReadFileAt(prefix() / "system.reg");
    const auto refused = cli({"fix"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadFileAt(prefix() / "system.reg"), system);
    EXPECT_EQ(backupCount(), 0u);
    EXPECT_FALSE(fs::exists(work.path() / "ignore.lst"));
}

TEST_F(FixCommandTest, OnATerminalItAsksAndOnlyYesRemoves) {
    test::CurrentDirectoryScope inWork(work.path());
    for (const auto& [answer, expectedExit] : {std::pair{"n\n", 2}, std::pair{"", 2}, std::pair{"y\n", 0}}) {
        std::string error;
        auto machine = test::OpenWinePrefix(prefix(), error);
        ASSERT_TRUE(machine) << error;
        std::istringstream in(answer);
        std::ostringstream out;
        std::ostringstream err;
        const int exit = cli::RunFixCommand(*machine, work.path(), prefix().string(),
                                            cli::FixOptions{{"STARTUP"}, {}, false, false},
                                            cli::Confirmation{true, &in}, out, err);
        EXPECT_EQ(exit, expectedExit) << "answer '" << answer << "': " << err.str();
        EXPECT_NE(err.str().find("[y/N]"), std::string::npos) << err.str();
        EXPECT_EQ(backupCount(), expectedExit == 0 ? 1u : 0u) << "answer '" << answer << "'";
    }
}

TEST_F(FixCommandTest, ARunningWineserverMakesTheRepairFailWithNothingChanged) {
    const std::string system = test::ReadFileAt(prefix() / "system.reg");
    const std::string user = test::ReadFileAt(prefix() / "user.reg");
    test::TemporaryFolder serverRoot;
    test::FakeWineServer server(prefix(), serverRoot.path());
    ASSERT_TRUE(server.running());

    const auto refused = cli({"fix", "--yes"});

    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("nothing was removed"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("wineserver -k"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out.find("Items selected have been removed"), std::string::npos) << refused.out;
    EXPECT_EQ(test::ReadFileAt(prefix() / "system.reg"), system);
    EXPECT_EQ(test::ReadFileAt(prefix() / "user.reg"), user);
    EXPECT_TRUE(fs::exists(prefix() / "drive_c" / "users" / "demo" / "Desktop" / "Old App.lnk"));
}

TEST_F(FixCommandTest, RestoreWithoutBackupsOrSnapshotSaysWhy) {
    const auto latest = cli({"restore", "--latest"});
    EXPECT_EQ(latest.exitCode, 2);
    EXPECT_NE(latest.err.find("Can't find any backup file in " + (backups() / "*.reg").string() + "."),
              std::string::npos)
        << latest.err;

    const auto snapshot = cli({"restore", "--snapshot", (work.path() / "none.xml").string()});
    EXPECT_EQ(snapshot.exitCode, 2);
    EXPECT_EQ(snapshot.out, "Registry Restoration Failed\n");
    EXPECT_NE(snapshot.err.find("none.xml"), std::string::npos) << snapshot.err;

    const auto neither = cli({"restore"});
    EXPECT_EQ(neither.exitCode, 2);
}

TEST_F(FixCommandTest, IgnoreListCanBeListedExtendedAndShortened) {
    EXPECT_EQ(cli({"ignore", "add", kKeptFile}).exitCode, 0);
    EXPECT_EQ(cli({"ignore", "add", "C:\\other.dll"}).exitCode, 0);
    EXPECT_EQ(cli({"ignore", "list"}).out, std::string(kKeptFile) + "\nC:\\other.dll\n");
    EXPECT_EQ(cli({"ignore", "remove", "C:\\other.dll"}).exitCode, 0);
    EXPECT_EQ(cli({"ignore", "list"}).out, std::string(kKeptFile) + "\n");
    const auto missing = cli({"ignore", "remove", "C:\\never.dll"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("C:\\never.dll"), std::string::npos);

    const auto scan = scanJson();
    for (const auto& problem : scan["problems"]) EXPECT_NE(problem["file"], kKeptFile);
}

TEST_F(FixCommandTest, BackupsAreListedNewestFirst) {
    EXPECT_NE(cli({"backups"}).out.find("No registry backups"),
              std::string::npos);
    fs::create_directories(backups());
    std::ofstream(backups() / "2026-01-01_00-00-00.reg") << "x";
    std::ofstream(backups() / "2026-01-02_00-00-00.reg") << "REGEDIT4\r\n";
    const auto listed = cli({"backups"});
    EXPECT_EQ(listed.exitCode, 0);
    const auto newer = listed.out.find("2026-01-02_00-00-00.reg");
    const auto older = listed.out.find("2026-01-01_00-00-00.reg");
    ASSERT_NE(newer, std::string::npos) << listed.out;
    ASSERT_NE(older, std::string::npos) << listed.out;
    EXPECT_LT(newer, older);
    EXPECT_NE(listed.out.find("text export"), std::string::npos);
}

// The host file of a path on the demo machine's drive C:.
fs::path HostPathOf(const fs::path& prefix, std::string windowsPath) {
    for (char& c : windowsPath) c = c == '\\' ? '/' : c;
    return prefix / "drive_c" / windowsPath.substr(3);
}

TEST_F(FixCommandTest, DeletedShortcutsAreBackedUpListedAndRestoredByteForByte) {
    std::map<std::string, std::string> shortcuts;  // Windows path -> bytes
    const auto listed = scanJson();
    for (const auto& path : listed["shortcuts"]["missing"])
        shortcuts[path] = test::ReadFileAt(HostPathOf(prefix(), path.get<std::string>()));
    ASSERT_EQ(shortcuts.size(), 3u);

    const auto fixed = cli({"fix", "--yes", "--json", "--categories", "SHORTCUTS"});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err << fixed.out;
    const auto report = nlohmann::json::parse(fixed.out);
    EXPECT_EQ(report["outcome"], "removed");
    EXPECT_EQ(report["shortcuts"]["fixed"], 3);
    EXPECT_EQ(report["shortcutsNotFixed"], nlohmann::json::array());
    ASSERT_TRUE(report["shortcutBackup"].is_string()) << report;
    const fs::path companion = report["shortcutBackup"].get<std::string>();
    EXPECT_EQ(companion.parent_path(), backups());
    EXPECT_EQ(companion.extension(), ".lnk-backup");
    for (const auto& [path, bytes] : shortcuts) EXPECT_FALSE(fs::exists(HostPathOf(prefix(), path))) << path;

    const auto backupList = cli({"backups"});
    EXPECT_NE(backupList.out.find(companion.filename().string() + "  3 shortcut files"), std::string::npos)
        << backupList.out;
    for (const auto& [path, bytes] : shortcuts) {
        EXPECT_NE(backupList.out.find(path), std::string::npos) << backupList.out;
    }

    const auto restored = cli({"restore", "--latest"});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    for (const auto& [path, bytes] : shortcuts) {
        EXPECT_NE(restored.out.find("restored " + path), std::string::npos) << restored.out;
        EXPECT_EQ(test::ReadFileAt(HostPathOf(prefix(), path)), bytes) << path;
    }
}

// A file the system will not let go of: immutable for root, in a folder without write
// permission for anyone else. Undone on destruction, so the folder can be cleaned up.
class UndeletableFile {
public:
    explicit UndeletableFile(fs::path file) : m_file(std::move(file)) {
        m_made = ::geteuid() == 0 ? std::system(("chattr +i '" + m_file.string() + "' 2>/dev/null").c_str()) == 0
                                  : ::chmod(m_file.parent_path().c_str(), 0555) == 0;
    }
    ~UndeletableFile() {
        if (::geteuid() == 0) {
            std::system(("chattr -i '" + m_file.string() + "' 2>/dev/null").c_str());
        } else {
            ::chmod(m_file.parent_path().c_str(), 0755);
        }
    }
    UndeletableFile(const UndeletableFile&) = delete;
    UndeletableFile& operator=(const UndeletableFile&) = delete;
    bool made() const { return m_made; }

private:
    fs::path m_file;
    bool m_made = false;
};

TEST_F(FixCommandTest, AShortcutThatCannotBeDeletedIsReportedNotFixed) {
    constexpr const char* kStuck = "C:\\users\\demo\\Documents\\Projects\\Old Report.lnk";
    const UndeletableFile stuck(HostPathOf(prefix(), kStuck));
    if (!stuck.made()) GTEST_SKIP() << "cannot make a file undeletable here";

    const auto fixed = cli({"fix", "--yes", "--json", "--categories", "SHORTCUTS"});

    EXPECT_EQ(fixed.exitCode, 1);
    EXPECT_NE(fixed.err.find("1 shortcut files were not deleted"), std::string::npos) << fixed.err;
    const auto report = nlohmann::json::parse(fixed.out);
    EXPECT_EQ(report["outcome"], "partial");
    EXPECT_EQ(report["shortcuts"]["fixed"], 2);
    EXPECT_FALSE(report.contains("message")) << "not \"Items selected have been removed\"";
    ASSERT_EQ(report["shortcutsNotFixed"].size(), 1u) << report;
    EXPECT_EQ(report["shortcutsNotFixed"][0]["path"], kStuck);
    EXPECT_NE(report["shortcutsNotFixed"][0]["reason"].get<std::string>().find("could not be deleted"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(HostPathOf(prefix(), kStuck)));
}

// One writer at a time: while another run holds the prefix or the work folder, a fix
// refuses at once and changes nothing.
TEST_F(FixCommandTest, ASecondWriterIsRefusedWhileTheFirstHoldsItsLocks) {
    const std::string before = test::DumpPrefixRegistry(prefix());
    for (const fs::path& held : {prefix() / kPrefixLockFile, work.path() / kWorkFolderLockFile}) {
        SCOPED_TRACE(held.string());
        std::string error;
        auto lock = test::TryExclusiveLock(held, "the test", error);
        ASSERT_TRUE(lock) << error;
        // flock belongs to the open file: the child process of the run cannot share it.
        const auto fixed = cli({"fix", "--yes"});
        EXPECT_EQ(fixed.exitCode, 2);
        EXPECT_NE(fixed.err.find("another Brindle is working on"), std::string::npos) << fixed.err;
        EXPECT_EQ(test::DumpPrefixRegistry(prefix()), before);
        EXPECT_EQ(backupCount(), 0u);
    }
    EXPECT_EQ(cli({"fix", "--yes"}).exitCode, 0);
}

// An ignore list that cannot be read stops the fix before anything is scanned or written.
TEST_F(FixCommandTest, AnUnreadableIgnoreListStopsTheFix) {
    const std::string before = test::DumpPrefixRegistry(prefix());
    fs::create_directory(work.path() / kIgnoreListFile);
    const auto fixed = cli({"fix", "--yes"});
    EXPECT_EQ(fixed.exitCode, 2);
    EXPECT_NE(fixed.err.find("ignore list"), std::string::npos) << fixed.err;
    EXPECT_NE(fixed.err.find("nothing was removed"), std::string::npos) << fixed.err;
    EXPECT_EQ(test::DumpPrefixRegistry(prefix()), before);
    EXPECT_EQ(backupCount(), 0u);
    EXPECT_TRUE(fs::is_directory(work.path() / kIgnoreListFile));
    EXPECT_EQ(cli({"scan"}).exitCode, 2);
}

// A value whose name has a character code page 1252 lacks lists with '?' in its place;
// asked for by that name the registry reaches nothing, so it stays, and the fix says it
// was done only in part.
TEST_F(FixCommandTest, AnEntryTheRegistryCannotBeAskedForIsLeftAndTheFixIsPartial) {
    {
        std::ofstream system(prefix() / "system.reg", std::ios::binary | std::ios::app);
        system << "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs] 1768453200\n"
                  "#time=1dc85dbcd1f8800\n"
                  "\"C:\\\\gone\\\\x\\x4e00.dll\"=dword:00000001\n";
    }
    const auto fixed = cli({"fix", "--yes", "--json"});
    EXPECT_EQ(fixed.exitCode, 1) << fixed.err;
    const auto report = nlohmann::json::parse(fixed.out);
    EXPECT_EQ(report["outcome"], "partial");
    ASSERT_EQ(report["leftInPlace"].size(), 1u) << report;
    EXPECT_NE(report["leftInPlace"][0].get<std::string>().find("reaches no value"), std::string::npos);
    EXPECT_FALSE(report.contains("message"));
    EXPECT_NE(test::ReadFileAt(prefix() / "system.reg").find("\"C:\\\\gone\\\\x\\x4e00.dll\"=dword:00000001"),
              std::string::npos);
}

}  // namespace
}  // namespace brindle
