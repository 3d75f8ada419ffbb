#include "registry/ValueFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace brindle {
namespace {

using namespace win;

struct FormatCase {
    const char* label;
    DWORD type;
    std::string bytes;
    std::string expected;
};

class FormatValueDataTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValueDataTest, RendersAsText) {
    const auto& c = GetParam();
    const CodePage codePage(1252);
    // Copy into an exactly sized heap buffer so that ASan catches any read beyond it.
    std::unique_ptr<BYTE[]> data(new BYTE[c.bytes.size() + 1]);
    std::copy(c.bytes.begin(), c.bytes.end(), data.get());
    EXPECT_EQ(FormatValueData(c.type, c.bytes.empty() ? nullptr : data.get(), c.bytes.size(), codePage), c.expected);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Types, FormatValueDataTest,
    ::testing::Values(
        FormatCase{"SzStopsAtNul", REG_SZ, "abc\0def"s, "abc"},
        FormatCase{"SzWithoutNul", REG_SZ, "abc"s, "abc"},
        FormatCase{"ExpandSz", REG_EXPAND_SZ, "%SystemRoot%\0"s, "%SystemRoot%"},
        FormatCase{"BinaryPairs", REG_BINARY, "\x01\xA0\xFF"s, "01 a0 ff"},
        FormatCase{"BinaryEmpty", REG_BINARY, ""s, ""},
        FormatCase{"ResourceList", REG_RESOURCE_LIST, "\x10\x00"s, "10 00"},
        FormatCase{"RequirementsList", REG_RESOURCE_REQUIREMENTS_LIST, "\xab"s, "ab"},
        FormatCase{"DwordTen", REG_DWORD, "\x0a\x00\x00\x00"s, "0x0000000a (10)"},
        FormatCase{"DwordMinusOne", REG_DWORD, "\xff\xff\xff\xff"s, "0xffffffff (-1)"},
        FormatCase{"DwordMostNegative", REG_DWORD, "\x00\x00\x00\x80"s, "0x80000000 (-2147483648)"},
        FormatCase{"DwordShortReadsZeros", REG_DWORD, "\x01\x02"s, "0x00000201 (513)"},
        FormatCase{"DwordEmpty", REG_DWORD, ""s, "0x00000000 (0)"},
        FormatCase{"DwordLongUsesFirstFour", REG_DWORD, "\x01\x00\x00\x00\x02"s, "0x00000001 (1)"},
        FormatCase{"BigEndian", REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x0a"s, "0x0000000a (10)"},
        FormatCase{"BigEndianShort", REG_DWORD_BIG_ENDIAN, "\x01"s, "0x01000000 (16777216)"},
        FormatCase{"Link", REG_LINK, "\\\0R\0e\0g\0\0\0"s, "\\Reg"},
        FormatCase{"LinkOddLength", REG_LINK, "A\0B"s, "A"},
        FormatCase{"LinkUnmappable", REG_LINK, "\x3a\x26"s, "?"},
        FormatCase{"MultiSz", REG_MULTI_SZ, "a\0b\0\0"s, "a\r\nb"},
        FormatCase{"MultiSzTwoNuls", REG_MULTI_SZ, "\0\0"s, ""},
        FormatCase{"MultiSzWithoutTerminators", REG_MULTI_SZ, "a\0bc"s, "a\r\n"},
        FormatCase{"MultiSzOneByte", REG_MULTI_SZ, "a"s, ""},
        FormatCase{"Qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"s, "0x0807060504030201"},
        FormatCase{"QwordShort", REG_QWORD, "\xff"s, "0x00000000000000ff"},
        FormatCase{"NoneAsText", REG_NONE, "xy\0z"s, "xy"},
        FormatCase{"FullResourceDescriptorAsText", REG_FULL_RESOURCE_DESCRIPTOR, "q"s, "q"},
        FormatCase{"UnknownTypeAsText", 0x1234, "t\0"s, "t"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(TypeNamesTest, NamesEveryCode) {
    const std::pair<DWORD, const char*> cases[] = {
        {0, "REG_SZ"},
        {1, "REG_SZ"},
        {2, "REG_EXPAND_SZ"},
        {3, "REG_BINARY"},
        {4, "REG_DWORD"},
        {5, "REG_DWORD"},
        {6, "REG_SZ"},
        {7, "REG_MULTI_SZ"},
        {8, "REG_RESOURCE_LIST"},
        {9, ""},
        {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
        {11, "REG_QWORD"},
        {12, ""},
        {0xFFFFFFFF, ""},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(GetTypeName(code), name) << "code " << code;
}

TEST(TypeNamesTest, ParsesNamesCaseInsensitively) {
    const std::pair<const char*, DWORD> cases[] = {
        {"REG_BINARY", 3},
        {"reg_dword", 4},
        {"Reg_Sz", 1},
        {"REG_EXPAND_SZ", 2},
        {"REG_MULTI_SZ", 7},
        {"REG_QWORD", 11},
        {"REG_RESOURCE_LIST", 8},
        {"REG_RESOURCE_REQUIREMENTS_LIST", 10},
        {"", 1},
        {"REG_NONE", 1},
        {"REG_DWORD_BIG_ENDIAN", 1},
        {"REG_SZ ", 1},
    };
    for (const auto& [name, code] : cases) EXPECT_EQ(GetTypeFromName(name), code) << "name '" << name << "'";
}

}  // namespace
}  // namespace brindle
