// The machine's threading rule: a job uses the registry for its length, and reloading,
// discarding and saving wait until no other thread uses it. Run under ThreadSanitizer
// too (the "threaded" label), where a reload that replaced the tree under a reader would
// be reported as a race.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/workflow/ScanSession.h"
#include "platform/RegistryUseGate.h"
#include "platform/WinePrefixMachine.h"
#include "registry/KeyHandle.h"
#include "registry/SettingsStore.h"
#include "support/OpenOrError.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(MachineThreadingTest, ExclusiveWaitsForTheOtherThreadsUseToEnd) {
    RegistryUseGate gate;
    std::atomic<bool> exclusiveBegan{false};
    std::optional<RegistryUseGate::Use> use;
    use.emplace(gate);
    std::thread replacer([&] {
        RegistryUseGate::Exclusive exclusive(gate);
        exclusiveBegan = true;
    });
    // Not a timing claim: the replacer cannot begin while the use lasts, however long.
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(exclusiveBegan.load());
    use.reset();
    replacer.join();
    EXPECT_TRUE(exclusiveBegan.load());
}

TEST(MachineThreadingTest, AThreadThatUsesTheRegistryMayReplaceItItself) {
    RegistryUseGate gate;
    RegistryUseGate::Use outer(gate);
    RegistryUseGate::Use inner(gate);
    RegistryUseGate::Exclusive exclusive(gate);
    RegistryUseGate::Exclusive again(gate);
    EXPECT_EQ(gate.otherUsers(), 0u);
}

TEST(MachineThreadingTest, UsersWaitWhileAnotherThreadIsExclusive) {
    RegistryUseGate gate;
    std::atomic<bool> used{false};
    std::optional<RegistryUseGate::Exclusive> exclusive;
    exclusive.emplace(gate);
    std::thread user([&] {
        RegistryUseGate::Use use(gate);
        used = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(used.load());
    exclusive.reset();
    user.join();
    EXPECT_TRUE(used.load());
}

class MachineThreadingPrefixTest : public ::testing::Test {
protected:
    MachineThreadingPrefixTest() {
        test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix());
        std::string error;
        machine = test::OpenWinePrefix(prefix(), error);
        EXPECT_TRUE(machine) << error;
    }

    fs::path prefix() const { return folder.path() / "prefix"; }

    // What Wine does while Brindle runs: the file grows, so the next scan reads it again.
    void wineWritesAKey(int number) {
        std::ofstream file(prefix() / "system.reg", std::ios::binary | std::ios::app);
        file << "\n[Software\\\\Wine\\\\Written" << number << "] 1768453300\n\"x\"=\"" << number << "\"\n";
    }

    test::TemporaryFolder folder;
    std::unique_ptr<WinePrefixMachine> machine;
};

// The window reads its settings while the scan's worker reloads the registry that Wine
// changed: the reader always finds the registry whole, and neither waits for ever.
TEST_F(MachineThreadingPrefixTest, SettingsReadWhileScansReloadTheRegistry) {
    ASSERT_TRUE(machine);
    {
        const auto use = machine->useRegistry();
        SettingsStore(machine->registry()).WriteTextSetting(setting::kScanMinutes, "42");
    }
    std::atomic<bool> scanning{true};
    std::atomic<int> reads{0};
    std::atomic<int> wrongReads{0};
    std::thread window([&] {
        while (scanning.load()) {
            const auto use = machine->useRegistry();
            KeyHandle key(machine->registry());
            // The settings key lives only in memory (never saved): a reload in the middle
            // of this read would drop it and the handle with it.
            const auto minutes = SettingsStore(machine->registry()).LoadTextSetting(kSettingsKey, setting::kScanMinutes);
            if (machine->registry().RegOpenKeyA(win::HKEY_LOCAL_MACHINE, "Software\\Microsoft", key.out()) !=
                win::ERROR_SUCCESS) {
                ++wrongReads;
            }
            (void)minutes;
            ++reads;
        }
    });

    ScanSession session(*machine, folder.path());
    session.selectCategory(ScanCategory::STARTUP);
    for (int round = 0; round < 4; ++round) {
        // Each scan starts while the window is reading.
        const int before = reads.load();
        while (reads.load() == before) std::this_thread::yield();
        wineWritesAKey(round);
        const ScanResult result = session.RunScan();
        EXPECT_EQ(result.end, ScanEnd::Completed) << result.error;
    }
    scanning = false;
    window.join();
    EXPECT_EQ(wrongReads.load(), 0);
    // The last reload took what Wine wrote.
    KeyHandle written(machine->registry());
    EXPECT_EQ(machine->registry().RegOpenKeyA(win::HKEY_LOCAL_MACHINE, "Software\\Wine\\Written3", written.out()),
              win::ERROR_SUCCESS);
}

TEST_F(MachineThreadingPrefixTest, AReloadIsRefusedWhileAKeyOfTheRegistryIsOpen) {
    ASSERT_TRUE(machine);
    wineWritesAKey(1);
    KeyHandle key(machine->registry());
    ASSERT_EQ(machine->registry().RegOpenKeyA(win::HKEY_LOCAL_MACHINE, "Software", key.out()), win::ERROR_SUCCESS);
    const Status reloaded = machine->reloadIfChanged();
    ASSERT_FALSE(reloaded);
    EXPECT_NE(reloaded.error().message().find("keys are open; nothing was changed"), std::string::npos)
        << reloaded.error().message();
    key.close();
    EXPECT_TRUE(machine->reloadIfChanged().ok());
}

}  // namespace
}  // namespace brindle
