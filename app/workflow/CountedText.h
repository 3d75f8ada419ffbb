// A count with its noun, as the messages say it: "1 registry entry", "2 registry entries".
#pragma once

#include <cstdint>
#include <string>

namespace brindle {

inline std::string CountedText(std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace brindle
