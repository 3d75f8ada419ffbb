#include "app/workflow/SaveRegistry.h"

namespace brindle {

Status SaveRegistryOrDropChanges(Machine& machine) {
    Status saved = machine.saveRegistry();
    if (saved) return saved;
    const Status reloaded = machine.discardRegistryChanges();
    if (reloaded) return saved;
    return Error(saved.error().message() + "; reading the registry again failed too: " + reloaded.error().message());
}

}  // namespace brindle
