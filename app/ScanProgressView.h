// The main panel's progress labels: per category, "Scanning" with what it has found so
// far, then "Done" with its final count; empty for a category the scan leaves out.
#pragma once

#include <cstdint>

#include "app/CSubMainSkin.h"
#include "app/workflow/ScanSession.h"

namespace brindle {

// Each category's labels from the state the scan gives it; the one being scanned shows
// `found`.
void ShowCategoryProgress(CSubMainSkin& panel, const ScanSession& session, std::int32_t found);

// At the scan's end: the count of each category it finished, from the scan's own rows
// (the newest progress the window saw may be older than a category's last word).
void ShowFinalCounts(CSubMainSkin& panel, const ScanSession& session, const ScanResult& result);

// Empties the counts and the status line: they describe results that are gone.
void ClearScanCounts(CSubMainSkin& panel);

}  // namespace brindle
