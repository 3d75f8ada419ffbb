// The main screen's restore: which file it takes, what it refuses, and that a restore
// that cannot be saved is not reported as done.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <fstream>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/RestoreLatestBackup.h"
#include "registry/BackupFile.h"
#include "registry/BackupFolder.h"
#include "registry/BackupOrigin.h"
#include "support/RegistryDump.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

class RestoreLatestBackupTest : public ::testing::Test {
protected:
    fs::path folder() const { return machine.workFolder().path() / kBackupFolderName; }

    // One record that sets HKLM\Software\Restored "name" = data, taken from the prefix
    // `origin` (the machine's own unless told; none for a backup of an earlier version).
    fs::path writeBackup(const std::string& fileName, const std::string& data,
                         std::optional<std::string> origin = kOwnPrefix) {
        BackupRecord record;
        record.root = win::HKEY_LOCAL_MACHINE;
        record.path = "Software\\Restored";
        record.content.values.push_back(BackupValue{"name", win::REG_SZ, data});
        fs::create_directories(folder());
        const fs::path file = folder() / fileName;
        EXPECT_EQ(WriteBackupFile(file, {record}).message(), "");
        if (origin) {
            EXPECT_EQ(WriteBackupOriginBeside(file, *origin).message(), "");
        }
        return file;
    }

    static constexpr const char* kOwnPrefix = "/home/u/.wine";

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
    EXPECT_EQ(RestoreReportText(report), "Restore Complete\n\nRestored from " + report.file.string() + ".");
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

TEST_F(RestoreLatestBackupTest, TheQuestionNamesTheNewestBackupAndWhatItHolds) {
    EXPECT_EQ(RestoreQuestion(machine.workFolder().path()), std::nullopt) << "no backup, no question";
    writeBackup("2026-01-01_00-00-00.reg", std::string("old\0", 4));
    writeBackup("2026-12-11_13-16-05.reg", std::string("new\0", 4));
    EXPECT_EQ(RestoreQuestion(machine.workFolder().path()),
              std::optional<std::string>("Restore the backup of 2026-12-11 13:16:05 (2026-12-11_13-16-05.reg)? It holds "
                                         "1 registry entry, which is written back into the prefix."));
}

TEST_F(RestoreLatestBackupTest, ABackupOfAnotherPrefixIsRefusedNamingBoth) {
    const std::string before = hklm();
    const fs::path file = writeBackup("2026-01-01_00-00-00.reg", std::string("a\0", 2), "/home/u/Games/A");

    const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());

    EXPECT_EQ(report.outcome, RestoreLatestReport::Outcome::Refused);
    for (const std::string& named : {file.string(), std::string("/home/u/Games/A"), std::string(kOwnPrefix)})
        EXPECT_NE(report.userText().find(named), std::string::npos) << report.userText();
    EXPECT_EQ(hklm(), before);
    EXPECT_EQ(machine.saves, 0);
}

TEST_F(RestoreLatestBackupTest, ABackupThatRecordsNoPrefixIsRestoredWithANotice) {
    const fs::path file = writeBackup("2026-01-01_00-00-00.reg", std::string("old\0", 4), std::nullopt);

    const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());

    ASSERT_EQ(report.outcome, RestoreLatestReport::Outcome::Restored) << report.userText();
    EXPECT_NE(report.notice.find(file.string()), std::string::npos) << report.notice;
    EXPECT_NE(report.notice.find("does not record which prefix"), std::string::npos) << report.notice;
    EXPECT_EQ(report.userText().rfind("Restore Complete", 0), 0u) << report.userText();
}

// Files someone else put in the data folder, or could change there, decide nothing.
TEST_F(RestoreLatestBackupTest, FilesThatAreNotTheUsersOwnAreRefused) {
    struct Case {
        const char* name;
        std::function<fs::path(const fs::path& backup)> spoil;  // the file it spoils
        mode_t mode;
        bool giveAway;
        const char* says;
    };
    const auto itself = [](const fs::path& backup) { return backup; };
    const auto origin = [](const fs::path& backup) { return BackupOriginPathFor(backup); };
    const Case cases[] = {
        {"backup writable by all", itself, 0666, false, "everyone may write to it"},
        {"backup writable by its group", itself, 0664, false, "its group may write to it"},
        {"record writable by all", origin, 0666, false, "everyone may write to it"},
        {"another user's backup", itself, 0644, true, "belongs to another user"},
        {"another user's record", origin, 0644, true, "belongs to another user"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder());
        const std::string before = hklm();
        const fs::path spoiled = c.spoil(writeBackup("2026-01-01_00-00-00.reg", std::string("x\0", 2)));
        ASSERT_EQ(::chmod(spoiled.c_str(), c.mode), 0);
        if (c.giveAway && ::chown(spoiled.c_str(), 65534, 65534) != 0) continue;  // only root can

        const RestoreLatestReport report = RestoreLatestBackup(machine, machine.workFolder().path());

        EXPECT_EQ(report.outcome, RestoreLatestReport::Outcome::Refused);
        EXPECT_NE(report.userText().find(spoiled.string()), std::string::npos) << report.userText();
        EXPECT_NE(report.userText().find(c.says), std::string::npos) << report.userText();
        EXPECT_EQ(hklm(), before);
    }
    EXPECT_EQ(machine.saves, 0);
}

}  // namespace
}  // namespace brindle
