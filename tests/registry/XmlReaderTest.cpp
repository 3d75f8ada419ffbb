#include "registry/XmlReader.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/XmlElement.h"
#include "registry/XmlWriter.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace std::string_literals;
using Tokens = std::vector<std::string>;

// Every token but the empty ones, as "kind content", and how reading ended.
struct ReadResult {
    Tokens tokens;
    std::string error;
    std::int64_t lines = 0;
};

std::string Describe(const XmlReader& reader) {
    switch (reader.GetTokenKind()) {
        case XmlToken::Nothing:
            return {};
        case XmlToken::StartOfElement:
            return "start " + reader.GetElementName();
        case XmlToken::EndOfElement:
            return "end " + reader.GetElementName();
        case XmlToken::Attribute:
            return "attr " + reader.GetAttribute().name + "=" + reader.GetAttribute().value;
        case XmlToken::Text:
            return "text [" + reader.text() + "]";
        case XmlToken::Declaration:
            return "decl " + reader.declarationName();
        case XmlToken::Comment:
            return "comment";
        case XmlToken::CData:
            return "cdata";
    }
    return "?";
}

ReadResult ReadAll(XmlReader& reader) {
    ReadResult result;
    while (reader.Read()) {
        if (std::string token = Describe(reader); !token.empty()) result.tokens.push_back(std::move(token));
    }
    result.error = reader.error();
    result.lines = reader.lineNumber();
    reader.Close();
    return result;
}

class XmlReaderTest : public ::testing::Test {
protected:
    ReadResult read(const std::string& content) {
        reader.SetFileName(folder.writeFile("in.xml", content).string());
        return ReadAll(reader);
    }

    test::TemporaryFolder folder;
    XmlReader reader;
};

TEST_F(XmlReaderTest, WrittenSnapshotReadsBack) {
    XmlWriter writer;
    writer.SetFileName((folder.path() / "out.xml").string());
    XmlElement registry("registry");
    registry.WriteStart(writer, +1);
    XmlElement key("k");
    key.SetAttribute("name", "HKEY_CURRENT_USER");
    key.WriteStart(writer, +1);
    XmlElement value("v");
    value.SetAttribute("name", "caf\xc3\xa9 &amp; &quot;&lt;");
    value.SetAttribute("value", "one\r\ntwo\r\n");
    value.SetAttribute("type", "REG_MULTI_SZ");
    value.WriteEmpty(writer, +1);
    key.WriteEnd(writer, -1);
    registry.WriteEnd(writer, -1);
    ASSERT_TRUE(writer.Close());

    reader.SetFileName(writer.fileName());
    EXPECT_EQ(ReadAll(reader).tokens, (Tokens{"decl ?xml", "attr version=1.0", "attr encoding=UTF-8",  //
                                              "text [ ]", "start registry",                             //
                                              "text [  ]", "start k", "attr name=HKEY_CURRENT_USER",    //
                                              "text [   ]", "start v", "attr name=caf\xc3\xa9 &amp; &quot;&lt;",
                                              "attr value=one\r\ntwo\r\n", "attr type=REG_MULTI_SZ", "end v",
                                              "text [  ]", "end k", "text [ ]", "end registry"}));
}

