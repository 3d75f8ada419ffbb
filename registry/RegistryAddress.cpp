#include "registry/RegistryAddress.h"

#include <vector>

#include "platform/AsciiText.h"
#include "registry/RegistryValue.h"

namespace brindle {

using namespace win;

namespace {

// Up to a NUL, which a message cannot show.
std::string Quoted(std::string_view name) {
    std::string quoted(1, '"');
    quoted.append(name.substr(0, name.find('\0'))).push_back('"');
    return quoted;
}

std::string CannotTellApart(std::size_t alike, std::string_view what, std::string_view listedName) {
    return std::to_string(alike) + " " + std::string(what) + " are listed by the name " + Quoted(listedName) +
           " (characters the code page lacks read as '?'), so the one the scan saw cannot be told apart";
}

std::size_t CountOf(const std::unordered_map<std::string, std::size_t>& counts, const std::string& name) {
    const auto found = counts.find(name);
    return found == counts.end() ? 0 : found->second;
}

}  // namespace

// Every value or sub-key name of the key as RegEnumValueA or RegEnumKeyExA lists it,
// embedded NULs included.
AddressCheck::Listing& AddressCheck::listing(Listing& cache, const std::string& keyPath, HKEY key, bool values) {
    if (cache.valid && cache.keyPath == keyPath) return cache;
    cache = Listing{};
    cache.keyPath = keyPath;
    DWORD count = 0;
    DWORD longest = 0;
    if (m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, values ? nullptr : &count,
                                    values ? nullptr : &longest, nullptr, values ? &count : nullptr,
                                    values ? &longest : nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return cache;  // not kept: the next question lists again
    }
    std::vector<char> buffer(static_cast<std::size_t>(longest) + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status =
            values ? m_registry.RegEnumValueA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                   : m_registry.RegEnumKeyExA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        const std::string_view name(buffer.data(), length);
        ++cache.byName[ToUpperAscii(name)];
        if (name == kDefaultValueName) ++cache.namedDefault;
    }
    cache.valid = true;
    return cache;
}

void AddressCheck::forget(Listing& cache, const std::string& keyPath, const std::string& countedName) {
    if (!cache.valid || cache.keyPath != keyPath) return;
    const auto found = cache.byName.find(countedName);
    if (found != cache.byName.end() && found->second > 0) --found->second;
}

std::string AddressCheck::whyValueIsNotAddressable(const std::string& keyPath, HKEY key, std::string_view listedName) {
    if (listedName.find('\0') != std::string_view::npos) {
        return "the value's name " + Quoted(listedName) + " holds a NUL character, so the registry cannot be asked for it";
    }
    const Listing& names = listing(m_values, keyPath, key, true);
    // The listing calls the unnamed value "(Default)", so a value really named so lists
    // alike with it.
    const std::size_t alike =
        listedName.empty() ? CountOf(names.byName, "") + names.namedDefault : CountOf(names.byName, ToUpperAscii(listedName));
    if (alike == 0) return {};  // gone already: the deletion finds nothing and says so
    if (alike > 1) return CannotTellApart(alike, "values", listedName);
    DWORD size = 0;
    const std::string name(listedName);
    if (m_registry.RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return "the value's name " + Quoted(listedName) +
               " reaches no value when asked for (it holds a character the code page lacks)";
    }
    return {};
}

std::string AddressCheck::whySubKeyIsNotAddressable(const std::string& parentPath, HKEY parent,
                                                    std::string_view listedName) {
    if (listedName.find('\0') != std::string_view::npos) {
        return "the key's name " + Quoted(listedName) + " holds a NUL character, so the registry cannot be asked for it";
    }
    const std::size_t alike = CountOf(listing(m_subKeys, parentPath, parent, false).byName, ToUpperAscii(listedName));
    if (alike == 0) return {};
    if (alike > 1) return CannotTellApart(alike, "keys", listedName);
    HKEY key = 0;
    const std::string name(listedName);
    if (m_registry.RegOpenKeyExA(parent, name.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return "the key's name " + Quoted(listedName) +
               " reaches no key when asked for (it holds a character the code page lacks)";
    }
    m_registry.RegCloseKey(key);
    return {};
}

void AddressCheck::valueDeleted(const std::string& keyPath, std::string_view listedName) {
    forget(m_values, keyPath, ToUpperAscii(listedName));
}

void AddressCheck::subKeyDeleted(const std::string& parentPath, std::string_view listedName) {
    forget(m_subKeys, parentPath, ToUpperAscii(listedName));
    // The values listed in the deleted key, or in one below it, went with it.
    std::string deleted = parentPath;
    deleted.append(1, '\\').append(listedName);
    const std::string_view listed = m_values.keyPath;
    if (m_values.valid && listed.size() >= deleted.size() && EqualsIgnoreAsciiCase(listed.substr(0, deleted.size()), deleted) &&
        (listed.size() == deleted.size() || listed[deleted.size()] == '\\')) {
        m_values.valid = false;
    }
}

}  // namespace brindle
