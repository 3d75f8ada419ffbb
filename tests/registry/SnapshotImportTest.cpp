#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/RunningProcess.h"
#include "registry/SnapshotRestore.h"
#include "registry/XmlElement.h"
#include "scan/RegistryLib.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;
using namespace std::string_literals;
using test::TestMachine;

struct StoredValue {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const StoredValue&) const = default;
};

std::ostream& operator<<(std::ostream& out, const StoredValue& value) {
    out << "type " << value.type << " bytes";
    for (const unsigned char c : value.bytes) out << ' ' << static_cast<unsigned>(c);
    return out;
}

std::optional<StoredValue> ReadValue(TestMachine& machine, const std::string& keyPath, const std::string& name) {
    std::string subKey = keyPath;
    const auto root = CRegistryLib::RootKeyFromName(CRegistryLib::SeperateMainKey(subKey));
    HKEY key = 0;
    if (!root || machine.registry().RegOpenKeyA(*root, subKey.c_str(), &key) != ERROR_SUCCESS) return std::nullopt;
    StoredValue value;
    std::vector<BYTE> data(4096);
    DWORD length = static_cast<DWORD>(data.size());
    const LONG status =
        machine.registry().RegQueryValueExA(key, name.c_str(), nullptr, &value.type, data.data(), &length);
    machine.registry().RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.bytes.assign(reinterpret_cast<const char*>(data.data()), length);
    return value;
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
const std::string kTail = " </registry>\r\n";

class SnapshotImportTest : public ::testing::Test {
protected:
    SnapshotImportTest() {
        lib.messageDisplay = [this](const std::string& message) { messages.push_back(message); };
        reader.setErrorDisplay([this](const std::string& message) { messages.push_back(message); });
    }

    void TearDown() override { EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u); }

    std::string writeSnapshot(const std::string& body) {
        return machine.workFolder().writeFile("snapshot.xml", kHead + body + kTail).string();
    }
    bool load(const std::string& body) { return lib.LoadAsXml(reader, writeSnapshot(body)); }

    // Export of one problem, the key deleted, then the import, as a repair and a restore do.
    bool exportDeleteImport(const std::string& keyPath) {
        XmlWriter& writer = lib.snapshotWriter();
        const std::string file = (machine.workFolder().path() / "round.xml").string();
        writer.SetFileName(file);
        EXPECT_TRUE(XmlElement("registry").WriteStart(writer, 1));
        EXPECT_TRUE(lib.SaveKeyToXml(writer, keyPath, nullptr));
        EXPECT_TRUE(XmlElement("registry").WriteEnd(writer, -1));
        EXPECT_TRUE(writer.Close()) << writer.error();
        std::string subKey = keyPath;
        const std::string root = CRegistryLib::SeperateMainKey(subKey);
        EXPECT_EQ(lib.DeleteKey(root, subKey), ERROR_SUCCESS);
        EXPECT_FALSE(machine.keyExists(keyPath));
        return lib.LoadAsXml(reader, file);
    }

    TestMachine machine;
    CRegistryLib lib{machine, CurrentFolder()};
    XmlReader reader;
    std::vector<std::string> messages;
};

