#include "registry/RegistryTextExport.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "registry/BackupFile.h"
#include "registry/BackupRestore.h"
#include "registry/KeyHandle.h"
#include "support/TestMachine.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace win;
using namespace std::string_literals;
using test::TestMachine;
namespace fs = std::filesystem;

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

// --- One value's line ---

struct ValueCase {
    const char* what;
    std::string name;
    DWORD type;
    std::string data;
    std::string line;
};

TEST(FormatExportedValueTest, EachTypeTakesTheEditorsForm) {
    const std::vector<ValueCase> cases = {
        {"unnamed string", "", REG_SZ, "text\0"s, "@=\"text\"\r\n"},
        {"escapes", "a\\\"b", REG_SZ, "C:\\x \"y\"\0"s, "\"a\\\\\\\"b\"=\"C:\\\\x \\\"y\\\"\"\r\n"},
        {"empty string", "e", REG_SZ, "\0"s, "\"e\"=\"\"\r\n"},
        {"string without NUL keeps its bytes", "u", REG_SZ, "ab", "\"u\"=hex(1):61,62\r\n"},
        {"string with inner NUL", "n", REG_SZ, "a\0b\0"s, "\"n\"=hex(1):61,00,62,00\r\n"},
        {"string with a line break", "l", REG_SZ, "a\r\nb\0"s, "\"l\"=hex(1):61,0d,0a,62,00\r\n"},
        {"empty REG_SZ", "z", REG_SZ, "", "\"z\"=hex(1):\r\n"},
        {"dword", "d", REG_DWORD, "\x2a\x00\x00\x80"s, "\"d\"=dword:8000002a\r\n"},
        {"short dword", "d", REG_DWORD, "\x01\x02"s, "\"d\"=hex(4):01,02\r\n"},
        {"binary", "b", REG_BINARY, "\x00\xff\x10"s, "\"b\"=hex:00,ff,10\r\n"},
        {"empty binary", "b", REG_BINARY, "", "\"b\"=hex:\r\n"},
        {"expand string", "x", REG_EXPAND_SZ, "%a%\0"s, "\"x\"=hex(2):25,61,25,00\r\n"},
        {"multi string", "m", REG_MULTI_SZ, "a\0\0"s, "\"m\"=hex(7):61,00,00\r\n"},
        {"qword", "q", REG_QWORD, "\x01\0\0\0\0\0\0\0"s, "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"},
        {"none", "", REG_NONE, "", "@=hex(0):\r\n"},
    };
    for (const ValueCase& c : cases) EXPECT_EQ(FormatExportedValue(c.name, c.type, c.data), c.line) << c.what;
}

// Splits a hex value back into its lines and bytes, checking the continuation layout.
std::string ParseHexLines(const std::string& text, std::string_view prefix) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        RC_ASSERT(end != std::string::npos);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    RC_ASSERT(!lines.empty());
    RC_ASSERT(lines.front().rfind(prefix, 0) == 0u);
    std::string list;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        RC_ASSERT(line.size() <= kTextExportLineColumns);
        if (i > 0) {
            RC_ASSERT(line.rfind("  ", 0) == 0u);
            line.erase(0, 2);
        } else {
            line.erase(0, prefix.size());
        }
        if (i + 1 < lines.size()) {
            RC_ASSERT(line.size() >= 2 && line.substr(line.size() - 2) == ",\\");
            line.pop_back();
        }
        list += line;
    }
    std::string bytes;
    for (std::size_t at = 0; at < list.size(); at += 3) {
        RC_ASSERT(at + 2 <= list.size());
        bytes.push_back(static_cast<char>(std::stoi(list.substr(at, 2), nullptr, 16)));
        if (at + 2 < list.size()) RC_ASSERT(list[at + 2] == ',');
    }
    return bytes;
}

RC_GTEST_PROP(FormatExportedValueTest, LongHexListsWrapWithinTheLineLimitAndKeepEveryByte, ()) {
    const auto data = *rc::gen::container<std::string>(rc::gen::arbitrary<char>());
    const auto name = *rc::gen::container<std::string>(*rc::gen::inRange<std::size_t>(1, 40),
                                                      rc::gen::inRange('a', 'z'));
    const std::string prefix = "\"" + name + "\"=hex:";
    RC_ASSERT(ParseHexLines(FormatExportedValue(name, REG_BINARY, data), prefix) == data);
}

TEST(FormatExportedValueTest, ALongListContinuesOnIndentedLines) {
    const std::string line = FormatExportedValue("Blob", REG_BINARY, std::string(60, '\xab'));
    EXPECT_NE(line.find(",\\\r\n  ab,"), std::string::npos) << line;
}

// --- The whole export ---

class RegistryTextExportTest : public ::testing::Test {
protected:
    fs::path file() const { return machine.workFolder().path() / "1.reg"; }

