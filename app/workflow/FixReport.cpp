#include "app/workflow/FixReport.h"

namespace brindle {

bool RefuseRepairOfChangedRegistry(Machine& machine, FixReport& report) {
    if (!machine.registryChangedOnDisk()) return false;
    report.outcome = FixReport::Outcome::ChangedOnDisk;
    report.error = "the registry files changed on disk since the scan (did Wine run?); nothing was removed. "
                   "Scan again, then repair.";
    return true;
}

void TakeFixResult(const FixResult& fix, FixReport& report) {
    report.registrySaved = fix.registrySaved;
    switch (fix.end) {
    case FixEnd::Repaired:
        report.outcome = FixReport::Outcome::Removed;
        break;
    case FixEnd::SaveFailed:
        report.outcome = FixReport::Outcome::SaveFailed;
        report.error = "the repair could not be written back, so nothing was removed: " + fix.error;
        break;
    case FixEnd::Stopped:
        report.outcome = FixReport::Outcome::Stopped;
        report.error = fix.registrySaved ? "stopped after the registry was repaired; no shortcut was deleted"
                                         : "stopped before anything was removed";
        break;
    }
}

}  // namespace brindle
