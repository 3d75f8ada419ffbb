// Shortcut files in a repair: their bytes go into a backup beside the registry backup
// before any of them is deleted, the restore puts them back where nothing is, and one
// that stays is reported as not fixed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/FixSelected.h"
#include "app/workflow/RestoreLatestBackup.h"
#include "app/workflow/SummaryFix.h"
#include "demo/LnkWriter.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

const BackupClock kClock = [] { return BackupTime{2026, 12, 8, 17, 0, 0}; };
constexpr const char* kSnapshot = "FixedOnShortcutTest.xml";
constexpr const char* kOld = "C:\\users\\demo\\Desktop\\Old.lnk";
constexpr const char* kOther = "C:\\users\\demo\\Start Menu\\Other.lnk";

// The drive map, except that deleting the files named in `refused` fails, as it does for
// a file another program holds open on Windows.
class RefusingFileSystem final : public FileSystem {
public:
    explicit RefusingFileSystem(FileSystem& files) : m_files(files) {}

    int _access(const char* path, int mode) override { return m_files._access(path, mode); }
    PathProbe ProbePath(const char* path) override { return m_files.ProbePath(path); }
    std::optional<fs::path> resolve(std::string_view path) override { return m_files.resolve(path); }
    void beginScan() override { m_files.beginScan(); }
    void endScan() override { m_files.endScan(); }
    FindHandle FindFirstFileA(const char* pattern, FindDataA& data) override {
        return m_files.FindFirstFileA(pattern, data);
    }
    win::DWORD GetLogicalDriveStringsA(win::DWORD size, char* buffer) override {
        return m_files.GetLogicalDriveStringsA(size, buffer);
    }
    unsigned GetDriveTypeA(const char* root) override { return m_files.GetDriveTypeA(root); }
    win::DWORD GetFileAttributesA(const char* path) override { return m_files.GetFileAttributesA(path); }
    bool SetFileAttributesA(const char* path, win::DWORD attributes) override {
        return m_files.SetFileAttributesA(path, attributes);
    }
    bool DeleteFileA(const char* path) override { return refused.count(path) == 0 && m_files.DeleteFileA(path); }
    std::optional<FileIdentity> GetFileIdentity(const char* path) override { return m_files.GetFileIdentity(path); }

    std::set<std::string> refused;

private:
    FileSystem& m_files;
};

class ShortcutMachine : public test::WorkflowTestMachine {
public:
    FileSystem& files() override { return refusing; }
    RefusingFileSystem refusing{driveMap()};
};

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

bool IsReadOnly(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0;
}

class ShortcutRepairTest : public ::testing::Test {
protected:
    ShortcutRepairTest() { session.selectCategory(ScanCategory::SHORTCUTS); }

    // A shortcut to a file that is not there, at a host path below drive C:.
    fs::path deadShortcut(const std::string& relative, const std::string& target) {
        return machine.driveC().writeFile(relative, MakeShortcutBytes(target));
    }
    void scan(std::size_t expected) {
        ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);
        ASSERT_EQ(session.shortcutScanner().missingCount(), expected);
    }
    RestoreLatestReport restore() { return RestoreLatestBackup(machine, machine.workFolder().path()); }

    ShortcutMachine machine;
    ScanSession session{machine, machine.workFolder().path()};
};

