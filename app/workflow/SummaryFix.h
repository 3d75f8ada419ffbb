// The repair of the summary screens. They hand over no selection: everything the scan
// listed is removed, after a text export of the whole of HKEY_LOCAL_MACHINE has been
// put into "Registry Backups" as the backup.
#pragma once

#include <string>

#include "app/workflow/FixSelected.h"
#include "registry/WholeRegistryBackup.h"

namespace brindle {

// Nothing is removed unless the export is complete and in the backup folder.
FixReport SummaryFix(ScanSession& session, const std::string& snapshotFileName,
                     const BackupClock& clock = LocalBackupTime,
                     const WholeRegistryBackupOptions& options = WholeRegistryBackupOptions());

}  // namespace brindle