TEST_F(SnapshotImportTest, ValuesOfEveryTypeAreSetOnTheInnermostKey) {
    EXPECT_TRUE(load("  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
                     "   <k name=\"Software\">\r\n"
                     "    <k name=\"X\">\r\n"
                     "     <v name=\"(Default)\" value=\"def\"/>\r\n"
                     "     <v name=\"Sz\" value=\"C:\\a.exe\"/>\r\n"
                     "     <v name=\"Count\" value=\"0x0000000a (10)\" type=\"REG_DWORD\"/>\r\n"
                     "     <v name=\"Big\" value=\"0x0000000100000002\" type=\"REG_QWORD\"/>\r\n"
                     "     <v name=\"Blob\" value=\"\" type=\"REG_BINARY\"/>\r\n"
                     "     <v name=\"List\" value=\"a\r\nb\" type=\"REG_MULTI_SZ\"/>\r\n"
                     "     <v name=\"Env\" value=\"%a%\" type=\"reg_expand_sz\"/>\r\n"
                     "     <k name=\"Sub\">\r\n"
                     "      <v name=\"Inner\" value=\"1\"/>\r\n"
                     "     </k>\r\n"
                     "     <v name=\"After\" value=\"2\"/>\r\n"
                     "    </k>\r\n"
                     "   </k>\r\n"
                     "  </k>\r\n"));
    EXPECT_EQ(messages, std::vector<std::string>{});
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\X";
    const struct {
        std::string key, name;
        StoredValue value;
    } expected[] = {
        {key, "", {REG_SZ, "def\0"s}},
        {key, "Sz", {REG_SZ, "C:\\a.exe\0"s}},
        {key, "Count", {REG_DWORD, "\x0a\0\0\0"s}},
        {key, "Big", {REG_QWORD, "\x02\0\0\0\x01\0\0\0"s}},
        {key, "Blob", {REG_BINARY, "\0"s}},
        {key, "List", {REG_MULTI_SZ, "a\0b\0\0"s}},
        {key, "Env", {REG_EXPAND_SZ, "%a%\0"s}},
        {key + "\\Sub", "Inner", {REG_SZ, "1\0"s}},
        {key, "After", {REG_SZ, "2\0"s}},
    };
    for (const auto& e : expected) EXPECT_EQ(ReadValue(machine, e.key, e.name), e.value) << e.key << " " << e.name;
    EXPECT_FALSE(ReadValue(machine, key + "\\Sub", "After").has_value());
}

TEST_F(SnapshotImportTest, EscapedCharactersAndLiteralEntitiesComeBackUnchanged) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\Q&\"<\xe9";
    machine.setString(key, "n&amp;\"<", "a\"b&c<d &amp; &lt;&quot; \xfc\x80");
    EXPECT_TRUE(exportDeleteImport(key));
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ(ReadValue(machine, key, "n&amp;\"<"), (StoredValue{REG_SZ, "a\"b&c<d &amp; &lt;&quot; \xfc\x80\0"s}));
}

TEST_F(SnapshotImportTest, UnescapeTable) {
    const struct {
        std::string text, decoded;
    } cases[] = {
        {"", ""},
        {"&amp;amp;", "&amp;"},
        {"&amp;lt;", "&lt;"},
        {"&amp;quot;", "&quot;"},
        {"&lt;&quot;&amp;", "<\"&"},
        {"&gt;&apos;", ">'"},
        {"&amp;gt;&amp;apos;", "&gt;&apos;"},
        {"&#39;&nbsp;", "&#39;&nbsp;"},  // entities the export never writes stay as they are
        {"\xc3\xbc\xe2\x82\xac", "\xfc\x80"},
        {"\xe4\xb8\x80", "?"},  // a character that code page 1252 lacks
    };
    for (const auto& c : cases) EXPECT_EQ(lib.UnescapeXmlText(c.text), c.decoded) << c.text;
}

// Paths such as C:\Users\O'Brien come back whole, in names and data alike.
TEST_F(SnapshotImportTest, SingleQuotesAndGreaterThanComeBackWhole) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\O'Brien>";
    machine.setString(key, "quote", "C:\\Users\\O'Brien\\it's.exe");
    machine.setString(key, "a>b'", "a>b");
    machine.setString(key, "mixed", "'\"<>&'");
    EXPECT_TRUE(exportDeleteImport(key));
    EXPECT_EQ(ReadValue(machine, key, "quote"), (StoredValue{REG_SZ, "C:\\Users\\O'Brien\\it's.exe\0"s}));
    EXPECT_EQ(ReadValue(machine, key, "a>b'"), (StoredValue{REG_SZ, "a>b\0"s}));
    EXPECT_EQ(ReadValue(machine, key, "mixed"), (StoredValue{REG_SZ, "'\"<>&'\0"s}));
    EXPECT_TRUE(messages.empty());
}

// Files written before single quotes and ">" were escaped hold them raw; the reader
// ends the value there, and what was read is set.
TEST_F(SnapshotImportTest, RawSingleQuoteInAnOlderFileSetsWhatWasRead) {
    const std::string file = writeSnapshot("  <k name=\"HKEY_CURRENT_USER\">\r\n"
                                           "   <k name=\"Old\">\r\n"
                                           "    <v name=\"quote\" value=\"it's\"/>\r\n"
                                           "    <v name=\"after\" value=\"&amp;x\"/>\r\n"
                                           "   </k>\r\n"
                                           "  </k>\r\n");
    EXPECT_TRUE(lib.LoadAsXml(reader, file));
    EXPECT_EQ(ReadValue(machine, "HKEY_CURRENT_USER\\Old", "quote"), (StoredValue{REG_SZ, "it\0"s}));
    EXPECT_EQ(ReadValue(machine, "HKEY_CURRENT_USER\\Old", "after"), (StoredValue{REG_SZ, "&x\0"s}));
}

