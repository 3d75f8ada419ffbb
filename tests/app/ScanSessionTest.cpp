// The scan and repair bodies: a stale registry is read again before a scan, a stop is
// honoured between steps, and shortcut files go only after the registry is saved.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/ScanSession.h"
#include "demo/LnkWriter.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

class ScanSessionTest : public ::testing::Test {
protected:
    ScanSessionTest() {
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone",
                          "C:\\gone\\gone.exe");
        session.categories.setState(ScanCategory::STARTUP, ScanSelection::kSelected);
    }

    void signalStop() { SetEvent(machine.events().CreateEventA(kStopScanEventName)); }

    test::WorkflowTestMachine machine;
    ScanSession session{machine};
};

TEST_F(ScanSessionTest, ScanReadsAChangedRegistryAgainFirst) {
    const ScanResult result = session.RunScan();
    EXPECT_EQ(result.end, ScanEnd::Completed);
    EXPECT_EQ(machine.reloads, 1);
    EXPECT_EQ(session.engine.problemCount(), 1u);

    machine.reloadError = "system.reg:12: bad line";
    const ScanResult failed = session.RunScan();
    EXPECT_EQ(failed.end, ScanEnd::ReloadFailed);
    EXPECT_EQ(failed.error, "system.reg:12: bad line");
    EXPECT_TRUE(session.summaries.empty());
}

TEST_F(ScanSessionTest, AStopBeforeTheRepairLeavesEverythingAsItWas) {
    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);
    signalStop();
    const FixResult result = session.RunFix("FixedOnTest.xml");
    EXPECT_EQ(result.end, FixEnd::Stopped);
    EXPECT_FALSE(result.registrySaved);
    EXPECT_EQ(machine.saves, 0);
    EXPECT_FALSE(fs::exists("FixedOnTest.xml"));
}

TEST_F(ScanSessionTest, ShortcutsAreDeletedOnlyAfterTheRegistryIsSaved) {
    session.categories.setState(ScanCategory::SHORTCUTS, ScanSelection::kSelected);
    machine.addFile("C:\\users\\gone.lnk", MakeShortcutBytes("C:\\gone\\app.exe"));
    const fs::path shortcut = machine.driveC().path() / "users" / "gone.lnk";
    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);
    ASSERT_EQ(session.shortcutScanner.missingCount(), 1u);

    machine.saveError = "a wineserver is running";
    const FixResult refused = session.RunFix("FixedOnTest.xml");
    EXPECT_EQ(refused.end, FixEnd::SaveFailed);
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_EQ(machine.discards, 1);

    machine.saveError.clear();
    session.shortcutScanner.setBackedUp(CollectShortcutBackup(machine, session.shortcutScanner.missingList()).entries);
    const FixResult saved = session.RunFix("FixedOnTest.xml");
    EXPECT_EQ(saved.end, FixEnd::Repaired);
    EXPECT_FALSE(fs::exists(shortcut));
}

TEST_F(ScanSessionTest, AShortcutOnTheIgnoreListIsNotListedAgain) {
    session.categories.setState(ScanCategory::SHORTCUTS, ScanSelection::kSelected);
    machine.addFile("C:\\users\\kept.lnk", MakeShortcutBytes("C:\\gone\\kept.exe"));
    machine.addFile("C:\\users\\gone.lnk", MakeShortcutBytes("C:\\gone\\app.exe"));
    machine.writeIgnoreList("C:\\users\\kept.lnk\r\n");

    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);

    EXPECT_EQ(session.shortcutScanner.missingList(), std::vector<std::string>{"C:\\users\\gone.lnk"});
    EXPECT_EQ(session.shortcutScanner.scanned(), 2);
}

}  // namespace
}  // namespace brindle
