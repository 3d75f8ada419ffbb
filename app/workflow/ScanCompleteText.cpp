#include "app/workflow/ScanCompleteText.h"

#include <cstdint>

#include "app/workflow/UserTexts.h"

namespace brindle {

namespace {

std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ScanCompleteText(const ScanResult& result) {
    std::int64_t found = 0;
    std::int64_t checked = 0;
    for (const ScanSummary& row : result.summaries) {
        found += row.found;
        checked += row.scanned;
    }
    if (result.shortcuts) {
        found += result.shortcuts->found;
        checked += result.shortcuts->scanned;
    }
    return std::string(kScanCompleteMessage) + "\n\n" + Counted(found, "problem", "problems") + " found in " +
           Counted(checked, "entry", "entries") + " checked.";
}

}  // namespace brindle
