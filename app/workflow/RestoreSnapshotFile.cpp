#include "app/workflow/RestoreSnapshotFile.h"

#include "app/workflow/SaveRegistry.h"
#include "app/workflow/UserTexts.h"
#include "registry/SnapshotRestore.h"

namespace brindle {

bool RestoreSnapshotFile(Machine& machine, const std::string& fileName, UserMessages& messages) {
    const auto use = machine.useRegistry();
    bool told = false;
    const auto tell = [&](const std::string& message) {
        told = true;
        messages.tell(kSnapshotRestoreCaption, message);
    };
    if (Status reloaded = machine.reloadRegistryIfChanged(); !reloaded) {
        tell("the registry could not be read again before the restore: " + reloaded.error().message());
        return false;
    }
    const bool imported = RestoreFromSnapshot(machine, fileName, tell);
    // What an import wrote before it stopped is worth keeping, as on the platform the
    // snapshot comes from; an import that wrote nothing leaves nothing to save.
    if (Status saved = SaveRegistryOrDropChanges(machine); !saved) {
        tell("the restore could not be written back, so nothing was restored: " + saved.error().message());
        return false;
    }
    // A value the import could not set was shown to the user as it happened; the restore
    // as a whole is then not a success, whatever the import's own result says.
    return imported && !told;
}

}  // namespace brindle
