// What every Registry implementation must do the way Win32 does it. The suite runs
// against a factory, so a Win32 backend instantiates it unchanged next to MemoryRegistry;
// it works only inside a scratch key under HKEY_CURRENT_USER and removes it afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/MemoryRegistry.h"
#include "platform/Registry.h"

namespace brindle {
namespace {

using namespace win;

constexpr const char* kScratchPath = "Software\\BrindleConformanceTest";
constexpr char kMarker = '\xCC';

struct RegistryFactory {
    const char* name;
    std::function<std::unique_ptr<Registry>()> make;
};

void PrintTo(const RegistryFactory& factory, std::ostream* out) { *out << factory.name; }

// Removes a key and everything below it with nothing but the Registry interface.
LONG DeleteTree(Registry& registry, HKEY parent, const char* path) {
    HKEY key = 0;
    if (const LONG status = registry.RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key); status != ERROR_SUCCESS) {
        return status;
    }
    for (;;) {
        char name[1024];
        DWORD length = sizeof name;
        if (registry.RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (DeleteTree(registry, key, name) != ERROR_SUCCESS) break;
    }
    registry.RegCloseKey(key);
    return registry.RegDeleteKeyA(parent, path);
}

class RegistryConformanceTest : public ::testing::TestWithParam<RegistryFactory> {
protected:
    void SetUp() override {
        m_registry = GetParam().make();
        DeleteTree(registry(), HKEY_CURRENT_USER, kScratchPath);
        ASSERT_EQ(ERROR_SUCCESS, registry().RegCreateKeyExA(HKEY_CURRENT_USER, kScratchPath, 0, nullptr, 0,
                                                            KEY_ALL_ACCESS, nullptr, &m_scratch, nullptr));
    }

    void TearDown() override {
        for (HKEY key : m_opened) registry().RegCloseKey(key);
        registry().RegCloseKey(m_scratch);
        EXPECT_EQ(ERROR_SUCCESS, DeleteTree(registry(), HKEY_CURRENT_USER, kScratchPath));
    }

    Registry& registry() { return *m_registry; }
    HKEY scratch() const { return m_scratch; }

    // Creates (or opens) a key below the scratch key; closed at tear-down.
    HKEY create(const char* path) {
        HKEY key = 0;
        EXPECT_EQ(ERROR_SUCCESS, registry().RegCreateKeyExA(m_scratch, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                            &key, nullptr))
            << path;
        m_opened.push_back(key);
        return key;
    }

    LONG setValue(HKEY key, const char* name, DWORD type, const std::string& bytes) {
        return registry().RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                         static_cast<DWORD>(bytes.size()));
    }

    // The value's type and ANSI data, read with a buffer of exactly the size reported.
    std::pair<DWORD, std::string> queryValue(HKEY key, const char* name) {
        DWORD size = 0;
        EXPECT_EQ(ERROR_SUCCESS, registry().RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size)) << name;
        std::string data(size, kMarker);
        DWORD type = 0xFFFF;
        EXPECT_EQ(ERROR_SUCCESS, registry().RegQueryValueExA(key, name, nullptr, &type,
                                                             reinterpret_cast<BYTE*>(data.data()), &size));
        data.resize(size);
        return {type, data};
    }

    std::vector<std::string> subKeyNames(HKEY key) {
        std::vector<std::string> names;
        for (DWORD index = 0;; ++index) {
            char name[300];
            DWORD length = sizeof name;
            const LONG status = registry().RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            EXPECT_EQ(ERROR_SUCCESS, status);
            if (status != ERROR_SUCCESS) break;
            names.emplace_back(name, length);
        }
        return names;
    }

    std::vector<std::string> valueNames(HKEY key) {
        std::vector<std::string> names;
        for (DWORD index = 0;; ++index) {
            char name[300];
            DWORD length = sizeof name;
            const LONG status =
                registry().RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            EXPECT_EQ(ERROR_SUCCESS, status);
            if (status != ERROR_SUCCESS) break;
            names.emplace_back(name, length);
        }
        return names;
    }

private:
    std::unique_ptr<Registry> m_registry;
    HKEY m_scratch = 0;
    std::vector<HKEY> m_opened;
};

// --- Opening, creating, closing ---

