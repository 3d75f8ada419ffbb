#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/RegistryTree.h"
#include "platform/RunningProcess.h"
#include "registry/XmlElement.h"
#include "scan/RegistryLib.h"
#include "support/TemporaryFolder.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;
using namespace std::string_literals;
using test::TestMachine;
namespace fs = std::filesystem;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// Writes snapshots the way the repair does: the "registry" start tag at indent 1, the
// problems' nests, the end tag.
class SnapshotExportTest : public ::testing::Test {
protected:
    SnapshotExportTest() { writer().SetFileName(file.string()); }

    void TearDown() override { EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u); }

    XmlWriter& writer() { return lib.snapshotWriter(); }
    void begin() { ASSERT_TRUE(XmlElement("registry").WriteStart(writer(), 1)); }
    // Ends the file and returns everything after the "registry" start tag and before its end tag.
    std::string finish() {
        EXPECT_TRUE(XmlElement("registry").WriteEnd(writer(), -1));
        EXPECT_EQ(writer().indent(), 0);
        EXPECT_TRUE(writer().Close()) << writer().error();
        std::string text = test::ReadFileAt(file);
        const std::string head = kDeclaration + " <registry>\r\n";
        const std::string tail = " </registry>\r\n";
        EXPECT_EQ(text.substr(0, head.size()), head);
        EXPECT_GE(text.size(), head.size() + tail.size());
        if (text.size() < head.size() + tail.size()) return text;
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        return text.substr(head.size(), text.size() - head.size() - tail.size());
    }

    TestMachine machine;
    CRegistryLib lib{machine, CurrentFolder()};
    fs::path file = machine.workFolder().path() / "snapshot.xml";
};

TEST_F(SnapshotExportTest, OneValueOfAKeyWithoutSubKeysHasTheDocumentedLayout) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\X", "Foo", "C:\\gone.exe");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\X", "Other", "not exported");
    const RegistryValue foo{"Foo", "C:\\gone.exe", REG_SZ};
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\X", &foo));
    EXPECT_TRUE(XmlElement("registry").WriteEnd(writer(), -1));
    ASSERT_TRUE(writer().Close());
    EXPECT_EQ(test::ReadFileAt(file),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              " <registry>\r\n"
              "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
              "   <k name=\"Software\">\r\n"
              "    <k name=\"X\">\r\n"
              "     <v name=\"Foo\" value=\"C:\\gone.exe\"/>\r\n"
              "    </k>\r\n"
              "   </k>\r\n"
              "  </k>\r\n"
              " </registry>\r\n");
}

TEST_F(SnapshotExportTest, WholeKeyWritesValuesThenSubKeysWithTypesAndEmptyElements) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\App";
    machine.setString(key, "Path", "C:\\app");
    machine.setBytes(key, "Count", REG_DWORD, "\x0a\0\0\0"s);
    machine.setBytes(key, "Blob", REG_BINARY, "\x01\xff"s);
    machine.setBytes(key, "List", REG_MULTI_SZ, "a\0b\0\0"s);
    machine.createKey(key + "\\Empty");
    machine.setString(key + "\\Full\\Deeper", "Name", "v", REG_EXPAND_SZ);
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), key, nullptr));
    EXPECT_EQ(finish(),
              "  <k name=\"HKEY_CURRENT_USER\">\r\n"
              "   <k name=\"Software\">\r\n"
              "    <k name=\"App\">\r\n"
              "     <v name=\"Path\" value=\"C:\\app\"/>\r\n"
              "     <v name=\"Count\" value=\"0x0000000a (10)\" type=\"REG_DWORD\"/>\r\n"
              "     <v name=\"Blob\" value=\"01 ff\" type=\"REG_BINARY\"/>\r\n"
              "     <v name=\"List\" value=\"a\r\nb\" type=\"REG_MULTI_SZ\"/>\r\n"
              "     <k name=\"Empty\"/>\r\n"
              "     <k name=\"Full\">\r\n"
              "      <k name=\"Deeper\">\r\n"
              "       <v name=\"Name\" value=\"v\" type=\"REG_EXPAND_SZ\"/>\r\n"
              "      </k>\r\n"
              "     </k>\r\n"
              "    </k>\r\n"
              "   </k>\r\n"
              "  </k>\r\n");
}

