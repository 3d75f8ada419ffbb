#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/LeadingInteger.h"
#include "skin/definition/SkinIni.h"
#include "skin/definition/SkinText.h"

namespace brindle::skin {

namespace {

// atoi/atol with the result held inside [low, high] instead of overflowing.
std::int64_t ParseSaturated(std::string_view field, std::int64_t low, std::int64_t high) {
    std::size_t at = 0;
    while (at < field.size() && IsSkinBlank(field[at])) ++at;
    return ParseLeadingInteger(field.substr(at), low, high);
}

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

std::string NextField(std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        text = std::string(TrimSkinBlanks(text));
        return text;
    }
    std::string field = text.substr(0, comma);
    text = std::string(TrimSkinBlanks(std::string_view(text).substr(comma + 1)));
    return field;
}

SkinRect ParseRect(std::string& text) {
    const int x = ParseInt(NextField(text));
    const int y = ParseInt(NextField(text));
    const int w = ParseInt(NextField(text));
    const int h = ParseInt(NextField(text));
    return SkinRect{x, y, ClampToInt(std::int64_t{x} + w), ClampToInt(std::int64_t{y} + h)};
}

int ParseInt(std::string_view field) {
    return static_cast<int>(ParseSaturated(field, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

unsigned long ParseColour(std::string_view field) {
    const std::int64_t value =
        ParseSaturated(field, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

bool ParseFlag(std::string_view field) {
    return !field.empty() && field.front() == 'T';
}

}  // namespace brindle::skin
