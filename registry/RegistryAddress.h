// Whether the 8-bit name a listing gave a value or a key reaches that same value or key
// when the registry is asked for it by name. It may not: a character the ANSI code page
// lacks is listed as '?' (and asking for "?" reaches another value, or none), two names
// may list alike, and a name holding a NUL ends at it when handed over as a C string.
// A repair that deleted by such a name would delete the wrong entry, or none, and say
// it had removed it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Registry.h"

namespace brindle {

// A repair asks this for every problem, and one key may hold a hundred thousand of them:
// the names of the key last asked about are listed once and counted, and each deletion
// the repair makes is told back, so that no problem lists the whole key again.
class AddressCheck {
public:
    explicit AddressCheck(Registry& registry) : m_registry(registry) {}

    // Empty when deleting the value of this listed name (the empty name for the unnamed
    // value) in the open key reaches exactly the value listed, or no value is listed by
    // it any more; otherwise why it cannot be told apart. keyPath names the open key
    // (its root and path, as the problem gives them); the same text reaches the same key.
    std::string whyValueIsNotAddressable(const std::string& keyPath, win::HKEY key, std::string_view listedName);
    // The same for a sub-key of an open key, whose name the problem may carry in another
    // letter case (key names are compared without regard to case).
    std::string whySubKeyIsNotAddressable(const std::string& parentPath, win::HKEY parent,
                                          std::string_view listedName);

    // A deletion by this listed name succeeded.
    void valueDeleted(const std::string& keyPath, std::string_view listedName);
    void subKeyDeleted(const std::string& parentPath, std::string_view listedName);

private:
    // The names of one key's values or sub-keys, counted by their upper-case ASCII form,
    // the way the 8-bit registry calls compare them.
    struct Listing {
        bool valid = false;
        std::string keyPath;
        std::unordered_map<std::string, std::size_t> byName;
        std::size_t namedDefault = 0;  // values literally named "(Default)"
    };
    Listing& listing(Listing& cache, const std::string& keyPath, win::HKEY key, bool values);
    static void forget(Listing& cache, const std::string& keyPath, const std::string& countedName);

    Registry& m_registry;
    Listing m_values;
    Listing m_subKeys;
};

}  // namespace brindle
