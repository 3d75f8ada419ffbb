#include "registry/WholeRegistryBackup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "support/TestMachine.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace std::chrono_literals;
using test::TestMachine;
namespace fs = std::filesystem;

BackupClock FixedClock(BackupTime time) {
    return [time] { return time; };
}

constexpr BackupTime kTime{2024, 1, 2, 3, 4, 5};
constexpr const char* kTimeName = "2024-01-02_03-04-05.reg";

class WholeRegistryBackupTest : public ::testing::Test {
protected:
    fs::path work() const { return machine.workFolder().path(); }
    fs::path folder() const { return work() / kBackupFolderName; }
    fs::path workingFile() const { return work() / kWorkingBackupFileName; }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        std::error_code error;
        for (fs::directory_iterator it(folder(), error), end; !error && it != end; it.increment(error))
            result.push_back(it->path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }
    BackupResult backUp(WorkingFileExporter exporter, std::chrono::milliseconds limit = 10min) {
        WholeRegistryBackupOptions options;
        options.movePause = 5ms;
        options.moveLimit = limit;
        options.exporter = std::move(exporter);
        return BackupRegistry(machine.registry(), work(), FixedClock(kTime), options);
    }

    TestMachine machine;
};

TEST_F(WholeRegistryBackupTest, TheExportOfTheMachineBranchBecomesTheTimeStampedBackup) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Vendor", "Path", "C:\\app");
    const std::size_t handles = machine.memoryRegistry().openHandleCount();
    const BackupResult result = BackupRegistry(machine.registry(), work(), FixedClock(kTime));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(result.file, folder() / kTimeName);
    EXPECT_EQ(names(), std::vector<std::string>{kTimeName});
    const std::string text = test::ReadFileAt(result.file);
    EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n\"Path\"=\"C:\\\\app\"\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(workingFile()));
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), handles);
}

TEST_F(WholeRegistryBackupTest, AFileThatAppearsLateIsWaitedFor) {
    const BackupResult result = backUp([](Registry&, const fs::path& file, const std::atomic<bool>&) {
        std::this_thread::sleep_for(100ms);
        return WriteFileAtomically(file, "REGEDIT4\r\n\r\nlate\r\n");
    });
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(test::ReadFileAt(result.file), "REGEDIT4\r\n\r\nlate\r\n");
}

TEST_F(WholeRegistryBackupTest, AWorkingFileLeftFromBeforeIsNeverTakenForTheBackup) {
    std::ofstream(workingFile(), std::ios::binary) << "stale";
    const BackupResult result = backUp([](Registry&, const fs::path& file, const std::atomic<bool>&) {
        std::this_thread::sleep_for(50ms);
        return WriteFileAtomically(file, "fresh");
    });
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(test::ReadFileAt(result.file), "fresh");
}

TEST_F(WholeRegistryBackupTest, AFailedExportFailsTheBackupAtOnceWithItsReason) {
    std::ofstream(workingFile(), std::ios::binary) << "stale";
    // The default limit is minutes: this only returns soon because the failure is seen.
    const BackupResult result =
        backUp([](Registry&, const fs::path&, const std::atomic<bool>&) { return Status(Error("disk full")); });
    EXPECT_EQ(result.outcome, BackupResult::Outcome::Failed);
    EXPECT_EQ(result.errorText(), "disk full");
    EXPECT_TRUE(names().empty());
    EXPECT_FALSE(fs::exists(workingFile()));
}

TEST_F(WholeRegistryBackupTest, AnExporterThatThrowsFailsTheBackup) {
    const BackupResult result = backUp([](Registry&, const fs::path&, const std::atomic<bool>&) -> Status {
        throw std::runtime_error("out of memory");
    });
    EXPECT_EQ(result.outcome, BackupResult::Outcome::Failed);
    EXPECT_NE(result.errorText().find("out of memory"), std::string::npos) << result.errorText();
}

