// Blanks and the case fold of the skin definition's names, shared by the file reader and
// the field splitter so that both trim the same characters.
#pragma once

#include <string>
#include <string_view>

namespace brindle::skin {

// The C locale's white space: what the reader trims from lines and the splitter from fields.
inline constexpr std::string_view kSkinBlanks = " \t\r\n\v\f";

inline bool IsSkinBlank(char c) {
    return kSkinBlanks.find(c) != std::string_view::npos;
}

inline std::string_view TrimSkinBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSkinBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kSkinBlanks);
    return text.substr(first, last - first + 1);
}

// A section or key name folded so that names differing only in case compare equal:
// ASCII and the Latin-1 letters, byte for byte (the file is 8-bit text).
std::string FoldSkinName(std::string_view name);

}  // namespace brindle::skin
