#include <gtest/gtest.h>

#include <set>

#include "platform/RunningProcess.h"
#include "scan/RegistryLib.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using test::TestMachine;

class ScanRegistryTest : public ::testing::Test {
protected:
    TestMachine machine;
};

TEST_F(ScanRegistryTest, NothingSelectedOnlyResetsTheLists) {
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{A}\\InprocServer32", "", "C:\\gone.dll");
    CRegistryLib lib(machine, CurrentFolder());
    ScanSelection selection;
    selection.setState(ScanCategory::COM, ScanSelection::kSelected);
    std::vector<ScanSummary> summaries;
    lib.ScanRegistry(summaries, selection);
    ASSERT_EQ(lib.problemCount(), 1u);

    machine.writeIgnoreList("C:\\new.dll\n");
    ScanSelection none;
    SetEvent(machine.events().CreateEventA("BrindleSTOPSCANNING"));
    lib.ScanRegistry(summaries, none);
    EXPECT_TRUE(summaries.empty());
    EXPECT_EQ(lib.problemCount(), 0u);
    EXPECT_TRUE(lib.IsIgnored("C:\\new.dll"));
    EXPECT_EQ(WaitForSingleObject(machine.events().CreateEventA("BrindleSTOPSCANNING"), 0), win::WAIT_TIMEOUT);
    for (int slot = 0; slot < ScanSelection::kSlots; ++slot) EXPECT_EQ(none.slot(slot), 0) << slot;
}

TEST_F(ScanRegistryTest, AStopSetBeforehandIsClearedSoTheScanRunsInFull) {
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{A}\\InprocServer32", "", "C:\\gone.dll");
    CRegistryLib lib(machine, CurrentFolder());
    SetEvent(machine.events().CreateEventA("BrindleSTOPSCANNING"));
    ScanSelection selection;
    selection.selectAll();
    std::vector<ScanSummary> summaries;
    lib.ScanRegistry(summaries, selection);
    ASSERT_FALSE(summaries.empty());
    EXPECT_EQ(summaries[0], (ScanSummary{"Invalid CLSID", 1, 1, 0}));
    EXPECT_EQ(selection.state(ScanCategory::COM), ScanSelection::kDone);
}

TEST_F(ScanRegistryTest, SelectedCategoriesEndDoneAndOthersStayUntouched) {
    machine.createKey("HKEY_CLASSES_ROOT\\CLSID");
    CRegistryLib lib(machine, CurrentFolder());
    ScanSelection selection;
    selection.setState(ScanCategory::COM, ScanSelection::kSelected);
    std::vector<ScanSummary> summaries{{"stale", 1, 1, 1}};
    std::vector<std::int32_t> statesSeen;
    lib.progressCallback = nullptr;
    lib.ScanRegistry(summaries, selection);
    EXPECT_EQ(summaries, (std::vector<ScanSummary>{{"Invalid CLSID", 0, 0, 0}}));
    EXPECT_EQ(selection.slot(1), ScanSelection::kDone);
    EXPECT_EQ(selection.state(ScanCategory::FONTS), ScanSelection::kNotSelected);
}

TEST(ScanCategoriesTest, SummaryTitlesAreDistinctAndSlotsMatchTheWindow) {
    std::set<std::string_view> titles;
    std::set<int> slots;
    for (const auto& info : ScanCategories()) {
        EXPECT_TRUE(titles.insert(info.summaryTitle).second) << info.summaryTitle;
        EXPECT_TRUE(slots.insert(info.selectionIndex).second) << info.name;
        EXPECT_EQ(ScanCategoryFromName(info.name), info.category);
        if (info.category != ScanCategory::SHORTCUTS) {
            EXPECT_TRUE(info.progressTitle.starts_with("Scanning")) << info.progressTitle;
            EXPECT_TRUE(info.summaryTitle.starts_with("Invalid") || info.summaryTitle.starts_with("Corrupt"))
                << info.summaryTitle;
        }
    }
    EXPECT_EQ(slots, (std::set<int>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_FALSE(ScanCategoryFromName("com").has_value());
}

}  // namespace
}  // namespace brindle
