// The summary screens' repair: the whole-registry export is the backup, and without it
// nothing is removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/SummaryFix.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

const BackupClock kClock = [] { return BackupTime{2026, 12, 8, 16, 0, 0}; };
constexpr const char* kRunKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SummaryFixTest : public ::testing::Test {
protected:
    SummaryFixTest() {
        machine.setString(kRunKey, "Gone", "C:\\gone\\gone.exe");
        session.selectCategory(ScanCategory::STARTUP);
        EXPECT_EQ(session.RunScan().end, ScanEnd::Completed);
        EXPECT_EQ(session.engine().problemCount(), 1u);
    }

    test::WorkflowTestMachine machine;
    ScanSession session{machine, machine.workFolder().path()};
};

TEST_F(SummaryFixTest, ExportsTheWholeMachineKeyThenRemovesEverythingListed) {
    const FixReport report = SummaryFix(session, "FixedOnSummary.xml", kClock);

    ASSERT_EQ(report.outcome, FixReport::Outcome::Removed) << report.errorText();
    EXPECT_FALSE(machine.valueExists(kRunKey, "Gone"));
    EXPECT_EQ(machine.saves, 1);
    ASSERT_EQ(report.backup.outcome, BackupResult::Outcome::Written);
    std::ifstream in(report.backup.file, std::ios::binary);
    std::string head(8, '\0');
    in.read(head.data(), 8);
    EXPECT_EQ(head, "REGEDIT4");
    EXPECT_FALSE(fs::exists(machine.workFolder().path() / "1.reg"));
}

TEST_F(SummaryFixTest, AFailedExportRemovesNothing) {
    WholeRegistryBackupOptions options;
    options.exporter = [](Registry&, const fs::path&, const std::atomic<bool>&) {
        return Status(Error("disk full"));
    };

    const FixReport report = SummaryFix(session, "FixedOnSummary.xml", kClock, options);

    EXPECT_EQ(report.outcome, FixReport::Outcome::BackupFailed);
    EXPECT_NE(report.errorText().find("disk full"), std::string::npos) << report.errorText();
    EXPECT_TRUE(machine.valueExists(kRunKey, "Gone"));
    EXPECT_EQ(machine.saves, 0);
}

}  // namespace
}  // namespace brindle
