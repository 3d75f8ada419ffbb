// The ignored panel's list: the ignore list's entries, each with a box to tick for removal.
#pragma once

#include <filesystem>

#include "app/workflow/RepairJob.h"
#include "platform/CodePage.h"
#include "platform/Result.h"
#include "skin/SkinList.h"

namespace brindle {

// Shows the entries of the work folder's ignore list; one that cannot be read shows why,
// in a list that cannot be ticked, and is never shown as empty.
void FillIgnoredList(skin::CSkinList& list, const std::filesystem::path& workFolder, const CodePage& codePage);

// Removes the ticked entries from the ignore list under the one-writer locks, then shows
// the list again; why, when nothing could be removed.
Status RemoveTickedIgnored(skin::CSkinList& list, const std::filesystem::path& workFolder,
                           const LockForWriting& lockForWriting, const CodePage& codePage);

}  // namespace brindle
