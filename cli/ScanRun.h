// What `scan` and `fix` share: choosing categories from the command line, running the
// session's scan with live progress and Ctrl-C, and turning its results into a report.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/workflow/ScanSession.h"
#include "cli/ScanReport.h"

namespace brindle::cli {

// Selects the named categories, or every one when names is empty. False, with a message
// on err naming the unknown category and the known ones, when a name is not known.
bool SelectCategories(const std::vector<std::string>& names, ScanSession& session, std::ostream& err);

// Runs the scan job with progress on standard error (when it is a terminal) and Ctrl-C
// routed to the session's stop request, and waits for it.
ScanResult RunScanWithProgress(ScanSession& session);

// The report of what a scan found; it points into scan, which must outlive it.
ScanReport MakeScanReport(const ScanResult& scan, const std::string& prefixForDisplay);

}  // namespace brindle::cli