TEST_F(SnapshotExportTest, AValueProblemWritesOnlyItsValueButEverySubKey) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Y";
    machine.setString(key, "Wanted", "1");
    machine.setString(key, "Unwanted", "2");
    machine.setString(key + "\\Sub", "Inner", "3");
    const RegistryValue wanted{"Wanted", "1", REG_SZ};
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), key, &wanted));
    const std::string body = finish();
    EXPECT_NE(body.find("name=\"Wanted\""), std::string::npos) << body;
    EXPECT_EQ(body.find("Unwanted"), std::string::npos) << body;
    EXPECT_NE(body.find("     <k name=\"Sub\">\r\n      <v name=\"Inner\" value=\"3\"/>\r\n     </k>\r\n"),
              std::string::npos)
        << body;
}

TEST_F(SnapshotExportTest, AnUnsetDefaultValueIsLeftOutAndASetOneIsWritten) {
    machine.createKey("HKEY_LOCAL_MACHINE\\Software\\Z");
    const RegistryValue unset{kDefaultValueName, kValueNotSet, REG_SZ};
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\Z", &unset));
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\Z", nullptr));
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Z", "", "text");
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\Z", nullptr));
    const std::string body = finish();
    EXPECT_EQ(body.find(kValueNotSet), std::string::npos) << body;
    EXPECT_NE(body.find("<v name=\"(Default)\" value=\"text\"/>"), std::string::npos) << body;
}

TEST_F(SnapshotExportTest, AnUnnamedNumberIsWrittenByItsTypeNotAsText) {
    machine.setBytes("HKEY_LOCAL_MACHINE\\Software\\N", "", REG_DWORD, "\x0a\0\0\0"s);
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\N", nullptr));
    const std::string body = finish();
    EXPECT_NE(body.find("<v name=\"(Default)\" value=\"0x0000000a (10)\" type=\"REG_DWORD\"/>"), std::string::npos)
        << body;
}

TEST_F(SnapshotExportTest, NamesAndDataAreEscapedAndEncodedAsUtf8) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\A&B", "q\"<&", "x&amp;y\xe9'>");
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\A&B", nullptr));
    const std::string body = finish();
    EXPECT_NE(body.find("<k name=\"A&amp;B\">"), std::string::npos) << body;
    // é (0xE9 in code page 1252) becomes C3 A9.
    EXPECT_NE(body.find("<v name=\"q&quot;&lt;&amp;\" value=\"x&amp;amp;y\xc3\xa9&apos;&gt;\"/>"), std::string::npos)
        << body;
}

TEST_F(SnapshotExportTest, EscapeTable) {
    const struct {
        std::string text, escaped;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"&", "&amp;"},
        {"&amp;", "&amp;amp;"},
        {"\"<>'", "&quot;&lt;&gt;&apos;"},
        {"O'Brien", "O&apos;Brien"},
        {"a\r\nb", "a\r\nb"},
        {"\xfc\x80", "\xc3\xbc\xe2\x82\xac"},  // ü and € of code page 1252
    };
    for (const auto& c : cases) EXPECT_EQ(lib.EscapeXmlText(c.text), c.escaped) << c.text;
}

TEST_F(SnapshotExportTest, NothingIsWrittenForAnEmptyPathOrAKeyThatCannotBeOpened) {
    begin();
    EXPECT_FALSE(lib.SaveKeyToXml(writer(), "", nullptr));
    EXPECT_FALSE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\Missing", nullptr));
    EXPECT_FALSE(lib.SaveKeyToXml(writer(), "HKLM\\Software", nullptr));
    EXPECT_EQ(finish(), "");
}

