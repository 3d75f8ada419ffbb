#include "cli/ScanCommand.h"

#include "cli/Interrupt.h"
#include "cli/ProgressLine.h"
#include "cli/ScanReport.h"
#include "registry/RegistryLib.h"
#include "scan/Shortcut.h"

namespace brindle::cli {

int RunScanCommand(Machine& machine, const std::string& prefixForDisplay, const ScanOptions& options,
                   std::ostream& out, std::ostream& err) {
    ScanSelection selection;
    if (options.categories.empty()) selection.selectAll();
    for (const auto& name : options.categories) {
        const auto category = ScanCategoryFromName(name);
        if (!category) {
            err << "brindle-cli: unknown category '" << name << "' (known: ";
            for (const auto& info : ScanCategories()) err << (info.category == ScanCategory::COM ? "" : ", ") << info.name;
            err << ")\n";
            return 2;
        }
        selection.setState(*category, ScanSelection::kSelected);
    }

    CRegistryLib lib(machine);
    const EventHandle stopEvent = machine.events().CreateEventA(kStopScanEventName);
    InterruptToStopEvent interrupt(stopEvent);
    ProgressLine progress;
    const CodePage& codePage = machine.codePage();
    lib.progressCallback = [&](const std::string& item, const std::string& title, std::int32_t scanned,
                               std::int32_t found) {
        // The scan clears the stop event when it starts; a Ctrl-C from before is renewed here.
        if (InterruptToStopEvent::interrupted()) SetEvent(stopEvent);
        progress.update(title, scanned, found, AnsiToUtf8(codePage, item));
    };

    CShortcut shortcuts(machine);
    shortcuts.progressCallback = lib.progressCallback;

    ScanReport report;
    report.prefix = prefixForDisplay;
    lib.ScanRegistry(report.summaries, selection);
    const bool scanShortcuts = selection.state(ScanCategory::SHORTCUTS) != ScanSelection::kNotSelected;
    if (scanShortcuts && WaitForSingleObject(stopEvent, 0) != win::WAIT_OBJECT_0) {
        selection.setState(ScanCategory::SHORTCUTS, ScanSelection::kScanning);
        shortcuts.ScanShortcuts();
        selection.setState(ScanCategory::SHORTCUTS, ScanSelection::kDone);
    }
    progress.clear();
    report.stopped = InterruptToStopEvent::interrupted();
    for (const auto& problem : lib.problems()) report.problems.push_back(problem.get());
    if (scanShortcuts) {
        report.shortcuts = ShortcutReport{shortcuts.scanned(), shortcuts.found(), shortcuts.fixed(),
                                          shortcuts.missingList()};
    }

    if (options.json) {
        PrintScanReportJson(report, codePage, out);
    } else {
        PrintScanReportText(report, codePage, out);
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
