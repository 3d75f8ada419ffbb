// Taking the shortcut files a repair will delete into a backup, and putting them back.
#pragma once

#include <string>
#include <vector>

#include "platform/Machine.h"
#include "registry/ShortcutBackupFile.h"

namespace brindle {

struct ShortcutProblem {
    std::string path;     // Windows path
    std::string message;  // names the path and says why it was not backed up, deleted or restored

    bool operator==(const ShortcutProblem&) const = default;
};

struct CollectedShortcuts {
    std::vector<ShortcutBackupEntry> entries;
    // Shortcuts whose bytes could not be taken; the repair must leave them alone.
    std::vector<ShortcutProblem> leftOut;
};

// Reads each listed shortcut (empty entries are passed over) through the machine's
// files. What cannot be read whole, is not a plain file, or would make the backup larger
// than its limits is left out and listed.
CollectedShortcuts CollectShortcutBackup(Machine& machine, const std::vector<std::string>& paths);

struct ShortcutRestoreReport {
    std::vector<std::string> restored;
    // Already there with the very bytes of the backup: nothing to do.
    std::vector<std::string> alreadyThere;
    // Not restored, and why: something else is at the path now (it is never replaced),
    // the folder is gone, or the file could not be created.
    std::vector<ShortcutProblem> skipped;
};

// Creates each shortcut at its Windows path with its bytes, and makes it read-only again
// when it was; never replaces anything that is there.
ShortcutRestoreReport RestoreShortcuts(Machine& machine, const std::vector<ShortcutBackupEntry>& entries);

}  // namespace brindle
