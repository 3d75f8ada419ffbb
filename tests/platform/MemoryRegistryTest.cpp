// What MemoryRegistry does beyond the shared Registry conformance suite: the legacy
// family, protection, Wine's symbolic links, stale handles, change tracking, the layout
// behind the predefined roots, and names that only a registry file can hold.
#include "platform/MemoryRegistry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace brindle {
namespace {

using namespace win;

constexpr LONG kBadPathname = 161;

// Builds a key path below node directly in the tree, as a loader does.
RegistryKeyNode* AddPath(RegistryKeyNode& node, std::u16string_view path) {
    RegistryKeyNode* current = &node;
    while (!path.empty()) {
        const std::size_t separator = path.find(u'\\');
        current = current->addSubKey(path.substr(0, separator));
        path = separator == std::u16string_view::npos ? std::u16string_view() : path.substr(separator + 1);
    }
    return current;
}

void MakeLink(RegistryKeyNode& node, std::u16string_view target, DWORD type = REG_LINK) {
    node.isLink = true;
    RegistryValueData value;
    value.name = u"SymbolicLinkValue";
    value.type = type;
    for (const char16_t c : target) {
        value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    node.values.push_back(std::move(value));
}

class MemoryRegistryTest : public ::testing::Test {
protected:
    explicit MemoryRegistryTest(RegistryFamily family = RegistryFamily::WindowsNT)
        : m_registry(CodePage(1252), family) {}

    void TearDown() override {
        for (HKEY key : m_opened) m_registry.RegCloseKey(key);
        EXPECT_EQ(0u, m_registry.openHandleCount());
    }

    HKEY create(HKEY parent, const char* path) {
        HKEY key = 0;
        EXPECT_EQ(ERROR_SUCCESS, m_registry.RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                            &key, nullptr))
            << path;
        m_opened.push_back(key);
        return key;
    }

    LONG open(HKEY parent, const char* path, HKEY* key) {
        const LONG status = m_registry.RegOpenKeyExA(parent, path, 0, KEY_READ, key);
        if (status == ERROR_SUCCESS) m_opened.push_back(*key);
        return status;
    }

    bool exists(HKEY parent, const char* path) {
        HKEY key = 0;
        return open(parent, path, &key) == ERROR_SUCCESS;
    }

    LONG setBinary(HKEY key, const char* name, const std::string& bytes = "1") {
        return m_registry.RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                                         static_cast<DWORD>(bytes.size()));
    }

    std::vector<std::string> subKeyNames(HKEY key) {
        std::vector<std::string> names;
        for (DWORD index = 0;; ++index) {
            char name[512];
            DWORD length = sizeof name;
            if (m_registry.RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, length);
        }
        return names;
    }

    MemoryRegistry m_registry;
    std::vector<HKEY> m_opened;
};

class LegacyMemoryRegistryTest : public MemoryRegistryTest {
protected:
    LegacyMemoryRegistryTest() : MemoryRegistryTest(RegistryFamily::Legacy) {}
};

// --- Handles and roots ---

TEST_F(MemoryRegistryTest, UnsupportedRootsAndGarbageHandlesAreInvalid) {
    for (const HKEY key : {HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA, HKEY{0}, HKEY{3}, HKEY{0x1234}, HKEY{0x80000007},
                           HKEY{0xFFFFFFFC}}) {
        SCOPED_TRACE(testing::Message() << std::hex << key);
        HKEY result = 0;
        EXPECT_EQ(ERROR_INVALID_HANDLE, m_registry.RegOpenKeyExA(key, "x", 0, KEY_READ, &result));
        EXPECT_EQ(ERROR_INVALID_HANDLE, m_registry.RegOpenKeyA(key, nullptr, &result));
        EXPECT_EQ(ERROR_INVALID_HANDLE, m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                                    nullptr, nullptr, nullptr, nullptr, nullptr,
                                                                    nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, setBinary(key, "v"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, m_registry.RegCloseKey(key));
    }
}

TEST_F(MemoryRegistryTest, HandlesAreSmallDistinctAndNotReusedRightAfterClosing) {
    HKEY first = 0;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegCreateKeyA(HKEY_CURRENT_USER, "Handles", &first));
    EXPECT_LT(first, HKEY_CLASSES_ROOT);
    EXPECT_EQ(1u, m_registry.openHandleCount());
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegCloseKey(first));
    EXPECT_EQ(0u, m_registry.openHandleCount());
    HKEY second = create(HKEY_CURRENT_USER, "Handles");
    EXPECT_NE(first, second);
    EXPECT_EQ(ERROR_INVALID_HANDLE, setBinary(first, "v"));
    // RegOpenKeyA on a handle with an empty path gives a handle of its own.
    HKEY again = 0;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegOpenKeyA(second, "", &again));
    m_opened.push_back(again);
    EXPECT_NE(second, again);
    EXPECT_EQ(2u, m_registry.openHandleCount());
}

