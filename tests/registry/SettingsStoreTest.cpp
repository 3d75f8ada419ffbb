#include "registry/SettingsStore.h"

#include <gtest/gtest.h>

#include <vector>

#include "registry/KeyHandle.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;
using namespace std::string_literals;
using test::TestMachine;

constexpr const char* kSettingsPath = "HKEY_LOCAL_MACHINE\\Software\\Brindle";
constexpr const char* kRunPath = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RawValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string data;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    RawValue raw(const char* keyPath, const char* valueName) {
        RawValue value;
        KeyHandle key(machine.registry());
        value.status = machine.registry().RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, key.out());
        if (value.status != ERROR_SUCCESS) return value;
        BYTE data[1024];
        DWORD length = sizeof data;
        value.status = machine.registry().RegQueryValueExA(key.get(), valueName, nullptr, &value.type, data, &length);
        if (value.status == ERROR_SUCCESS) value.data.assign(reinterpret_cast<const char*>(data), length);
        return value;
    }

    TestMachine machine;
    SettingsStore store{machine.registry()};
};

// --- Reading a value as a string ---

struct StringCase {
    const char* what;
    DWORD type;
    std::string data;
    LONG status;
    std::string text;
};

TEST_F(SettingsStoreTest, AValueReadsAsAStringOnlyWhenTerminatedAndSmallEnough) {
    const std::vector<StringCase> cases = {
        {"string", REG_SZ, "12\0"s, ERROR_SUCCESS, "12"},
        {"the text 0", REG_SZ, "0\0"s, ERROR_SUCCESS, "0"},
        {"empty string", REG_SZ, "\0"s, ERROR_SUCCESS, ""},
        {"expandable", REG_EXPAND_SZ, "%x%\0"s, ERROR_SUCCESS, "%x%"},
        {"multi string gives its first", REG_MULTI_SZ, "a\0b\0\0"s, ERROR_SUCCESS, "a"},
        {"empty multi string", REG_MULTI_SZ, "\0\0"s, ERROR_SUCCESS, ""},
        {"unterminated string", REG_SZ, "12", ERROR_INVALID_DATA, ""},
        {"zero-length string", REG_SZ, "", ERROR_INVALID_DATA, ""},
        {"multi string with one NUL", REG_MULTI_SZ, "a\0"s, ERROR_INVALID_DATA, ""},
        {"one-byte multi string", REG_MULTI_SZ, "\0"s, ERROR_INVALID_DATA, ""},
        {"number", REG_DWORD, "\1\0\0\0"s, ERROR_INVALID_DATA, ""},
        {"binary that looks like text", REG_BINARY, "1\0"s, ERROR_INVALID_DATA, ""},
        {"fills the buffer", REG_SZ, std::string(255, 'x') + '\0', ERROR_SUCCESS, std::string(255, 'x')},
        {"one byte too long", REG_SZ, std::string(256, 'x') + '\0', ERROR_MORE_DATA, ""},
    };
    for (const StringCase& c : cases) {
        machine.setBytes(kSettingsPath, "v", c.type, c.data);
        KeyHandle key(machine.registry());
        ASSERT_EQ(machine.registry().RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, key.out()), ERROR_SUCCESS);
        std::string text;
        EXPECT_EQ(SettingsStore::ReadStringValue(machine.registry(), key.get(), "v", text), c.status) << c.what;
        if (c.status == ERROR_SUCCESS) {
            EXPECT_EQ(text, c.text) << c.what;
        }
        EXPECT_EQ(store.LoadFlagSetting(kSettingsKey, "v"), c.status == ERROR_SUCCESS ? std::optional(true)
                                                                                     : std::nullopt)
            << c.what;
    }
}

// --- Check boxes ---

TEST_F(SettingsStoreTest, ATickedBoxIsTheValueOneAndAnUntickedBoxNoValue) {
    store.WriteFlagSetting(setting::kSaveReg, true);
    const RawValue ticked = raw(kSettingsKey, setting::kSaveReg);
    EXPECT_EQ(ticked.status, ERROR_SUCCESS);
    EXPECT_EQ(ticked.type, REG_SZ);
    EXPECT_EQ(ticked.data, "1\0"s);
    EXPECT_EQ(store.LoadFlagSetting(kSettingsKey, setting::kSaveReg), std::optional(true));

    store.WriteFlagSetting(setting::kSaveReg, false);
    EXPECT_EQ(raw(kSettingsKey, setting::kSaveReg).status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.LoadFlagSetting(kSettingsKey, setting::kSaveReg), std::nullopt);

    store.WriteFlagSetting(setting::kSaveReg, true);
    EXPECT_EQ(raw(kSettingsKey, setting::kSaveReg).data, "1\0"s);
}

TEST_F(SettingsStoreTest, AMissingKeyLeavesEveryBoxAsItWas) {
    EXPECT_EQ(store.LoadFlagSetting(kSettingsKey, setting::kAutoScan), std::nullopt);
    EXPECT_FALSE(machine.keyExists(kSettingsPath)) << "reading must not create the key";
}

// --- Edit boxes ---

