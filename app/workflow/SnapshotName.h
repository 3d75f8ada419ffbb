// The name of the snapshot file a repair writes while it runs, taken from the local time
// the repair starts at, e.g. "FixedOnTuesdayDecember082026153512.xml".
#pragma once

#include <ctime>
#include <string>

namespace brindle {

// Formatted with strftime in the C locale's day and month names. A result that would be
// longer than 127 characters gives an empty name.
std::string SnapshotFileName(const std::tm& localTime);
std::string SnapshotFileNameNow();

}  // namespace brindle
