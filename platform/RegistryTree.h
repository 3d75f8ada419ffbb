// The data behind MemoryRegistry: a tree of keys that hold UTF-16 names and raw value
// bytes exactly as the registry files carry them, so that a save can write back what a
// load read. Loaders and savers of registry files work on this tree directly; programs
// go through the Registry interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryValueList.h"
#include "platform/WinTypes.h"

namespace brindle {

struct RegistryKeyNode {
    std::u16string name;
    RegistryKeyNode* parent = nullptr;  // null for the tree's root

    RegistryValueList values;
    // Sorted by CompareRegistryNames, so lookups are binary searches and enumeration
    // order is the case-insensitive order Windows and Wine use.
    std::vector<std::shared_ptr<RegistryKeyNode>> subKeys;

    std::u16string keyClass;
    bool hasClass = false;
    bool isLink = false;       // Wine symbolic link: target in the REG_LINK value "SymbolicLinkValue"
    bool isVolatile = false;   // never written to a file
    bool isProtected = false;  // deleting it, anything below it, or one of its values answers 5
    bool isDeleted = false;    // removed from the tree while a handle still held it
    std::uint64_t lastWriteTime = 0;  // FILETIME: 100 ns ticks since 1601-01-01 UTC

    // Binary search; null when absent.
    RegistryKeyNode* findSubKey(std::u16string_view name) const;
    // Inserts in sorted position (appending is O(1) when names arrive in order);
    // returns the existing key when one of that name is there already.
    RegistryKeyNode* addSubKey(std::u16string_view name);
};

// Case-insensitive order of registry names: code unit by code unit after upper-casing.
int CompareRegistryNames(std::u16string_view a, std::u16string_view b);

}  // namespace brindle
