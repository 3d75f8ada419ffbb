#include "platform/WineRegistryFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "platform/WineRegistryText.h"

namespace brindle {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view kPreamble =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

std::string ReadFixture(const std::string& name) {
    std::ifstream file(std::string(BRINDLE_TEST_DATA_DIR) + "/wine/" + name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

Bytes Utf16(std::u16string_view text, bool withNul = true) {
    Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (withNul) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

struct Loaded {
    std::unique_ptr<RegistryKeyNode> root = std::make_unique<RegistryKeyNode>();
    WineRegistryFile info;
    WineRegistryLoadResult result;
};

Loaded Load(std::string_view text, std::string_view fileName = "system.reg") {
    Loaded loaded;
    loaded.result = LoadWineRegistryFile(text, fileName, *loaded.root, loaded.info);
    return loaded;
}

// The key at a backslash-separated path below root; null when absent.
RegistryKeyNode* Find(RegistryKeyNode& root, std::u16string_view path) {
    RegistryKeyNode* node = &root;
    while (node != nullptr && !path.empty()) {
        const auto slash = path.find(u'\\');
        node = node->findSubKey(path.substr(0, slash));
        path = slash == std::u16string_view::npos ? std::u16string_view() : path.substr(slash + 1);
    }
    return node;
}

// One key holding one value whose data is written as `data`.
std::string OneValueFile(std::string_view data) {
    return std::string(kPreamble) + "\n[Software\\\\Vendor] 1700000000\n#time=1da1747c66d0000\n\"v\"=" +
           std::string(data) + "\n";
}

// ---------------------------------------------------------------------------------------
// Text escapes

TEST(WineRegistryTextTest, EscapesAsWineWrites) {
    struct Case {
        std::u16string text;
        WineQuoting quoting;
        std::string written;
    };
    const Case cases[] = {
        {u"plain text 123", WineQuoting::String, "plain text 123"},
        {u"C:\\dir \"q\" [x]", WineQuoting::String, "C:\\\\dir \\\"q\\\" [x]"},
        {u"C:\\dir \"q\" [x]", WineQuoting::KeyName, "C:\\\\dir \"q\" \\[x\\]"},
        {u"\a\b\t\n\v\f\r\x1b", WineQuoting::String, "\\a\\b\\t\\n\\v\\f\\r\\e"},
        {u"del\x7f", WineQuoting::String, "del\x7f"},
        // Octal, padded only before a digit that would extend it.
        {std::u16string(u"\x01" u"9\x02" u"7\x1f" u"x"), WineQuoting::String, "\\19\\0027\\37x"},
        {std::u16string(u"\0" u"0\0" u"a\0", 5), WineQuoting::String, "\\0000\\0a\\0"},
        // \x, padded only before an ASCII hex digit.
        {u"\u00e9a \u00e9z \u00e9F \u00e9g", WineQuoting::String, "\\x00e9a \\xe9z \\x00e9F \\xe9g"},
        {u"\u1234\u00e9 end\u00e9", WineQuoting::String, "\\x1234\\xe9 end\\xe9"},
        {u"\u00ff" u"0", WineQuoting::String, "\\x00ff0"},
        // A character beyond the BMP is two escaped surrogates.
        {u"\U0001F600b", WineQuoting::String, "\\xd83d\\xde00b"},
        {u"", WineQuoting::String, ""},
    };
    for (const Case& c : cases) {
        std::string out = "prefix:";
        const std::size_t count = AppendWineEscaped(out, c.text, c.quoting);
        EXPECT_EQ(out, "prefix:" + c.written) << WineTextToUtf8(c.text);
        EXPECT_EQ(count, c.written.size());
    }
}

TEST(WineRegistryTextTest, EscapesLongTextAcrossItsBuffer) {
    std::u16string text;
    std::string written;
    for (int i = 0; i < 500; ++i) {
        text += u"\u00e9a";
        written += "\\x00e9a";
    }
    std::string out;
    EXPECT_EQ(AppendWineEscaped(out, text, WineQuoting::String), written.size());
    EXPECT_EQ(out, written);
}

TEST(WineRegistryTextTest, ParsesWhatWineReads) {
    struct Case {
        std::string escaped;  // up to and including the closing quote
        std::u16string text;
    };
    const Case cases[] = {
        {"abc\"", u"abc"},
        {"\\a\\b\\t\\n\\v\\f\\r\\e\"", u"\a\b\t\n\v\f\r\x1b"},
        {"\\\\ \\\" \\[ \\]\"", u"\\ \" [ ]"},
        {"\\q\\%\"", u"q%"},                                // unknown escape: the character
        {"\\x41\\x4\\x00e9\"", u"A\x04\u00e9"},             // \x takes 1 to 4 digits
        {"\\x12345\"", u"\u1234" u"5"},                     // and no more
        {"\\xg\"", u"xg"},                                  // \x without a digit is x
        {"\\101\\1234\\0\\8\"", std::u16string(u"AS4\0" u"8", 5)},  // octal up to 3 digits
        {"\\777\"", u"\u01ff"},
        {"caf\xc3\xa9 \xe6\x97\xa5\"", u"caf\u00e9 \u65e5"},  // raw UTF-8
        {"\xf0\x9f\x98\x80\"", u"\U0001F600"},
        {"\\\xc3\xa9\"", u"\u00e9"},                         // an escaped UTF-8 character
        {"\\xd83d\\xde00\"", u"\U0001F600"},
        {"\"", u""},
    };
    for (const Case& c : cases) {
        const std::string line = c.escaped + "tail";
        std::size_t pos = 0;
        std::u16string out = u"x";
        EXPECT_EQ(ParseWineEscaped(line, pos, '"', out), WineUnescapeError::None) << c.escaped;
        EXPECT_EQ(out, u"x" + c.text) << c.escaped;
        EXPECT_EQ(line.substr(pos), "tail") << c.escaped;
    }
}

TEST(WineRegistryTextTest, RefusesWhatItCannotRead) {
    struct Case {
        std::string line;
        WineUnescapeError error;
    };
    const Case cases[] = {
        {"no closing quote", WineUnescapeError::Unterminated},
        {"ends in a backslash\\", WineUnescapeError::Unterminated},
        {"escaped quote only\\\"", WineUnescapeError::Unterminated},
        {"lone \x80 byte\"", WineUnescapeError::BadUtf8},
        {"overlong \xc0\x80\"", WineUnescapeError::BadUtf8},
        {"surrogate \xed\xa0\x80\"", WineUnescapeError::BadUtf8},
        {"beyond U+10FFFF \xf4\x90\x80\x80\"", WineUnescapeError::BadUtf8},
        {"cut \xe6\x97", WineUnescapeError::BadUtf8},
        {"latin-1 caf\xe9\"", WineUnescapeError::BadUtf8},
        {std::string("nul \0 byte\"", 11), WineUnescapeError::NulByte},
    };
    for (const Case& c : cases) {
        std::size_t pos = 0;
        std::u16string out = u"kept";
        EXPECT_EQ(ParseWineEscaped(c.line, pos, '"', out), c.error) << c.line;
        EXPECT_EQ(out, u"kept") << c.line;
    }
}

TEST(WineRegistryTextTest, WhatItWritesReadsBackTheSame) {
    // Random text weighted towards what escapes touch: controls, digits after them,
    // quotes, backslashes, brackets, non-ASCII, surrogates (paired and lone).
    const char16_t pool[] = {u'a', u'F', u'g', u'0', u'7', u'8', u'"', u'\\', u'[', u']', u'x',
                             0,    1,    7,    27,   31,   127,  0x80, 0xe9, 0x1234, 0xd83d, 0xde00, 0xffff};
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::u16string text(random() % 12, u' ');
        for (auto& c : text) c = pool[random() % std::size(pool)];
        for (WineQuoting quoting : {WineQuoting::String, WineQuoting::KeyName}) {
            std::string line;
            AppendWineEscaped(line, text, quoting);
            line += quoting == WineQuoting::String ? '"' : ']';
            std::size_t pos = 0;
            std::u16string back;
            ASSERT_EQ(ParseWineEscaped(line, pos, quoting == WineQuoting::String ? '"' : ']', back),
                      WineUnescapeError::None)
                << line;
            EXPECT_EQ(back, text) << line;
            EXPECT_EQ(pos, line.size());
        }
    }
}

TEST(WineRegistryTextTest, OrdersNamesAsWineDoes) {
    // Wine folds to lower case: '_' (0x5f) sorts before letters, unlike on Windows.
    EXPECT_LT(CompareWineNames(u"_under", u"aaa"), 0);
    EXPECT_LT(CompareWineNames(u"aaa", u"BBB"), 0);
    EXPECT_EQ(CompareWineNames(u"Software", u"SOFTWARE"), 0);
    EXPECT_LT(CompareWineNames(u"abc", u"abcd"), 0);
}

// ---------------------------------------------------------------------------------------
// Round trips of files Wine wrote

TEST(WineRegistryFileTest, FilesWineWroteComeBackByteForByte) {
    for (const char* name : {"system-excerpt.reg", "user.reg", "userdef.reg", "fresh-prefix/system.reg",
                             "fresh-prefix/user.reg", "fresh-prefix/userdef.reg", "fresh-prefix-wow64/system.reg",
                             "wow64-programs/system.reg", "wow64-programs/user.reg"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadFixture(name);
        ASSERT_FALSE(bytes.empty());
        Loaded loaded = Load(bytes, name);
        ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
        EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), bytes);
    }
}

TEST(WineRegistryFileTest, KeepsHeaderAndPreamble) {
    Loaded loaded = Load(ReadFixture("user.reg"), "user.reg");
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    EXPECT_EQ(loaded.info.header, "WINE REGISTRY Version 2");
    const std::vector<std::string> preamble{";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000", "",
                                            "#arch=win64"};
    EXPECT_EQ(loaded.info.preamble, preamble);
    EXPECT_EQ(loaded.info.relativeTo, "REGISTRY\\User\\S-1-5-21-0-0-0-1000");
}

TEST(WineRegistryFileTest, PreambleLinesLoseStrayCarriageReturns) {
    // "\r\r\n" leaves a CR in the line that a save, which ends lines with LF, would hand
    // to the next load as part of its line end: the preamble would change on every save.
    Loaded loaded = Load(
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\r\r\n#arch=win64\r\r\r\n\r\r\n[A] 0\n");
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    EXPECT_EQ(loaded.info.preamble, (std::vector<std::string>{";; All keys relative to \\\\Machine", "#arch=win64"}));
    EXPECT_EQ(loaded.info.relativeTo, "\\Machine");

    const std::string written = SaveWineRegistryFile(*loaded.root, loaded.info);
    Loaded again = Load(written);
    ASSERT_TRUE(again.result.ok()) << again.result.describe();
    EXPECT_EQ(again.info.preamble, loaded.info.preamble);
    EXPECT_EQ(SaveWineRegistryFile(*again.root, again.info), written);
}

TEST(WineRegistryFileTest, ReadsWhatWineWroteForEachCase) {
    Loaded loaded = Load(ReadFixture("user.reg"), "user.reg");
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    RegistryKeyNode* values = Find(*loaded.root, u"Software\\BrindleFixture\\Values");
    ASSERT_NE(values, nullptr);
    struct Case {
        std::u16string name;
        win::DWORD type;
        Bytes data;
    };
    const Case cases[] = {
        {u"", win::REG_SZ, Utf16(u"default")},
        {u"control", win::REG_SZ, Utf16(std::u16string(u"\x01" u"9\x02" u"7\x1f" u"x\0" u"0\0" u"a", 10))},
        {u"nonascii", win::REG_SZ, Utf16(u"\u00e9a \u00e9z \u00e9F \u00e9g \u1234\u00e9 end\u00e9")},
        {u"astral", win::REG_SZ, Utf16(u"\U0001F600b \U0001F600z")},
        {u"odd", win::REG_SZ, {'a', 'b', 'c'}},
        {u"zerobytes", win::REG_SZ, {}},
        {u"unterminated", win::REG_SZ, Utf16(u"ab", false)},
        {u"multi", win::REG_MULTI_SZ, Utf16(std::u16string(u"one\0two\0three\0", 14))},
        {u"multiempty", win::REG_MULTI_SZ, Utf16(u"")},
        {u"dword", win::REG_DWORD, {0xef, 0xbe, 0xad, 0xde}},
        {u"dword3", win::REG_DWORD, {1, 2, 3}},
        {u"qword", 11, {0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01}},
        {u"none", win::REG_NONE, {}},
        {u"expand", win::REG_EXPAND_SZ, Utf16(u"%SystemRoot%\\system32")},
    };
    for (const Case& c : cases) {
        const RegistryValueData* value = values->values.find(c.name);
        ASSERT_NE(value, nullptr) << WineTextToUtf8(c.name);
        EXPECT_EQ(value->type, c.type) << WineTextToUtf8(c.name);
        EXPECT_EQ(value->data, c.data) << WineTextToUtf8(c.name);
    }
    const RegistryValueData* longBinary = values->values.find(u"binlong");
    ASSERT_NE(longBinary, nullptr);
    ASSERT_EQ(longBinary->data.size(), 300u);
    for (std::size_t i = 0; i < 300; ++i) EXPECT_EQ(longBinary->data[i], static_cast<std::uint8_t>(i * 7));

    const RegistryKeyNode* withClass = Find(*loaded.root, u"Software\\BrindleFixture\\WithClass");
    ASSERT_NE(withClass, nullptr);
    EXPECT_TRUE(withClass->hasClass);
    EXPECT_EQ(withClass->keyClass, u"Class \"quoted\" caf\u00e9 [x]\\y");
    const std::u16string oddName = u"Br[ack]ets and caf\u00e9 \u65e5\u672c \U0001F600 tab\tend";
    EXPECT_NE(Find(*loaded.root, u"Software\\BrindleFixture\\" + oddName), nullptr);
    EXPECT_EQ(Find(*loaded.root, u"Software\\BrindleFixture\\VolatileKey"), nullptr);
}

// ---------------------------------------------------------------------------------------
// Value encodings, both ways

struct Encoding {
    std::string text;
    win::DWORD type;
    Bytes data;
};

// Each of these is what Wine writes for the data, so it reads to the data and the data
// writes back to it.
const Encoding kWineEncodings[] = {
    {"\"abc\"", win::REG_SZ, Utf16(u"abc")},
    {"\"\"", win::REG_SZ, Utf16(u"")},
    {"\"q\\\" b\\\\ \\a\\b\\t\\n\\v\\f\\r\\e del\x7f\"", win::REG_SZ, Utf16(u"q\" b\\ \a\b\t\n\v\f\r\x1b del\x7f")},
    {"\"\\19\\0027\\0000\\0\"", win::REG_SZ, Utf16(std::u16string(u"\x01" u"9\x02" u"7\0" u"0\0", 7))},
    {"\"\\x00e9a\\xe9z \\x1234\\xe9 \\xd83d\\xde00\"", win::REG_SZ, Utf16(u"\u00e9a\u00e9z \u1234\u00e9 \U0001F600")},
    {"str(2):\"%SystemRoot%\\\\x\"", win::REG_EXPAND_SZ, Utf16(u"%SystemRoot%\\x")},
    {"str(7):\"a\\0b\\0\"", win::REG_MULTI_SZ, Utf16(std::u16string(u"a\0b\0", 4))},
    {"str(7):\"\"", win::REG_MULTI_SZ, Utf16(u"")},
    {"str(7):\"\\0\"", win::REG_MULTI_SZ, Utf16(std::u16string(u"\0", 1))},
    // String data that is not whole NUL-terminated UTF-16 is written as hex.
    {"hex(1):61,62,63", win::REG_SZ, {'a', 'b', 'c'}},
    {"hex(1):61", win::REG_SZ, {'a'}},
    {"hex(1):", win::REG_SZ, {}},
    {"hex(1):61,00,62,00", win::REG_SZ, Utf16(u"ab", false)},
    {"hex(2):61,00,00", win::REG_EXPAND_SZ, {'a', 0, 0}},
    {"hex(7):61,00", win::REG_MULTI_SZ, Utf16(u"a", false)},
    {"dword:deadbeef", win::REG_DWORD, {0xef, 0xbe, 0xad, 0xde}},
    {"dword:0000000a", win::REG_DWORD, {10, 0, 0, 0}},
    {"hex(4):01,02,03", win::REG_DWORD, {1, 2, 3}},
    {"hex(4):", win::REG_DWORD, {}},
    {"hex(4):01,02,03,04,05,06,07,08", win::REG_DWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
    {"hex:01,a0,ff", win::REG_BINARY, {0x01, 0xa0, 0xff}},
    {"hex:", win::REG_BINARY, {}},
    {"hex(0):", win::REG_NONE, {}},
    {"hex(0):01,02", win::REG_NONE, {1, 2}},
    {"hex(5):04,03,02,01", win::REG_DWORD_BIG_ENDIAN, {4, 3, 2, 1}},
    {"hex(6):5c,00", win::REG_LINK, {0x5c, 0}},
    {"hex(b):ef,cd,ab,89,67,45,23,01", win::REG_QWORD, {0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01}},
    {"hex(12345):00,07", 0x12345, {0x00, 0x07}},
};

TEST(WineRegistryFileTest, ValueEncodingsReadAndWriteAsWineDoes) {
    for (const Encoding& e : kWineEncodings) {
        SCOPED_TRACE(e.text);
        const std::string file = OneValueFile(e.text);
        Loaded loaded = Load(file);
        ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
        const RegistryKeyNode* key = Find(*loaded.root, u"Software\\Vendor");
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(key->values.size(), 1u);
        EXPECT_EQ(key->values[0].name, u"v");
        EXPECT_EQ(key->values[0].type, e.type);
        EXPECT_EQ(key->values[0].data, e.data);
        EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), file);
    }
}

TEST(WineRegistryFileTest, ReadsFormsWineAcceptsButDoesNotWrite) {
    const Encoding cases[] = {
        {"str:\"abc\"", win::REG_SZ, Utf16(u"abc")},
        {"\"abc\"   ", win::REG_SZ, Utf16(u"abc")},
        {"\"caf\xc3\xa9\"", win::REG_SZ, Utf16(u"caf\u00e9")},
        {"\"\\x41\\101\\q\\x\"", win::REG_SZ, Utf16(u"AAqx")},
        {"dword:a", win::REG_DWORD, {10, 0, 0, 0}},
        {"dword:DEADBEEF", win::REG_DWORD, {0xef, 0xbe, 0xad, 0xde}},
        {"hex:1, 2 ,A0 ,", win::REG_BINARY, {1, 2, 0xa0}},
        {"hex(B):01", win::REG_QWORD, {1}},
        {"hex:01,\\\n  02,\\\n03", win::REG_BINARY, {1, 2, 3}},
        {"hex:01,\\   \r\n\t02", win::REG_BINARY, {1, 2}},
    };
    for (const Encoding& e : cases) {
        SCOPED_TRACE(e.text);
        Loaded loaded = Load(OneValueFile(e.text));
        ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
        const RegistryKeyNode* key = Find(*loaded.root, u"Software\\Vendor");
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(key->values.size(), 1u);
        EXPECT_EQ(key->values[0].type, e.type);
        EXPECT_EQ(key->values[0].data, e.data);
    }
}

TEST(WineRegistryFileTest, BreaksHexLinesWhereWineDoes) {
    // Wine's own output (see make-fixture-values.c): the name's escaped length counts
    // towards the first line, and every later line holds 25 bytes.
    Bytes data;
    for (int i = 0; i < 90; ++i) data.push_back(static_cast<std::uint8_t>(i * 7));
    RegistryKeyNode root;
    RegistryKeyNode* key = root.addSubKey(u"K");
    key->lastWriteTime = WineSecondsToFileTime(1700000000);
    key->values.push_back({u"esc\"aped \u00e9\t name", win::REG_BINARY, data});
    key->values.push_back({u"", win::REG_BINARY, Bytes(data.begin(), data.begin() + 26)});
    key->values.push_back({u"n", 0x12345, Bytes(data.begin(), data.begin() + 24)});
    const WineRegistryFile info;
    const std::string expected =
        "WINE REGISTRY Version 2\n"
        "\n[K] 1700000000\n#time=1da1747c66d0000\n"
        "\"esc\\\"aped \\xe9\\t name\"=hex:00,07,0e,15,1c,23,2a,31,38,3f,46,4d,54,5b,62,69,70,\\\n"
        "  77,7e,85,8c,93,9a,a1,a8,af,b6,bd,c4,cb,d2,d9,e0,e7,ee,f5,fc,03,0a,11,18,1f,\\\n"
        "  26,2d,34,3b,42,49,50,57,5e,65,6c,73,7a,81,88,8f,96,9d,a4,ab,b2,b9,c0,c7,ce,\\\n"
        "  d5,dc,e3,ea,f1,f8,ff,06,0d,14,1b,22,29,30,37,3e,45,4c,53,5a,61,68,6f\n"
        "@=hex:00,07,0e,15,1c,23,2a,31,38,3f,46,4d,54,5b,62,69,70,77,7e,85,8c,93,9a,a1,\\\n"
        "  a8,af\n"
        "\"n\"=hex(12345):00,07,0e,15,1c,23,2a,31,38,3f,46,4d,54,5b,62,69,70,77,7e,85,8c,\\\n"
        "  93,9a,a1\n";
    const std::string saved = SaveWineRegistryFile(root, info);
    EXPECT_EQ(saved, expected);

    Loaded loaded = Load(saved);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    const RegistryKeyNode* back = Find(*loaded.root, u"K");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->values.size(), 3u);
    EXPECT_EQ(back->values[0].data, data);
    EXPECT_EQ(back->values[1].data.size(), 26u);
    EXPECT_EQ(back->values[2].type, 0x12345u);
}

// ---------------------------------------------------------------------------------------
// Keys

TEST(WineRegistryFileTest, AcceptsCrLfLineEnds) {
    const std::string bytes = ReadFixture("system-excerpt.reg");
    std::string crlf;
    for (char c : bytes) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    Loaded loaded = Load(crlf);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), bytes);  // Wine writes LF
}

