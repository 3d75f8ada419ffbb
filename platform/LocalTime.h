// The calendar time of the machine's time zone, for names that carry the time they were
// made at.
#pragma once

#include <ctime>

namespace brindle {

// The local calendar time of `when`; safe to call from any thread.
std::tm LocalTime(std::time_t when);

}  // namespace brindle
