// Small byte-wise text helpers for 8-bit ANSI text: ASCII letters folded, every other byte kept.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

inline char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string ToLowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = ToLowerAscii(c);
    return result;
}

inline std::string ToUpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = ToUpperAscii(c);
    return result;
}

inline bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    }
    return true;
}

inline bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace brindle
