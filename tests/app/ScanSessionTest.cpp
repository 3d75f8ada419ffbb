// The scan and repair bodies: a stale registry is read again before a scan, a stop is
// honoured between steps, and shortcut files go only after the registry is saved.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

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
        session.selectCategory(ScanCategory::STARTUP);
    }

    void signalStop() { SetEvent(machine.events().CreateEventA(kStopScanEventName)); }

    test::WorkflowTestMachine machine;
    ScanSession session{machine, machine.workFolder().path()};
};

TEST_F(ScanSessionTest, ScanReadsAChangedRegistryAgainFirst) {
    const ScanResult result = session.RunScan();
    EXPECT_EQ(result.end, ScanEnd::Completed);
    EXPECT_EQ(machine.reloads, 1);
    EXPECT_EQ(session.engine().problemCount(), 1u);

    machine.reloadError = "system.reg:12: bad line";
    const ScanResult failed = session.RunScan();
    EXPECT_EQ(failed.end, ScanEnd::ReloadFailed);
    EXPECT_EQ(failed.error, "system.reg:12: bad line");
    EXPECT_TRUE(session.summaryRows().empty());
}

// The scan driver resets the stop event when it starts; a stop asked for after the job
// began but before that reset (here: while the registry files are read again) must
// still stop it, from this thread or another.
TEST_F(ScanSessionTest, AStopAskedForBeforeTheDriverStartsIsNotForgotten) {
    machine.duringReload = [&] { session.requestStop(); };
    EXPECT_EQ(session.RunScan().end, ScanEnd::Stopped);
    EXPECT_EQ(session.engine().problemCount(), 0u);

    // Until the owner clears it before the next job, the request stands.
    machine.duringReload = nullptr;
    EXPECT_EQ(session.RunScan().end, ScanEnd::Stopped);
    session.clearStop();
    EXPECT_EQ(session.RunScan().end, ScanEnd::Completed);
    EXPECT_EQ(session.engine().problemCount(), 1u);

    machine.duringReload = [&] { std::thread([&] { session.requestStop(); }).join(); };
    session.clearStop();
    EXPECT_EQ(session.RunScan().end, ScanEnd::Stopped);
}

// A scan stopped from another thread at any moment ends, as stopped or completed, and
// never runs on unseen: the thread-sanitizer run watches this one.
TEST_F(ScanSessionTest, AStopFromAnotherThreadEndsTheScanWhereverItLands) {
    for (int i = 0; i < 200; ++i) {
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          "Gone" + std::to_string(i), "C:\\gone\\gone" + std::to_string(i) + ".exe");
    }
    for (int round = 0; round < 20; ++round) {
        session.clearStop();
        std::thread stopper([&, round] {
            std::this_thread::sleep_for(std::chrono::microseconds(round * 50));
            session.requestStop();
        });
        const ScanResult result = session.RunScan();
        stopper.join();
        EXPECT_TRUE(result.end == ScanEnd::Stopped || result.end == ScanEnd::Completed);
        if (result.end == ScanEnd::Completed) {
            EXPECT_EQ(session.engine().problemCount(), 201u);
        }
    }
}

// An exception inside a job is the job's failure, not the end of its thread: a scan says
// so, and a repair that broke off before its save drops what it deleted in memory.
TEST_F(ScanSessionTest, AnErrorInsideAJobIsReportedAsItsFailure) {
    machine.duringReload = [] { throw std::runtime_error("the disk went away"); };
    const ScanResult scan = session.RunScan();
    EXPECT_EQ(scan.end, ScanEnd::Failed);
    EXPECT_EQ(scan.error, "the scan failed: the disk went away");

    machine.duringReload = nullptr;
    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);
    session.setProgressSink([](const ProgressEvent& event) {
        if (event.phase == ProgressPhase::Fixing) throw std::bad_alloc();
    });
    const FixResult fix = session.RunFix("FixedOnTest.xml");
    EXPECT_EQ(fix.end, FixEnd::Failed);
    EXPECT_EQ(fix.error.rfind("the repair failed: ", 0), 0u) << fix.error;
    EXPECT_FALSE(fix.registrySaved);
    EXPECT_EQ(machine.saves, 0);
    EXPECT_EQ(machine.discards, 1);
    for (const auto& row : session.summaryRows()) EXPECT_EQ(row.fixed, 0) << row.title;
}

// The scan's result is a value of its own: the repair that follows, which empties the
// entries the user kept in its working list, leaves it as the scan found it.
TEST_F(ScanSessionTest, TheScansResultIsItsOwnAndTheRepairLeavesItAlone) {
    const ScanResult scan = session.RunScan();
    ASSERT_EQ(scan.problems.size(), 1u);
    const std::string keyPath = scan.problems[0].keyPath();
    session.engine().problems()[0]->setKeyPath("");
    ASSERT_EQ(session.RunFix("FixedOnTest.xml").end, FixEnd::Repaired);
    EXPECT_EQ(scan.problems[0].keyPath(), keyPath);
    EXPECT_EQ(scan.summaries.size(), 1u);
    EXPECT_FALSE(scan.shortcuts);
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
    session.selectCategory(ScanCategory::SHORTCUTS);
    machine.addFile("C:\\users\\gone.lnk", MakeShortcutBytes("C:\\gone\\app.exe"));
    const fs::path shortcut = machine.driveC().path() / "users" / "gone.lnk";
    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);
    ASSERT_EQ(session.shortcutScanner().missingCount(), 1u);

    machine.saveError = "a wineserver is running";
    const FixResult refused = session.RunFix("FixedOnTest.xml");
    EXPECT_EQ(refused.end, FixEnd::SaveFailed);
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_EQ(machine.discards, 1);

    machine.saveError.clear();
    session.shortcutScanner().setBackedUp(CollectShortcutBackup(machine, session.shortcutScanner().missingList()).entries);
    const FixResult saved = session.RunFix("FixedOnTest.xml");
    EXPECT_EQ(saved.end, FixEnd::Repaired);
    EXPECT_FALSE(fs::exists(shortcut));
}

TEST_F(ScanSessionTest, AShortcutOnTheIgnoreListIsNotListedAgain) {
    session.selectCategory(ScanCategory::SHORTCUTS);
    machine.addFile("C:\\users\\kept.lnk", MakeShortcutBytes("C:\\gone\\kept.exe"));
    machine.addFile("C:\\users\\gone.lnk", MakeShortcutBytes("C:\\gone\\app.exe"));
    machine.writeIgnoreList("C:\\users\\kept.lnk\r\n");

    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);

    EXPECT_EQ(session.shortcutScanner().missingList(), std::vector<std::string>{"C:\\users\\gone.lnk"});
    EXPECT_EQ(session.shortcutScanner().scanned(), 2);
}

}  // namespace
}  // namespace brindle
