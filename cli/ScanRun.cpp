#include "cli/ScanRun.h"

#include "cli/Interrupt.h"
#include "cli/ProgressLine.h"

namespace brindle::cli {

bool SelectCategories(const std::vector<std::string>& names, ScanSelection& selection, std::ostream& err) {
    if (names.empty()) selection.selectAll();
    for (const auto& name : names) {
        const auto category = ScanCategoryFromName(name);
        if (!category) {
            err << "brindle-cli: unknown category '" << name << "' (known: ";
            for (const auto& info : ScanCategories()) err << (info.category == ScanCategory::COM ? "" : ", ") << info.name;
            err << ")\n";
            return false;
        }
        selection.setState(*category, ScanSelection::kSelected);
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
    session.progress = [&](const ProgressEvent& event) { throttle.post(event); };
    ScanResult result = session.RunScan();
    session.progress = nullptr;
    line.clear();
    return result;
}

ScanReport MakeScanReport(ScanSession& session, const std::string& prefixForDisplay, bool stopped) {
    ScanReport report;
    report.prefix = prefixForDisplay;
    report.summaries = session.summaries;
    report.stopped = stopped;
    for (const auto& problem : session.engine.problems()) {
        if (problem) report.problems.push_back(problem.get());
    }
    if (session.categories.state(ScanCategory::SHORTCUTS) != ScanSelection::kNotSelected) {
        const CShortcut& shortcuts = session.shortcutScanner;
        report.shortcuts = ShortcutReport{shortcuts.scanned(), shortcuts.found(), shortcuts.fixed(), {}};
        // Entries the user kept are emptied, not removed, so that indexes stay put.
        for (const auto& path : shortcuts.missingList()) {
            if (!path.empty()) report.shortcuts->missing.push_back(path);
        }
    }
    return report;
}

}  // namespace brindle::cli
