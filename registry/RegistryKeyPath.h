// Key paths as the program writes them: a root's full name, then the sub-key path below
// it, '\'-separated ("HKEY_LOCAL_MACHINE\Software\Microsoft"). One table of the roots and
// one way of taking a path apart, for the registry access, the backups and the snapshot.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace brindle {

struct RegistryRootName {
    std::string_view name;
    win::HKEY handle;
};

inline constexpr std::array<RegistryRootName, 5> kRegistryRoots{{
    {"HKEY_CLASSES_ROOT", win::HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", win::HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", win::HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", win::HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", win::HKEY_CURRENT_CONFIG},
}};

enum class RootSpelling {
    AnyCase,  // as a user or a file may write it
    Exact,    // as the scanners write it: a backup guessing at other spellings could hold another key
};

std::optional<win::HKEY> RegistryRootFromName(std::string_view name, RootSpelling spelling);
// The full name of a root; empty for a handle that is not one.
std::string_view RegistryRootNameOf(win::HKEY root);

struct RegistryKeyPath {
    std::string root;    // the text before the first '\' (all of it when there is none)
    std::string subKey;  // the rest; empty for a root itself

    static RegistryKeyPath Split(std::string_view path);
    // The names of the sub-key path, without empty ones ("A\\B\\" is "A", "B").
    static std::vector<std::string> Names(std::string_view subKey);
};

}  // namespace brindle