TEST_F(MemoryRegistryTest, PredefinedRootsMapOntoTheMachineAndUserTrees) {
    struct Case {
        HKEY root;
        const char* subKey;
        std::u16string_view ntPath;
    };
    const Case cases[] = {
        {HKEY_LOCAL_MACHINE, "LmKey", u"\\Registry\\Machine\\LmKey"},
        {HKEY_USERS, ".Default", u"\\Registry\\User\\.Default"},
        {HKEY_CLASSES_ROOT, "txtfile", u"\\Registry\\Machine\\Software\\Classes\\txtfile"},
        {HKEY_CURRENT_USER, "Environment", u"\\REGISTRY\\USER\\S-1-5-21-0-0-0-1000\\environment"},
        {HKEY_CURRENT_CONFIG, "Cfg",
         u"\\Registry\\Machine\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subKey);
        create(c.root, c.subKey);
        EXPECT_NE(nullptr, m_registry.findNode(c.ntPath));
    }
    EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "Software\\Classes\\TXTFILE"));
    EXPECT_TRUE(exists(HKEY_USERS, "S-1-5-21-0-0-0-1000\\Environment"));
    EXPECT_EQ(nullptr, m_registry.findNode(u"\\Machine"));
    EXPECT_EQ(nullptr, m_registry.findNode(u"\\Registry\\Machine\\Absent"));
    EXPECT_EQ(&m_registry.root(), m_registry.findNode(u"\\Registry"));
}

TEST_F(MemoryRegistryTest, RootsComeBackAfterALoaderReplacesTheirBranches) {
    m_registry.root().subKeys.clear();
    HKEY key = 0;
    EXPECT_EQ(ERROR_SUCCESS, open(HKEY_CLASSES_ROOT, "", &key));
    EXPECT_NE(nullptr, m_registry.findNode(u"\\Registry\\Machine\\Software\\Classes"));
    EXPECT_EQ(ERROR_SUCCESS, open(HKEY_CURRENT_CONFIG, nullptr, &key));
}

TEST_F(MemoryRegistryTest, KeysBehindTheRootsCannotBeDeleted) {
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_USERS, "S-1-5-21-0-0-0-1000"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, ""));
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\"
                                                                                "Hardware Profiles\\Current"));
}

TEST_F(LegacyMemoryRegistryTest, KeysBehindTheRootsCannotBeDeletedWithTheirParents) {
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software"));
    EXPECT_NE(nullptr, m_registry.findNode(u"\\Registry\\Machine\\Software\\Classes"));
}

TEST_F(MemoryRegistryTest, RepeatedAndTrailingSeparatorsAreIgnored) {
    create(HKEY_CURRENT_USER, "Sep\\\\Inner\\");
    EXPECT_EQ(std::vector<std::string>{"Inner"}, subKeyNames(create(HKEY_CURRENT_USER, "Sep")));
    HKEY key = 0;
    EXPECT_EQ(kBadPathname, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "\\Sep\\Inner"));
    EXPECT_EQ(kBadPathname, open(HKEY_CURRENT_USER, "\\\\Sep", &key));
}

TEST_F(MemoryRegistryTest, CreateRecordsVolatileOptionAndClass) {
    char keyClass[] = "MyClass";
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegCreateKeyExA(HKEY_CURRENT_USER, "Vol\\Leaf", 0, keyClass, 1,
                                                        KEY_ALL_ACCESS, nullptr, &key, nullptr));
    m_opened.push_back(key);
    const RegistryKeyNode* leaf = m_registry.findNode(u"\\Registry\\User\\S-1-5-21-0-0-0-1000\\Vol\\Leaf");
    ASSERT_NE(nullptr, leaf);
    EXPECT_TRUE(leaf->isVolatile);
    EXPECT_TRUE(leaf->parent->isVolatile);
    char buffer[16];
    DWORD length = sizeof buffer;
    DWORD maxClass = 0;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegQueryInfoKeyA(key, buffer, &length, nullptr, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("MyClass", buffer);
    EXPECT_EQ(7u, length);
    length = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegQueryInfoKeyA(create(HKEY_CURRENT_USER, "Vol"), nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, &maxClass, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr));
    EXPECT_EQ(7u, maxClass);
}

