#include "app/workflow/ScanCompleteText.h"

#include <cstdint>

#include "app/workflow/CountedText.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

std::string ScanCompleteText(const ScanResult& result) {
    std::uint64_t found = 0;
    std::uint64_t checked = 0;
    for (const ScanSummary& row : result.summaries) {
        found += row.found;
        checked += row.scanned;
    }
    if (result.shortcuts) {
        found += result.shortcuts->found;
        checked += result.shortcuts->scanned;
    }
    return std::string(kScanCompleteMessage) + "\n\n" + CountedText(found, "problem", "problems") + " found in " +
           CountedText(checked, "entry", "entries") + " checked.";
}

}  // namespace brindle
