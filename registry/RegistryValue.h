// One value of a key as the registry access layer lists it: its name ("(Default)" for
// the unnamed value), its data rendered as text by type, and its type code.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace brindle {

inline constexpr const char* kDefaultValueName = "(Default)";
inline constexpr const char* kValueNotSet = "(value not set)";

struct RegistryValue {
    std::string name;
    std::string data;
    win::DWORD type = win::REG_SZ;

    bool operator==(const RegistryValue&) const = default;
};

}  // namespace brindle
