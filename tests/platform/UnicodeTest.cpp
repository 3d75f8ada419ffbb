#include "platform/Unicode.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

TEST(UnicodeTest, RoundTripsEveryPlane) {
    const std::u16string text = u"A\u00e9\u4e2d\U0001F600z";
    EXPECT_EQ(Utf16ToUtf8(text), "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(UnicodeTest, BadInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'a'}), "\xEF\xBF\xBD" "a");
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xFF", u"\uFFFD"},
        {"\xC3", u"\uFFFD"},                // truncated
        {"\xC0\xAF", u"\uFFFD\uFFFD"},      // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"a\xE4\xB8", u"a\uFFFD\uFFFD"},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(Utf8ToUtf16(bytes), expected);
        // The strict decoder refuses what the lenient one replaces, and agrees otherwise.
        std::u16string strict;
        EXPECT_FALSE(DecodeUtf8Strict(bytes, strict));
    }
    std::u16string strict;
    ASSERT_TRUE(DecodeUtf8Strict("A\xC3\xA9\xF0\x9F\x98\x80", strict));
    EXPECT_EQ(strict, u"A\u00e9\U0001F600");
}

// The one fold by which registry and file names compare: ASCII and Latin-1 always, the
// rest with the C library's tables, surrogates never.
TEST(UnicodeTest, FoldsCaseAsWindowsComparesNames) {
    const std::pair<char16_t, char16_t> cases[] = {
        {u'a', u'A'}, {u'Z', u'Z'}, {u'1', u'1'}, {u'\u00e9', u'\u00c9'}, {u'\u00f7', u'\u00f7'},
        {u'\u00ff', u'\u0178'}, {u'\u00aa', u'\u00aa'}, {char16_t(0xD800), char16_t(0xD800)},
        {char16_t(0xDFFF), char16_t(0xDFFF)},
    };
    for (const auto& [unit, folded] : cases) EXPECT_EQ(FoldCase(unit), folded) << int(unit);
}

}  // namespace
}  // namespace brindle
