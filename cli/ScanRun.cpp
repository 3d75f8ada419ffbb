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
    Machine& machine = session.machine();
    const EventHandle stopEvent = machine.events().CreateEventA(kStopScanEventName);
    InterruptToStopEvent interrupt(stopEvent);
    ProgressLine progress;
    const CodePage& codePage = machine.codePage();
    auto onProgress = [&](const std::string& item, const std::string& title, std::int32_t scanned,
                          std::int32_t found) {
        // The scan clears the stop event when it starts; a Ctrl-C from before is renewed here.
        if (InterruptToStopEvent::interrupted()) SetEvent(stopEvent);
        progress.update(title, scanned, found, AnsiToUtf8(codePage, item));
    };
    session.engine.progressCallback = onProgress;
    session.shortcutScanner.progressCallback = onProgress;
    ScanResult result = session.RunScan();
    if (InterruptToStopEvent::interrupted() && result.end == ScanEnd::Completed) result.end = ScanEnd::Stopped;
    session.engine.progressCallback = nullptr;
    session.shortcutScanner.progressCallback = nullptr;
    progress.clear();
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