TEST(WineRegistryFileTest, CreatesImpliedParentsWithoutWritingThem) {
    const std::string file = std::string(kPreamble) +
                             "\n[A\\\\B\\\\C] 1700000000\n#time=1da1747c66d0000\n\"v\"=\"c\"\n"
                             "\n[A\\\\B\\\\D] 1700000000\n#time=1da1747c66d0001\n";
    Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    RegistryKeyNode* a = Find(*loaded.root, u"A");
    RegistryKeyNode* b = Find(*loaded.root, u"a\\b");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(a->values.empty());
    EXPECT_EQ(b->subKeys.size(), 2u);
    EXPECT_EQ(b->parent, a);
    EXPECT_EQ(a->parent, loaded.root.get());
    // An implied key takes the time of the line that implied it.
    EXPECT_EQ(a->lastWriteTime, WineSecondsToFileTime(1700000000));
    EXPECT_EQ(Find(*loaded.root, u"A\\B\\D")->lastWriteTime, 0x1da1747c66d0001u);
    EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), file);
}

TEST(WineRegistryFileTest, WritesOnlyTheKeysWineWrites) {
    RegistryKeyNode root;
    const auto add = [](RegistryKeyNode& parent, std::u16string_view name) {
        RegistryKeyNode* key = parent.addSubKey(name);
        key->lastWriteTime = WineSecondsToFileTime(1700000000);
        return key;
    };
    RegistryKeyNode* parentOnly = add(root, u"ParentOnly");                    // implied
    add(*parentOnly, u"Empty");                                                // no sub-keys: written
    add(*add(root, u"WithClass"), u"Child")->values.push_back({u"", 1, Utf16(u"x")});
    Find(root, u"WithClass")->hasClass = true;
    Find(root, u"WithClass")->keyClass = u"cls";
    RegistryKeyNode* link = add(root, u"Link");
    link->isLink = true;
    add(*link, u"Below");
    RegistryKeyNode* volatileKey = add(root, u"Volatile");
    volatileKey->isVolatile = true;
    add(*volatileKey, u"Child")->values.push_back({u"", 1, Utf16(u"x")});
    // Wine never writes a key whose only sub-keys are volatile.
    add(*add(root, u"OnlyVolatileBelow"), u"V")->isVolatile = true;

    WineRegistryFile info;
    info.preamble = {";; All keys relative to REGISTRY\\\\Machine", "", "#arch=win64"};
    const std::string seconds = "] 1700000000\n#time=1da1747c66d0000\n";
    EXPECT_EQ(SaveWineRegistryFile(root, info),
              "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n"
              "\n[Link" + seconds + "#link\n"
              "\n[Link\\\\Below" + seconds +
              "\n[ParentOnly\\\\Empty" + seconds +
              "\n[WithClass" + seconds + "#class=\"cls\"\n"
              "\n[WithClass\\\\Child" + seconds + "@=\"x\"\n");
}

