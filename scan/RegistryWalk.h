// The walk every scanner shares: sub-keys by index from 0 with a stop poll before each
// enumeration, ending at the first result other than success and passing over empty
// names.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace brindle {

// False, without visiting anything, when the key cannot be queried for its longest
// sub-key name; true once the walk has ended.
template <typename StopRequested, typename Visit>
bool WalkSubKeys(Registry& registry, win::HKEY key, StopRequested stopRequested, Visit visit) {
    win::DWORD longestName = 0;
    if (registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestName, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr) != win::ERROR_SUCCESS) {
        return false;
    }
    std::vector<char> name(static_cast<std::size_t>(longestName) + 1);
    for (win::DWORD index = 0;; ++index) {
        if (stopRequested()) break;
        win::DWORD length = static_cast<win::DWORD>(name.size());
        if (registry.RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            win::ERROR_SUCCESS) {
            break;
        }
        if (length == 0) continue;
        visit(std::string_view(name.data(), std::min<std::size_t>(length, name.size())));
    }
    return true;
}

}  // namespace brindle
