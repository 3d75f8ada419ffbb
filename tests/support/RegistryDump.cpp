#include "support/RegistryDump.h"

#include <algorithm>
#include <vector>

#include "support/OpenOrError.h"

namespace brindle::test {

using namespace win;

namespace {

// The buffers every key of a dump reads into: a whole prefix has tens of thousands of keys.
struct DumpBuffers {
    std::vector<char> name = std::vector<char>(16384);
    std::vector<BYTE> data = std::vector<BYTE>(1 << 20);
};

void DumpKey(Registry& registry, HKEY key, const std::string& path, DumpBuffers& buffers, std::string& out) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "[" + path + "]\n";
    std::vector<std::string> values;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(buffers.name.size());
        DWORD dataLength = static_cast<DWORD>(buffers.data.size());
        DWORD type = 0;
        if (registry.RegEnumValueA(key, index, buffers.name.data(), &nameLength, nullptr, &type, buffers.data.data(),
                                   &dataLength) != ERROR_SUCCESS)
            break;
        std::string line =
            "  \"" + std::string(buffers.name.data(), nameLength) + "\" type " + std::to_string(type) + ":";
        for (DWORD i = 0; i < dataLength; ++i) {
            line += ' ';
            line += kHex[buffers.data[i] >> 4];
            line += kHex[buffers.data[i] & 0xF];
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
        DumpKey(registry, child, path + "\\" + std::string(subName, subLength), buffers, out);
        registry.RegCloseKey(child);
    }
}

}  // namespace

std::string DumpRegistry(Registry& registry, HKEY root, std::string_view subKey) {
    HKEY key = 0;
    if (registry.RegOpenKeyExA(root, std::string(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::string out;
    DumpBuffers buffers;
    DumpKey(registry, key, std::string(subKey), buffers, out);
    registry.RegCloseKey(key);
    return out;
}

std::string DumpPrefixRegistry(const std::filesystem::path& prefix) {
    std::string error;
    auto machine = OpenWinePrefix(prefix, error);
    if (!machine) return "cannot open: " + error;
    return DumpRegistry(machine->registry(), win::HKEY_LOCAL_MACHINE) + DumpRegistry(machine->registry(), win::HKEY_USERS);
}

}  // namespace brindle::test