// --- Deleting: legacy family and protection ---

TEST_F(LegacyMemoryRegistryTest, DeleteKeyRemovesTheWholeTree) {
    setBinary(create(HKEY_CURRENT_USER, "Tree\\A\\Deep"), "v");
    create(HKEY_CURRENT_USER, "Tree\\B");
    create(HKEY_CURRENT_USER, "Treetop");
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "tree"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "Tree"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "Tree\\A\\Deep"));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, "Treetop"));
}

struct ProtectionCase {
    const char* what;
    RegistryFamily family;
    const char* protectedKey;
    const char* deletedKey;    // null: delete the value "v" of valueKey instead
    const char* valueKey;
};

class ProtectedKeyTest : public ::testing::TestWithParam<ProtectionCase> {};

TEST_P(ProtectedKeyTest, DeletionIsRefusedAndNothingChanges) {
    const ProtectionCase& c = GetParam();
    MemoryRegistry registry(CodePage(1252), c.family);
    for (const char* path : {"P\\Child\\Grandchild", "P\\Sibling", "Q"}) {
        HKEY key = 0;
        ASSERT_EQ(ERROR_SUCCESS, registry.RegCreateKeyA(HKEY_CURRENT_USER, path, &key));
        ASSERT_EQ(ERROR_SUCCESS, registry.RegSetValueExA(key, "v", 0, REG_BINARY, reinterpret_cast<const BYTE*>("1"), 1));
        registry.RegCloseKey(key);
    }
    ASSERT_TRUE(registry.setProtected(HKEY_CURRENT_USER, c.protectedKey));
    const std::uint64_t changes = registry.changeCount();
    if (c.deletedKey != nullptr) {
        EXPECT_EQ(ERROR_ACCESS_DENIED, registry.RegDeleteKeyA(HKEY_CURRENT_USER, c.deletedKey));
    } else {
        HKEY key = 0;
        ASSERT_EQ(ERROR_SUCCESS, registry.RegOpenKeyExA(HKEY_CURRENT_USER, c.valueKey, 0, KEY_ALL_ACCESS, &key));
        EXPECT_EQ(ERROR_ACCESS_DENIED, registry.RegDeleteValueA(key, "v"));
        // Protection guards deletion only.
        EXPECT_EQ(ERROR_SUCCESS, registry.RegSetValueExA(key, "w", 0, REG_BINARY, reinterpret_cast<const BYTE*>("2"), 1));
        registry.RegCloseKey(key);
        EXPECT_EQ(changes + 1, registry.changeCount());
        return;
    }
    EXPECT_EQ(changes, registry.changeCount());
    for (const char* path : {"P\\Child\\Grandchild", "P\\Sibling", "Q"}) {
        HKEY key = 0;
        EXPECT_EQ(ERROR_SUCCESS, registry.RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key)) << path;
        registry.RegCloseKey(key);
    }
}