TEST(WineRegistryFileTest, WritesSubKeysInWineOrder) {
    RegistryKeyNode root;
    for (const char16_t* name : {u"BBB", u"aaa", u"_under", u"[x]", u"Zed"}) {
        root.addSubKey(name)->lastWriteTime = WineSecondsToFileTime(1700000000);
    }
    const std::string saved = SaveWineRegistryFile(root, WineRegistryFile{});
    const std::string seconds = "] 1700000000\n#time=1da1747c66d0000\n";
    // Lower-case order: '[' 0x5b, '_' 0x5f, then the letters.
    EXPECT_EQ(saved, "WINE REGISTRY Version 2\n\n[\\[x\\]" + seconds + "\n[_under" + seconds + "\n[aaa" + seconds +
                         "\n[BBB" + seconds + "\n[Zed" + seconds);
}

TEST(WineRegistryFileTest, ReadsAndWritesTheRootItself) {
    const std::string file = std::string(kPreamble) + "\n[] 1700000000\n#time=1da1747c66d0000\n@=\"root value\"\n";
    Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    ASSERT_EQ(loaded.root->values.size(), 1u);
    EXPECT_EQ(loaded.root->lastWriteTime, 0x1da1747c66d0000u);
    EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), file);
}

TEST(WineRegistryFileTest, KeepsLinkKeys) {
    Loaded loaded = Load(ReadFixture("system-excerpt.reg"));
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    RegistryKeyNode* link = Find(*loaded.root, u"Software\\Classes\\Wow6432Node\\AppId");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->isLink);
    const RegistryValueData* target = link->values.find(u"SymbolicLinkValue");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->type, win::REG_LINK);
    EXPECT_EQ(target->data, Utf16(u"\\Registry\\Machine\\Software\\Classes\\AppId", false));
}