    void buildTree() {
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Test", "", "root default");
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Test\\Sub1", "Path", "C:\\a \"b\"");
        machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Test\\Sub1", "Count", REG_DWORD, "\x2a\0\0\0"s);
        machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\Test\\Sub1\\Deep", "Blob", REG_BINARY, "\x01\x02"s);
        machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Test\\Sub2");
    }

    std::string exportTest(const std::atomic<bool>* stop = nullptr) {
        KeyHandle key(machine.registry());
        EXPECT_EQ(machine.registry().RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Test", key.out()), ERROR_SUCCESS);
        return ExportRegistryText(machine.registry(), key.get(), "HKEY_LOCAL_MACHINE\\Software\\Test", file(), stop)
            .message();
    }

    TestMachine machine;
};

TEST_F(RegistryTextExportTest, WritesEveryKeyDepthFirstWithItsValues) {
    buildTree();
    const std::size_t handles = machine.memoryRegistry().openHandleCount();
    ASSERT_EQ(exportTest(), "");
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), handles);
    EXPECT_EQ(test::ReadFileAt(file()),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
              "@=\"root default\"\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Test\\Sub1]\r\n"
              "\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n"
              "\"Count\"=dword:0000002a\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Test\\Sub1\\Deep]\r\n"
              "\"Blob\"=hex:01,02\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Test\\Sub2]\r\n"
              "\r\n");
    // Nothing but the finished file is left beside it.
    EXPECT_EQ(FolderEntries(machine.workFolder().path()), std::vector<std::string>{"1.reg"});
}

TEST_F(RegistryTextExportTest, TheWholeRootIsExportedUnderItsName) {
    buildTree();
    ASSERT_EQ(ExportRegistryText(machine.registry(), HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", file()).message(), "");
    const std::string text = test::ReadFileAt(file());
    EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n", 0), 0u) << text.substr(0, 80);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Test\\Sub1\\Deep]\r\n\"Blob\"=hex:01,02\r\n"),
              std::string::npos);
}

TEST_F(RegistryTextExportTest, AStoppedExportLeavesNoFileAndKeepsAnEarlierOne) {
    buildTree();
    std::ofstream(file(), std::ios::binary) << "earlier";
    const std::size_t handles = machine.memoryRegistry().openHandleCount();
    const std::atomic<bool> stop{true};
    EXPECT_NE(exportTest(&stop).find("stopped"), std::string::npos);
    EXPECT_EQ(test::ReadFileAt(file()), "earlier");
    EXPECT_EQ(FolderEntries(machine.workFolder().path()), std::vector<std::string>{"1.reg"});
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), handles);
}

TEST_F(RegistryTextExportTest, AFolderThatCannotBeWrittenIsNamed) {
    const fs::path missing = machine.workFolder().path() / "no such folder" / "1.reg";
    const std::string error =
        ExportRegistryText(machine.registry(), HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", missing).message();
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(RegistryTextExportTest, TheRestoreRefusesTheExportAndWritesNothing) {
    buildTree();
    ASSERT_EQ(ExportRegistryText(machine.registry(), HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", file()).message(), "");
    const std::string expected =
        file().string() + ": the file is a text export of the registry editor, not a binary backup; it cannot be restored";
    EXPECT_EQ(ReadBackupFile(file()).message(), expected);

    const auto changes = machine.memoryRegistry().changeCount();
    const RestoreReport report = RestoreBackupFile(machine.registry(), file());
    EXPECT_EQ(report.outcome, RestoreReport::Outcome::Refused);
    EXPECT_EQ(report.errorText(), expected);
    EXPECT_EQ(report.keysWritten, 0u);
    EXPECT_EQ(report.valuesWritten, 0u);
    EXPECT_EQ(machine.memoryRegistry().changeCount(), changes);
}

TEST_F(RegistryTextExportTest, AnExportLargerThanAnyBackupIsStillNamedForWhatItIs) {
    // A real machine's export easily passes the size limit of binary backups.
    std::ofstream(file(), std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n";
    fs::resize_file(file(), kMaxBackupFileBytes + 1);
    EXPECT_NE(ReadBackupFile(file()).message().find("is a text export of the registry editor"), std::string::npos);
}

// --- Registry failures ---

// Passes every call to a MemoryRegistry, except the failures a test asks for.
class FaultyRegistry final : public Registry {
public:
    explicit FaultyRegistry(MemoryRegistry& inner) : m_inner(inner) {}

    std::string refuseOpenOf;          // sub-key name whose open answers refuseOpenStatus
    LONG refuseOpenStatus = ERROR_ACCESS_DENIED;
    bool understateValueSizes = false;  // the key query reports tiny values
    LONG valueFailure = ERROR_SUCCESS;  // answered by every value enumeration when set

    LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result) override {
        return m_inner.RegOpenKeyA(key, subKey, result);
    }
    LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result) override {
        if (subKey != nullptr && subKey == refuseOpenOf) return refuseOpenStatus;
        return m_inner.RegOpenKeyExA(key, subKey, options, access, result);
    }
    LONG RegCreateKeyA(HKEY key, const char* subKey, HKEY* result) override {
        return m_inner.RegCreateKeyA(key, subKey, result);
    }
    LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM access,
                         void* security, HKEY* result, DWORD* disposition) override {
        return m_inner.RegCreateKeyExA(key, subKey, reserved, keyClass, options, access, security, result,
                                       disposition);
    }
    LONG RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classLength, DWORD* reserved, DWORD* subKeys,
                          DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                          DWORD* maxValueLength, DWORD* securityLength, FILETIME* lastWriteTime) override {
        const LONG status =
            m_inner.RegQueryInfoKeyA(key, keyClass, classLength, reserved, subKeys, maxSubKeyLength, maxClassLength,
                                     values, maxValueNameLength, maxValueLength, securityLength, lastWriteTime);
        // As if the values grew right after the query.
        if (understateValueSizes && maxValueLength != nullptr) *maxValueLength = 1;
        if (understateValueSizes && maxValueNameLength != nullptr) *maxValueNameLength = 0;
        return status;
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved, char* keyClass,
                       DWORD* classLength, FILETIME* lastWriteTime) override {
        return m_inner.RegEnumKeyExA(key, index, name, nameLength, reserved, keyClass, classLength, lastWriteTime);
    }
    LONG RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* valueNameLength, DWORD* reserved, DWORD* type,
                       BYTE* data, DWORD* dataLength) override {
        if (valueFailure != ERROR_SUCCESS) return valueFailure;
        const LONG status = m_inner.RegEnumValueA(key, index, valueName, valueNameLength, reserved, type, data,
                                                  dataLength);
        if (status == ERROR_MORE_DATA) ++moreDataSeen;
        return status;
    }
    LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                          DWORD* dataLength) override {
        return m_inner.RegQueryValueExA(key, valueName, reserved, type, data, dataLength);
    }
    LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                        DWORD dataLength) override {
        return m_inner.RegSetValueExA(key, valueName, reserved, type, data, dataLength);
    }
    LONG RegDeleteKeyA(HKEY key, const char* subKey) override { return m_inner.RegDeleteKeyA(key, subKey); }
    LONG RegDeleteValueA(HKEY key, const char* valueName) override { return m_inner.RegDeleteValueA(key, valueName); }
    LONG QueryKeyName(HKEY key, std::string& name) override { return m_inner.QueryKeyName(key, name); }
    LONG QueryKeyPath(HKEY key, std::string& path) override { return m_inner.QueryKeyPath(key, path); }
    LONG RegCloseKey(HKEY key) override { return m_inner.RegCloseKey(key); }

    int moreDataSeen = 0;

