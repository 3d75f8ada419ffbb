// The results list: one ticked row per registry problem a scan found, then one per dead
// shortcut. The user may untick and sort; the repair reads the ticks back by the key each
// row was added with, never by its place on screen.
#pragma once

#include "app/workflow/FixSelected.h"
#include "app/workflow/ScanSession.h"
#include "platform/CodePage.h"
#include "skin/SkinList.h"

namespace brindle {

// Fills the list from the scan's rows, each with a tooltip of its whole path and its key,
// and answers how many rows are registry problems (the shortcuts' rows follow them).
int FillResultsList(skin::CSkinList& list, const ScanResult& result, const CodePage& codePage);

// The ticks of a list FillResultsList filled with problemRows registry rows.
FixSelection ReadResultTicks(const skin::CSkinList& list, int problemRows);

}  // namespace brindle