TEST_P(RegistryConformanceTest, CreateReportsNewKeyThenExistingKey) {
    HKEY first = 0;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, registry().RegCreateKeyExA(scratch(), "One\\Two\\Three", 0, nullptr, 0, KEY_ALL_ACCESS,
                                                        nullptr, &first, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    HKEY second = 0;
    ASSERT_EQ(ERROR_SUCCESS, registry().RegCreateKeyExA(scratch(), "One\\Two\\Three", 0, nullptr, 0, KEY_ALL_ACCESS,
                                                        nullptr, &second, &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
    HKEY viaOpen = 0;
    EXPECT_EQ(ERROR_SUCCESS, registry().RegOpenKeyExA(scratch(), "One\\Two", 0, KEY_READ, &viaOpen));
    EXPECT_EQ(std::vector<std::string>{"Three"}, subKeyNames(viaOpen));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(first));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(second));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(viaOpen));
}

TEST_P(RegistryConformanceTest, OpeningMissingKeyIsFileNotFound) {
    create("Present");
    HKEY key = 0x1234;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegOpenKeyExA(scratch(), "Absent", 0, KEY_READ, &key));
    EXPECT_EQ(0u, key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegOpenKeyExA(scratch(), "Absent\\Deeper", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegOpenKeyA(scratch(), "Present\\Absent", &key));
}

TEST_P(RegistryConformanceTest, ClosingAnUnknownOrClosedHandleIsInvalidHandle) {
    HKEY key = create("Closable");
    EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, registry().RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, registry().RegCloseKey(0));
}

TEST_P(RegistryConformanceTest, PredefinedRootsOpenQueryAndClose) {
    for (const HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                            HKEY_CURRENT_CONFIG}) {
        SCOPED_TRACE(testing::Message() << std::hex << root);
        HKEY key = 0;
        ASSERT_EQ(ERROR_SUCCESS, registry().RegOpenKeyExA(root, nullptr, 0, KEY_READ, &key));
        EXPECT_NE(0u, key);
        EXPECT_EQ(ERROR_SUCCESS, registry().RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(key));
        // RegOpenKeyA hands back the root itself for an empty path.
        EXPECT_EQ(ERROR_SUCCESS, registry().RegOpenKeyA(root, "", &key));
        EXPECT_EQ(root, key);
        EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(root));
    }
}

TEST_P(RegistryConformanceTest, EmptySubKeyOpensTheSameKey) {
    HKEY key = create("Same");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "v", REG_BINARY, "x"));
    for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
        HKEY again = 0;
        ASSERT_EQ(ERROR_SUCCESS, registry().RegOpenKeyExA(key, empty, 0, KEY_READ, &again));
        EXPECT_EQ((std::pair<DWORD, std::string>{REG_BINARY, "x"}), queryValue(again, "v"));
        if (again != key) {
            EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(again));
        }
    }
}

TEST_P(RegistryConformanceTest, PathsAndValueNamesAreCaseInsensitive) {
    HKEY key = create("Alpha\\Beta");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "MixedCase", REG_BINARY, "1"));
    HKEY other = 0;
    ASSERT_EQ(ERROR_SUCCESS, registry().RegOpenKeyExA(scratch(), "ALPHA\\beta", 0, KEY_READ, &other));
    EXPECT_EQ((std::pair<DWORD, std::string>{REG_BINARY, "1"}), queryValue(other, "mixedcase"));
    ASSERT_EQ(ERROR_SUCCESS, setValue(other, "MIXEDCASE", REG_BINARY, "2"));
    EXPECT_EQ(std::vector<std::string>{"MixedCase"}, valueNames(key));  // replaced, name kept
    EXPECT_EQ(ERROR_SUCCESS, registry().RegCloseKey(other));
}

TEST_P(RegistryConformanceTest, LeadingBackslashIsBadPathname) {
    create("Lead");
    HKEY key = 0;
    EXPECT_EQ(161, registry().RegOpenKeyExA(scratch(), "\\Lead", 0, KEY_READ, &key));
    EXPECT_EQ(161, registry().RegCreateKeyExA(scratch(), "\\Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                              nullptr));
}

TEST_P(RegistryConformanceTest, KeyNameOf255IsAcceptedAnd256Refused) {
    const std::string longest(kMaxKeyNameLength, 'k');
    const std::string tooLong(kMaxKeyNameLength + 1, 'k');
    HKEY key = 0;
    EXPECT_EQ(ERROR_SUCCESS, registry().RegCreateKeyExA(scratch(), longest.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                        nullptr, &key, nullptr));
    registry().RegCloseKey(key);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, registry().RegCreateKeyExA(scratch(), tooLong.c_str(), 0, nullptr, 0,
                                                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(std::vector<std::string>{longest}, subKeyNames(scratch()));
}

// --- Enumeration ---

TEST_P(RegistryConformanceTest, SubKeysEnumerateInCaseInsensitiveOrderWithDenseIndexes) {
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "b"}) create(name);
    EXPECT_EQ((std::vector<std::string>{"alpha", "b", "Bravo", "CHARLIE", "delta"}), subKeyNames(scratch()));
    char name[16];
    DWORD length = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              registry().RegEnumKeyExA(scratch(), 5, name, &length, nullptr, nullptr, nullptr, nullptr));
}

