#include "cli/ScanRun.h"

#include "app/workflow/ScanJob.h"
#include "cli/Interrupt.h"
#include "cli/ProgressLine.h"

namespace brindle::cli {

bool SelectCategories(const std::vector<std::string>& names, ScanSession& session, std::ostream& err) {
    if (names.empty()) session.selectAllCategories();
    for (const auto& name : names) {
        const auto category = ScanCategoryFromName(name);
        if (!category) {
            err << "brindle-cli: unknown category '" << name << "' (known: ";
            for (const auto& info : ScanCategories()) err << (info.category == ScanCategory::COM ? "" : ", ") << info.name;
            err << ")\n";
            return false;
        }
        session.selectCategory(*category);
    }
    return true;
}

ScanResult RunScanWithProgress(ScanSession& session) {
    InterruptToStop interrupt(session.stopRequest());
    ProgressLine line;
    const CodePage& codePage = session.machine().codePage();
    ProgressThrottle throttle([&](const ProgressEvent& event) {
        line.update(event.title, event.scanned, event.found, AnsiToUtf8(codePage, event.item));
    });
    // The job's thread draws the line while this one waits for it.
    ScanResult result;
    ScanJob job(session);
    if (!job.start([&](const ProgressEvent& event) { throttle.post(event); },
                   [&](ScanResult ended) { result = std::move(ended); })) {
        result.end = ScanEnd::Failed;
        result.error = "another job is running on the scan";
    }
    job.wait();
    line.clear();
    return result;
}

ScanReport MakeScanReport(const ScanResult& scan, const std::string& prefixForDisplay) {
    ScanReport report;
    report.prefix = prefixForDisplay;
    report.summaries = scan.summaries;
    report.stopped = scan.end == ScanEnd::Stopped;
    for (const ProblemRecord& problem : scan.problems) report.problems.push_back(&problem);
    if (scan.shortcuts) {
        report.shortcuts = ShortcutReport{scan.shortcuts->scanned, scan.shortcuts->found, 0, {}};
        report.shortcuts->missing = scan.shortcuts->missing;
    }
    return report;
}

}  // namespace brindle::cli
