// The data side of removing what the user left ticked on the results list: unticked
// rows go to the ignore list, the registry is backed up, then repaired and written
// back, then the shortcut files are deleted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/workflow/FixReport.h"
#include "app/workflow/ScanSession.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

// One flag per row of the results list: the registry problems in list order, then the
// shortcuts. A row without a flag counts as ticked, as the list shows every row ticked.
struct FixSelection {
    std::vector<bool> problemTicked;
    std::vector<bool> shortcutTicked;

    bool problemIsTicked(std::size_t index) const {
        return index >= problemTicked.size() || problemTicked[index];
    }
    bool shortcutIsTicked(std::size_t index) const {
        return index >= shortcutTicked.size() || shortcutTicked[index];
    }
};

// Every row of the session's lists ticked but those whose path `kept` answers true for.
FixSelection TickAllBut(const ScanSession& session, const std::function<bool(const std::string& path)>& kept);
// The paths of the rows the selection leaves unticked: the registry entries', then the shortcuts'.
std::vector<std::string> UntickedPaths(const ScanSession& session, const FixSelection& selection);

// The snapshot file is created in the current directory under snapshotFileName while
// the repair runs; the ignore list and the backup folder are in the current directory.
FixReport FixSelected(ScanSession& session, const FixSelection& selection, const std::string& snapshotFileName,
                      const BackupClock& clock = LocalBackupTime);

}  // namespace brindle
