#include "app/workflow/RestoreSnapshotFile.h"

#include "app/workflow/SaveRegistry.h"
#include "registry/SnapshotRestore.h"

namespace brindle {

SnapshotRestoreReport RestoreSnapshotFile(Machine& machine, const std::string& fileName) {
    SnapshotRestoreReport report;
    if (std::string error = machine.reloadRegistryIfChanged(); !error.empty()) {
        report.messages.push_back("the registry could not be read again before the restore: " + error);
        return report;
    }
    const bool imported =
        RestoreFromSnapshot(machine, fileName, [&](const std::string& message) { report.messages.push_back(message); });
    // What an import wrote before it stopped is worth keeping, as on the platform the
    // snapshot comes from; an import that wrote nothing leaves nothing to save.
    if (std::string error = SaveRegistryOrDropChanges(machine); !error.empty()) {
        report.messages.push_back("the restore could not be written back, so nothing was restored: " + error);
        return report;
    }
    // A value the import could not set was shown to the user as it happened; the restore
    // as a whole is then not a success, whatever the import's own result says.
    report.restored = imported && report.messages.empty();
    return report;
}

}  // namespace brindle
