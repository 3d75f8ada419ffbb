#include "cli/ScanCommand.h"

#include <filesystem>

#include "cli/ScanRun.h"

namespace brindle::cli {

int RunScanCommand(Machine& machine, const std::filesystem::path& workFolder, const std::string& prefixForDisplay, const ScanOptions& options,
                   std::ostream& out, std::ostream& err) {
    ScanSession session(machine, workFolder);
    if (!SelectCategories(options.categories, session, err)) return 2;

    const ScanResult scan = RunScanWithProgress(session);
    if (scan.end == ScanEnd::ReloadFailed || scan.end == ScanEnd::IgnoreListUnreadable || scan.end == ScanEnd::Failed) {
        err << "brindle-cli: " << scan.error << "\n";
        return 2;
    }
    const ScanReport report = MakeScanReport(scan, prefixForDisplay);
    if (options.json) {
        PrintScanReportJson(report, machine.codePage(), out);
    } else {
        PrintScanReportText(report, machine.codePage(), out);
    }
    out.flush();
    if (!out) {
        err << "brindle-cli: cannot write the report to standard output\n";
        return 2;
    }
    const bool found = !report.problems.empty() || (report.shortcuts && !report.shortcuts->missing.empty());
    return found ? 1 : 0;
}

}  // namespace brindle::cli