INSTANTIATE_TEST_SUITE_P(
    MemoryRegistry, ProtectedKeyTest,
    ::testing::Values(
        ProtectionCase{"the key itself", RegistryFamily::WindowsNT, "P\\Sibling", "P\\Sibling", nullptr},
        ProtectionCase{"a descendant", RegistryFamily::WindowsNT, "P", "P\\Child\\Grandchild", nullptr},
        ProtectionCase{"a value", RegistryFamily::WindowsNT, "P\\Child", nullptr, "P\\Child"},
        ProtectionCase{"a value below", RegistryFamily::WindowsNT, "P", nullptr, "P\\Child\\Grandchild"},
        ProtectionCase{"legacy, the key itself", RegistryFamily::Legacy, "P", "P", nullptr},
        ProtectionCase{"legacy, a tree holding it", RegistryFamily::Legacy, "P\\Child\\Grandchild", "P", nullptr},
        ProtectionCase{"legacy, a descendant", RegistryFamily::Legacy, "P", "P\\Child", nullptr}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(MemoryRegistryTest, ProtectingAMissingKeyFails) {
    EXPECT_FALSE(m_registry.setProtected(HKEY_CURRENT_USER, "Nowhere"));
    EXPECT_FALSE(m_registry.setProtected(HKEY_PERFORMANCE_DATA, ""));
}

TEST_F(MemoryRegistryTest, UnprotectingAllowsDeletionAgain) {
    create(HKEY_CURRENT_USER, "Guarded");
    ASSERT_TRUE(m_registry.setProtected(HKEY_CURRENT_USER, "guarded"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "Guarded"));
    ASSERT_TRUE(m_registry.setProtected(HKEY_CURRENT_USER, "Guarded", false));
    EXPECT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "Guarded"));
}

// --- Symbolic links ---

class MemoryRegistryLinkTest : public MemoryRegistryTest {
protected:
    void SetUp() override {
        RegistryKeyNode& machine = *m_registry.findNode(u"\\Registry\\Machine");
        RegistryKeyNode* control = AddPath(machine, u"System\\ControlSet001\\Control");
        control->values.push_back(RegistryValueData{u"Current", REG_BINARY, {'1'}});
        AddPath(*control, u"Sub");
        MakeLink(*AddPath(machine, u"System\\CurrentControlSet"), u"\\Registry\\Machine\\System\\ControlSet001");
    }
};

TEST_F(MemoryRegistryLinkTest, OpeningAndCreatingFollowTheLink) {
    HKEY control = 0;
    ASSERT_EQ(ERROR_SUCCESS, open(HKEY_LOCAL_MACHINE, "System\\currentcontrolset\\Control", &control));
    EXPECT_EQ(ERROR_SUCCESS, m_registry.RegQueryValueExA(control, "Current", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::vector<std::string>{"Sub"}, subKeyNames(control));

    HKEY viaLink = 0;
    ASSERT_EQ(ERROR_SUCCESS, open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet", &viaLink));
    EXPECT_EQ(std::vector<std::string>{"Control"}, subKeyNames(viaLink));

    create(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\New");
    EXPECT_NE(nullptr, m_registry.findNode(u"\\Registry\\Machine\\System\\ControlSet001\\Services\\New"));
    EXPECT_EQ(nullptr, m_registry.findNode(u"\\Registry\\Machine\\System\\CurrentControlSet\\Services"));
    // Writing through a link is fine; only deletion is refused.
    EXPECT_EQ(ERROR_SUCCESS, setBinary(control, "Written"));
}

TEST_F(MemoryRegistryLinkTest, DeletingThroughTheLinkIsRefused) {
    HKEY control = 0;
    ASSERT_EQ(ERROR_SUCCESS, open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control", &control));
    HKEY system = create(HKEY_LOCAL_MACHINE, "System");
    struct Case {
        HKEY key;
        const char* path;
    };
    for (const Case& c : {Case{HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Sub"}, Case{control, "Sub"},
                          Case{system, "CurrentControlSet"}, Case{HKEY_LOCAL_MACHINE, "System\\CurrentControlSet"}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(c.key, c.path));
    }
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteValueA(control, "Current"));
    EXPECT_EQ(0u, m_registry.changeCount());
    // The same keys, reached without the link, can go.
    EXPECT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Control\\Sub"));
    HKEY direct = 0;
    ASSERT_EQ(ERROR_SUCCESS, open(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Control", &direct));
    EXPECT_EQ(ERROR_SUCCESS, m_registry.RegDeleteValueA(direct, "Current"));
}

TEST_F(MemoryRegistryLinkTest, BrokenLinksAreNotFound) {
    RegistryKeyNode& software = *AddPath(*m_registry.findNode(u"\\Registry\\Machine"), u"Software");
    struct Case {
        const char16_t* name;
        std::u16string_view target;
        DWORD type;
    };
    const Case cases[] = {
        {u"Dangling", u"\\Registry\\Machine\\Nowhere", REG_LINK},
        {u"Self", u"\\Registry\\Machine\\Software\\Self", REG_LINK},
        {u"LoopA", u"\\Registry\\Machine\\Software\\LoopB", REG_LINK},
        {u"LoopB", u"\\Registry\\Machine\\Software\\LoopA", REG_LINK},
        {u"OutsideRegistry", u"\\Device\\Harddisk0", REG_LINK},
        {u"Relative", u"Machine\\Software", REG_LINK},
        {u"WrongType", u"\\Registry\\Machine\\Software", REG_SZ},
    };
    for (const Case& c : cases) MakeLink(*software.addSubKey(c.name), c.target, c.type);
    for (const Case& c : cases) {
        const std::string name = "Software\\" + std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name));
        SCOPED_TRACE(name);
        HKEY key = 0;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, open(HKEY_LOCAL_MACHINE, name.c_str(), &key));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND,
                  m_registry.RegCreateKeyA(HKEY_LOCAL_MACHINE, (name + "\\Below").c_str(), &key));
    }
}

TEST_F(MemoryRegistryLinkTest, ChainsOfLinksAreFollowed) {
    RegistryKeyNode& software = *AddPath(*m_registry.findNode(u"\\Registry\\Machine"), u"Software");
    MakeLink(*software.addSubKey(u"Hop"), u"\\Registry\\Machine\\System\\CurrentControlSet");
    HKEY key = 0;
    EXPECT_EQ(ERROR_SUCCESS, open(HKEY_LOCAL_MACHINE, "Software\\Hop\\Control", &key));
}

// --- Stale handles ---

TEST_F(MemoryRegistryTest, HandlesToDeletedKeysAnswerKeyDeleted) {
    HKEY stale = 0;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegCreateKeyA(HKEY_CURRENT_USER, "Doomed", &stale));
    ASSERT_EQ(ERROR_SUCCESS, setBinary(stale, "v"));
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "Doomed"));

    HKEY result = 0;
    char name[16];
    DWORD length = sizeof name;
    DWORD size = 0;
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegOpenKeyExA(stale, nullptr, 0, KEY_READ, &result));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegCreateKeyA(stale, "Child", &result));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegQueryInfoKeyA(stale, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegEnumKeyExA(stale, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegEnumValueA(stale, 0, name, &length, nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegQueryValueExA(stale, "v", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_KEY_DELETED, setBinary(stale, "w"));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegDeleteValueA(stale, "v"));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegDeleteKeyA(stale, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, m_registry.RegCloseKey(stale));
    // A new key of the same name is a different key.
    create(HKEY_CURRENT_USER, "Doomed");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_registry.RegQueryValueExA(m_opened.back(), "v", nullptr, nullptr, nullptr, &size));
}

