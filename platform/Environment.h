// Environment variables of the machine and their expansion, as ExpandEnvironmentStringsA
// does it: "%NAME%" is replaced by the value of NAME (names are case-insensitive); an
// unknown variable, or a '%' without a closing one, stays as written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace brindle {

class Environment {
public:
    // Later settings replace earlier ones of the same name (any letter case); the name
    // keeps the spelling of its first setting.
    void set(std::string_view name, std::string_view value);
    void unset(std::string_view name);
    const std::string* find(std::string_view name) const;

    std::string expand(std::string_view text) const;

    // Win32 form: writes at most size bytes (NUL included) and returns the size the
    // whole expansion needs, NUL included. When it does not fit, destination is left
    // undefined, as on Windows.
    win::DWORD ExpandEnvironmentStringsA(const char* source, char* destination, win::DWORD size) const;

private:
    std::vector<std::pair<std::string, std::string>> m_variables;
};

}  // namespace brindle
