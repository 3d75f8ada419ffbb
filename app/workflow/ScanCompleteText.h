// What the window tells the user when a scan has run to its end: the product's own
// "Scan Complete", then how many problems were found among how many entries, so that the
// count is where people look rather than only in the list.
#pragma once

#include <string>

#include "app/workflow/ScanSession.h"

namespace brindle {

// "Scan Complete" followed by, e.g., "17 problems found in 412 entries checked." (one
// problem, one entry: the singular). Shortcut files count as entries and their dead ones
// as problems.
std::string ScanCompleteText(const ScanResult& result);

}  // namespace brindle
