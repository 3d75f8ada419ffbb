#include "platform/LeadingInteger.h"

namespace brindle {

std::int64_t ParseLeadingInteger(std::string_view text, std::int64_t low, std::int64_t high) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // Accumulated towards the sign's end, so that the lowest value needs no special case.
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (negative) {
            if (value < (low + digit) / 10) return low;
            value = value * 10 - digit;
        } else {
            if (value > (high - digit) / 10) return high;
            value = value * 10 + digit;
        }
    }
    return value;
}

}  // namespace brindle
