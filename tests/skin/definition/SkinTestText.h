// Definition text for the reader's tests, written line by line.
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

#include "skin/definition/SkinIni.h"

namespace brindle::skin {

// For the failure messages of EXPECT_EQ on rectangles.
inline void PrintTo(const SkinRect& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

}  // namespace brindle::skin

namespace brindle::skin::test {

// The lines joined with CR LF, as the shipped file is written.
inline std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end = "\r\n") {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += end;
    }
    return text;
}

inline CSkinIni IniOf(std::initializer_list<std::string_view> lines) {
    return CSkinIni::FromText(Lines(lines));
}

}  // namespace brindle::skin::test
