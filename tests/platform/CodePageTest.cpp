#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace brindle {
namespace {

std::string AllBytes() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
    return bytes;
}

TEST(CodePageTest, Windows1252RoundTripsEveryByteAndPassesHolesThrough) {
    const CodePage page(1252);
    ASSERT_TRUE(page.isSingleByte());
    const std::u16string wide = page.toUtf16(AllBytes());
    ASSERT_EQ(256u, wide.size());
    EXPECT_EQ(AllBytes(), page.toAnsi(wide));
    struct Case {
        unsigned byte;
        char16_t expected;
    };
    for (const Case& c : {Case{0x00, u'\0'}, Case{0x41, u'A'}, Case{0x80, u'\u20AC'}, Case{0x81, u'\u0081'},
                          Case{0x8D, u'\u008D'}, Case{0x8F, u'\u008F'}, Case{0x90, u'\u0090'},
                          Case{0x9D, u'\u009D'}, Case{0x9F, u'\u0178'}, Case{0xE9, u'\u00E9'}, Case{0xFF, u'\u00FF'}}) {
        EXPECT_EQ(static_cast<unsigned>(c.expected), static_cast<unsigned>(wide[c.byte])) << std::hex << c.byte;
    }
}

TEST(CodePageTest, SingleBytePagesMapTheirOwnLetters) {
    struct Case {
        unsigned page;
        unsigned byte;
        char16_t expected;
    };
    for (const Case& c : {Case{1250, 0x8A, u'\u0160'}, Case{1251, 0xC0, u'\u0410'}, Case{1253, 0xC1, u'\u0391'},
                          Case{1254, 0xD0, u'\u011E'}, Case{1255, 0xE0, u'\u05D0'}, Case{1256, 0xC7, u'\u0627'},
                          Case{1257, 0xC0, u'\u0104'}, Case{1258, 0xC3, u'\u0102'}, Case{874, 0xA1, u'\u0E01'},
                          Case{437, 0x80, u'\u00C7'}, Case{850, 0x9B, u'\u00F8'}}) {
        SCOPED_TRACE(c.page);
        const CodePage page(c.page);
        EXPECT_TRUE(page.isSingleByte());
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(std::u16string(1, c.expected), page.toUtf16(byte));
        EXPECT_EQ(byte, page.toAnsi(std::u16string(1, c.expected)));
        // Every byte comes back as itself, holes included.
        EXPECT_EQ(AllBytes(), page.toAnsi(page.toUtf16(AllBytes())));
    }
}

TEST(CodePageTest, MissingCharactersAndLoneSurrogatesBecomeQuestionMarks) {
    struct Case {
        const char* what;
        unsigned page;
        std::u16string wide;
        std::string expected;
    };
    const Case cases[] = {
        {"no best fit for A with macron", 1252, u"x\u0100y", "x?y"},
        {"no best fit for a CJK letter", 1252, u"\u65E5", "?"},
        {"lone high surrogate", 1252, std::u16string(u"a") + char16_t(0xD800) + u"b", "a?b"},
        {"lone low surrogate", 1252, std::u16string(1, char16_t(0xDC00)), "?"},
        {"pair outside the page, one per unit", 1252, u"\U0001F600", "??"},
        {"Cyrillic lacks e acute", 1251, u"\u00E9", "?"},
        {"932 lacks e acute", 932, u"a\u00E9b", "a?b"},
        {"932 lone surrogate", 932, std::u16string(1, char16_t(0xDBFF)), "?"},
        {"65001 lone surrogate", 65001, std::u16string(u"x") + char16_t(0xDC01), "x?"},
        {"65001 trailing high surrogate", 65001, std::u16string(u"x") + char16_t(0xD801), "x?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CodePage page(c.page);
        EXPECT_EQ(c.expected, page.toAnsi(c.wide));
        EXPECT_EQ(c.expected.size(), page.ansiLength(c.wide));
    }
}

TEST(CodePageTest, ShiftJisRoundTripsDoubleByteCharacters) {
    const CodePage page(932);
    EXPECT_FALSE(page.isSingleByte());
    // "Nihongo", then a character whose trail byte is 0x5C ('\' in ASCII), then half-width katakana.
    const std::string ansi = "\x93\xFA\x96\x7B\x8C\xEA" "\x95\x5C" "\xB1";
    const std::u16string wide = u"\u65E5\u672C\u8A9E\u8868\uFF71";
    EXPECT_EQ(wide, page.toUtf16(ansi));
    EXPECT_EQ(ansi, page.toAnsi(wide));
    EXPECT_EQ(ansi.size(), page.ansiLength(wide));
}

TEST(CodePageTest, InvalidMultiByteInputBecomesQuestionMarks) {
    struct Case {
        unsigned page;
        std::string ansi;
        std::u16string expected;
    };
    for (const Case& c : {Case{932, "a\x93", u"a?"}, Case{65001, "a\xC3", u"a?"}, Case{65001, "\xFF" "b", u"?b"}}) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(c.expected, CodePage(c.page).toUtf16(c.ansi));
    }
}

TEST(CodePageTest, Utf8RoundTripsEveryPlane) {
    const CodePage page(65001);
    const std::string ansi = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
    const std::u16string wide = u"a\u00E9\u65E5\U0001F600";
    EXPECT_EQ(wide, page.toUtf16(ansi));
    EXPECT_EQ(ansi, page.toAnsi(wide));
    EXPECT_EQ(ansi.size(), page.ansiLength(wide));
}

TEST(CodePageTest, EmbeddedNulsSurviveBothWays) {
    for (unsigned number : {1252u, 932u, 65001u}) {
        SCOPED_TRACE(number);
        const CodePage page(number);
        const std::string ansi("a\0b\0", 4);
        EXPECT_EQ(std::u16string(u"a\0b\0", 4), page.toUtf16(ansi));
        EXPECT_EQ(ansi, page.toAnsi(page.toUtf16(ansi)));
    }
}

TEST(CodePageTest, BufferConversionWritesOnlyWhenTheWholeResultFits) {
    for (unsigned number : {1252u, 932u}) {
        SCOPED_TRACE(number);
        const CodePage page(number);
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(5u, page.toAnsi(u"hello", buffer, 4));
        EXPECT_EQ(std::string(8, '#'), std::string(buffer, 8));
        EXPECT_EQ(5u, page.toAnsi(u"hello", buffer, 5));
        EXPECT_EQ("hello###", std::string(buffer, 8));
    }
}

TEST(CodePageTest, ReusedBufferIsReplacedNotAppended) {
    const CodePage page(1252);
    std::u16string buffer = u"previous contents";
    page.toUtf16("new", buffer);
    EXPECT_EQ(u"new", buffer);
}

TEST(CodePageTest, CopiesConvertTheSameWay) {
    CodePage copy(1252);
    copy = CodePage(1251);
    const CodePage another(copy);
    EXPECT_EQ(1251u, another.number());
    EXPECT_EQ(u"\u0410", another.toUtf16("\xC0"));
}

TEST(CodePageTest, UnknownPageThrowsNamingIt) {
    try {
        CodePage page(12345);
        FAIL() << "code page 12345 was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find("12345")) << error.what();
    }
}

}  // namespace
}  // namespace brindle
