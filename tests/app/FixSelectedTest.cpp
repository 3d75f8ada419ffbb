// Removing what the user left ticked: the ignore list, the backup before any deletion,
// the save that makes the repair real, and every way the chain can stop short.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/FixSelected.h"
#include "registry/BackupFile.h"
#include "support/RegistryDump.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

const BackupClock kClock = [] { return BackupTime{2026, 12, 8, 15, 0, 0}; };
constexpr const char* kSnapshot = "FixedOnTest.xml";
constexpr const char* kRunKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class FixSelectedTest : public ::testing::Test {
protected:
    FixSelectedTest() {
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone",
                          "C:\\gone\\gone.exe");
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kept",
                          "C:\\kept\\kept.exe");
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}\\InprocServer32", "",
                          "C:\\gone\\server.dll");
        addProblem("Startup", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKindValue,
                   "Gone", "C:\\gone\\gone.exe");
        addProblem("Startup", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKindValue,
                   "Kept", "C:\\kept\\kept.exe");
        addProblem("CLSID", "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}", kKindKey, "(Default)",
                   "C:\\gone\\server.dll");
        session.summaryRows() = {{"Invalid CLSID", 1, 1, 0}, {"Invalid Startup Entries", 2, 2, 0}};
    }

    void addProblem(const char* tag, const char* keyPath, const char* kind, const char* valueName, const char* file) {
        auto problem = std::make_unique<ProblemRecord>();
        problem->setTag(tag);
        problem->setKeyPath(keyPath);
        problem->setKind(kind);
        problem->setValue(RegistryValue{valueName, file, win::REG_SZ});
        problem->setFilePath(file);
        session.engine().problems().push_back(std::move(problem));
    }

    std::string hklm() { return test::DumpRegistry(machine.registry(), win::HKEY_LOCAL_MACHINE); }
    fs::path backupFolder() const { return machine.workFolder().path() / kBackupFolderName; }

    test::WorkflowTestMachine machine;
    ScanSession session{machine, machine.workFolder().path()};
    // Rows: Gone, Kept (unticked), the class key.
    FixSelection keepSecond{{true, false, true}, {}};
};

// The list holds one path a line: a kept path with a line break cannot go on it, so it is
// left in place with a warning, never split into two entries that keep nothing.
TEST_F(FixSelectedTest, AKeptPathWithALineBreakIsLeftInPlaceButNotListed) {
    for (const char* brokenPath : {"C:\\kept\nC:\\gone\\gone.exe", "C:\\kept\r\nx.exe"}) {
        machine.setString(kRunKey, "Kept", brokenPath);
        session.engine().problems()[1]->setFilePath(brokenPath);
        session.engine().problems()[1]->setKeyPath(kRunKey);
        const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);
        EXPECT_TRUE(machine.valueExists(kRunKey, "Kept")) << brokenPath;
        EXPECT_EQ(machine.readIgnoreList(), "") << brokenPath;
        EXPECT_NE(report.ignoreListError.find("as its path has a line break"), std::string::npos)
            << report.ignoreListError;
    }
}

// The steps a window shows: the backup, then the repair, whose own progress follows.
TEST_F(FixSelectedTest, ProgressTellsTheBackupThenTheRepairAndItsPasses) {
    std::vector<ProgressEvent> events;
    session.setProgressSink([&](const ProgressEvent& event) { events.push_back(event); });
    ASSERT_EQ(FixSelected(session, keepSecond, kSnapshot, kClock).outcome, FixReport::Outcome::Removed);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].phase, ProgressPhase::Backup);
    EXPECT_EQ(events[0].title, kBackupInProgressText);
    EXPECT_EQ(events[1].phase, ProgressPhase::Fixing);
    EXPECT_EQ(events[1].title, kFixingErrorsText);
    for (std::size_t i = 2; i < events.size(); ++i) EXPECT_EQ(events[i].phase, ProgressPhase::Fixing) << events[i].title;
}