TEST_F(ShortcutRepairTest, ADeletedShortcutComesBackByteForByteAndNothingIsReplaced) {
    const fs::path old = deadShortcut("users/demo/Desktop/Old.lnk", "C:\\gone\\old.exe");
    const fs::path other = deadShortcut("users/demo/Start Menu/Other.lnk", "C:\\gone\\other.exe");
    ASSERT_EQ(::chmod(old.c_str(), 0444), 0);
    const std::string oldBytes = test::ReadFileAt(old);
    const std::string otherBytes = test::ReadFileAt(other);
    scan(2);

    const FixReport fixed = FixSelected(session, FixSelection{}, kSnapshot, kClock);
    ASSERT_EQ(fixed.outcome, FixReport::Outcome::Removed) << fixed.errorText();
    EXPECT_EQ(session.shortcutScanner().fixed(), 2);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_FALSE(fs::exists(other));
    // No registry problem: the registry backup is there, empty, for the shortcuts to go with.
    EXPECT_EQ(test::ReadFileAt(fixed.backup.file), "");
    EXPECT_EQ(fixed.backup.shortcutFile, fs::path(fixed.backup.file).replace_extension(".lnk-backup"));

    const RestoreLatestReport restored = restore();
    ASSERT_EQ(restored.outcome, RestoreLatestReport::Outcome::Restored) << restored.errorText();
    EXPECT_EQ(restored.shortcutFile, fixed.backup.shortcutFile);
    EXPECT_EQ(Sorted(restored.shortcuts.restored), (std::vector<std::string>{kOld, kOther}));
    EXPECT_EQ(test::ReadFileAt(old), oldBytes);
    EXPECT_EQ(test::ReadFileAt(other), otherBytes);
    EXPECT_TRUE(IsReadOnly(old));
    EXPECT_FALSE(IsReadOnly(other));

    // Run again, it finds its own work done.
    const RestoreLatestReport again = restore();
    EXPECT_EQ(again.outcome, RestoreLatestReport::Outcome::Restored) << again.errorText();
    EXPECT_EQ(Sorted(again.shortcuts.alreadyThere), (std::vector<std::string>{kOld, kOther}));

    // Something else at the path is never replaced, and the restore says so.
    fs::remove(other);
    fs::create_symlink(machine.workFolder().path() / "user's file", other);
    std::ofstream(machine.workFolder().path() / "user's file") << "mine";
    const RestoreLatestReport blocked = restore();
    EXPECT_EQ(blocked.outcome, RestoreLatestReport::Outcome::Incomplete);
    ASSERT_EQ(blocked.shortcuts.skipped.size(), 1u);
    EXPECT_EQ(blocked.shortcuts.skipped[0].path, kOther);
    EXPECT_NE(blocked.shortcuts.skipped[0].message.find("something else is there"), std::string::npos);
    EXPECT_EQ(test::ReadFileAt(machine.workFolder().path() / "user's file"), "mine");
}

TEST_F(ShortcutRepairTest, AShortcutThatStaysIsReportedNotFixedAndKeepsItsReadOnlyBit) {
    const fs::path held = deadShortcut("users/demo/Desktop/Held.lnk", "C:\\gone\\held.exe");
    const fs::path plain = deadShortcut("users/demo/Desktop/Plain.lnk", "C:\\gone\\plain.exe");
    const fs::path folder = deadShortcut("users/demo/Desktop/Folder.lnk", "C:\\gone\\folder.exe");
    ASSERT_EQ(::chmod(held.c_str(), 0444), 0);
    machine.refusing.refused.insert("C:\\users\\demo\\Desktop\\Held.lnk");
    scan(3);
    // Replaced by a folder after the scan.
    fs::remove(folder);
    fs::create_directory(folder);

    const FixReport report = FixSelected(session, FixSelection{}, kSnapshot, kClock);

    EXPECT_EQ(report.outcome, FixReport::Outcome::Partial);
    EXPECT_NE(report.errorText().find("2 shortcut files were not deleted"), std::string::npos) << report.errorText();
    EXPECT_EQ(session.shortcutScanner().fixed(), 1);
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_TRUE(fs::exists(held));
    EXPECT_TRUE(IsReadOnly(held)) << "made writable for the deletion, read-only again when it failed";
    EXPECT_TRUE(fs::is_directory(folder));
    std::map<std::string, std::string> notFixed;
    for (const auto& problem : report.shortcutsNotFixed) notFixed[problem.path] = problem.message;
    ASSERT_EQ(notFixed.size(), 2u);
    EXPECT_NE(notFixed["C:\\users\\demo\\Desktop\\Held.lnk"].find("could not be deleted"), std::string::npos);
    EXPECT_NE(notFixed["C:\\users\\demo\\Desktop\\Folder.lnk"].find("is not a file"), std::string::npos);
}

TEST_F(ShortcutRepairTest, NoShortcutIsDeletedWhenItsBackupCannotBeWritten) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone",
                      "C:\\gone\\gone.exe");
    session.selectCategory(ScanCategory::STARTUP);
    const fs::path shortcut = deadShortcut("users/demo/Desktop/Old.lnk", "C:\\gone\\old.exe");
    scan(1);
    // The summary road's export takes the name; something already has its companion's.
    fs::create_directories(machine.workFolder().path() / kBackupFolderName / "2026-12-08_17-00-00.lnk-backup");

    const FixReport report = SummaryFix(session, kSnapshot, kClock);

    EXPECT_EQ(report.outcome, FixReport::Outcome::BackupFailed);
    EXPECT_NE(report.errorText().find("shortcut backup could not be written"), std::string::npos) << report.errorText();
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_EQ(machine.saves, 0);
    EXPECT_TRUE(machine.valueExists("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone"));
}

}  // namespace
}  // namespace brindle
