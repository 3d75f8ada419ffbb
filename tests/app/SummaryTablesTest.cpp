// The rows and totals of the summary window's two count screens.
#include <gtest/gtest.h>

#include "app/workflow/SummaryTables.h"

namespace brindle {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(SummaryTablesTest, ANothingFoundScanStillListsTheShortcutsAndCountsZero) {
    const SummaryTable table = ScanCompleteTable({}, {});
    EXPECT_EQ(table.rows, (Rows{{"Missing ShortCuts", "0", "0"}}));
    EXPECT_EQ(table.found, 0);
    EXPECT_EQ(ScanCompleteTitle(0),
              "Brindle has found 0 potentially dangerous bugs\nclick the button below to repair your computer");
}

TEST(SummaryTablesTest, TotalsTakeTheShortcutRowAndNegativeFixedCountsAsTheyAre) {
    const std::vector<ScanSummary> summaries = {
        {"Invalid CLSID", 11, 3, 3}, {"Corrupt Fonts", 4, 2, -1}, {"Invalid Drivers", 5, 1, 0}};
    const SummaryTable scan = ScanCompleteTable(summaries, {7, 3, 0});
    EXPECT_EQ(scan.rows, (Rows{{"Invalid CLSID", "11", "3"},
                               {"Corrupt Fonts", "4", "2"},
                               {"Invalid Drivers", "5", "1"},
                               {"Missing ShortCuts", "7", "3"}}));
    EXPECT_EQ(scan.scanned, 27);
    EXPECT_EQ(scan.found, 9);

    const SummaryTable fix = FixCompleteTable(summaries, {7, 3, 2});
    EXPECT_EQ(fix.rows, (Rows{{"Invalid CLSID", "11", "3", "3"},
                              {"Corrupt Fonts", "4", "2", "Access Denied"},
                              {"Invalid Drivers", "5", "1", "0"},
                              {"Missing ShortCuts", "7", "3", "2"},
                              {"Spywares"}}));
    EXPECT_EQ(fix.fixed, 4);
}

}  // namespace
}  // namespace brindle
