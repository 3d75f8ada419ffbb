// The end-of-scan message: the product's text, then the counts summed over every category.
#include "app/workflow/ScanCompleteText.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

TEST(ScanCompleteTextTest, CountsEveryCategoryAndTheShortcuts) {
    struct Case {
        std::vector<ScanSummary> rows;
        std::optional<ShortcutFindings> shortcuts;
        const char* text;
    };
    const Case cases[] = {
        {{}, std::nullopt, "Scan Complete\n\n0 problems found in 0 entries checked."},
        {{{"Invalid CLSID", 1, 1, 0}}, std::nullopt, "Scan Complete\n\n1 problem found in 1 entry checked."},
        {{{"Invalid CLSID", 300, 3, 0}, {"Invalid Fonts", 100, 1, 0}},
         ShortcutFindings{12, 3, {}},
         "Scan Complete\n\n7 problems found in 412 entries checked."},
    };
    for (const Case& c : cases) {
        ScanResult result;
        result.summaries = c.rows;
        result.shortcuts = c.shortcuts;
        EXPECT_EQ(ScanCompleteText(result), c.text);
    }
}

}  // namespace
}  // namespace brindle