TEST_P(RegistryConformanceTest, EnumeratingIndexZeroWhileDeletingVisitsEveryKey) {
    for (const char* name : {"k1", "k2", "k3", "k4", "k5"}) create(name);
    std::vector<std::string> deleted;
    for (int guard = 0; guard < 10; ++guard) {
        char name[16];
        DWORD length = sizeof name;
        const LONG status = registry().RegEnumKeyExA(scratch(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(ERROR_SUCCESS, status);
        ASSERT_EQ(ERROR_SUCCESS, registry().RegDeleteKeyA(scratch(), name));
        deleted.emplace_back(name, length);
    }
    EXPECT_EQ((std::vector<std::string>{"k1", "k2", "k3", "k4", "k5"}), deleted);
}

TEST_P(RegistryConformanceTest, DeletingAKeyShiftsLaterIndexesDown) {
    for (const char* name : {"a", "b", "c"}) create(name);
    ASSERT_EQ(ERROR_SUCCESS, registry().RegDeleteKeyA(scratch(), "B"));
    EXPECT_EQ((std::vector<std::string>{"a", "c"}), subKeyNames(scratch()));
    HKEY key = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegOpenKeyExA(scratch(), "b", 0, KEY_READ, &key));
}

TEST_P(RegistryConformanceTest, KeyNameBufferTooSmallIsMoreDataAndWritesNothingPastCapacity) {
    create("abcdef");
    struct Case {
        DWORD capacity;
        LONG status;
    };
    for (const Case& c : {Case{0, ERROR_MORE_DATA}, Case{1, ERROR_MORE_DATA}, Case{6, ERROR_MORE_DATA},
                          Case{7, ERROR_SUCCESS}, Case{8, ERROR_SUCCESS}}) {
        SCOPED_TRACE(c.capacity);
        char buffer[16];
        std::memset(buffer, kMarker, sizeof buffer);
        DWORD length = c.capacity;
        EXPECT_EQ(c.status, registry().RegEnumKeyExA(scratch(), 0, buffer, &length, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(kMarker, buffer[c.capacity]);
        if (c.status == ERROR_SUCCESS) {
            EXPECT_EQ(6u, length);
            EXPECT_STREQ("abcdef", buffer);
        }
    }
}

// --- Values ---

TEST_P(RegistryConformanceTest, UnnamedValueIsReportedWithAnEmptyName) {
    HKEY key = create("Unnamed");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, nullptr, REG_SZ, std::string("first", 6)));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "", REG_SZ, std::string("second", 7)));
    EXPECT_EQ(std::vector<std::string>{""}, valueNames(key));
    EXPECT_EQ((std::pair<DWORD, std::string>{REG_SZ, std::string("second", 7)}), queryValue(key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegDeleteValueA(key, ""));
    EXPECT_TRUE(valueNames(key).empty());
}

TEST_P(RegistryConformanceTest, DataRoundTripsExactlyAsGiven) {
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {"string without terminator", REG_SZ, "abc"},
        {"string with terminator", REG_SZ, std::string("abc", 4)},
        {"empty string", REG_SZ, ""},
        {"string with embedded NUL", REG_SZ, std::string("a\0b", 3)},
        {"expandable string", REG_EXPAND_SZ, std::string("%TEMP%\\x", 9)},
        {"multi-string", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"ANSI letters", REG_SZ, std::string("caf\xE9", 5)},
        {"short dword", REG_DWORD, std::string("\x01\x02", 2)},
        {"dword", REG_DWORD, std::string("\x2A\0\0\0", 4)},
        {"qword", REG_QWORD, std::string("\1\2\3\4\5\6\7\x08", 8)},
        {"binary with NULs", REG_BINARY, std::string("\0\xFF\0\x80", 4)},
        {"no type, no data", REG_NONE, ""},
    };
    HKEY key = create("RoundTrip");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, setValue(key, c.what, c.type, c.bytes));
        EXPECT_EQ((std::pair<DWORD, std::string>{c.type, c.bytes}), queryValue(key, c.what));
    }
}

