// The machine's local time, for the names and texts that show it.
#pragma once

#include <ctime>
#include <optional>

namespace brindle {

// `when` in the local time zone; all zero when the system cannot tell.
std::tm LocalTime(std::time_t when);
// The same, or nothing when the system cannot tell (a time out of its range).
std::optional<std::tm> LocalTimeIfKnown(std::time_t when);

}  // namespace brindle