// A 32-bit program's class of a 64-bit machine lies below Wow6432Node: it comes back
// there, and its 64-bit namesake is neither touched nor created.
TEST_F(SnapshotImportTest, A32BitClassComesBackInItsOwnView) {
    machine.makeWow64();
    const std::string class32 = "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{A}";
    machine.setString(class32 + "\\InprocServer32", "", "C:\\windows\\system32\\a32.dll");
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{B}\\InprocServer32", "", "C:\\windows\\system32\\b64.dll");
    ASSERT_TRUE(exportDeleteImport(class32));
    EXPECT_EQ(ReadValue(machine, class32 + "\\InprocServer32", ""),
              (StoredValue{REG_SZ, "C:\\windows\\system32\\a32.dll"s + '\0'}));
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\CLSID\\{A}"));
    EXPECT_FALSE(machine.keyExists("HKEY_CLASSES_ROOT\\CLSID\\{A}"));
    EXPECT_TRUE(machine.keyExists("HKEY_CLASSES_ROOT\\CLSID\\{B}"));
}

TEST_F(SnapshotImportTest, AnEmptySubKeyIsCreatedAgain) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\E";
    machine.setString(key, "v", "1");
    machine.createKey(key + "\\Empty");
    machine.createKey(key + "\\Outer\\AlsoEmpty");
    EXPECT_TRUE(exportDeleteImport(key));
    EXPECT_TRUE(machine.keyExists(key + "\\Empty"));
    EXPECT_TRUE(machine.keyExists(key + "\\Outer\\AlsoEmpty"));
    EXPECT_EQ(ReadValue(machine, key, "v"), (StoredValue{REG_SZ, "1\0"s}));
}

TEST_F(SnapshotImportTest, AKeyThatCannotBeCreatedEndsTheImport) {
    EXPECT_FALSE(load("  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
                      "   <k name=\"\\bad\">\r\n"
                      "    <v name=\"a\" value=\"1\"/>\r\n"
                      "   </k>\r\n"
                      "  </k>\r\n"
                      "  <k name=\"HKEY_CURRENT_USER\">\r\n"
                      "   <k name=\"Later\"/>\r\n"
                      "  </k>\r\n"));
    EXPECT_EQ(messages, std::vector<std::string>{"couldn't create key HKEY_LOCAL_MACHINE\\\\bad"});
    EXPECT_FALSE(machine.keyExists("HKEY_CURRENT_USER\\Later"));
}

TEST_F(SnapshotImportTest, AValueThatCannotBeSetIsReportedAndTheImportGoesOn) {
    EXPECT_TRUE(load("  <k name=\"HKEY_CURRENT_USER\">\r\n"
                     "   <k name=\"V\">\r\n"
                     "    <v name=\"Bad\" value=\"junk\" type=\"REG_DWORD\"/>\r\n"
                     "    <v name=\"Good\" value=\"0x00000001 (1)\" type=\"REG_DWORD\"/>\r\n"
                     "   </k>\r\n"
                     "  </k>\r\n"));
    EXPECT_EQ(messages, std::vector<std::string>{"couldn't set value Bad"});
    EXPECT_FALSE(ReadValue(machine, "HKEY_CURRENT_USER\\V", "Bad").has_value());
    EXPECT_EQ(ReadValue(machine, "HKEY_CURRENT_USER\\V", "Good"), (StoredValue{REG_DWORD, "\x01\0\0\0"s}));
}