TEST(WineRegistryFileTest, TakesTheTimeFromTheKeyLineWithoutATimeOption) {
    Loaded loaded = Load(std::string(kPreamble) + "\n[Old] 1000000000\n\"v\"=dword:00000001\n");
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    EXPECT_EQ(Find(*loaded.root, u"Old")->lastWriteTime, 116444736000000000ull + 1000000000ull * 10000000ull);
    EXPECT_EQ(WineFileTimeToSeconds(WineSecondsToFileTime(1796734545)), 1796734545u);
}

TEST(WineRegistryFileTest, WritesAChangedKeyWithItsNewTime) {
    const std::string bytes = ReadFixture("userdef.reg");
    Loaded loaded = Load(bytes, "userdef.reg");
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    RegistryKeyNode* key = Find(*loaded.root, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_NE(key, nullptr);
    const std::string oldLines = "Shell Folders] 1796734544\n#time=1dd8713701524f0\n";
    ASSERT_NE(bytes.find(oldLines), std::string::npos);

    key->lastWriteTime = 0x1da1747c66d0123;  // 2023-11-14, with a part of a second
    key->values.erase(key->values.begin());
    std::string expected = bytes;
    expected.replace(expected.find(oldLines), oldLines.size(), "Shell Folders] 1700000000\n#time=1da1747c66d0123\n");
    const auto first = expected.find("\"Administrative Tools\"");
    expected.erase(first, expected.find('\n', first) + 1 - first);
    EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), expected);
}

