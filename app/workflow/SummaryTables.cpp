#include "app/workflow/SummaryTables.h"

namespace brindle {

namespace {

void AddCounts(SummaryTable& table, std::int32_t scanned, std::int32_t found, std::int32_t fixed) {
    table.scanned += scanned;
    table.found += found;
    table.fixed += fixed;
}

}  // namespace

SummaryTable ScanCompleteTable(const std::vector<ScanSummary>& summaries, const ShortcutCounts& shortcuts) {
    SummaryTable table;
    for (const ScanSummary& row : summaries) {
        table.rows.push_back({row.title, std::to_string(row.scanned), std::to_string(row.found)});
        AddCounts(table, row.scanned, row.found, 0);
    }
    table.rows.push_back({kShortcutsSummaryTitle, std::to_string(shortcuts.scanned), std::to_string(shortcuts.found)});
    AddCounts(table, shortcuts.scanned, shortcuts.found, 0);
    return table;
}

SummaryTable FixCompleteTable(const std::vector<ScanSummary>& summaries, const ShortcutCounts& shortcuts) {
    SummaryTable table;
    const auto fixedText = [](std::int32_t fixed) { return fixed >= 0 ? std::to_string(fixed) : kAccessDeniedText; };
    for (const ScanSummary& row : summaries) {
        table.rows.push_back(
            {row.title, std::to_string(row.scanned), std::to_string(row.found), fixedText(row.fixed)});
        AddCounts(table, row.scanned, row.found, row.fixed);
    }
    table.rows.push_back({kShortcutsSummaryTitle, std::to_string(shortcuts.scanned), std::to_string(shortcuts.found),
                          fixedText(shortcuts.fixed)});
    AddCounts(table, shortcuts.scanned, shortcuts.found, shortcuts.fixed);
    table.rows.push_back({kSpywaresRowTitle});
    return table;
}

std::string ScanCompleteTitle(std::int64_t found) {
    return "Brindle has found " + std::to_string(found) +
           " potentially dangerous bugs\nclick the button below to repair your computer";
}

}  // namespace brindle
