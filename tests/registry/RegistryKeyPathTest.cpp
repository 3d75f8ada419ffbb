#include "registry/RegistryKeyPath.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

using namespace win;

TEST(RegistryKeyPathTest, RootsAreFoundByTheirFullNamesInTheSpellingAsked) {
    const struct {
        const char* name;
        std::optional<HKEY> anyCase, exact;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE},
        {"hkey_local_machine", HKEY_LOCAL_MACHINE, std::nullopt},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG},
        {"HKLM", std::nullopt, std::nullopt},
        {"HKEY_LOCAL_MACHINE ", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegistryRootFromName(c.name, RootSpelling::AnyCase), c.anyCase) << c.name;
        EXPECT_EQ(RegistryRootFromName(c.name, RootSpelling::Exact), c.exact) << c.name;
    }
    for (const auto& root : kRegistryRoots) EXPECT_EQ(RegistryRootNameOf(root.handle), root.name);
    EXPECT_EQ(RegistryRootNameOf(static_cast<HKEY>(0x80000009u)), "");
}

TEST(RegistryKeyPathTest, APathSplitsAtItsFirstSeparatorAndNamesSkipEmptyOnes) {
    const struct {
        const char* path;
        const char* root;
        const char* subKey;
        std::vector<std::string> names;
    } cases[] = {
        {"HKEY_USERS\\.Default\\Software", "HKEY_USERS", ".Default\\Software", {".Default", "Software"}},
        {"HKEY_USERS", "HKEY_USERS", "", {}},
        {"HKEY_USERS\\", "HKEY_USERS", "", {}},
        {"HKEY_USERS\\A\\\\B\\", "HKEY_USERS", "A\\\\B\\", {"A", "B"}},
        {"", "", "", {}},
    };
    for (const auto& c : cases) {
        const RegistryKeyPath split = RegistryKeyPath::Split(c.path);
        EXPECT_EQ(split.root, c.root) << c.path;
        EXPECT_EQ(split.subKey, c.subKey) << c.path;
        EXPECT_EQ(RegistryKeyPath::Names(split.subKey), c.names) << c.path;
    }
}

}  // namespace
}  // namespace brindle
