// The shortcut scanner over a temporary drive C: holding real .lnk files.
#include "scan/Shortcut.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "demo/LnkWriter.h"
#include "platform/WinePrefixMachine.h"
#include "support/OpenOrError.h"
#include "support/FreshWinePrefix.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

struct Progress {
    std::string item;
    std::string title;
    std::int32_t scanned;
    std::int32_t found;
    bool operator==(const Progress&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Progress& p) {
    return out << "{" << p.item << ", " << p.title << ", " << p.scanned << ", " << p.found << "}";
}

class ShortcutTest : public ::testing::Test {
protected:
    // A shortcut at a host path below C: ("a/b/x.lnk") pointing at a Windows path.
    fs::path shortcut(const std::string& relative, const std::string& target) {
        return m_machine.driveC().writeFile(relative, MakeShortcutBytes(target));
    }
    fs::path host(const std::string& relative) const { return m_machine.driveC().path() / relative; }

    void recordProgress(CShortcut& scanner) {
        scanner.progressCallback = [this](const std::string& item, const std::string& title, std::int32_t scanned,
                                          std::int32_t found) { m_progress.push_back({item, title, scanned, found}); };
    }

    test::TestMachine m_machine;
    std::vector<Progress> m_progress;
};

TEST_F(ShortcutTest, AShortcutWhoseTargetExistsIsOnlyCounted) {
    m_machine.addFile("C:\\Program Files\\Demo\\demo.exe");
    shortcut("users/demo/Desktop/Demo.lnk", "C:\\Program Files\\Demo\\demo.exe");
    // Letter case and trailing blanks mean nothing to Win32.
    shortcut("users/demo/Desktop/Other.lnk", "c:\\PROGRAM FILES\\demo\\DEMO.EXE ");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(2, scanner.scanned());
    EXPECT_EQ(0, scanner.found());
    EXPECT_EQ(0u, scanner.missingCount());
}

// Only a target that is not there makes a shortcut dead: one whose look-up fails for
// another reason is counted and not listed. Wine's short names and root-relative
// targets are found as Wine finds them.
TEST_F(ShortcutTest, ListsOnlyShortcutsWhoseTargetIsNotThere) {
    m_machine.addFile("C:\\Program Files\\Demo\\demo.exe");
    fs::create_symlink("Loop", host("Loop"));
    shortcut("Users/Demo/Undecided.lnk", "C:\\Loop\\tool.exe");
    shortcut("Users/Demo/Short.lnk", "C:\\PROG~FBU\\Demo\\demo.exe");
    shortcut("Users/Demo/Root.lnk", "\\Program Files\\Demo\\demo.exe");
    shortcut("Users/Demo/Gone.lnk", "C:\\PROG~FBU\\Demo\\gone.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(4, scanner.scanned());
    EXPECT_THAT(scanner.missingList(), ElementsAre("C:\\Users\\Demo\\Gone.lnk"));
}

TEST_F(ShortcutTest, ListsEachShortcutWithAMissingTargetOnceByItsFullPath) {
    m_machine.addFile("C:\\Program Files\\Demo\\demo.exe");
    shortcut("One.lnk", "C:\\gone\\root.exe");  // directly in C:\ - never examined
    shortcut("Users/Demo/Gone.LNK", "C:\\gone\\a.exe");
    shortcut("Users/Demo/Present.lnk", "C:\\Program Files\\Demo\\demo.exe");
    shortcut("Users/Demo/Start Menu/Programs/Old App/Old App.lnk", "C:\\Program Files\\Old App\\old.exe");
    shortcut("Users/Demo/Start Menu/Programs/Old App/Uninstall.lnk", "C:\\Program Files\\Old App\\uninst.exe");
    shortcut("Caf\xC3\xA9/Menu.lnk", "C:\\Caf\xE9\\gone.exe");
    m_machine.addFile("C:\\Users\\Demo\\notes.txt");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(5, scanner.scanned());
    EXPECT_EQ(4, scanner.found());
    EXPECT_THAT(scanner.missingList(),
                UnorderedElementsAre("C:\\Users\\Demo\\Gone.LNK",
                                     "C:\\Users\\Demo\\Start Menu\\Programs\\Old App\\Old App.lnk",
                                     "C:\\Users\\Demo\\Start Menu\\Programs\\Old App\\Uninstall.lnk",
                                     "C:\\Caf\xE9\\Menu.lnk"));

    // A second scan starts from nothing.
    scanner.ScanShortcuts();
    EXPECT_EQ(5, scanner.scanned());
    EXPECT_EQ(4u, scanner.missingCount());
}

TEST_F(ShortcutTest, ShortcutsWithoutAReadableTargetAreCountedNotListed) {
    m_machine.driveC().writeFile("Desktop/damaged.lnk", "this is not a shell link at all, just text");
    m_machine.driveC().writeFile("Desktop/truncated.lnk", MakeShortcutBytes("C:\\gone.exe").substr(0, 0x60));
    m_machine.driveC().writeFile("Desktop/advertised.lnk", MakeShortcutBytesWithoutTarget());
    m_machine.driveC().writeFile("Desktop/empty.lnk", "");
    m_machine.driveC().makeFolder("Desktop/folder.lnk");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(5, scanner.scanned());
    EXPECT_EQ(0, scanner.found());
    EXPECT_EQ(0u, scanner.missingCount());
    EXPECT_EQ(kShortcutUnreadable, scanner.ResolveLinkFile("C:\\Desktop\\damaged.lnk"));
    EXPECT_EQ(6, scanner.scanned());
}

TEST_F(ShortcutTest, ResolveLinkFileCountsReportsThenExamines) {
    shortcut("Desktop/gone.lnk", "C:\\gone.exe");
    CShortcut scanner(m_machine);
    recordProgress(scanner);
    EXPECT_EQ(kShortcutResolved, scanner.ResolveLinkFile("C:\\Desktop\\gone.lnk"));
    EXPECT_EQ(kShortcutUnreadable, scanner.ResolveLinkFile("C:\\Desktop\\missing.lnk"));
    EXPECT_THAT(m_progress, ElementsAre(Progress{"C:\\Desktop\\gone.lnk", "Scanning ShortCuts", 1, 0},
                                        Progress{"C:\\Desktop\\missing.lnk", "Scanning ShortCuts", 2, 1}));
    EXPECT_THAT(scanner.missingList(), ElementsAre("C:\\Desktop\\gone.lnk"));
}

TEST_F(ShortcutTest, ReportsProgressPerShortcutFolderAndDeletion) {
    // One folder per level, so that the order does not depend on readdir.
    shortcut("A/one.lnk", "C:\\gone.exe");
    m_machine.addFile("C:\\A\\B\\present.exe");
    shortcut("A/B/two.lnk", "C:\\A\\B\\present.exe");
    CShortcut scanner(m_machine);
    recordProgress(scanner);
    scanner.ScanShortcuts();
    scanner.FixShortcuts();
    EXPECT_THAT(m_progress, ElementsAre(Progress{"C:\\A\\one.lnk", "Scanning ShortCuts", 1, 0},
                                        Progress{"C:\\A", "Searching Dir For Shorcuts", 1, 1},
                                        Progress{"C:\\A\\B\\two.lnk", "Scanning ShortCuts", 2, 1},
                                        Progress{"C:\\A\\B", "Searching Dir For Shorcuts", 2, 1},
                                        Progress{"C:\\A\\one.lnk", "Fixing ShortCuts", 0, 0}));
}

TEST_F(ShortcutTest, FixDeletesListedShortcutsEvenReadOnlyOnes) {
    const auto plain = shortcut("Desktop/plain.lnk", "C:\\gone\\a.exe");
    const auto readOnly = shortcut("Desktop/read-only.lnk", "C:\\gone\\b.exe");
    ASSERT_EQ(0, chmod(readOnly.c_str(), 0444));
    m_machine.addFile("C:\\present.exe");
    const auto kept = shortcut("Desktop/kept.lnk", "C:\\present.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    ASSERT_EQ(2u, scanner.missingCount());
    scanner.setBackedUp(CollectShortcutBackup(m_machine, scanner.missingList()).entries);
    scanner.FixShortcuts();
    EXPECT_EQ(2, scanner.fixed());
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(readOnly));
    EXPECT_TRUE(fs::exists(kept));
    // The list stays; a second repair finds nothing left to delete.
    EXPECT_EQ(2u, scanner.missingCount());
    scanner.FixShortcuts();
    EXPECT_EQ(0, scanner.fixed());
}

TEST_F(ShortcutTest, AnEmptiedEntryIsNeitherDeletedNorCounted) {
    shortcut("Desktop/a.lnk", "C:\\gone\\a.exe");
    shortcut("Desktop/b.lnk", "C:\\gone\\b.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    ASSERT_EQ(2u, scanner.missingCount());
    const std::string keptPath = scanner.missing(0);
    scanner.missing(0) = "";
    recordProgress(scanner);
    scanner.setBackedUp(CollectShortcutBackup(m_machine, scanner.missingList()).entries);
    scanner.FixShortcuts();
    EXPECT_EQ(1, scanner.fixed());
    EXPECT_EQ(0, m_machine.files()._access(keptPath.c_str(), 0));
    EXPECT_EQ(-1, m_machine.files()._access(scanner.missing(1).c_str(), 0));
    ASSERT_EQ(2u, m_progress.size());
    EXPECT_EQ((Progress{"", "Fixing ShortCuts", 0, 0}), m_progress[0]);
    EXPECT_THROW(scanner.missing(2), std::out_of_range);
}

TEST_F(ShortcutTest, AFileThatCannotBeDeletedIsPassedOver) {
    shortcut("Desktop/a.lnk", "C:\\gone\\a.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    ASSERT_EQ(1u, scanner.missingCount());
    fs::remove(host("Desktop/a.lnk"));
    fs::create_directory(host("Desktop/a.lnk"));  // replaced by a folder meanwhile
    scanner.FixShortcuts();
    EXPECT_EQ(0, scanner.fixed());
    EXPECT_TRUE(fs::is_directory(host("Desktop/a.lnk")));
}

TEST_F(ShortcutTest, StopBeforeTheScanLeavesEverythingEmpty) {
    shortcut("Desktop/a.lnk", "C:\\gone\\a.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    ASSERT_EQ(1, scanner.found());
    SetEvent(m_machine.events().CreateEventA(kStopScanEventName));
    scanner.ScanShortcuts();
    EXPECT_EQ(0, scanner.scanned());
    EXPECT_EQ(0, scanner.found());
    EXPECT_EQ(0u, scanner.missingCount());
}

TEST_F(ShortcutTest, StopDuringTheWalkEndsEveryLoopAndKeepsWhatWasListed) {
    for (const char* folder : {"a", "b", "c", "d"}) {
        shortcut(std::string(folder) + "/x.lnk", "C:\\gone.exe");
        shortcut(std::string(folder) + "/inner/y.lnk", "C:\\gone.exe");
    }
    CShortcut scanner(m_machine);
    int folderReports = 0;
    scanner.progressCallback = [&](const std::string&, const std::string& title, std::int32_t, std::int32_t) {
        if (title != kSearchingFolderTitle) return;
        ++folderReports;
        SetEvent(m_machine.events().CreateEventA(kStopScanEventName));
    };
    scanner.ScanShortcuts();
    // The first folder's own shortcut was examined before the signal; nothing after it.
    EXPECT_EQ(1, folderReports);
    EXPECT_EQ(1, scanner.scanned());
    EXPECT_EQ(1, scanner.found());
    ASSERT_EQ(1u, scanner.missingCount());
    EXPECT_THAT(scanner.missing(0), ::testing::EndsWith("\\x.lnk"));
}

// A hard disk that holds other Wine prefixes (z: marked "hd" is the host's root): their
// shortcuts name their own C:, not this machine's, so their trees are never walked. A
// folder is a prefix when it holds system.reg and dosdevices/; either alone is not one.
TEST_F(ShortcutTest, AnotherPrefixsTreeIsNeverWalked) {
    test::TemporaryFolder d;
    d.writeFile("Games/other-prefix/system.reg", "WINE REGISTRY Version 2\n");
    d.writeFile("Games/other-prefix/drive_c/users/me/Desktop/game.lnk", MakeShortcutBytes("C:\\Game\\game.exe"));
    fs::create_directories(d.path() / "Games/other-prefix/dosdevices");
    d.writeFile("Backups/system.reg", "not a prefix\n");
    d.writeFile("Backups/old.lnk", MakeShortcutBytes("D:\\gone.exe"));
    fs::create_directories(d.path() / "Tools/dosdevices");
    d.writeFile("Tools/tool.lnk", MakeShortcutBytes("D:\\gone-tool.exe"));
    m_machine.driveMap().mapDrive('d', d.path());
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_THAT(scanner.missingList(), UnorderedElementsAre("D:\\Backups\\old.lnk", "D:\\Tools\\tool.lnk"));
    EXPECT_EQ(2, scanner.scanned());
}

TEST_F(ShortcutTest, WalksFixedDrivesOnlyInDriveOrder) {
    test::TemporaryFolder d;
    test::TemporaryFolder e;
    test::TemporaryFolder z;
    shortcut("Desktop/c.lnk", "C:\\gone.exe");
    d.writeFile("Data/d.lnk", MakeShortcutBytes("D:\\gone.exe"));
    e.writeFile("Media/e.lnk", MakeShortcutBytes("E:\\gone.exe"));
    z.writeFile("Host/z.lnk", MakeShortcutBytes("Z:\\gone.exe"));
    m_machine.driveMap().mapDrive('z', z.path(), win::DRIVE_REMOTE);
    m_machine.driveMap().mapDrive('e', e.path(), win::DRIVE_CDROM);
    m_machine.driveMap().mapDrive('d', d.path());
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_THAT(scanner.missingList(), ElementsAre("C:\\Desktop\\c.lnk", "D:\\Data\\d.lnk"));

    m_machine.driveMap().mapDrive('c', m_machine.driveC().path(), win::DRIVE_REMOVABLE);
    m_machine.driveMap().mapDrive('d', d.path(), win::DRIVE_UNKNOWN);
    scanner.ScanShortcuts();
    EXPECT_EQ(0, scanner.scanned());
    EXPECT_EQ(0, scanner.found());
    EXPECT_EQ(0u, scanner.missingCount());
}

TEST_F(ShortcutTest, ALinkLoopEndsAndEachShortcutIsListedOnce) {
    shortcut("a/x.lnk", "C:\\gone.exe");
    shortcut("a/b/y.lnk", "C:\\gone.exe");
    fs::create_directory_symlink("../..", host("a/b/up"));
    fs::create_directory_symlink(m_machine.driveC().path(), host("a/root"));
    fs::create_directory_symlink(".", host("a/b/self"));
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(2, scanner.scanned());
    EXPECT_THAT(scanner.missingList(), UnorderedElementsAre("C:\\a\\x.lnk", "C:\\a\\b\\y.lnk"));
}

TEST_F(ShortcutTest, AFolderLinkedTwiceIsWalkedOnce) {
    // One folder of the drive may be reached by several paths.
    shortcut("shared/Desktop/old.lnk", "C:\\gone.exe");
    fs::create_directories(host("users/demo"));
    fs::create_directory_symlink(host("shared/Desktop"), host("users/demo/Desktop"));
    fs::create_directory_symlink("../../shared/Desktop", host("users/demo/Bureau"));
    fs::create_directory_symlink(host("shared"), host("users/demo/Home"));
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(1, scanner.scanned());
    EXPECT_EQ(1, scanner.found());
    EXPECT_EQ(1u, scanner.missingCount());
}

// Wine links the user's Desktop and Documents to the host's home: what lies there is
// not the machine's, however the links are spelled.
TEST_F(ShortcutTest, AFolderLinkThatLeavesTheDriveIsNotWalked) {
    test::TemporaryFolder hostHome;
    hostHome.writeFile("Desktop/old.lnk", MakeShortcutBytes("C:\\gone.exe"));
    hostHome.writeFile("Desktop/inner/older.lnk", MakeShortcutBytes("C:\\gone.exe"));
    fs::create_directories(host("users/demo"));
    fs::create_directory_symlink(hostHome.path() / "Desktop", host("users/demo/Desktop"));
    fs::create_directory_symlink(hostHome.path(), host("users/demo/Home"));
    shortcut("users/demo/Start Menu/gone.lnk", "C:\\gone.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(1, scanner.scanned());
    EXPECT_THAT(scanner.missingList(), ElementsAre("C:\\users\\demo\\Start Menu\\gone.lnk"));
}

TEST_F(ShortcutTest, NamesOutsideTheCodePageArePassedOverQuietly) {
    shortcut("\xE6\x97\xA5\xE6\x9C\xAC/inside.lnk", "C:\\gone.exe");  // folder "日本"
    shortcut("Desktop/\xE6\x97\xA5.lnk", "C:\\gone.exe");              // shortcut "日.lnk"
    shortcut("Desktop/back\\slash.lnk", "C:\\gone.exe");
    shortcut("Desktop/\xFF\xFE.lnk", "C:\\gone.exe");                  // not UTF-8
    shortcut("Desktop/fine.lnk", "C:\\gone.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    // Both names with '?' are counted but cannot be opened; the folder cannot be searched.
    EXPECT_EQ(3, scanner.scanned());
    EXPECT_THAT(scanner.missingList(), ElementsAre("C:\\Desktop\\fine.lnk"));

    // Where the code page has the characters, the same tree is read whole.
    m_machine.setCodePage(CodePage(932));
    scanner.ScanShortcuts();
    EXPECT_EQ(4, scanner.scanned());
    EXPECT_THAT(scanner.missingList(), UnorderedElementsAre("C:\\\x93\xfa\x96\x7b\\inside.lnk",
                                                            "C:\\Desktop\\\x93\xfa.lnk", "C:\\Desktop\\fine.lnk"));
}

TEST_F(ShortcutTest, StopsDescendingPastTheDepthLimit) {
    std::string deepest;
    for (int level = 1; level <= kMaxFolderDepth + 1; ++level) {
        deepest += "d/";
        if (level == kMaxFolderDepth) shortcut(deepest + "last-examined.lnk", "C:\\gone.exe");
    }
    shortcut(deepest + "too-deep.lnk", "C:\\gone.exe");
    CShortcut scanner(m_machine);
    scanner.ScanShortcuts();
    EXPECT_EQ(1, scanner.scanned());
    ASSERT_EQ(1u, scanner.missingCount());
    EXPECT_THAT(scanner.missing(0), ::testing::EndsWith("\\last-examined.lnk"));
}

// A Wine prefix's drives keep their types: C: inside the prefix is walked, a drive that
// leads out of it (as z: leads to the host's root) is not.
TEST(ShortcutWinePrefix, WalksOnlyTheDrivesInsideThePrefix) {
    test::TemporaryFolder folder;
    const fs::path prefix = folder.path() / "prefix";
    test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix);
    const fs::path outside = folder.makeFolder("host");
    folder.writeFile("host/Desktop/host.lnk", MakeShortcutBytes("Z:\\gone.exe"));
    fs::create_directory_symlink(outside, prefix / "dosdevices" / "z:");
    folder.writeFile("prefix/drive_c/users/demo/Desktop/gone.lnk", MakeShortcutBytes("C:\\gone.exe"));

    std::string error;
    auto machine = test::OpenWinePrefix(prefix, error);
    ASSERT_TRUE(machine) << error;
    EXPECT_EQ(win::DRIVE_FIXED, machine->files().GetDriveTypeA("C:\\"));
    EXPECT_EQ(win::DRIVE_REMOTE, machine->files().GetDriveTypeA("Z:\\"));
    CShortcut scanner(*machine);
    scanner.ScanShortcuts();
    EXPECT_THAT(scanner.missingList(), ::testing::Contains("C:\\users\\demo\\Desktop\\gone.lnk"));
    EXPECT_THAT(scanner.missingList(), ::testing::Each(::testing::StartsWith("C:\\")));
}

// A real fresh prefix: Wine linked the user's folders to the home folder. A dead
// shortcut there is the user's own: it is neither listed nor deleted.
TEST(ShortcutWinePrefix, NeverListsNorDeletesShortcutsInTheHostsHome) {
    test::FreshWinePrefix fresh;
    const fs::path inHome = fresh.home() / "dead.lnk";
    test::WriteFileAt(inHome, MakeShortcutBytes("C:\\gone.exe"));
    test::WriteFileAt(fresh.home() / "Old Prefix" / "drive_c" / "old.lnk", MakeShortcutBytes("C:\\gone.exe"));
    test::WriteFileAt(fresh.prefix() / "drive_c/users/Public/Desktop/gone.lnk", MakeShortcutBytes("C:\\gone.exe"));
    auto machine = fresh.open(/*withWineFonts=*/true);
    CShortcut scanner(*machine);
    scanner.ScanShortcuts();
    EXPECT_THAT(scanner.missingList(), ElementsAre("C:\\users\\Public\\Desktop\\gone.lnk"));

    // Nor may anything else delete it or change it through the link.
    ASSERT_EQ(0, chmod(inHome.c_str(), 0444));
    for (const char* user : {"C:\\users\\root\\Desktop\\dead.lnk", "C:\\users\\root\\Documents\\dead.lnk"}) {
        EXPECT_EQ(0, machine->files()._access(user, 0)) << user;
        EXPECT_FALSE(machine->files().SetFileAttributesA(user, win::FILE_ATTRIBUTE_NORMAL)) << user;
        EXPECT_FALSE(machine->files().DeleteFileA(user)) << user;
    }
    EXPECT_TRUE(fs::exists(inHome));
    EXPECT_EQ(fs::perms(0444), fs::status(inHome).permissions());
}

// A drive the user marked as a hard disk is walked even where it lies outside the
// prefix; its links are followed into its own folder (or the prefix), never elsewhere.
TEST(ShortcutWinePrefix, WalksAHardDiskOutsideThePrefixWithoutLeavingIt) {
    test::TemporaryFolder folder;
    const fs::path prefix = folder.path() / "prefix";
    test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix);
    {
        std::ofstream system(prefix / "system.reg", std::ios::binary | std::ios::app);
        system << "\n[Software\\\\Wine\\\\Drives] 1768453300\n\"d:\"=\"hd\"\n";
    }
    const fs::path disk = folder.makeFolder("disk");
    folder.writeFile("disk/Games/Old/gone.lnk", MakeShortcutBytes("D:\\gone.exe"));
    folder.writeFile("elsewhere/away.lnk", MakeShortcutBytes("D:\\gone.exe"));
    fs::create_directory_symlink("Games/Old", disk / "Shortcut to Old");
    fs::create_directory_symlink(folder.path() / "elsewhere", disk / "Elsewhere");
    fs::create_directory_symlink(disk, prefix / "dosdevices" / "d:");

    std::string error;
    auto machine = test::OpenWinePrefix(prefix, error);
    ASSERT_TRUE(machine) << error;
    ASSERT_EQ(win::DRIVE_FIXED, machine->files().GetDriveTypeA("D:\\"));
    CShortcut scanner(*machine);
    scanner.ScanShortcuts();
    std::vector<std::string> onD;
    for (const auto& path : scanner.missingList()) {
        if (path.starts_with("D:")) onD.push_back(path);
    }
    // One folder, reached by its name or by the link to it, walked once.
    EXPECT_THAT(onD, ElementsAre(::testing::AnyOf("D:\\Games\\Old\\gone.lnk", "D:\\Shortcut to Old\\gone.lnk")));
}

}  // namespace
}  // namespace brindle
