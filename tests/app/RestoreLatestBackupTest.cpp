// The main screen's restore: which file it takes, what it refuses, and that a restore
// that cannot be saved is not reported as done.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/RestoreLatestBackup.h"
#include "registry/BackupFile.h"
#include "registry/BackupFolder.h"
#include "support/RegistryDump.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

class RestoreLatestBackupTest : public ::testing::Test {
protected:
    fs::path folder() const { return machine.workFolder().path() / kBackupFolderName; }

    // One record that sets HKLM\Software\Restored "name" = data.
    void writeBackup(const std::string& fileName, const std::string& data) {
        BackupRecord record;
        record.root = win::HKEY_LOCAL_MACHINE;
        record.path = "Software\\Restored";
        record.content.values.push_back(BackupValue{"name", win::REG_SZ, data});
        fs::create_directories(folder());
        ASSERT_EQ(WriteBackupFile(folder() / fileName, {record}).message(), "");
    }

    std::string hklm() { return test::DumpRegistry(machine.registry(), win::HKEY_LOCAL_MACHINE); }

    test::WorkflowTestMachine machine;
};

TEST_F(RestoreLatestBackupTest, WithoutABackupSaysWhereItLookedAndChangesNothing) {
    const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());
    EXPECT_EQ(report.outcome, RestoreLatestReport::Outcome::NoBackup);
    EXPECT_EQ(report.userText(), "Can't find any backup file in " + (folder() / "*.reg").string() + ".");
    EXPECT_EQ(machine.saves, 0);
}

TEST_F(RestoreLatestBackupTest, WritesTheNewestBackupAndSavesOnce) {
    writeBackup("2026-01-01_00-00-00.reg", std::string("old\0", 4));
    writeBackup("2026-01-02_00-00-00.reg", std::string("new\0", 4));

    const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());

    ASSERT_EQ(report.outcome, RestoreLatestReport::Outcome::Restored) << report.userText();
    EXPECT_EQ(report.userText(), "Restore Complete");
    EXPECT_FALSE(report.failed()) << "the success text is no error";
    EXPECT_EQ(report.file.filename(), "2026-01-02_00-00-00.reg");
    EXPECT_NE(hklm().find("\"name\" type 1: 6e 65 77 00"), std::string::npos) << hklm();
    EXPECT_EQ(machine.saves, 1);
}

TEST_F(RestoreLatestBackupTest, ATextExportOrACutFileIsRefusedWithoutWritingAnything) {
    const std::string before = hklm();
    for (const std::string& content : {std::string("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"),
                                      std::string("\x02\x00\x00\x80\x10\x00\x00\x00Soft", 12)}) {
        fs::create_directories(folder());
        const fs::path file = folder() / "2026-01-03_00-00-00.reg";
        {
            std::ofstream out(file, std::ios::binary);
            out << content;
        }
        const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());
        EXPECT_EQ(report.outcome, RestoreLatestReport::Outcome::Refused);
        EXPECT_NE(report.userText().find(file.string()), std::string::npos) << report.userText();
        EXPECT_NE(report.userText().find("nothing was restored"), std::string::npos) << report.userText();
        EXPECT_EQ(hklm(), before);
        EXPECT_EQ(machine.saves, 0);
    }
}

TEST_F(RestoreLatestBackupTest, ARefusedSaveIsAFailureAndDropsTheChanges) {
    writeBackup("2026-01-01_00-00-00.reg", std::string("data\0", 5));
    machine.saveError = "a wineserver is running";

    const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());

    EXPECT_EQ(report.outcome, RestoreLatestReport::Outcome::SaveFailed);
    EXPECT_NE(report.userText().find("a wineserver is running"), std::string::npos);
    EXPECT_EQ(machine.discards, 1);
}

}  // namespace
}  // namespace brindle