TEST_F(MemoryRegistryTest, DeletingAKeyThroughItsOwnHandleLeavesTheHandleStale) {
    HKEY key = create(HKEY_CURRENT_USER, "SelfDelete");
    EXPECT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(key, ""));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "SelfDelete"));
    EXPECT_EQ(ERROR_KEY_DELETED, setBinary(key, "v"));
}

TEST_F(LegacyMemoryRegistryTest, HandlesInsideADeletedTreeAnswerKeyDeleted) {
    HKEY deep = create(HKEY_CURRENT_USER, "Gone\\Deep\\Deeper");
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "Gone"));
    EXPECT_EQ(ERROR_KEY_DELETED, setBinary(deep, "v"));
    EXPECT_EQ(ERROR_KEY_DELETED, m_registry.RegDeleteKeyA(deep, ""));
}

// --- Change tracking ---

TEST_F(MemoryRegistryTest, ChangesAreCountedAndStampedWithTheClock) {
    std::uint64_t ticks = 1000;
    m_registry.setClock([&ticks] { return ticks; });
    const RegistryKeyNode& user = *m_registry.findNode(u"\\Registry\\User\\S-1-5-21-0-0-0-1000");
    const std::uint64_t before = m_registry.changeCount();

    HKEY key = create(HKEY_CURRENT_USER, "Stamped\\Leaf");
    const RegistryKeyNode& stamped = *m_registry.findNode(u"\\Registry\\User\\S-1-5-21-0-0-0-1000\\Stamped");
    const RegistryKeyNode& leaf = *stamped.findSubKey(u"Leaf");
    EXPECT_EQ(before + 1, m_registry.changeCount());
    EXPECT_EQ(1000u, user.lastWriteTime);
    EXPECT_EQ(1000u, stamped.lastWriteTime);
    EXPECT_EQ(1000u, leaf.lastWriteTime);

    ticks = 2000;
    create(HKEY_CURRENT_USER, "Stamped\\Leaf");  // opening an existing key changes nothing
    EXPECT_EQ(before + 1, m_registry.changeCount());
    EXPECT_EQ(1000u, leaf.lastWriteTime);

    ASSERT_EQ(ERROR_SUCCESS, setBinary(key, "v"));
    EXPECT_EQ(before + 2, m_registry.changeCount());
    EXPECT_EQ(2000u, leaf.lastWriteTime);
    EXPECT_EQ(1000u, stamped.lastWriteTime);

    ticks = 3000;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegDeleteValueA(key, "v"));
    EXPECT_EQ(3000u, leaf.lastWriteTime);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_registry.RegDeleteValueA(key, "v"));
    EXPECT_EQ(before + 3, m_registry.changeCount());

    ticks = 0x0123456789ABCDEFull;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, "Stamped\\Leaf"));
    EXPECT_EQ(before + 4, m_registry.changeCount());
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegQueryInfoKeyA(create(HKEY_CURRENT_USER, "Stamped"), nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, &written));
    EXPECT_EQ(0x89ABCDEFu, written.dwLowDateTime);
    EXPECT_EQ(0x01234567u, written.dwHighDateTime);
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_registry.RegDeleteKeyA(HKEY_CURRENT_USER, ""));
    EXPECT_EQ(before + 4, m_registry.changeCount());
}

