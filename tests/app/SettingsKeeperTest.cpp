// The window's settings reach the disk however long the prefix refuses to be written, and
// whatever replaces the registry in memory meanwhile: a refused save keeps them, a reload
// or a discard does not take them, a deletion stays a deletion, and what Wine wrote in
// between is kept.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/SettingsKeeper.h"
#include "platform/ExclusiveLock.h"
#include "registry/KeyHandle.h"
#include "registry/SettingsStore.h"
#include "support/FreshWinePrefix.h"
#include "support/LockHolder.h"
#include "support/RegistryDump.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

std::string Settings(Machine& machine) {
    return test::DumpRegistry(machine.registry(), win::HKEY_LOCAL_MACHINE, kSettingsKey);
}

class SettingsKeeperPrefixTest : public ::testing::Test {
protected:
    fs::path lockFile() const { return fresh.prefix() / kPrefixLockFile; }
    // The prefix as the next run reads it.
    std::unique_ptr<WinePrefixMachine> reopened() const { return fresh.open(false); }
    std::string settingsOnDisk() const { return Settings(*reopened()); }
    bool startsOnDisk() const { return SettingsStore(reopened()->registry()).StartsWithWindows(); }

    SettingsStore store() { return SettingsStore(machine->registry()); }
    // Another run's hold on the prefix, for as long as it lives.
    std::unique_ptr<ExclusiveLock> holdLock() const {
        auto held = ExclusiveLock::TryAcquire(lockFile(), "the test");
        EXPECT_TRUE(held.ok()) << held.message();
        if (!held) return nullptr;
        return std::move(*held);
    }

    test::FreshWinePrefix fresh;
    std::unique_ptr<WinePrefixMachine> machine = fresh.open(false);
    SettingsKeeper keeper{*machine, lockFile()};
};

TEST_F(SettingsKeeperPrefixTest, ARefusedSaveKeepsTheChangeAndTheNextFlushWritesIt) {
    for (const std::string reason : {"wineserver", "another Brindle"}) {
        SCOPED_TRACE(reason);
        const std::string before = settingsOnDisk();
        store().WriteTextSetting(setting::kSaveCountReg, reason);
        {
            test::TemporaryFolder serverRoot;
            std::optional<test::FakeWineServer> server;
            std::unique_ptr<ExclusiveLock> lock;
            if (reason == "wineserver") server.emplace(fresh.prefix(), serverRoot.path());
            else lock = holdLock();
            const Status refused = keeper.changed();
            EXPECT_NE(refused.message().find(reason), std::string::npos) << refused.message();
            EXPECT_TRUE(keeper.pending());
            ASSERT_TRUE(keeper.lastError().has_value());
            EXPECT_EQ(keeper.lastError()->message(), refused.message());
            EXPECT_EQ(settingsOnDisk(), before);
            EXPECT_FALSE(keeper.flush().ok()) << "still blocked";
        }
        ASSERT_EQ(keeper.flush().message(), "");
        EXPECT_FALSE(keeper.pending());
        EXPECT_FALSE(keeper.lastError().has_value());
        EXPECT_EQ(SettingsStore(reopened()->registry()).LoadTextSetting(kSettingsKey, setting::kSaveCountReg), reason);
    }
}

TEST_F(SettingsKeeperPrefixTest, AfterADiscardTheCapturedStateIsWrittenAgainExactly) {
    store().WriteFlagSetting("SCANDAY", true);
    store().WriteFlagSetting(setting::kSaveReg, true);
    store().SetStartWithWindows(true, "C:\\Brindle");
    ASSERT_EQ(keeper.changed().message(), "");
    ASSERT_TRUE(startsOnDisk());

    // Turned off, added, and stored again under another spelling of the same name, which
    // the registry takes for the same value: re-applying must not delete it as foreign.
    store().WriteFlagSetting(setting::kSaveReg, false);
    store().WriteDwordSetting(setting::kScanPeriod, 3600);
    store().WriteFlagSetting("SCANDAY", false);
    store().WriteFlagSetting(setting::kScanDay, true);
    store().SetStartWithWindows(false, "");
    const std::string wanted = Settings(*machine);
    {
        const auto lock = holdLock();
        EXPECT_FALSE(keeper.changed().ok());
    }
    ASSERT_EQ(machine->discardRegistryChanges().message(), "");
    ASSERT_NE(Settings(*machine), wanted) << "the discard brought back what the disk holds";

    ASSERT_EQ(keeper.flush().message(), "");
    EXPECT_EQ(settingsOnDisk(), wanted);
    EXPECT_NE(wanted.find("\"scanday\""), std::string::npos) << wanted;
    EXPECT_FALSE(startsOnDisk());
}