TEST_F(XmlReaderTest, TokenSequences) {
    const struct {
        std::string input;
        Tokens tokens;
    } cases[] = {
        {"<k name=\"a\" x=\"\"/>", {"start k", "attr name=a", "attr x=", "end k"}},
        {"<k  name = \"a\" >text here</k>", {"start k", "attr name=a", "text [text here]", "end k"}},
        {"<k>\n<v/>\n</k>\n", {"start k", "start v", "end v", "end k"}},
        // The value spans lines; each line break comes back as CR LF, LF-only files too.
        {"<v value=\"one\r\ntwo\"/>", {"start v", "attr value=one\r\ntwo", "end v"}},
        {"<v value=\"one\ntwo\"/>", {"start v", "attr value=one\r\ntwo", "end v"}},
        {"<v value=\"\r\n\r\nx\r\n\"/>", {"start v", "attr value=\r\n\r\nx\r\n", "end v"}},
        // A value ends at the first quote of either kind or ">", whatever follows.
        {"<v value=\"a>b\"/>", {"start v", "attr value=a", "text [b\"/>]"}},
        {"<v value=\"it's\"/>", {"start v", "attr value=it"}},
        {"<v value='single'/>", {"start v", "attr value=single", "end v"}},
        {"<v value=bare/>", {"start v", "attr value=bare/"}},
        {"<a>x\ry</a>", {"start a", "text [x]", "text [y]", "end a"}},
        {"<!-- one\r\n two <x> \r\n three --><a/>", {"comment", "comment", "comment", "start a", "end a"}},
        {"<![CDATA[ <raw> ]]>tail", {"cdata", "text [tail]"}},
        {"<![CDATA[ one\r\ntwo ]]>", {"cdata", "cdata"}},
        // A name without "=" is not an attribute yet.
        {"<!DOCTYPE registry>", {"decl !DOCTYPE"}},
        {"<a b c=\"1\">", {"start a", "attr c=1"}},
        {"</ k>", {"end "}},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.input).tokens, c.tokens) << c.input;
}

TEST_F(XmlReaderTest, CommentOverSeveralLinesYieldsOnlyCommentTokens) {
    // One for "<!--" and one for the rest of each line up to the one that holds "-->".
    const std::string input = "<a>\r\n<!-- first\r\nsecond <b x=\"1\">\r\nthird -->\r\n<c/>";
    EXPECT_EQ(read(input).tokens, (Tokens{"start a", "comment", "comment", "comment", "start c", "end c"}));
}

TEST_F(XmlReaderTest, DeclarationHasNoElementName) {
    reader.SetFileName(folder.writeFile("in.xml", "<a><?pi x=\"1\"?>").string());
    ASSERT_TRUE(reader.Read());
    EXPECT_EQ(reader.GetElementName(), "a");
    while (reader.Read() && reader.GetTokenKind() != XmlToken::Declaration) {
    }
    EXPECT_EQ(reader.declarationName(), "?pi");
    EXPECT_EQ(reader.GetElementName(), "");
}

TEST_F(XmlReaderTest, SyntaxErrorsNameTheirLine) {
    const struct {
        std::string input;
        std::string error;
    } cases[] = {
        {" <registry>", "Parse error in line 1 : (Syntax error)"},
        {"\r\n\r\nx<a>", "Parse error in line 3 : (Syntax error)"},
        {"=", "Parse error in line 1 : (Syntax error)"},
        {"<a>\r\n<b <c>", "Parse error in line 2 : (Bad '<' symbol)"},
        {"<a>\r\n<b>\r\nx <", "Parse error in line 3 : ('<' symbol not allowed at the end of a line)"},
        {"<a>\n<  \n", "Parse error in line 2 : ('<' symbol not allowed at the end of a line)"},
        {"<>", "Parse error in line 1 : (Empty element name)"},
        {"<a =\"1\">", "Parse error in line 1 : (Missing attribute name before '=')"},
        {"<a\r\nb=\"1\" =\"2\">", "Parse error in line 2 : (Missing attribute name before '=')"},
        // A file cut off inside markup is not a complete file.
        {"<a>\r\n<v value=\"x", "Parse error in line 2 : (Unexpected end of file inside an attribute value)"},
        {"<a>\r\n<v value=\"x\"\r\n", "Parse error in line 2 : (Unexpected end of file inside a tag)"},
        {"<!-- x\r\n", "Parse error in line 1 : (Unexpected end of file inside a comment)"},
        {"<![CDATA[ x", "Parse error in line 1 : (Unexpected end of file inside a CDATA section)"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.input).error, c.error) << c.input;
}