TEST(WineRegistryFileTest, StoresLongNamesAsTheyAre) {
    const std::u16string keyName(300, u'k');
    const std::u16string valueName(17000, u'v');
    RegistryKeyNode root;
    RegistryKeyNode* key = root.addSubKey(keyName);
    key->lastWriteTime = WineSecondsToFileTime(1700000000);
    key->values.push_back({valueName, win::REG_SZ, Utf16(u"x")});
    const std::string saved = SaveWineRegistryFile(root, WineRegistryFile{});
    Loaded loaded = Load(saved);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.describe();
    const RegistryKeyNode* back = Find(*loaded.root, keyName);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->values.size(), 1u);
    EXPECT_EQ(back->values[0].name, valueName);
    EXPECT_EQ(SaveWineRegistryFile(*loaded.root, loaded.info), saved);
}

TEST(WineRegistryFileTest, MergesIntoKeysAlreadyThere) {
    RegistryKeyNode root;
    RegistryKeyNode* classes = root.addSubKey(u"Software")->addSubKey(u"Classes");
    classes->values.push_back({u"kept", win::REG_SZ, Utf16(u"old")});
    classes->values.push_back({u"replaced", win::REG_SZ, Utf16(u"old")});
    root.addSubKey(u"Zeta");
    WineRegistryFile info;
    const auto result = LoadWineRegistryFile(std::string(kPreamble) +
                                                 "\n[Alpha] 1700000000\n#time=1\n"
                                                 "\n[SOFTWARE\\\\Classes] 1700000000\n#time=2\n\"replaced\"=\"new\"\n"
                                                 "\n[Software\\\\Classes\\\\.txt] 1700000000\n#time=3\n",
                                             "system.reg", root, info);
    ASSERT_TRUE(result.ok()) << result.describe();
    ASSERT_EQ(root.subKeys.size(), 3u);
    EXPECT_EQ(root.subKeys[0]->name, u"Alpha");
    EXPECT_EQ(root.subKeys[1]->name, u"Software");
    EXPECT_EQ(root.subKeys[2]->name, u"Zeta");
    EXPECT_EQ(root.subKeys[0]->parent, &root);
    ASSERT_EQ(Find(root, u"Software\\Classes"), classes);
    EXPECT_EQ(classes->lastWriteTime, 2u);
    ASSERT_EQ(classes->values.size(), 2u);
    EXPECT_EQ(classes->values.find(u"kept")->data, Utf16(u"old"));
    EXPECT_EQ(classes->values.find(u"replaced")->data, Utf16(u"new"));
    RegistryKeyNode* txt = Find(root, u"Software\\Classes\\.txt");
    ASSERT_NE(txt, nullptr);
    EXPECT_EQ(txt->parent, classes);
}

