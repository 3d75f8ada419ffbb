#include "registry/XmlWriter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "registry/XmlElement.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

class XmlWriterTest : public ::testing::Test {
protected:
    XmlWriterTest() { writer.SetFileName(file.string()); }

    std::string closeAndRead() {
        EXPECT_TRUE(writer.Close()) << writer.error();
        return test::ReadFileAt(file);
    }

    test::TemporaryFolder folder;
    fs::path file = folder.path() / "snapshot.xml";
    XmlWriter writer;
};

TEST_F(XmlWriterTest, FirstStartTagFollowsTheDeclaration) {
    EXPECT_TRUE(XmlElement("registry").WriteStart(writer, +1));
    EXPECT_EQ(closeAndRead(), kDeclaration + " <registry>\r\n"s);
}

TEST_F(XmlWriterTest, DeclarationIsAtColumnZeroWhateverTheIndent) {
    writer.changeIndent(3);
    EXPECT_TRUE(writer.Write("x"));
    EXPECT_EQ(writer.indent(), 3);
    EXPECT_EQ(closeAndRead(), kDeclaration + "x"s);
}

TEST_F(XmlWriterTest, TagFormats) {
    XmlElement element("v");
    element.SetAttribute("name", "a");
    element.SetAttribute("value", "1");
    writer.changeIndent(2);
    const auto no = XmlIndent::No;
    const auto noBreak = XmlLineBreak::No;
    struct Case {
        std::function<bool()> write;
        std::string expected;
    };
    const Case cases[] = {
        {[&] { return element.WriteStart(writer, 0); }, "  <v name=\"a\" value=\"1\">\r\n"},
        {[&] { return element.WriteStart(writer, 0, no, noBreak); }, "<v name=\"a\" value=\"1\">"},
        {[&] { return element.WriteEmpty(writer, 0); }, "  <v name=\"a\" value=\"1\"/>\r\n"},
        {[&] { return element.WriteEmpty(writer, 0, XmlIndent::Yes, noBreak); }, "  <v name=\"a\" value=\"1\"/>"},
        {[&] { return element.WriteEnd(writer, 0); }, "  </v>\r\n"},
        {[&] { return element.WriteEnd(writer, 0, no, XmlLineBreak::Yes); }, "</v>\r\n"},
        {[&] { return element.WriteDeclaration(writer, 0); }, "  <?v name=\"a\" value=\"1\"?>\r\n"},
    };
    std::string expected = kDeclaration;
    for (const Case& c : cases) {
        EXPECT_TRUE(c.write());
        expected += c.expected;
    }
    EXPECT_EQ(closeAndRead(), expected);
}

TEST_F(XmlWriterTest, SettingAnAttributeAgainKeepsItsPlace) {
    XmlElement element("k");
    element.SetAttribute("name", "first");
    element.SetAttribute("type", "REG_SZ");
    element.SetAttribute("name", "second");
    element.SetAttribute("Name", "other case");  // names are compared with their letter case
    element.SetName("v");
    EXPECT_TRUE(element.WriteEmpty(writer, 0));
    EXPECT_EQ(closeAndRead(), kDeclaration + "<v name=\"second\" type=\"REG_SZ\" Name=\"other case\"/>\r\n"s);
}

// The nest written for one value Foo of HKEY_LOCAL_MACHINE\Software\X.
TEST_F(XmlWriterTest, DepthChangesGiveTheSnapshotLayout) {
    const XmlElement registry("registry");
    registry.WriteStart(writer, +1);
    for (const char* name : {"HKEY_LOCAL_MACHINE", "Software", "X"}) {
        XmlElement key("k");
        key.SetAttribute("name", name);
        key.WriteStart(writer, +1);
    }
    XmlElement value("v");
    value.SetAttribute("name", "Foo");
    value.SetAttribute("value", "bar");
    value.WriteEmpty(writer, +1);
    for (int i = 0; i < 3; ++i) XmlElement("k").WriteEnd(writer, -1);
    registry.WriteEnd(writer, -1);
    EXPECT_EQ(writer.indent(), 0);
    EXPECT_EQ(closeAndRead(), kDeclaration +
                                  " <registry>\r\n"
                                  "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
                                  "   <k name=\"Software\">\r\n"
                                  "    <k name=\"X\">\r\n"
                                  "     <v name=\"Foo\" value=\"bar\"/>\r\n"
                                  "    </k>\r\n"
                                  "   </k>\r\n"
                                  "  </k>\r\n"
                                  " </registry>\r\n"s);
}

TEST_F(XmlWriterTest, UnbalancedDepthWritesAtColumnZero) {
    XmlElement("k").WriteEnd(writer, -1);
    XmlElement("k").WriteEnd(writer, -1);
    EXPECT_EQ(writer.indent(), -2);
    EXPECT_EQ(closeAndRead(), kDeclaration + "</k>\r\n</k>\r\n"s);
}

