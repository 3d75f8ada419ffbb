// A scan of a real fresh Wine 8 prefix reports only what that prefix's Wine would not
// find either. Wine registers four bitmap fonts by bare name and serves three of them
// from its installation's font folder; "MS Serif" (serife.fon) it ships nowhere.
#include <gtest/gtest.h>

#include "app/workflow/ScanSession.h"
#include "support/FreshWinePrefix.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

std::vector<std::string> ReportedFiles(Machine& machine) {
    const test::TemporaryFolder work;  // no ignore list
    ScanSession session(machine, work.path());
    session.selectAllCategories();
    EXPECT_EQ(session.RunScan().end, ScanEnd::Completed);
    std::vector<std::string> files;
    for (const auto& problem : session.engine().problems()) files.push_back(problem->filePath());
    for (const auto& shortcut : session.shortcutScanner().missingList()) files.push_back(shortcut);
    return files;
}

class FreshPrefixScanTest : public ::testing::Test {
protected:
    test::FreshWinePrefix fresh;
    test::TemporaryFolder work;
    test::CurrentDirectoryScope inWork{work.path()};
};

TEST_F(FreshPrefixScanTest, ReportsOnlyTheFontWineShipsNowhere) {
    ASSERT_GT(fresh.fileCount(), 700u);
    auto machine = fresh.open(/*withWineFonts=*/true);
    EXPECT_EQ(ReportedFiles(*machine), (std::vector<std::string>{"C:\\windows\\fonts\\serife.fon"}));
}

TEST_F(FreshPrefixScanTest, WithoutWinesFontsItsBitmapFontsAreMissing) {
    auto machine = fresh.open(/*withWineFonts=*/false);
    EXPECT_EQ(ReportedFiles(*machine),
              (std::vector<std::string>{"C:\\windows\\fonts\\coure.fon", "C:\\windows\\fonts\\sserife.fon",
                                        "C:\\windows\\fonts\\serife.fon", "C:\\windows\\fonts\\smalle.fon"}));
}

TEST(FreshWow64PrefixScanTest, BothViewsOfAPrefixWith32BitWineReportOnlyTheFontWineShipsNowhere) {
    // Made with Wine's 32-bit half installed: its 32-bit classes, drivers and the like are
    // registered below Wow6432Node and their files lie in syswow64.
    test::FreshWinePrefix fresh("fresh-prefix-wow64");
    const test::TemporaryFolder work;
    const test::CurrentDirectoryScope inWork(work.path());
    auto machine = fresh.open(/*withWineFonts=*/true);
    ASSERT_NE(machine->wow64View(), nullptr);
    EXPECT_EQ(ReportedFiles(*machine), (std::vector<std::string>{"C:\\windows\\fonts\\serife.fon"}));
}

}  // namespace
}  // namespace brindle
