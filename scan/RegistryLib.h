// CRegistryLib: the program's façade over the machine's registry. It names keys in text,
// opens them, lists their values as text and deletes keys and values; it owns the
// problem list the scanners fill and the ignore list that keeps problems out of it.
//
// Its parts each have their own header and files, stacked so that every operation is
// still CRegistryLib's own:
//   registry/RegistryAccess.h    keys and values by name, type names, messages
//   registry/RegistrySnapshot.h  the snapshot file's export and import
//   registry/IgnoreList.h        the ignore list
//   scan/RegistryScanners.h      the scanners, their driver and the problem list
//   scan/RepairEngine.h          the repair
//
// One object is used by one thread at a time. It works on the machine it is given.
#pragma once

#include <filesystem>

#include "scan/RepairEngine.h"

namespace brindle {

class CRegistryLib : public RepairEngine {
public:
    // Loads the ignore list from "ignore.lst" in the work folder: the prefix's data folder,
    // or the folder named with --work-dir.
    CRegistryLib(Machine& machine, const std::filesystem::path& workFolder) : RepairEngine(machine, workFolder) {}
};

}  // namespace brindle
