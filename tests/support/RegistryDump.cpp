#include "support/RegistryDump.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace brindle::test {

using namespace win;

namespace {

void DumpKey(Registry& registry, HKEY key, const std::string& path, std::string& out) {
    out += "[" + path + "]\n";
    std::vector<std::string> values;
    std::vector<char> name(16384);
    std::vector<BYTE> data(1 << 20);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (registry.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength) !=
            ERROR_SUCCESS)
            break;
        std::string line = "  \"" + std::string(name.data(), nameLength) + "\" type " + std::to_string(type) + ":";
        for (DWORD i = 0; i < dataLength; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", data[i]);
            line += hex;
        }
        values.push_back(line + "\n");
    }
    std::sort(values.begin(), values.end());
    for (const auto& line : values) out += line;

    for (DWORD index = 0;; ++index) {
        char subName[256];
        DWORD subLength = sizeof subName;
        if (registry.RegEnumKeyExA(key, index, subName, &subLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY child = 0;
        if (registry.RegOpenKeyExA(key, subName, 0, KEY_READ, &child) != ERROR_SUCCESS) {
            out += "[" + path + "\\" + subName + "] cannot be opened\n";
            continue;
        }
        DumpKey(registry, child, path + "\\" + std::string(subName, subLength), out);
        registry.RegCloseKey(child);
    }
}

}  // namespace

std::string DumpRegistry(Registry& registry, HKEY root, std::string_view subKey) {
    HKEY key = 0;
    if (registry.RegOpenKeyExA(root, std::string(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::string out;
    DumpKey(registry, key, std::string(subKey), out);
    registry.RegCloseKey(key);
    return out;
}

}  // namespace brindle::test