TEST_F(MemoryRegistryTest, DefaultClockIsTodayAsAFileTime) {
    HKEY key = create(HKEY_CURRENT_USER, "Now");
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr, &written));
    const std::uint64_t ticks = (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    EXPECT_GT(ticks, 132537600000000000ull);  // 2021-01-01
    EXPECT_LT(ticks, 159000000000000000ull);  // about 2104
}

// --- Names only a registry file can hold ---

TEST_F(MemoryRegistryTest, NamesWithoutAnAnsiFormEnumerateAsQuestionMarksAndCannotBeOpened) {
    RegistryKeyNode& parent = *AddPath(*m_registry.findNode(u"\\Registry\\Machine"), u"Names");
    parent.addSubKey(u"Caf\u0101");
    parent.addSubKey(u"caf\u00E9");
    parent.values.push_back(RegistryValueData{u"\u65E5", REG_SZ, {0xE5, 0x65, 0, 0}});
    HKEY key = create(HKEY_LOCAL_MACHINE, "Names");
    EXPECT_EQ((std::vector<std::string>{"caf\xE9", "Caf?"}), subKeyNames(key));  // U+00C9 sorts before U+0100
    HKEY result = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, open(key, "Caf?", &result));
    EXPECT_EQ(ERROR_SUCCESS, open(key, "CAF\xC9", &result));

    char name[8];
    DWORD length = sizeof name;
    BYTE data[8];
    DWORD size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegEnumValueA(key, 0, name, &length, nullptr, nullptr, data, &size));
    EXPECT_EQ("?", std::string(name, length));
    EXPECT_EQ(std::string("?\0", 2), std::string(reinterpret_cast<char*>(data), size));
}