TEST_F(SettingsStoreTest, TheFirstTextWrittenCreatesTheKey) {
    ASSERT_FALSE(machine.keyExists(kSettingsPath));
    store.WriteTextSetting(setting::kSaveCountReg, "3");
    const RawValue value = raw(kSettingsKey, setting::kSaveCountReg);
    EXPECT_EQ(value.type, REG_SZ);
    EXPECT_EQ(value.data, "3\0"s);
}

TEST_F(SettingsStoreTest, AnEmptyTextKeepsThePreviousValue) {
    store.WriteTextSetting(setting::kSaveCountReg, "7");
    store.WriteTextSetting(setting::kSaveCountReg, "");
    EXPECT_EQ(store.LoadTextSetting(kSettingsKey, setting::kSaveCountReg), std::optional("7"s));
}

TEST_F(SettingsStoreTest, ATextThatCannotBeReadShowsFourAndAMissingKeyNothing) {
    EXPECT_EQ(store.LoadTextSetting(kSettingsKey, setting::kScanMinutes), std::nullopt);
    machine.createKey(kSettingsPath);
    EXPECT_EQ(store.LoadTextSetting(kSettingsKey, setting::kScanMinutes), std::optional("4"s));
    machine.setBytes(kSettingsPath, setting::kScanMinutes, REG_DWORD, "\x0a\0\0\0"s);
    EXPECT_EQ(store.LoadTextSetting(kSettingsKey, setting::kScanMinutes), std::optional("4"s));
    store.WriteTextSetting(setting::kScanMinutes, "15");
    EXPECT_EQ(store.LoadTextSetting(kSettingsKey, setting::kScanMinutes), std::optional("15"s));
}

// --- Numbers ---

TEST_F(SettingsStoreTest, NumbersRoundTripAndAnythingElseReadsAsZero) {
    EXPECT_EQ(store.ReadDwordSetting(setting::kScanNext), 0u);
    store.WriteDwordSetting(setting::kScanNext, 0xDEADBEEFu);
    EXPECT_EQ(store.ReadDwordSetting(setting::kScanNext), 0xDEADBEEFu);
    EXPECT_EQ(raw(kSettingsKey, setting::kScanNext).data, "\xEF\xBE\xAD\xDE"s);

    struct Case {
        const char* what;
        DWORD type;
        std::string data;
    };
    for (const Case& c : std::vector<Case>{{"text", REG_SZ, "86400\0"s},
                                           {"short number", REG_DWORD, "\x10\x20"s},
                                           {"long number", REG_DWORD, "\1\0\0\0\0\0\0\0"s},
                                           {"binary", REG_BINARY, "\1\0\0\0"s}}) {
        machine.setBytes(kSettingsPath, setting::kScanPeriod, c.type, c.data);
        EXPECT_EQ(store.ReadDwordSetting(setting::kScanPeriod), 0u) << c.what;
    }
}

// --- Starting with Windows ---

TEST_F(SettingsStoreTest, TheStartupEntryNamesTheProgramInTheCurrentDirectory) {
    struct Case {
        const char* directory;
        const char* command;
    };
    for (const Case& c : std::vector<Case>{{"C:\\Apps\\Brindle", "C:\\Apps\\Brindle\\Brindle.exe"},
                                           {"C:\\", "C:\\Brindle.exe"}}) {
        store.SetStartWithWindows(true, c.directory);
        const RawValue value = raw(kRunKey, kStartupValueName);
        EXPECT_EQ(value.type, REG_SZ);
        EXPECT_EQ(value.data, c.command + "\0"s);
        EXPECT_TRUE(store.StartsWithWindows());
    }
    store.SetStartWithWindows(false, "C:\\Apps");
    EXPECT_EQ(raw(kRunKey, kStartupValueName).status, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(store.StartsWithWindows());
}

TEST_F(SettingsStoreTest, UntickingStartupLeavesOtherProgramsAndAMissingRunKeyAlone) {
    store.SetStartWithWindows(false, "C:\\Apps");
    EXPECT_FALSE(machine.keyExists(kRunPath));
    machine.setString(kRunPath, "Other", "C:\\other.exe");
    store.SetStartWithWindows(true, "C:\\Apps");
    store.SetStartWithWindows(false, "C:\\Apps");
    EXPECT_EQ(raw(kRunKey, "Other").data, "C:\\other.exe\0"s);
}

TEST_F(SettingsStoreTest, NoHandleIsLeftOpen) {
    const std::size_t handles = machine.memoryRegistry().openHandleCount();
    store.WriteFlagSetting(setting::kScanDay, true);
    store.WriteTextSetting(setting::kScanMinutes, "5");
    store.WriteDwordSetting(setting::kScanPeriod, 60);
    store.LoadFlagSetting(kSettingsKey, setting::kScanDay);
    store.LoadTextSetting(kSettingsKey, setting::kScanMinutes);
    store.ReadDwordSetting(setting::kScanPeriod);
    store.SetStartWithWindows(true, "C:\\");
    store.StartsWithWindows();
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), handles);
}

}  // namespace
}  // namespace brindle
