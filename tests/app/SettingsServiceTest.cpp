// The window's typed settings calls: each change reaches the prefix's files in the one
// call, or is kept while another run holds them; what a call answers is what the next
// run reads.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/workflow/SettingsService.h"
#include "registry/SettingsStore.h"
#include "support/FreshWinePrefix.h"
#include "platform/ExclusiveLock.h"

namespace brindle {
namespace {

class SettingsServiceTest : public ::testing::Test {
protected:
    std::unique_ptr<WinePrefixMachine> reopened() const { return fresh.open(false); }

    test::FreshWinePrefix fresh;
    std::unique_ptr<WinePrefixMachine> machine = fresh.open(false);
    SettingsKeeper keeper{*machine, fresh.prefix() / kPrefixLockFile};
    InProgramSchedule schedule{[] { return std::int64_t{1'800'000'000}; }};
    SettingsService service{*machine, keeper, schedule};
};

struct SettingCase {
    const char* name;
    std::function<Status(SettingsService&)> change;
    // What the next run reads, from the prefix's files.
    std::function<bool(WinePrefixMachine&)> onDisk;
};

const SettingCase kCases[] = {
    {"FlagOn", [](SettingsService& s) { return s.setFlag(setting::kAutoScan, true); },
     [](WinePrefixMachine& m) {
         return SettingsStore(m.registry()).LoadFlagSetting(kSettingsKey, setting::kAutoScan) == true;
     }},
    {"FlagOff",
     [](SettingsService& s) {
         if (Status on = s.setFlag(setting::kAutoScan, true); !on) return on;
         return s.setFlag(setting::kAutoScan, false);
     },
     [](WinePrefixMachine& m) {
         return !SettingsStore(m.registry()).LoadFlagSetting(kSettingsKey, setting::kAutoScan).value_or(false);
     }},
    {"StartupOn", [](SettingsService& s) { return s.setStartup("\"C:\\Program Files\\Brindle\\brindle.exe\""); },
     [](WinePrefixMachine& m) { return SettingsStore(m.registry()).StartsWithWindows(); }},
    {"StartupOff",
     [](SettingsService& s) {
         if (Status on = s.setStartup("C:\\brindle.exe"); !on) return on;
         return s.setStartup(std::nullopt);
     },
     [](WinePrefixMachine& m) { return !SettingsStore(m.registry()).StartsWithWindows(); }},
    {"BackupCount", [](SettingsService& s) { return s.setBackupCount("7"); },
     [](WinePrefixMachine& m) {
         return SettingsStore(m.registry()).LoadTextSetting(kSettingsKey, setting::kSaveCountReg) == "7";
     }},
    {"AutomaticScan",
     [](SettingsService& s) -> Status {
         const Result<bool> on = s.toggleAutomaticScan();
         if (!on) return on.error();
         if (!on.value()) return Error("the switch answered off");
         return {};
     },
     [](WinePrefixMachine& m) {
         return SettingsStore(m.registry()).LoadFlagSetting(kSettingsKey, setting::kEnableScan) == true;
     }},
};

class SettingsServiceCaseTest : public SettingsServiceTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(SettingsServiceCaseTest, OneCallWritesTheChangeToThePrefix) {
    ASSERT_EQ(GetParam().change(service).message(), "");
    EXPECT_FALSE(service.pending());
    EXPECT_TRUE(GetParam().onDisk(*reopened()));
}

TEST_P(SettingsServiceCaseTest, WhileAnotherRunHoldsThePrefixTheChangeIsKeptAndWrittenAfter) {
    {
        auto other = ExclusiveLock::TryAcquire(fresh.prefix() / kPrefixLockFile, "another Brindle");
        ASSERT_TRUE(other.ok()) << other.message();
        // Not a failure the user must act on: the change is made and kept.
        ASSERT_EQ(GetParam().change(service).message(), "");
        EXPECT_TRUE(service.pending());
        EXPECT_NE(service.lastError(), "");
    }
    ASSERT_EQ(service.flush().message(), "");
    EXPECT_FALSE(service.pending());
    EXPECT_TRUE(GetParam().onDisk(*reopened()));
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsServiceCaseTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsServiceTest, AnOptionPressedWhileTheAutomaticScanIsOffChangesNothing) {
    ScheduleOptions options;
    const Result<bool> changed = service.pressScheduleOption(ScheduleOption::Month, options);
    ASSERT_TRUE(changed.ok()) << changed.message();
    EXPECT_FALSE(changed.value());
    EXPECT_FALSE(options.month);
    EXPECT_FALSE(service.pending());
}

}  // namespace
}  // namespace brindle