TEST_F(SettingsKeeperPrefixTest, WhatWineWroteMeanwhileIsReadFirstAndKept) {
    std::optional<test::TemporaryFolder> serverRoot(std::in_place);
    std::optional<test::FakeWineServer> server(std::in_place, fresh.prefix(), serverRoot->path());
    store().WriteFlagSetting(setting::kEnableScan, true);
    const std::string wanted = Settings(*machine);
    ASSERT_FALSE(keeper.changed().ok());

    // Wine writes another key of the same file and stops.
    server.reset();
    {
        auto wine = reopened();
        KeyHandle key(wine->registry());
        ASSERT_EQ(wine->registry().RegCreateKeyA(win::HKEY_LOCAL_MACHINE, "Software\\Written By Wine", key.out()),
                  win::ERROR_SUCCESS);
        key.close();
        ASSERT_EQ(wine->saveRegistry().message(), "");
    }
    ASSERT_TRUE(machine->registryChangedOnDisk());

    ASSERT_EQ(keeper.flush().message(), "");
    auto disk = reopened();
    EXPECT_EQ(Settings(*disk), wanted);
    EXPECT_NE(test::DumpRegistry(disk->registry(), win::HKEY_LOCAL_MACHINE, "Software\\Written By Wine"), "");
}

// Two windows on one prefix: each writes only what the user changed in it, so neither
// undoes what the other saved, and a window whose user changed nothing writes nothing.
TEST_F(SettingsKeeperPrefixTest, AnotherWindowsSavedSettingsAreNotUndone) {
    auto otherMachine = fresh.open(false);
    SettingsKeeper other(*otherMachine, lockFile());

    SettingsStore(otherMachine->registry()).WriteTextSetting(setting::kSaveCountReg, "9");
    ASSERT_EQ(other.changed().message(), "");

    // This window still holds the old count in memory; its user changes something else.
    store().WriteDwordSetting(setting::kScanPeriod, 3600);
    ASSERT_EQ(keeper.changed().message(), "");
    auto disk = reopened();
    EXPECT_EQ(SettingsStore(disk->registry()).LoadTextSetting(kSettingsKey, setting::kSaveCountReg), "9");
    EXPECT_NE(Settings(*disk).find("\"scanperiod\""), std::string::npos) << Settings(*disk);

    // The other window ends: nothing changed there since, so nothing is pending or written.
    const std::string before = test::ReadFileAt(fresh.prefix() / "system.reg");
    EXPECT_EQ(other.changed().message(), "");
    EXPECT_FALSE(other.pending());
    EXPECT_EQ(test::ReadFileAt(fresh.prefix() / "system.reg"), before);
}

// Without the prefix: the attempts the keeper makes, counted.
TEST(SettingsKeeperTest, NothingPendingAttemptsNothing) {
    test::WorkflowTestMachine machine;
    SettingsKeeper keeper(machine);
    EXPECT_EQ(keeper.flush().message(), "");
    EXPECT_EQ(machine.reloads + machine.saves, 0);

    SettingsStore(machine.registry()).WriteFlagSetting(setting::kAutoScan, true);
    ASSERT_EQ(keeper.changed().message(), "");
    EXPECT_EQ(machine.saves, 1);
    EXPECT_EQ(keeper.flush().message(), "");
    EXPECT_EQ(machine.saves, 1) << "a written change is not written again";
    EXPECT_EQ(keeper.changed().message(), "");
    EXPECT_FALSE(keeper.pending());
    EXPECT_EQ(machine.saves, 1) << "a change that changed nothing is not written";
}

TEST(SettingsKeeperTest, AFailedReloadOrSaveKeepsTheChangeWithItsReason) {
    struct Case {
        const char* name;
        std::string test::WorkflowTestMachine::*step;
        int readsAndWrites;  // what the refused attempt cost
    };
    // Files a running Wine holds are neither read again nor written.
    for (const Case& failing : {Case{"writable check", &test::WorkflowTestMachine::writableError, 0},
                                Case{"reload", &test::WorkflowTestMachine::reloadError, 1},
                                Case{"save", &test::WorkflowTestMachine::saveError, 2}}) {
        SCOPED_TRACE(failing.name);
        test::WorkflowTestMachine machine;
        SettingsKeeper keeper(machine);
        machine.*failing.step = std::string("the ") + failing.name + " failed";
        SettingsStore(machine.registry()).WriteFlagSetting(setting::kAutoScan, true);

        EXPECT_EQ(keeper.changed().message(), machine.*failing.step);
        EXPECT_EQ(machine.reloads + machine.saves, failing.readsAndWrites);
        EXPECT_TRUE(keeper.pending());
        ASSERT_TRUE(keeper.lastError());
        EXPECT_EQ(keeper.lastError()->message(), machine.*failing.step);

        machine.*failing.step = "";
        EXPECT_EQ(keeper.flush().message(), "");
        EXPECT_FALSE(keeper.pending());
        EXPECT_FALSE(keeper.lastError());
        EXPECT_TRUE(machine.valueExists(std::string("HKEY_LOCAL_MACHINE\\") + kSettingsKey, setting::kAutoScan));
    }
}

}  // namespace
}  // namespace brindle