TEST_F(WholeRegistryBackupTest, AnExportThatNeverEndsIsStoppedAtTheLimitAndItsFileRemoved) {
    std::atomic<bool> exporterEnded{false};
    const BackupResult result = backUp(
        [&](Registry&, const fs::path& file, const std::atomic<bool>& stop) {
            while (!stop.load()) std::this_thread::sleep_for(1ms);
            // Finishing just as the backup gives up: the file must not survive it.
            Status written = WriteFileAtomically(file, "REGEDIT4\r\n");
            exporterEnded = true;
            return written;
        },
        100ms);
    EXPECT_EQ(result.outcome, BackupResult::Outcome::Failed);
    EXPECT_EQ(result.errorText(),
              workingFile().string() + ": the export of HKEY_LOCAL_MACHINE did not finish within 100 ms");
    EXPECT_TRUE(exporterEnded.load()) << "the exporter's thread must have ended before the call returns";
    EXPECT_FALSE(fs::exists(workingFile()));
    EXPECT_TRUE(names().empty());
}

TEST_F(WholeRegistryBackupTest, AnExportThatReportsFailureAfterItsFileAppearedLeavesNoBackup) {
    const BackupResult result = backUp([](Registry&, const fs::path& file, const std::atomic<bool>&) {
        (void)WriteFileAtomically(file, "REGEDIT4\r\n");
        std::this_thread::sleep_for(50ms);
        return Status(Error("the export was cut short"));
    });
    EXPECT_EQ(result.outcome, BackupResult::Outcome::Failed);
    EXPECT_EQ(result.errorText(), "the export was cut short");
    EXPECT_TRUE(names().empty());
    EXPECT_FALSE(fs::exists(workingFile()));
}

// A backup of the same second, there before the export or arriving during it, keeps its
// bytes; this one takes the next free name of that second.
TEST_F(WholeRegistryBackupTest, ABackupOfTheSameNameIsNeverReplacedAndTheNextNameIsTaken) {
    const fs::path second = BackupFileName(kTime, 2);
    const fs::path third = BackupFileName(kTime, 3);
    const struct {
        const char* what;
        bool before;  // the same-second backup is there before the export, else arrives during it
        bool secondAppearsDuringExport;
        fs::path expected;
    } cases[] = {
        {"there before", true, false, second},
        {"arriving during the export", false, false, second},
        {"there before, its _2 arriving during the export", true, true, third},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder());
        fs::create_directories(folder());
        if (c.before) std::ofstream(folder() / kTimeName, std::ios::binary) << "first";
        const BackupResult result = backUp([&](Registry&, const fs::path& file, const std::atomic<bool>&) {
            if (!c.before) std::ofstream(folder() / kTimeName, std::ios::binary) << "first";
            if (c.secondAppearsDuringExport) std::ofstream(folder() / second, std::ios::binary) << "other";
            return WriteFileAtomically(file, "this one");
        });
        ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << c.what << ": " << result.errorText();
        const fs::path expected = folder() / c.expected;
        EXPECT_EQ(result.file, expected) << c.what;
        EXPECT_EQ(test::ReadFileAt(folder() / kTimeName), "first") << c.what;
        if (c.secondAppearsDuringExport) {
            EXPECT_EQ(test::ReadFileAt(folder() / second), "other") << c.what;
        }
        EXPECT_EQ(test::ReadFileAt(expected), "this one") << c.what;
        EXPECT_FALSE(fs::exists(workingFile())) << c.what;
    }
}

TEST_F(WholeRegistryBackupTest, KeepsTheFiveNewest) {
    fs::create_directories(folder());
    for (int day = 1; day <= 7; ++day)
        std::ofstream(folder() / BackupFileName({2023, 5, day, 0, 0, 0}), std::ios::binary) << "old";
    const BackupResult result =
        backUp([](Registry&, const fs::path& file, const std::atomic<bool>&) { return WriteFileAtomically(file, "new"); });
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(names(), (std::vector<std::string>{"2023-05-04_00-00-00.reg", "2023-05-05_00-00-00.reg",
                                                 "2023-05-06_00-00-00.reg", "2023-05-07_00-00-00.reg", kTimeName}));
}

}  // namespace
}  // namespace brindle
