#include "app/workflow/SaveRegistry.h"

namespace brindle {

std::string SaveRegistryOrDropChanges(Machine& machine) {
    std::string error = machine.saveRegistry();
    if (error.empty()) return error;
    const std::string reloadError = machine.discardRegistryChanges();
    if (!reloadError.empty()) error += "; reading the registry again failed too: " + reloadError;
    return error;
}

}  // namespace brindle
