#include <gtest/gtest.h>

#include "scan/RegistryLib.h"

namespace brindle {
namespace {

using namespace win;
using namespace std::string_literals;
using Bytes = std::vector<BYTE>;

Bytes B(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }

TEST(ParseValueDataTest, TextFormsOfEveryType) {
    const struct {
        DWORD type;
        std::string text;
        Bytes data;
    } cases[] = {
        {REG_SZ, "", B("\0"s)},
        {REG_SZ, "C:\\a b", B("C:\\a b\0"s)},
        {REG_EXPAND_SZ, "%SystemRoot%", B("%SystemRoot%\0"s)},
        {REG_BINARY, "", B("\0"s)},
        {REG_BINARY, "01 ff 3A", B("\x01\xff\x3a"s)},
        {REG_BINARY, "7f", B("\x7f"s)},
        {REG_BINARY, "01 02 0", B("\x01\x02"s)},  // a lone digit at the end is no pair
        {REG_BINARY, "0", {}},
        {REG_RESOURCE_LIST, "00 10", B("\x00\x10"s)},
        {REG_RESOURCE_REQUIREMENTS_LIST, "", B("\0"s)},
        {REG_DWORD, "", B("\0\0\0\0"s)},
        {REG_DWORD, "0x0000000a (10)", B("\x0a\0\0\0"s)},
        {REG_DWORD, "0x12345678", B("\x78\x56\x34\x12"s)},
        {REG_DWORD, "0xFFFFFFFF (-1)", B("\xff\xff\xff\xff"s)},
        {REG_DWORD, "0x0000000a (999)", B("\x0a\0\0\0"s)},  // the decimal part is not read
        {REG_QWORD, "", Bytes(8, 0)},
        {REG_QWORD, "0x0102030405060708", B("\x08\x07\x06\x05\x04\x03\x02\x01"s)},
        {REG_MULTI_SZ, "", B("\0"s)},
        {REG_MULTI_SZ, "a", B("a\0\0"s)},
        {REG_MULTI_SZ, "a\r\nbc\r\n\r\nd", B("a\0bc\0\0d\0\0"s)},
        {REG_MULTI_SZ, "a\nb\rc", B("a\0bc\0\0"s)},
        {REG_NONE, "x", {}},
        {REG_LINK, "x", {}},
        {REG_DWORD_BIG_ENDIAN, "0x00000001", {}},
        {9, "x", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CRegistryLib::ParseValueData(c.text, c.type), c.data) << "type " << c.type << " text " << c.text;
    }
}

// Text the export never writes: no data rather than a guessed byte, and never a read
// past the end of the text.
TEST(ParseValueDataTest, MalformedTextGivesNoData) {
    const struct {
        DWORD type;
        std::string text;
    } cases[] = {
        {REG_BINARY, "0g"},
        {REG_BINARY, "01 x2"},
        {REG_BINARY, "-1"},
        {REG_RESOURCE_LIST, "zz"},
        {REG_DWORD, "0x"},
        {REG_DWORD, "0xa"},
        {REG_DWORD, "0x0000000"},
        {REG_DWORD, "10"},
        {REG_DWORD, "0x0000000g"},
        {REG_DWORD, "0x 0000000"},
        {REG_QWORD, "0x000000000000000"},
        {REG_QWORD, "0x0000000a (10)"},
        {REG_QWORD, "0x00000000000000x0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CRegistryLib::ParseValueData(c.text, c.type), Bytes{}) << "type " << c.type << " text " << c.text;
    }
}

}  // namespace
}  // namespace brindle