TEST_F(XmlWriterTest, BytesPassUnchanged) {
    const std::string bytes = "caf\xc3\xa9 \xff\x80\x01"s + '\0' + "&quot;<>'\r\n" + std::string(300000, 'x');
    XmlElement element(bytes);
    element.SetAttribute(bytes, bytes);
    EXPECT_TRUE(element.WriteEmpty(writer, 0, XmlIndent::No, XmlLineBreak::No));
    EXPECT_EQ(closeAndRead(), kDeclaration + "<" + bytes + " " + bytes + "=\"" + bytes + "\"/>");
}

TEST_F(XmlWriterTest, CloseReadiesTheWriterForAnotherFile) {
    XmlElement("a").WriteStart(writer, +1);
    EXPECT_TRUE(writer.isOpen());
    writer.SetFileName((folder.path() / "ignored.xml").string());  // not while open
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(writer.indent(), 0);

    const fs::path second = folder.path() / "second.xml";
    writer.SetFileName(second.string());
    XmlElement("b").WriteStart(writer, +1);
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(test::ReadFileAt(file), kDeclaration + " <a>\r\n"s);
    EXPECT_EQ(test::ReadFileAt(second), kDeclaration + " <b>\r\n"s);
    EXPECT_FALSE(fs::exists(folder.path() / "ignored.xml"));
}

// Written beside its name and given it whole: nothing half-written is ever under the name,
// and a writer dropped unfinished leaves nothing at all.
TEST_F(XmlWriterTest, TheFileHasItsNameOnlyOnceItIsWhole) {
    for (const bool closed : {true, false}) {
        SCOPED_TRACE(closed ? "closed" : "dropped");
        {
            XmlWriter writer;
            writer.SetFileName(file.string());
            ASSERT_TRUE(XmlElement("registry").WriteStart(writer, +1));
            EXPECT_FALSE(fs::exists(file));
            if (closed) {
                EXPECT_TRUE(writer.Close()) << writer.error();
            }
        }
        EXPECT_EQ(fs::exists(file), closed);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), closed ? 1 : 0)
            << "no temporary file is left";
        fs::remove(file);
    }
}

TEST_F(XmlWriterTest, AWriterNeverWrittenLeavesNoFile) {
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(fs::exists(file));
}

TEST(XmlWriterFailureTest, UnopenableFileFailsEveryWriteAndTheClose) {
    test::TemporaryFolder folder;
    const std::string target = (folder.path() / "missing folder" / "snapshot.xml").string();
    for (const std::string& name : {target, folder.path().string(), std::string()}) {
        XmlWriter writer;
        writer.SetFileName(name);
        EXPECT_FALSE(writer.Write("<a>"));
        EXPECT_FALSE(writer.allWritten());
        EXPECT_NE(writer.error().find("Cannot open \"" + name + "\" for writing: "), std::string::npos)
            << writer.error();
        EXPECT_FALSE(XmlElement("b").WriteStart(writer, +1));
        EXPECT_FALSE(writer.Close());
        EXPECT_FALSE(writer.error().empty());  // still there to be shown after Close
    }
    EXPECT_FALSE(fs::exists(target));
}

// The snapshot's name is predictable: a file or a planted link that has it keeps what
// it is, and the link's target is not written through.
TEST_F(XmlWriterTest, ANameThatIsTakenIsNeitherReplacedNorFollowed) {
    const fs::path target = folder.path() / "user's file";
    std::ofstream(target) << "keep me";
    fs::create_symlink(target, file);
    EXPECT_FALSE(writer.Write("<a>"));
    EXPECT_NE(writer.error().find("the name is taken"), std::string::npos) << writer.error();
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(test::ReadFileAt(target), "keep me");
    EXPECT_TRUE(fs::is_symlink(file));

    fs::remove(file);
    fs::rename(target, file);
    writer.SetFileName(file.string());
    EXPECT_FALSE(writer.Write("<a>"));
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(test::ReadFileAt(file), "keep me");
}

// A full disk, as a file-size limit makes it look (EFBIG instead of ENOSPC).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(XmlWriterTest, FullDiskIsReportedByWriteOrClose) {
    {
        const FileSizeLimit limit(16);
        writer.Write("<a>");  // small enough to be buffered
        writer.Write(std::string(64, 'x'));
        EXPECT_FALSE(writer.Close());
    }
    EXPECT_NE(writer.error().find("\"" + file.string() + "\""), std::string::npos) << writer.error();
    fs::remove(file);

    const FileSizeLimit limit(16);
    EXPECT_FALSE(writer.Write(std::string(1 << 20, 'x')));
    EXPECT_FALSE(writer.allWritten());
    EXPECT_FALSE(writer.Write("y"));
    EXPECT_FALSE(writer.Close());
}

}  // namespace
}  // namespace brindle
