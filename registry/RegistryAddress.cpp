#include "registry/RegistryAddress.h"

#include <vector>

#include "registry/RegistryValue.h"
#include "registry/TextUtil.h"

namespace brindle {

using namespace win;

namespace {

std::string Quoted(std::string_view name) { return "\"" + std::string(name.substr(0, name.find('\0'))) + "\""; }

enum class Listing { Values, SubKeys };

// Every value or sub-key name of the key as RegEnumValueA or RegEnumKeyExA lists it,
// embedded NULs included.
std::vector<std::string> ListedNames(Registry& registry, HKEY key, Listing listing) {
    std::vector<std::string> names;
    DWORD count = 0;
    DWORD longest = 0;
    const bool values = listing == Listing::Values;
    if (registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, values ? nullptr : &count,
                                  values ? nullptr : &longest, nullptr, values ? &count : nullptr,
                                  values ? &longest : nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    std::vector<char> buffer(static_cast<std::size_t>(longest) + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status =
            values ? registry.RegEnumValueA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                   : registry.RegEnumKeyExA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

}  // namespace

std::string WhyValueIsNotAddressable(Registry& registry, HKEY key, std::string_view listedName) {
    if (listedName.find('\0') != std::string_view::npos) {
        return "the value's name " + Quoted(listedName) + " holds a NUL character, so the registry cannot be asked for it";
    }
    // The listing calls the unnamed value "(Default)", so a value really named so lists
    // alike with it.
    const auto listsAlike = [&](const std::string& name) {
        if (listedName.empty()) return name.empty() || name == kDefaultValueName;
        return EqualsIgnoreAsciiCase(name, listedName);
    };
    std::size_t alike = 0;
    for (const auto& name : ListedNames(registry, key, Listing::Values)) alike += listsAlike(name) ? 1 : 0;
    if (alike == 0) return {};  // gone already: the deletion finds nothing and says so
    if (alike > 1) {
        return std::to_string(alike) + " values are listed by the name " + Quoted(listedName) +
               " (characters the code page lacks read as '?'), so the one the scan saw cannot be told apart";
    }
    DWORD size = 0;
    const std::string name(listedName);
    if (registry.RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return "the value's name " + Quoted(listedName) +
               " reaches no value when asked for (it holds a character the code page lacks)";
    }
    return {};
}

std::string WhySubKeyIsNotAddressable(Registry& registry, HKEY parent, std::string_view listedName) {
    if (listedName.find('\0') != std::string_view::npos) {
        return "the key's name " + Quoted(listedName) + " holds a NUL character, so the registry cannot be asked for it";
    }
    std::size_t alike = 0;
    for (const auto& name : ListedNames(registry, parent, Listing::SubKeys)) alike += EqualsIgnoreAsciiCase(name, listedName) ? 1 : 0;
    if (alike == 0) return {};
    if (alike > 1) {
        return std::to_string(alike) + " keys are listed by the name " + Quoted(listedName) +
               " (characters the code page lacks read as '?'), so the one the scan saw cannot be told apart";
    }
    HKEY key = 0;
    const std::string name(listedName);
    if (registry.RegOpenKeyExA(parent, name.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return "the key's name " + Quoted(listedName) +
               " reaches no key when asked for (it holds a character the code page lacks)";
    }
    registry.RegCloseKey(key);
    return {};
}

}  // namespace brindle