private:
    MemoryRegistry& m_inner;
};

class RegistryTextExportFaultTest : public RegistryTextExportTest {
protected:
    std::string exportThrough(FaultyRegistry& registry) {
        KeyHandle key(machine.registry());
        EXPECT_EQ(machine.registry().RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Test", key.out()), ERROR_SUCCESS);
        return ExportRegistryText(registry, key.get(), "HKLM\\T", file()).message();
    }
    FaultyRegistry faulty{machine.memoryRegistry()};
};

TEST_F(RegistryTextExportFaultTest, KeysThatMayNotBeReadOrVanishedAreLeftOut) {
    buildTree();
    for (const LONG status : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}) {
        faulty.refuseOpenOf = "Sub1";
        faulty.refuseOpenStatus = status;
        ASSERT_EQ(exportThrough(faulty), "");
        const std::string text = test::ReadFileAt(file());
        EXPECT_EQ(text.find("Sub1"), std::string::npos) << status;
        EXPECT_NE(text.find("[HKLM\\T\\Sub2]"), std::string::npos) << status;
    }
}

TEST_F(RegistryTextExportFaultTest, AnyOtherFailureEndsTheExportWithoutAFile) {
    buildTree();
    const std::size_t handles = machine.memoryRegistry().openHandleCount();
    faulty.refuseOpenOf = "Deep";
    faulty.refuseOpenStatus = ERROR_BADKEY;
    const std::string openError = exportThrough(faulty);
    EXPECT_NE(openError.find("cannot open HKLM\\T\\Sub1\\Deep: status 1010"), std::string::npos) << openError;

    faulty.refuseOpenOf.clear();
    faulty.valueFailure = ERROR_KEY_DELETED;
    const std::string valueError = exportThrough(faulty);
    EXPECT_NE(valueError.find("cannot read value 0 of HKLM\\T: status 1018"), std::string::npos) << valueError;

    EXPECT_FALSE(fs::exists(file()));
    EXPECT_TRUE(FolderEntries(machine.workFolder().path()).empty());
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), handles);
}

TEST_F(RegistryTextExportFaultTest, AValueThatGrewSinceTheQueryIsReadWhole) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Test", "A long value name", std::string(5000, 'x'));
    faulty.understateValueSizes = true;
    ASSERT_EQ(exportThrough(faulty), "");
    EXPECT_GT(faulty.moreDataSeen, 0);
    EXPECT_NE(test::ReadFileAt(file()).find("\"A long value name\"=\"" + std::string(5000, 'x') + "\"\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace brindle
