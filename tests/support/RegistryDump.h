// A registry branch as text, for comparing whole registries in tests: every key path in
// enumeration order with its values sorted by name (a restored value may come back in
// another place of the list; Windows gives the order no meaning), types and data in hex.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace brindle::test {

// Empty when the branch cannot be opened.
std::string DumpRegistry(Registry& registry, win::HKEY root, std::string_view subKey = "");
// The registry of a Wine prefix as Brindle reads it, every root that a file holds; the
// reason when it cannot be opened.
std::string DumpPrefixRegistry(const std::filesystem::path& prefix);

}  // namespace brindle::test