TEST_F(FixSelectedTest, RemovesTickedRowsKeepsUntickedOnesAndBacksUpFirst) {
    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);

    ASSERT_EQ(report.outcome, FixReport::Outcome::Removed) << report.errorText();
    EXPECT_FALSE(machine.valueExists(kRunKey, "Gone"));
    EXPECT_TRUE(machine.valueExists(kRunKey, "Kept"));
    EXPECT_FALSE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}"));
    EXPECT_EQ(machine.saves, 1);
    EXPECT_EQ(machine.readIgnoreList(), "C:\\kept\\kept.exe\r\n");
    EXPECT_EQ(session.engine().problem(1).keyPath(), "") << "an unticked row keeps its place, emptied";
    EXPECT_EQ(session.summaryRows()[0].fixed, 1);
    EXPECT_EQ(session.summaryRows()[1].fixed, 1);
    EXPECT_FALSE(fs::exists(machine.workFolder().path() / kSnapshot)) << "the snapshot lives only while repairing";

    // The backup holds exactly the two ticked problems: the value and the whole class key.
    ASSERT_EQ(report.backup.outcome, BackupResult::Outcome::Written);
    EXPECT_EQ(report.backup.file, backupFolder() / "2026-12-08_15-00-00.reg");
    const DecodedBackup backup = ReadBackupFile(report.backup.file);
    ASSERT_TRUE(backup.ok()) << backup.message();
    const std::vector<BackupRecord>& records = backup.value();
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[0].content.values.size(), 1u);
    EXPECT_EQ(records[0].content.values[0].name, "Gone");
    EXPECT_EQ(records[1].path, "Software\\Classes\\CLSID\\{1}");
    EXPECT_EQ(records[1].content.subKeys.size(), 1u);
}

TEST_F(FixSelectedTest, EverythingUntickedDeletesNothingAndWritesNoBackup) {
    const std::string before = hklm();
    const FixReport report = FixSelected(session, FixSelection{{false, false, false}, {}}, kSnapshot, kClock);

    EXPECT_EQ(report.outcome, FixReport::Outcome::Removed);
    EXPECT_EQ(report.backup.outcome, BackupResult::Outcome::NothingToBackUp);
    EXPECT_EQ(hklm(), before);
    EXPECT_FALSE(fs::exists(backupFolder()));
    EXPECT_EQ(machine.readIgnoreList(), "C:\\gone\\gone.exe\r\nC:\\kept\\kept.exe\r\nC:\\gone\\server.dll\r\n");
}

TEST_F(FixSelectedTest, ABackupThatCannotBeWrittenStopsEverythingBeforeTheFirstDeletion) {
    // A file where the backup folder should be.
    std::ofstream(backupFolder()) << "in the way";
    const std::string before = hklm();

    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);

    EXPECT_EQ(report.outcome, FixReport::Outcome::BackupFailed);
    EXPECT_NE(report.errorText().find(kBackupFolderName), std::string::npos) << report.errorText();
    EXPECT_EQ(hklm(), before);
    EXPECT_EQ(machine.saves, 0);
    EXPECT_FALSE(fs::exists(machine.workFolder().path() / kSnapshot));
}

TEST_F(FixSelectedTest, ARefusedSaveIsReportedAsFailureAndDropsTheInMemoryRepair) {
    machine.saveError = "a wineserver is running";
    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);

    EXPECT_EQ(report.outcome, FixReport::Outcome::SaveFailed);
    EXPECT_NE(report.errorText().find("a wineserver is running"), std::string::npos);
    EXPECT_NE(report.errorText().find("nothing was removed"), std::string::npos);
    EXPECT_FALSE(report.registrySaved);
    EXPECT_EQ(machine.discards, 1);
    for (const auto& row : session.summaryRows()) EXPECT_EQ(row.fixed, 0) << row.title;
}

// A repair refused because Wine holds the files writes nothing: no backup (repeated
// attempts would push real backups out of the five kept), no ignore list.
TEST_F(FixSelectedTest, ARepairThatCannotBeSavedWritesNoBackup) {
    machine.writableError = "a wineserver runs for the prefix";
    const std::string before = hklm();
    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);
    EXPECT_EQ(report.outcome, FixReport::Outcome::SaveFailed);
    EXPECT_EQ(report.errorText(), "a wineserver runs for the prefix; nothing was removed and no backup was written");
    EXPECT_FALSE(fs::exists(backupFolder()));
    EXPECT_EQ(machine.readIgnoreList(), "");
    EXPECT_EQ(hklm(), before);
    EXPECT_EQ(machine.saves, 0);
}

TEST_F(FixSelectedTest, RegistryFilesChangedSinceTheScanRefuseTheRepairUntouched) {
    machine.changedOnDisk = true;
    const std::string before = hklm();

    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);

    EXPECT_EQ(report.outcome, FixReport::Outcome::ChangedOnDisk);
    EXPECT_EQ(hklm(), before);
    EXPECT_EQ(machine.readIgnoreList(), "") << "the choice is made again after the next scan";
    EXPECT_FALSE(fs::exists(backupFolder()));
    EXPECT_EQ(session.engine().problem(1).keyPath(), "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

TEST_F(FixSelectedTest, AProblemThatTheBackupCannotHoldWholeStaysInPlace) {
    // Data beyond what a backup record may hold: deleting the key would lose it for good.
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}", "Blob", win::REG_BINARY,
                     std::string(20000, 'x'));

    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);

    // Not "removed": something the user ticked is still there.
    ASSERT_EQ(report.outcome, FixReport::Outcome::Partial) << report.errorText();
    EXPECT_EQ(report.errorText(), "1 registry entries were left in place; the rest of the repair is done");
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}"));
    ASSERT_EQ(report.keptUnbackedUp.size(), 1u);
    EXPECT_NE(report.keptUnbackedUp[0].find("CLSID\\{1}"), std::string::npos);
    ASSERT_EQ(report.leftUndone.size(), 1u);
    EXPECT_NE(report.leftUndone[0].find("its backup would be incomplete"), std::string::npos);
    EXPECT_FALSE(machine.valueExists(kRunKey, "Gone")) << "the rest is still repaired";
}

