// What the summary window's scan-complete and fix-complete screens list: one row per
// scanned registry category, the shortcuts' row, and the totals over all of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/ScanTypes.h"

namespace brindle {

struct ShortcutCounts {
    std::int32_t scanned = 0;
    std::int32_t found = 0;
    std::int32_t fixed = 0;
};

struct SummaryTable {
    std::vector<std::vector<std::string>> rows;  // the cells of each row, as shown
    std::int64_t scanned = 0;
    std::int64_t found = 0;
    std::int64_t fixed = 0;  // a negative count is summed as it is
};

// Title, scanned, found per category, then "Missing ShortCuts".
SummaryTable ScanCompleteTable(const std::vector<ScanSummary>& summaries, const ShortcutCounts& shortcuts);
// The same with the fixed count ("Access Denied" when negative), then "Missing ShortCuts"
// and a last row "Spywares" with no counts.
SummaryTable FixCompleteTable(const std::vector<ScanSummary>& summaries, const ShortcutCounts& shortcuts);

// "Brindle has found <found> potentially dangerous bugs" with the line break the screen has.
std::string ScanCompleteTitle(std::int64_t found);

inline constexpr const char* kAccessDeniedText = "Access Denied";
inline constexpr const char* kSpywaresRowTitle = "Spywares";
inline constexpr const char* kFixedStatusText = "Fixed";

}  // namespace brindle