TEST_F(XmlReaderTest, CompleteFilesEndWithoutError) {
    for (const std::string input : {"", "\r\n", "<a/>", "<a/>\r\n", "<a>\r\n</a>\r\n  \r\n", "<a>text"}) {
        EXPECT_EQ(read(input).error, "") << input;
    }
    EXPECT_EQ(read("<a/>\r\n\r\n<b/>").lines, 3);
}

TEST_F(XmlReaderTest, ErrorsAreShownOnlyWhenAsked) {
    std::vector<std::string> shown;
    reader.setErrorDisplay([&](const std::string& message) { shown.push_back(message); });
    const std::string file = folder.writeFile("bad.xml", "<a>\r\n<>").string();
    reader.SetFileName(file);
    reader.SetShowErrors(true);
    EXPECT_TRUE(reader.Read());
    while (reader.Read()) {
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Parse error in line 2 : (Empty element name)"}));
    EXPECT_FALSE(reader.Read());  // stays stopped, without showing it again
    EXPECT_EQ(shown.size(), 1u);

    reader.Close();  // also turns showing off
    EXPECT_EQ(ReadAll(reader).error, "Parse error in line 2 : (Empty element name)");
    EXPECT_EQ(shown.size(), 1u);

    reader.SetFileName((folder.path() / "missing.xml").string());
    reader.SetShowErrors(true);
    EXPECT_FALSE(reader.Read());
    EXPECT_EQ(reader.error().rfind("Cannot open \"" + reader.fileName() + "\" for reading: ", 0), 0u);
    EXPECT_EQ(shown.size(), 1u);
}

// A snapshot the user names may be anything; a pipe must not hang the restore.
TEST_F(XmlReaderTest, AnythingButARegularFileIsRefusedAtOnce) {
    const std::string pipe = (folder.path() / "pipe.xml").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        std::string name;
        const char* reason;
    } cases[] = {{folder.path().string(), "it is a folder"}, {pipe, "it is a named pipe"}, {"/dev/zero", "it is a character device"}};
    for (const auto& c : cases) {
        reader.Close();
        reader.SetFileName(c.name);
        EXPECT_FALSE(reader.Read());
        EXPECT_EQ(reader.error(), "Cannot open \"" + c.name + "\" for reading: " + c.reason + ", not a regular file");
    }
}

TEST_F(XmlReaderTest, FileNameIsKeptWhileOpenAndReadingRestartsAfterClose) {
    const std::string first = folder.writeFile("first.xml", "<a/>").string();
    reader.SetFileName(first);
    ASSERT_TRUE(reader.Read());
    reader.SetFileName(folder.writeFile("second.xml", "<b/>").string());
    EXPECT_EQ(reader.fileName(), first);
    reader.Close();
    ASSERT_TRUE(reader.Read());
    EXPECT_EQ(reader.GetElementName(), "a");
    EXPECT_EQ(reader.lineNumber(), 1);
}

TEST_F(XmlReaderTest, BytesComeBackAsTheFileHoldsThem) {
    const std::string name = "k\xc3\xa9\xff\x80";
    const std::string value = "&amp;&quot;&lt; caf\xc3\xa9 \xfe\x01"s + '\0' + "end";
    EXPECT_EQ(read("<" + name + " " + name + "=\"" + value + "\">" + value + "</" + name + ">").tokens,
              (Tokens{"start " + name, "attr " + name + "=" + value, "text [" + value + "]", "end " + name}));
}

TEST_F(XmlReaderTest, LongLinesAndValuesAcrossReadChunks) {
    // Lengths around the 64 KiB read piece, so that a CR LF is split between two pieces.
    for (const std::size_t length : {65535u, 65536u, 65537u, 1u << 21}) {
        const std::string big(length, 'x');
        const std::string input = "<v value=\"" + big + "\r\n" + big + "\" " + big + "=\"1\"/>\r\n<" + big + "/>";
        EXPECT_EQ(read(input).tokens,
                  (Tokens{"start v", "attr value=" + big + "\r\n" + big, "attr " + big + "=1", "end v",
                          "start " + big, "end " + big}))
            << length;
    }
}

}  // namespace
}  // namespace brindle
