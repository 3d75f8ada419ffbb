#include "registry/ValueFormat.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/AsciiText.h"

namespace brindle {

namespace {

std::string TextUpToNul(const win::BYTE* data, std::size_t length) {
    if (data == nullptr) return {};
    const void* nul = std::memchr(data, 0, length);
    const std::size_t end = nul ? static_cast<std::size_t>(static_cast<const win::BYTE*>(nul) - data) : length;
    return std::string(reinterpret_cast<const char*>(data), end);
}

std::string HexBytes(const win::BYTE* data, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    if (length == 0) return text;
    text.reserve(length * 3 - 1);
    for (std::size_t i = 0; i < length; ++i) {
        if (i != 0) text.push_back(' ');
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0F]);
    }
    return text;
}

// Byte i of a little-endian number, zero where the data is too short.
std::uint64_t ByteAt(const win::BYTE* data, std::size_t length, std::size_t i) {
    return (data != nullptr && i < length) ? data[i] : 0;
}

std::string FormatDword(std::uint32_t value) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%08" PRIx32 " (%" PRId32 ")", value, static_cast<std::int32_t>(value));
    return text;
}

std::string FormatMultiString(const win::BYTE* data, std::size_t length) {
    std::string text;
    if (data == nullptr || length <= 2) return text;
    text.reserve(length);
    for (std::size_t i = 0; i + 2 < length; ++i) {
        if (data[i] == 0) {
            text += "\r\n";
        } else {
            text.push_back(static_cast<char>(data[i]));
        }
    }
    return text;
}

std::string FormatLink(const win::BYTE* data, std::size_t length, const CodePage& codePage) {
    std::u16string wide;
    for (std::size_t i = 0; data != nullptr && i + 1 < length; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        wide.push_back(unit);
    }
    return codePage.toAnsi(wide);
}

}  // namespace

std::string FormatValueData(win::DWORD type, const win::BYTE* data, std::size_t length, const CodePage& codePage) {
    switch (type) {
    case win::REG_SZ:
    case win::REG_EXPAND_SZ:
        return TextUpToNul(data, length);
    case win::REG_BINARY:
    case win::REG_RESOURCE_LIST:
    case win::REG_RESOURCE_REQUIREMENTS_LIST:
        return HexBytes(data, length);
    case win::REG_DWORD: {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(ByteAt(data, length, i) << (8 * i));
        return FormatDword(value);
    }
    case win::REG_DWORD_BIG_ENDIAN: {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(ByteAt(data, length, i) << (8 * (3 - i)));
        return FormatDword(value);
    }
    case win::REG_LINK:
        return FormatLink(data, length, codePage);
    case win::REG_MULTI_SZ:
        return FormatMultiString(data, length);
    case win::REG_QWORD: {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < 8; ++i) value |= ByteAt(data, length, i) << (8 * i);
        char text[24];
        std::snprintf(text, sizeof text, "0x%016" PRIx64, value);
        return text;
    }
    default:
        return TextUpToNul(data, length);
    }
}

std::string GetTypeName(win::DWORD type) {
    switch (type) {
    case win::REG_NONE:
    case win::REG_SZ:
    case win::REG_LINK:
        return "REG_SZ";
    case win::REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case win::REG_BINARY:
        return "REG_BINARY";
    case win::REG_DWORD:
    case win::REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD";
    case win::REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case win::REG_RESOURCE_LIST:
        return "REG_RESOURCE_LIST";
    case win::REG_RESOURCE_REQUIREMENTS_LIST:
        return "REG_RESOURCE_REQUIREMENTS_LIST";
    case win::REG_QWORD:
        return "REG_QWORD";
    default:
        return {};
    }
}

win::DWORD GetTypeFromName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, win::DWORD>, 8> kTypes{{
        {"REG_BINARY", win::REG_BINARY},
        {"REG_DWORD", win::REG_DWORD},
        {"REG_SZ", win::REG_SZ},
        {"REG_EXPAND_SZ", win::REG_EXPAND_SZ},
        {"REG_MULTI_SZ", win::REG_MULTI_SZ},
        {"REG_QWORD", win::REG_QWORD},
        {"REG_RESOURCE_LIST", win::REG_RESOURCE_LIST},
        {"REG_RESOURCE_REQUIREMENTS_LIST", win::REG_RESOURCE_REQUIREMENTS_LIST},
    }};
    for (const auto& [typeName, code] : kTypes) {
        if (EqualsIgnoreAsciiCase(name, typeName)) return code;
    }
    return win::REG_SZ;
}

}  // namespace brindle