// A file that cannot be written back whole is not written back at all: the whole file
// is read before the first key is touched.
TEST_F(SnapshotImportTest, AFileThatCannotBeRestoredWholeWritesNothing) {
    const std::string good = "  <k name=\"HKEY_CURRENT_USER\">\r\n"
                             "   <k name=\"P\">\r\n"
                             "    <v name=\"Before\" value=\"1\"/>\r\n"
                             "   </k>\r\n"
                             "  </k>\r\n";
    std::string deep;
    for (int level = 0; level < 513; ++level) deep += "<k name=\"d\">";
    const struct {
        const char* defect;
        std::string file;
        std::string said;
    } cases[] = {
        {"parse error after good keys",
         kHead + good + "  <k name=\"HKEY_CURRENT_USER\">\r\n   <v name=\"Broken\" = \"2\"/>\r\n  </k>\r\n" + kTail,
         "Parse error in line 9 : ("},
        {"cut short", kHead + good + "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Q\">\r\n", "it was cut short"},
        {"no registry end", kHead + good, "it was cut short"},
        {"unknown root", kHead + good + "  <k name=\"HKLM\">\r\n  </k>\r\n" + kTail,
         "\"HKLM\" is not a registry root"},
        {"too deep", kHead + good + "  <k name=\"HKEY_CURRENT_USER\">" + deep + "\r\n" + kTail,
         "keys nested deeper than 512 levels"},
        {"empty file", "", "it was cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defect);
        messages.clear();
        const std::string file = machine.workFolder().writeFile("defect.xml", c.file).string();
        EXPECT_FALSE(lib.LoadAsXml(reader, file));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(c.said), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find(file), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find("nothing was restored"), std::string::npos) << messages[0];
        EXPECT_FALSE(machine.keyExists("HKEY_CURRENT_USER\\P"));
    }
    // 512 levels below the root are as deep as the registry files hold.
    std::string deepest;
    for (int level = 0; level < 511; ++level) deepest += "<k name=\"d\">";
    messages.clear();
    EXPECT_TRUE(load("  <k name=\"HKEY_CURRENT_USER\">" + deepest + "<v name=\"x\" value=\"1\"/>\r\n"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SnapshotImportTest, AMissingFileFailsAndSaysWhichFile) {
    const std::string file = (machine.workFolder().path() / "absent.xml").string();
    EXPECT_FALSE(lib.LoadAsXml(reader, file));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(file), std::string::npos) << messages[0];
}

// A repair that could not export a whole key leaves its nest open and goes on to end the
// file; such a file restored everything it holds when every value in it was set.
TEST_F(SnapshotImportTest, KeysLeftOpenAreASuccessWhenEveryValueWasSet) {
    EXPECT_TRUE(load("  <k name=\"HKEY_CURRENT_USER\">\r\n"
                     "   <k name=\"Cut\">\r\n"
                     "    <v name=\"a\" value=\"1\"/>\r\n"));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadValue(machine, "HKEY_CURRENT_USER\\Cut", "a"), (StoredValue{REG_SZ, "1\0"s}));

    // A value name longer than the registry allows cannot be set.
    const std::string tooLong(20000, 'n');
    EXPECT_FALSE(load("  <k name=\"HKEY_CURRENT_USER\">\r\n"
                      "   <k name=\"Cut2\">\r\n"
                      "    <v name=\"" + tooLong + "\" value=\"1\"/>\r\n"
                      "    <v name=\"b\" value=\"2\"/>\r\n"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "couldn't set value " + tooLong);
    EXPECT_NE(messages[1].find("ends inside the key HKEY_CURRENT_USER\\Cut2"), std::string::npos) << messages[1];
    EXPECT_EQ(ReadValue(machine, "HKEY_CURRENT_USER\\Cut2", "b"), (StoredValue{REG_SZ, "2\0"s}));
}

TEST_F(SnapshotImportTest, RestoreFromSnapshotLoadsAChosenFile) {
    const std::string file = writeSnapshot("  <k name=\"HKEY_CURRENT_USER\">\r\n"
                                           "   <k name=\"R\">\r\n"
                                           "    <v name=\"a\" value=\"01 02\" type=\"REG_BINARY\"/>\r\n"
                                           "   </k>\r\n"
                                           "  </k>\r\n");
    std::vector<std::string> shown;
    const auto display = [&shown](const std::string& message) { shown.push_back(message); };
    EXPECT_TRUE(RestoreFromSnapshot(machine, file, display));
    EXPECT_EQ(ReadValue(machine, "HKEY_CURRENT_USER\\R", "a"), (StoredValue{REG_BINARY, "\x01\x02"s}));
    EXPECT_FALSE(RestoreFromSnapshot(machine, file + ".missing", display));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(file + ".missing"), std::string::npos) << shown[0];
}

}  // namespace
}  // namespace brindle
