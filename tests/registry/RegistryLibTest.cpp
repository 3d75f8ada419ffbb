#include "scan/RegistryLib.h"

#include <gtest/gtest.h>

#include "platform/RunningProcess.h"
#include "registry/KeyHandle.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;
using test::TestMachine;
using namespace std::string_literals;

TEST(SeperateMainKeyTest, SplitsOffTheRoot) {
    struct Case {
        std::string path, root, rest;
    } cases[] = {
        {"HKEY_USERS", "HKEY_USERS", ""},
        {"\\Software", "", "Software"},
        {"A\\B\\C", "A", "B\\C"},
        {"", "", ""},
        {"HKEY_LOCAL_MACHINE\\", "HKEY_LOCAL_MACHINE", ""},
        {"HKEY_LOCAL_MACHINE\\\\x", "HKEY_LOCAL_MACHINE", "\\x"},
    };
    for (auto c : cases) {
        std::string path = c.path;
        EXPECT_EQ(CRegistryLib::SeperateMainKey(path), c.root) << c.path;
        EXPECT_EQ(path, c.rest) << c.path;
    }
}

TEST(RootKeyFromNameTest, KnowsOnlyTheFiveFullNames) {
    EXPECT_EQ(CRegistryLib::RootKeyFromName("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(CRegistryLib::RootKeyFromName("hkey_current_user"), HKEY_CURRENT_USER);
    EXPECT_EQ(CRegistryLib::RootKeyFromName("HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(CRegistryLib::RootKeyFromName("Hkey_Users"), HKEY_USERS);
    EXPECT_EQ(CRegistryLib::RootKeyFromName("HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
    for (const char* other : {"HKLM", "HKEY_PERFORMANCE_DATA", "HKEY_DYN_DATA", "", "HKEY_LOCAL_MACHINE "})
        EXPECT_FALSE(CRegistryLib::RootKeyFromName(other).has_value()) << other;
}

class RegistryLibTest : public ::testing::Test {
protected:
    TestMachine machine;
};

TEST_F(RegistryLibTest, OpenKeyMapsRootsAndRefusesUnknownOnes) {
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Vendor");
    CRegistryLib lib(machine, CurrentFolder());

    HKEY key = 12345;
    EXPECT_EQ(lib.OpenKey("hkey_local_machine", "SOFTWARE\\vendor", &key), ERROR_SUCCESS);
    EXPECT_NE(key, 0u);
    machine.registry().RegCloseKey(key);

    key = 12345;
    EXPECT_EQ(lib.OpenKey("HKLM", "Software", &key), 1);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(lib.OpenKey("HKEY_LOCAL_MACHINE", "Software", nullptr), 1);

    key = 12345;
    EXPECT_EQ(lib.OpenKey("HKEY_LOCAL_MACHINE", "Software\\Missing", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);

    EXPECT_EQ(lib.OpenKey("HKEY_LOCAL_MACHINE", "", &key), ERROR_SUCCESS);
    machine.registry().RegCloseKey(key);
}

TEST_F(RegistryLibTest, ClassesRootIsTheMachineClassesKey) {
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}");
    EXPECT_TRUE(machine.keyExists("HKEY_CLASSES_ROOT\\CLSID\\{1}"));
}

TEST_F(RegistryLibTest, DeleteKeyTreeRefusesAnEmptySubKey) {
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Keep");
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_EQ(lib.DeleteKeyTree(HKEY_LOCAL_MACHINE, ""), ERROR_BADKEY);
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\Keep"));
}

class DeleteKeyFamilyTest : public ::testing::TestWithParam<DWORD> {};

TEST_P(DeleteKeyFamilyTest, RemovesThreeLevelsOfSubKeys) {
    TestMachine machine;
    machine.setVersion(GetParam());
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\App\\A\\B\\C", "v", "1");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\App\\A\\B2", "", "x");
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\App\\D");
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Apple");
    CRegistryLib lib(machine, CurrentFolder());

    EXPECT_EQ(lib.DeleteKey("HKEY_LOCAL_MACHINE", "Software\\App"), ERROR_SUCCESS);
    EXPECT_FALSE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\App"));
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\Apple"));
    EXPECT_EQ(lib.DeleteKey("HKEY_LOCAL_MACHINE", "Software\\App"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(lib.DeleteKey("HKEY_NOWHERE", "Software\\Apple"), 1);
}

INSTANTIATE_TEST_SUITE_P(Families, DeleteKeyFamilyTest, ::testing::Values(kVersionWindows7, kVersionWindows98));

TEST_F(RegistryLibTest, DeleteKeyTreeStopsAtAProtectedKeyAndLeavesTheRest) {
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\App\\A");
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\App\\B\\Locked");
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\App\\C");
    ASSERT_TRUE(machine.memoryRegistry().setProtected(HKEY_LOCAL_MACHINE, "Software\\App\\B\\Locked"));
    CRegistryLib lib(machine, CurrentFolder());

    EXPECT_EQ(lib.DeleteKey("HKEY_LOCAL_MACHINE", "Software\\App"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\App\\A"));
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\App\\B\\Locked"));
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\App\\C"));
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u);
}

TEST_F(RegistryLibTest, DeleteValueRemovesOneValue) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Fonts", "Arial", "arial.ttf");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Fonts", "Times", "times.ttf");
    CRegistryLib lib(machine, CurrentFolder());

    EXPECT_EQ(lib.DeleteValue("HKEY_LOCAL_MACHINE", "Software\\Fonts", "Arial"), ERROR_SUCCESS);
    EXPECT_EQ(lib.DeleteValue("HKEY_LOCAL_MACHINE", "Software\\Fonts", "Arial"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(lib.DeleteValue("HKEY_LOCAL_MACHINE", "Software\\Missing", "Times"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(lib.DeleteValue("HKLM", "Software\\Fonts", "Times"), 1);

    HKEY key = 0;
    ASSERT_EQ(lib.OpenKey("HKEY_LOCAL_MACHINE", "Software\\Fonts", &key), ERROR_SUCCESS);
    std::vector<RegistryValue> values;
    lib.GetKeyValues(key, values);
    machine.registry().RegCloseKey(key);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].name, "Times");
}

std::vector<RegistryValue> ValuesOf(TestMachine& machine, CRegistryLib& lib, const char* subKey) {
    KeyHandle key(machine.registry());
    EXPECT_EQ(lib.OpenKey("HKEY_LOCAL_MACHINE", subKey, key.out()), ERROR_SUCCESS);
    std::vector<RegistryValue> values;
    lib.GetKeyValues(key.get(), values);
    return values;
}

TEST_F(RegistryLibTest, GetKeyValuesOfAnEmptyKeyIsThePlaceholder) {
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Empty");
    CRegistryLib lib(machine, CurrentFolder());
    const std::vector<RegistryValue> expected{{"(Default)", "(value not set)", REG_SZ}};
    EXPECT_EQ(ValuesOf(machine, lib, "Software\\Empty"), expected);
}

TEST_F(RegistryLibTest, GetKeyValuesPutsThePlaceholderFirst) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\App", "Path", "C:\\App");
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\App", "Count", REG_DWORD, "\x02\x00\x00\x00"s);
    CRegistryLib lib(machine, CurrentFolder());
    const std::vector<RegistryValue> expected{
        {"(Default)", "(value not set)", REG_SZ},
        {"Path", "C:\\App", REG_SZ},
        {"Count", "0x00000002 (2)", REG_DWORD},
    };
    EXPECT_EQ(ValuesOf(machine, lib, "Software\\App"), expected);
}

TEST_F(RegistryLibTest, GetKeyValuesKeepsTheDefaultValueInEnumerationOrder) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\App", "First", "1");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\App", "", "C:\\app.exe");
    CRegistryLib lib(machine, CurrentFolder());
    const std::vector<RegistryValue> expected{
        {"First", "1", REG_SZ},
        {"(Default)", "C:\\app.exe", REG_SZ},
    };
    EXPECT_EQ(ValuesOf(machine, lib, "Software\\App"), expected);
}

TEST_F(RegistryLibTest, UnnamedValuesAreShownAsTextWhateverTheirType) {
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Bin", "", REG_BINARY, "ab\0cd"s);
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\EmptyDefault", "", REG_SZ, ""s);
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_EQ(ValuesOf(machine, lib, "Software\\Bin"), (std::vector<RegistryValue>{{"(Default)", "ab", REG_BINARY}}));
    EXPECT_EQ(ValuesOf(machine, lib, "Software\\EmptyDefault"),
              (std::vector<RegistryValue>{{"(Default)", "(value not set)", REG_SZ}}));
}

TEST_F(RegistryLibTest, GetKeyValuesCopesWithAwkwardData) {
    const std::string longName(16383, 'n');
    const std::string bigData(1 << 20, 'd');
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Odd", longName, REG_SZ, bigData);
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Odd", "short", REG_DWORD, "\x07"s);
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Odd", "multi", REG_MULTI_SZ, "a\0b"s);
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Odd", "nul", REG_SZ, "x\0y"s);
    CRegistryLib lib(machine, CurrentFolder());
    const auto values = ValuesOf(machine, lib, "Software\\Odd");
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[1].name, longName);
    EXPECT_EQ(values[1].data, bigData);
    EXPECT_EQ(values[2].data, "0x00000007 (7)");
    EXPECT_EQ(values[3].data, "a");
    EXPECT_EQ(values[4].data, "x");
}

TEST_F(RegistryLibTest, GetKeyValuesOfABadHandleIsThePlaceholder) {
    CRegistryLib lib(machine, CurrentFolder());
    std::vector<RegistryValue> values;
    lib.GetKeyValues(0xDEAD, values);
    EXPECT_EQ(values, (std::vector<RegistryValue>{{"(Default)", "(value not set)", REG_SZ}}));
}

}  // namespace
}  // namespace brindle