TEST_F(SnapshotExportTest, ATrailingBackslashAddsNoEmptyKeyElement) {
    begin();
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\T", "v", "1");
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\T\\", nullptr));
    EXPECT_EQ(finish(),
              "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
              "   <k name=\"Software\">\r\n"
              "    <k name=\"T\">\r\n"
              "     <v name=\"v\" value=\"1\"/>\r\n"
              "    </k>\r\n"
              "   </k>\r\n"
              "  </k>\r\n");
}

TEST_F(SnapshotExportTest, ConsecutiveProblemsEachGetTheirOwnNestAtTheSameIndent) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\P", "a", "1");
    machine.setString("HKEY_CURRENT_USER\\Q", "b", "2");
    begin();
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_LOCAL_MACHINE\\Software\\P", nullptr));
    EXPECT_TRUE(lib.SaveKeyToXml(writer(), "HKEY_CURRENT_USER\\Q", nullptr));
    EXPECT_EQ(finish(),
              "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
              "   <k name=\"Software\">\r\n"
              "    <k name=\"P\">\r\n"
              "     <v name=\"a\" value=\"1\"/>\r\n"
              "    </k>\r\n"
              "   </k>\r\n"
              "  </k>\r\n"
              "  <k name=\"HKEY_CURRENT_USER\">\r\n"
              "   <k name=\"Q\">\r\n"
              "    <v name=\"b\" value=\"2\"/>\r\n"
              "   </k>\r\n"
              "  </k>\r\n");
}

// A sub-key that is listed but cannot be opened (here a link whose target is gone) is
// left out; the rest is written, every element is closed so that later problems keep
// their place, and the result says the copy is incomplete.
TEST_F(SnapshotExportTest, ASubKeyThatCannotBeReadIsLeftOutAndTheNestStaysBalanced) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\L";
    machine.createKey(key + "\\A");
    machine.createKey(key + "\\Broken");
    machine.setString(key + "\\C", "c", "3");
    RegistryKeyNode* broken = machine.memoryRegistry().findNode(u"\\Registry\\Machine\\Software\\L\\Broken");
    ASSERT_NE(broken, nullptr);
    broken->isLink = true;
    RegistryValueData target;
    target.name = u"SymbolicLinkValue";
    target.type = REG_LINK;
    for (const char16_t c : std::u16string(u"\\Registry\\Machine\\Nowhere")) {
        target.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        target.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    broken->values.push_back(std::move(target));

    begin();
    EXPECT_FALSE(lib.SaveKeyToXml(writer(), key, nullptr));
    EXPECT_EQ(finish(),
              "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
              "   <k name=\"Software\">\r\n"
              "    <k name=\"L\">\r\n"
              "     <k name=\"A\"/>\r\n"
              "     <k name=\"C\">\r\n"
              "      <v name=\"c\" value=\"3\"/>\r\n"
              "     </k>\r\n"
              "    </k>\r\n"
              "   </k>\r\n"
              "  </k>\r\n");
}

TEST_F(SnapshotExportTest, AKeyThatCannotBeQueriedWritesNothing) {
    begin();
    EXPECT_FALSE(lib.SaveKeyContent(writer(), "Gone", static_cast<HKEY>(0x7777), nullptr));
    EXPECT_EQ(finish(), "");
}

TEST_F(SnapshotExportTest, AWriterThatCannotWriteMakesTheExportFail) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\W", "a", "1");
    XmlWriter broken;
    broken.SetFileName((machine.workFolder().path() / "no-such-folder" / "s.xml").string());
    EXPECT_FALSE(lib.SaveKeyToXml(broken, "HKEY_LOCAL_MACHINE\\Software\\W", nullptr));
    EXPECT_EQ(broken.indent(), 0);
}

}  // namespace
}  // namespace brindle
