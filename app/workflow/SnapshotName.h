// The name of the snapshot file a repair writes while it runs, taken from the local time
// the repair starts at, e.g. "FixedOnTuesdayDecember082026153512.xml".
#pragma once

#include <ctime>
#include <string>

namespace brindle {

// The C locale's day and month names whatever the process's locale, then the day, year
// and time as strftime's %d%Y%H%M%S gives them. A time out of range gives an empty name.
std::string SnapshotFileName(const std::tm& localTime);
std::string SnapshotFileNameNow();

// The name, when nothing has it in the current directory; else the first free one of
// "<name without .xml>_2.xml", "_3", ... . Someone else's file (or link) of that name is
// then left alone; the snapshot writer creates its file exclusively all the same.
std::string FreeSnapshotFileName(const std::string& name);

}  // namespace brindle