// ---------------------------------------------------------------------------------------
// Malformed files

TEST(WineRegistryFileTest, RefusesMalformedFilesNamingTheLine) {
    struct Case {
        const char* fixture;
        std::size_t line;
        std::string message;
    };
    const Case cases[] = {
        {"broken-first-line.reg", 1, "bad first line (expected \"WINE REGISTRY Version 2\")"},
        {"broken-value-before-key.reg", 5, "value line before any key"},
        {"broken-unterminated-key-name.reg", 6, "unterminated key name in key line"},
        {"broken-key-time.reg", 6, "bad time in key line (expected Unix seconds after the key name)"},
        {"broken-time-option.reg", 7, "bad #time line (expected up to 16 hex digits)"},
        {"broken-unknown-option.reg", 8, "unknown key option \"#owner\""},
        {"broken-unterminated-string.reg", 9, "unterminated string in value line"},
        {"broken-unterminated-value-name.reg", 8, "unterminated value name in value line"},
        {"broken-missing-equals.reg", 8, "missing '=' after the value name in value line"},
        {"broken-unknown-type.reg", 8,
         "unknown value type in value line (expected \", str:, str(2):, str(7):, dword:, hex: or hex(N):)"},
        {"broken-dword.reg", 8, "bad dword in value line (expected up to 8 hex digits)"},
        {"broken-hex-digit.reg", 9, "bad hex digit 'g' in value line"},
        {"broken-hex-type.reg", 8, "bad type in value line (expected hex(N): with N in hex)"},
        {"broken-truncated-continuation.reg", 8,
         "truncated continuation in value line (the hex data ends with a backslash)"},
        {"broken-text-after-string.reg", 8, "unexpected text after the string in value line"},
        {"broken-duplicate-value.reg", 10, "duplicate value name \"NAME\" in value line"},
        {"broken-invalid-utf8.reg", 8, "invalid UTF-8 in value line"},
        {"broken-unrecognized-line.reg", 8, "unrecognized line (starts with 'N')"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string bytes = ReadFixture(c.fixture);
        ASSERT_FALSE(bytes.empty());
        Loaded loaded = Load(bytes, c.fixture);
        EXPECT_FALSE(loaded.result.ok());
        EXPECT_EQ(loaded.result.fileName, c.fixture);
        EXPECT_EQ(loaded.result.lineNumber, c.line);
        EXPECT_EQ(loaded.result.message, c.message);
        EXPECT_EQ(loaded.result.describe(), std::string(c.fixture) + ":" + std::to_string(c.line) + ": " + c.message);
        EXPECT_TRUE(loaded.root->subKeys.empty());
    }
}

TEST(WineRegistryFileTest, RefusesOtherDefectsInline) {
    struct Case {
        std::string text;
        std::size_t line;
        std::string message;
    };
    const std::string key = "\n[K] 1700000000\n";
    const std::string badTime = "bad time in key line (expected Unix seconds after the key name)";
    const std::string truncated = "truncated continuation in value line (the hex data ends with a backslash)";
    const Case cases[] = {
        {"", 1, "bad first line (expected \"WINE REGISTRY Version 2\")"},
        {"WINE REGISTRY Version 2 \n", 1, "bad first line (expected \"WINE REGISTRY Version 2\")"},
        {std::string(kPreamble) + "garbage\n", 5, "unrecognized line before the first key (starts with 'g')"},
        {std::string(kPreamble) + "\n[K] 99999999999\n", 6, badTime},
        {std::string(kPreamble) + "\n[K] 1700000000 x\n", 6, badTime},
        {std::string(kPreamble) + key + "#time=12345678901234567\n", 7,
         "bad #time line (expected up to 16 hex digits)"},
        {std::string(kPreamble) + key + "#class=\"open\n", 7, "unterminated string in #class line"},
        {std::string(kPreamble) + key + "#linked\n", 7, "unknown key option \"#linked\""},
        {std::string(kPreamble) + key + "\"v\"=hex:01,\\ 02\n", 7,
         "bad hex data in value line (text after the continuation backslash)"},
        {std::string(kPreamble) + key + "\"v\"=hex:01,\\\n\n", 8, truncated},
        {std::string(kPreamble) + key + "\"v\"=hex:123\n", 7, "bad hex byte in value line (more than two digits)"},
        {std::string(kPreamble) + key + "\"v\"=str(1):\"x\"\n", 7,
         "unknown value type in value line (expected \", str:, str(2):, str(7):, dword:, hex: or hex(N):)"},
        {std::string(kPreamble) + key + "@=\"a\"\n@=\"b\"\n", 8, "duplicate value name \"\" in value line"},
        {std::string(kPreamble) + key + "\"b\"=\"1\"\n\"a\"=\"2\"\n\"B\"=\"3\"\n", 9,
         "duplicate value name \"B\" in value line"},
        {std::string(kPreamble) + key + std::string("\"v\"=\"a\0b\"\n", 11), 7, "NUL byte in value line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Loaded loaded = Load(c.text);
        EXPECT_EQ(loaded.result.lineNumber, c.line);
        EXPECT_EQ(loaded.result.message, c.message);
    }
    std::string deep = std::string(kPreamble) + "\n[";
    for (std::size_t i = 0; i <= kMaxWineKeyDepth; ++i) deep += "k\\\\";
    deep += "] 1700000000\n";
    Loaded loaded = Load(deep);
    EXPECT_EQ(loaded.result.lineNumber, 6u);
    EXPECT_EQ(loaded.result.message, "key path deeper than 512 levels in key line");
}

TEST(WineRegistryFileTest, LeavesTheTreeAsItWasWhenRefusing) {
    RegistryKeyNode root;
    RegistryKeyNode* before = root.addSubKey(u"Before");
    before->values.push_back({u"v", win::REG_SZ, Utf16(u"old")});
    before->lastWriteTime = 7;
    WineRegistryFile info;
    info.preamble = {"kept"};
    const std::string file =
        std::string(kPreamble) + "\n[Before] 1700000000\n\"v\"=\"new\"\n\n[After] 1700000000\n\"w\"=hex:zz\n";
    const auto result = LoadWineRegistryFile(file, "system.reg", root, info);
    EXPECT_EQ(result.describe(), "system.reg:10: bad hex digit 'z' in value line");
    ASSERT_EQ(root.subKeys.size(), 1u);
    EXPECT_EQ(before->lastWriteTime, 7u);
    EXPECT_EQ(before->values[0].data, Utf16(u"old"));
    EXPECT_EQ(info.preamble, std::vector<std::string>{"kept"});
}

TEST(WineRegistryFileTest, SurvivesDamagedFiles) {
    // Wine's files with bytes changed, removed or cut off: each either loads, and then
    // what it saves loads and saves to the same bytes again, or is refused with a line
    // number inside the file. Run under the sanitizers, this also checks every read.
    const std::string original = ReadFixture("user.reg");
    ASSERT_FALSE(original.empty());
    const std::size_t lines = static_cast<std::size_t>(std::count(original.begin(), original.end(), '\n'));
    const char interesting[] = {'\\', '"', '[', ']', '=', ',', '\n', '\r',
                                'x',  '0', '@', '#', ':', '\0', '\x80', '\xe9'};
    std::mt19937 random(4242);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = original;
        const std::size_t at = random() % damaged.size();
        switch (random() % 4) {
            case 0: damaged[at] = interesting[random() % std::size(interesting)]; break;
            case 1: damaged[at] = static_cast<char>(random()); break;
            case 2: damaged.erase(at, 1 + random() % 3); break;
            default: damaged.resize(at); break;
        }
        Loaded loaded = Load(damaged);
        if (!loaded.result.ok()) {
            EXPECT_GE(loaded.result.lineNumber, 1u) << loaded.result.describe();
            EXPECT_LE(loaded.result.lineNumber, lines + 1) << loaded.result.describe();
            continue;
        }
        const std::string saved = SaveWineRegistryFile(*loaded.root, loaded.info);
        Loaded again = Load(saved);
        ASSERT_TRUE(again.result.ok()) << again.result.describe() << " after damage at " << at;
        EXPECT_EQ(SaveWineRegistryFile(*again.root, again.info), saved) << "after damage at " << at;
    }
}

}  // namespace
}  // namespace brindle
