// Decimal numbers at the start of a text, as the C library's atoi and atol read them once
// blanks are skipped: an optional sign, then digits up to the first other character ("0l"
// is 0, "abc" is 0). Texts come from files and edit boxes, so a number beyond the range
// asked for gives the nearest end of it instead of undefined behaviour.
#pragma once

#include <cstdint>
#include <string_view>

namespace brindle {

// `low` must be at most 0 and `high` at least 0.
std::int64_t ParseLeadingInteger(std::string_view text, std::int64_t low, std::int64_t high);

}  // namespace brindle