TEST_P(RegistryConformanceTest, ValuesEnumerateInInsertionOrderAndReplacingKeepsThePosition) {
    HKEY key = create("Order");
    for (const char* name : {"zeta", "Alpha", "mid"}) ASSERT_EQ(ERROR_SUCCESS, setValue(key, name, REG_BINARY, "1"));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "ALPHA", REG_DWORD, std::string("\7\0\0\0", 4)));
    EXPECT_EQ((std::vector<std::string>{"zeta", "Alpha", "mid"}), valueNames(key));
    EXPECT_EQ((std::pair<DWORD, std::string>{REG_DWORD, std::string("\7\0\0\0", 4)}), queryValue(key, "alpha"));
    char name[8];
    DWORD length = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, registry().RegEnumValueA(key, 3, name, &length, nullptr, nullptr, nullptr, nullptr));
}

TEST_P(RegistryConformanceTest, DeletingAValueShiftsLaterIndexesAndMissingIsFileNotFound) {
    HKEY key = create("DeleteValue");
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(ERROR_SUCCESS, setValue(key, name, REG_BINARY, "1"));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegDeleteValueA(key, "A"));
    EXPECT_EQ((std::vector<std::string>{"b", "c"}), valueNames(key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegDeleteValueA(key, "a"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegQueryValueExA(key, "a", nullptr, nullptr, nullptr, nullptr));
}

TEST_P(RegistryConformanceTest, QueryWithNullDataReportsTheSizeAndType) {
    HKEY key = create("Sizes");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "text", REG_SZ, std::string("hello", 6)));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "blob", REG_BINARY, std::string(40, 'b')));
    struct Case {
        const char* name;
        DWORD type;
        DWORD size;
    };
    for (const Case& c : {Case{"text", REG_SZ, 6}, Case{"blob", REG_BINARY, 40}}) {
        SCOPED_TRACE(c.name);
        DWORD type = 0;
        DWORD size = 0;
        EXPECT_EQ(ERROR_SUCCESS, registry().RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.size, size);
    }
    char name[8];
    DWORD nameLength = sizeof name;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, registry().RegEnumValueA(key, 1, name, &nameLength, nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(40u, size);
    EXPECT_STREQ("blob", name);
}

TEST_P(RegistryConformanceTest, DataBufferTooSmallIsMoreDataWithTheNeededSize) {
    HKEY key = create("Small");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "text", REG_SZ, std::string("hello", 6)));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "blob", REG_BINARY, std::string(10, 'b')));
    struct Case {
        const char* name;
        DWORD needed;
    };
    for (const Case& c : {Case{"text", 6}, Case{"blob", 10}}) {
        SCOPED_TRACE(c.name);
        BYTE buffer[16];
        std::memset(buffer, kMarker, sizeof buffer);
        DWORD size = c.needed - 1;
        EXPECT_EQ(ERROR_MORE_DATA, registry().RegQueryValueExA(key, c.name, nullptr, nullptr, buffer, &size));
        EXPECT_EQ(c.needed, size);
        EXPECT_EQ(static_cast<BYTE>(kMarker), buffer[c.needed - 1]);

        std::memset(buffer, kMarker, sizeof buffer);
        size = c.needed - 1;
        char name[8];
        DWORD nameLength = sizeof name;
        const DWORD index = std::strcmp(c.name, "text") == 0 ? 0 : 1;
        EXPECT_EQ(ERROR_MORE_DATA,
                  registry().RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, buffer, &size));
        EXPECT_EQ(c.needed, size);
        EXPECT_EQ(static_cast<BYTE>(kMarker), buffer[c.needed - 1]);
    }
}

