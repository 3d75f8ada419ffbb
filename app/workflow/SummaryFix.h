// The repair of the summary screens. They hand over no selection: everything the scan
// listed is removed, after a text export of the whole of HKEY_LOCAL_MACHINE has been
// put into "Registry Backups" as the backup, with the shortcut files to be deleted in
// a shortcut backup beside it.
#pragma once

#include <string>

#include "app/workflow/FixSelected.h"
#include "registry/WholeRegistryBackup.h"

namespace brindle {

// Nothing is removed unless the export (and the shortcut backup, when there are
// shortcuts) is complete and in the backup folder.
FixReport SummaryFix(ScanSession& session, const std::string& snapshotFileName,
                     const BackupClock& clock = LocalBackupTime,
                     const WholeRegistryBackupOptions& options = WholeRegistryBackupOptions());

}  // namespace brindle