// What the window says at the end of a repair: "removed" only when something was, the
// partial outcome in brindle-cli's words, and the counts and the backup in every case.
TEST_F(FixSelectedTest, TheSummaryTellsWhatWasRemovedKeptAndLeftAndWhereTheBackupIs) {
    const struct {
        const char* what;
        FixSelection selection;
        bool blob;  // the class key holds more than a backup may: it stays
        const char* firstLine;
        std::vector<std::string> lines;    // each found in the text
        std::vector<std::string> absent;   // none found
    } cases[] = {
        {"nothing ticked", {{false, false, false}, {}}, false, kNothingTickedMessage,
         {"Kept: 3 unticked rows, added to the ignore list."},
         {kItemsRemovedMessage, "Removed:", "Backup:"}},
        {"one kept", keepSecond, false, kItemsRemovedMessage,
         {"Removed: 2 registry entries and 0 shortcut files.", "Kept: 1 unticked row, added to the ignore list.",
          "Backup: " + (backupFolder() / "2026-12-08_15-00-00.reg").string()},
         {}},
        {"one left in place", keepSecond, true, "1 registry entries were left in place; the rest of the repair is done",
         {"Removed: 1 registry entry and 0 shortcut files.", "Kept: 1 unticked row", "its backup would be incomplete",
          "Backup: "},
         {kItemsRemovedMessage}},
    };
    for (const auto& c : cases) {
        // Each case repairs the fixture's problems anew; the backups of earlier cases go.
        fs::remove_all(backupFolder());
        fs::remove(machine.workFolder().path() / kIgnoreListFile);
        for (const char* name : {"Gone", "Kept"}) machine.setString(kRunKey, name, std::string("C:\\") + name);
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}\\InprocServer32", "", "C:\\gone\\server.dll");
        if (c.blob) {
            machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}", "Blob", win::REG_BINARY,
                             std::string(20000, 'x'));
        }
        for (std::size_t i = 0; i < session.engine().problems().size(); ++i) {
            session.engine().problems()[i]->setKeyPath(i == 2 ? "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}"
                                                           : kRunKey);
        }
        const FixReport report = FixSelected(session, c.selection, kSnapshot, kClock);
        const std::string text =
            FixSummaryText(report, CountChosenRows(c.selection.problemTicked, c.selection.shortcutTicked));
        EXPECT_EQ(text.substr(0, text.find('\n')), c.firstLine) << c.what << "\n" << text;
        for (const std::string& line : c.lines) EXPECT_NE(text.find(line), std::string::npos) << c.what << "\n" << text;
        for (const std::string& line : c.absent) EXPECT_EQ(text.find(line), std::string::npos) << c.what << "\n" << text;
    }
}

TEST(FixSummaryText, AnEmptyListOrAFailureNeverSaysRemoved) {
    FixReport nothingListed;
    EXPECT_EQ(FixSummaryText(nothingListed, {}), kNothingListedMessage);

    FixReport failed;
    failed.fail(FixOutcome::BackupFailed, "the backup could not be written, so nothing was removed: disk full");
    const std::string text = FixSummaryText(failed, ChosenRows{2, 1, 1});
    EXPECT_EQ(text, failed.errorText()) << "no counts of a repair that did not run";
}

// The snapshot's name is predictable: a link planted there is left alone, and so is
// the file it points to.
TEST_F(FixSelectedTest, ALinkPlantedAtTheSnapshotNameIsNotFollowed) {
    const fs::path target = machine.workFolder().path() / "user's file";
    std::ofstream(target) << "keep me";
    fs::create_symlink(target, machine.workFolder().path() / kSnapshot);

    const FixReport report = FixSelected(session, keepSecond, kSnapshot, kClock);

    ASSERT_EQ(report.outcome, FixReport::Outcome::Removed) << report.errorText();
    EXPECT_FALSE(machine.valueExists(kRunKey, "Gone"));
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "keep me");
    EXPECT_TRUE(fs::is_symlink(machine.workFolder().path() / kSnapshot));
}

}  // namespace
}  // namespace brindle