TEST_F(MemoryRegistryTest, NamesLongerThan255FromAFileEnumerateWithABigEnoughBuffer) {
    const std::u16string longName(300, u'n');
    RegistryKeyNode& parent = *AddPath(*m_registry.findNode(u"\\Registry\\Machine"), u"Long");
    parent.addSubKey(longName);
    parent.values.push_back(RegistryValueData{longName, REG_BINARY, {}});
    HKEY key = create(HKEY_LOCAL_MACHINE, "Long");

    std::string buffer(400, '#');
    DWORD length = kMaxKeyNameLength + 1;
    EXPECT_EQ(ERROR_MORE_DATA,
              m_registry.RegEnumKeyExA(key, 0, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::string(400, '#'), buffer);
    length = 301;
    ASSERT_EQ(ERROR_SUCCESS,
              m_registry.RegEnumKeyExA(key, 0, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(300u, length);
    EXPECT_EQ(std::string(300, 'n'), buffer.substr(0, 300));
    EXPECT_EQ('#', buffer[301]);

    length = 300;
    EXPECT_EQ(ERROR_MORE_DATA,
              m_registry.RegEnumValueA(key, 0, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr));
    DWORD maxSubKey = 0, maxValueName = 0;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxSubKey, nullptr,
                                                         nullptr, &maxValueName, nullptr, nullptr, nullptr));
    EXPECT_EQ(300u, maxSubKey);
    EXPECT_EQ(300u, maxValueName);
    // Opening by the long name works; only creating one is refused.
    HKEY result = 0;
    EXPECT_EQ(ERROR_SUCCESS, open(key, std::string(300, 'N').c_str(), &result));
}

TEST(MemoryRegistryCodePageTest, ShiftJisPathsSplitOnlyAtRealSeparators) {
    MemoryRegistry registry{CodePage(932)};
    HKEY key = 0;
    // 0x95 0x5C is one character whose second byte is '\' in ASCII.
    ASSERT_EQ(ERROR_SUCCESS, registry.RegCreateKeyA(HKEY_CURRENT_USER, "\x95\x5C\\\x93\xFA", &key));
    registry.RegCloseKey(key);
    EXPECT_NE(nullptr, registry.findNode(u"\\Registry\\User\\S-1-5-21-0-0-0-1000\\\u8868\\\u65E5"));
}

TEST(MemoryRegistryCodePageTest, MaxValueLengthBoundsUtf8Data) {
    MemoryRegistry registry{CodePage(65001)};
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, registry.RegCreateKeyA(HKEY_CURRENT_USER, "Utf8", &key));
    const std::string text = "\xE6\x97\xA5\xE6\x97\xA5";  // two characters, six bytes, four in UTF-16
    ASSERT_EQ(ERROR_SUCCESS, registry.RegSetValueExA(key, "t", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                                                     static_cast<DWORD>(text.size())));
    DWORD maxValue = 0;
    DWORD size = 0;
    ASSERT_EQ(ERROR_SUCCESS, registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                       nullptr, nullptr, &maxValue, nullptr, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, registry.RegQueryValueExA(key, "t", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(6u, size);
    EXPECT_GE(maxValue, size);
    registry.RegCloseKey(key);
}

// --- The tree itself ---

TEST(RegistryTreeTest, NamesCompareCaseInsensitively) {
    struct Case {
        std::u16string_view a;
        std::u16string_view b;
        int order;
    };
    for (const Case& c : {Case{u"abc", u"ABC", 0}, Case{u"a", u"B", -1}, Case{u"B", u"a", 1}, Case{u"ab", u"a", 1},
                          Case{u"", u"", 0}, Case{u"_", u"a", 1},  // letters fold to upper case, below '_'
                          Case{u"\u00E9t\u00E9", u"\u00C9T\u00C9", 0}, Case{u"\u0433", u"\u0413", 0}}) {
        SCOPED_TRACE(testing::Message() << c.a.size() << "/" << c.b.size());
        const int order = CompareRegistryNames(c.a, c.b);
        EXPECT_EQ(c.order, order < 0 ? -1 : order > 0 ? 1 : 0);
    }
}

TEST(RegistryTreeTest, SubKeysStaySortedWhateverTheInsertionOrder) {
    RegistryKeyNode node;
    for (const char16_t* name : {u"m", u"B", u"z", u"a", u"Y", u"c"}) node.addSubKey(name);
    RegistryKeyNode* existing = node.findSubKey(u"y");
    ASSERT_NE(nullptr, existing);
    EXPECT_EQ(existing, node.addSubKey(u"Y"));
    std::u16string order;
    for (const auto& child : node.subKeys) {
        order += child->name;
        EXPECT_EQ(&node, child->parent);
    }
    EXPECT_EQ(u"aBcmYz", order);
    EXPECT_EQ(nullptr, node.findSubKey(u"x"));
}

TEST(RegistryTreeTest, ValuesAreFoundCaseInsensitively) {
    RegistryKeyNode node;
    node.values.push_back(RegistryValueData{u"", REG_SZ, {}});
    node.values.push_back(RegistryValueData{u"Path", REG_SZ, {}});
    EXPECT_EQ(&node.values[1], node.values.find(u"PATH"));
    EXPECT_EQ(&node.values[0], node.values.find(u""));
    EXPECT_EQ(nullptr, node.values.find(u"Pat"));
}

}  // namespace
}  // namespace brindle
