// Writing the registry back at the end of a repair or restore, all or nothing.
#pragma once

#include <string>

#include "platform/Machine.h"
#include "platform/Result.h"

namespace brindle {

// Saves the machine's registry. When that fails, the changes are dropped (the registry
// is read again from where it is kept), so that nothing shows a change the disk does
// not hold. A failure says what failed and where.
Status SaveRegistryOrDropChanges(Machine& machine);

}  // namespace brindle