TEST_P(RegistryConformanceTest, ValueNameBufferTooSmallIsMoreDataAndWritesNothingPastCapacity) {
    HKEY key = create("ValueName");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "abcd", REG_BINARY, "1"));
    struct Case {
        DWORD capacity;
        LONG status;
    };
    for (const Case& c : {Case{0, ERROR_MORE_DATA}, Case{4, ERROR_MORE_DATA}, Case{5, ERROR_SUCCESS}}) {
        SCOPED_TRACE(c.capacity);
        char buffer[8];
        std::memset(buffer, kMarker, sizeof buffer);
        DWORD length = c.capacity;
        EXPECT_EQ(c.status, registry().RegEnumValueA(key, 0, buffer, &length, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(kMarker, buffer[c.capacity]);
        if (c.status == ERROR_SUCCESS) {
            EXPECT_EQ(4u, length);
        }
    }
}

TEST_P(RegistryConformanceTest, ValueNameOf16383IsAcceptedAnd16384Refused) {
    HKEY key = create("LongValueName");
    const std::string longest(kMaxValueNameLength, 'v');
    const std::string tooLong(kMaxValueNameLength + 1, 'v');
    EXPECT_EQ(ERROR_SUCCESS, setValue(key, longest.c_str(), REG_BINARY, "1"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, setValue(key, tooLong.c_str(), REG_BINARY, "1"));
    std::string name(kMaxValueNameLength + 2, kMarker);
    DWORD length = kMaxValueNameLength + 1;
    ASSERT_EQ(ERROR_SUCCESS, registry().RegEnumValueA(key, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(kMaxValueNameLength, length);
    EXPECT_EQ(longest, name.substr(0, length));
    EXPECT_EQ(kMarker, name[kMaxValueNameLength + 1]);
    DWORD values = 0;
    EXPECT_EQ(ERROR_SUCCESS, registry().RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                         &values, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1u, values);
}

TEST_P(RegistryConformanceTest, MegabyteOfDataRoundTrips) {
    HKEY key = create("Large");
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 8));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "big", REG_BINARY, bytes));
    EXPECT_EQ((std::pair<DWORD, std::string>{REG_BINARY, bytes}), queryValue(key, "big"));
}

// --- Deleting keys and key information ---

TEST_P(RegistryConformanceTest, DeleteKeyRefusesAKeyWithSubKeys) {
    create("Parent\\Child");
    EXPECT_EQ(ERROR_ACCESS_DENIED, registry().RegDeleteKeyA(scratch(), "Parent"));
    EXPECT_EQ(std::vector<std::string>{"Parent"}, subKeyNames(scratch()));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegDeleteKeyA(scratch(), "Parent\\Child"));
    EXPECT_EQ(ERROR_SUCCESS, registry().RegDeleteKeyA(scratch(), "Parent"));
    EXPECT_TRUE(subKeyNames(scratch()).empty());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry().RegDeleteKeyA(scratch(), "Parent"));
}

TEST_P(RegistryConformanceTest, QueryInfoKeyReportsCountsAndMaxima) {
    HKEY key = create("Info");
    create("Info\\a");
    create("Info\\abcdefg");
    create("Info\\abc");
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "x", REG_BINARY, std::string(10, 'b')));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, "yyyyy", REG_SZ, std::string("hello", 6)));
    ASSERT_EQ(ERROR_SUCCESS, setValue(key, nullptr, REG_DWORD, std::string(4, '\0')));
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValue = 0;
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, registry().RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                                                         &values, &maxValueName, &maxValue, nullptr, &written));
    EXPECT_EQ(3u, subKeys);
    EXPECT_EQ(7u, maxSubKey);
    EXPECT_EQ(3u, values);
    EXPECT_EQ(5u, maxValueName);
    EXPECT_GE(maxValue, 10u);  // an upper bound of what a query returns
    EXPECT_NE(0u, written.dwHighDateTime | written.dwLowDateTime);

    HKEY empty = create("Info\\a");
    ASSERT_EQ(ERROR_SUCCESS, registry().RegQueryInfoKeyA(empty, nullptr, nullptr, nullptr, &subKeys, &maxSubKey,
                                                         nullptr, &values, &maxValueName, &maxValue, nullptr, nullptr));
    EXPECT_EQ(0u, subKeys);
    EXPECT_EQ(0u, maxSubKey);
    EXPECT_EQ(0u, values);
    EXPECT_EQ(0u, maxValueName);
    EXPECT_EQ(0u, maxValue);
}

// The suite describes the NT family, whose RegDeleteKeyA refuses keys with sub-keys.
std::vector<RegistryFactory> Implementations() {
    return {{"MemoryRegistry", [] { return std::make_unique<MemoryRegistry>(); }}};
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryConformanceTest, ::testing::ValuesIn(Implementations()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brindle
