// The inverse of the value text that the snapshot export writes (FormatValueData): the
// bytes to store for a value's text and type.
//
// Text the export wrote is always well formed. A hand-edited or damaged file may hold a
// hex pair with a character that is not a hexadecimal digit, or a number with fewer
// digits than its type has; such text gives no data at all rather than a guessed byte,
// so the import reports "couldn't set value" instead of writing something the snapshot
// never held.
#include "registry/RegistrySnapshot.h"

#include <cstdint>
#include <optional>


namespace brindle {

using namespace win;

namespace {

std::optional<unsigned> HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// The byte of the hex pair at position; the caller has checked position + 1 < text.size().
std::optional<BYTE> HexPair(std::string_view text, std::size_t position) {
    const auto high = HexDigit(text[position]);
    const auto low = HexDigit(text[position + 1]);
    if (!high || !low) return std::nullopt;
    return static_cast<BYTE>((*high << 4) | *low);
}

// "0x" followed by byteCount hex pairs, most significant first, stored little-endian.
// The prefix itself is not checked, as the decimal part after the digits is not read.
std::vector<BYTE> LittleEndianNumber(std::string_view text, std::size_t byteCount) {
    if (text.empty()) return std::vector<BYTE>(byteCount, 0);
    constexpr std::size_t kFirstDigit = 2;
    if (text.size() < kFirstDigit + 2 * byteCount) return {};
    std::vector<BYTE> data(byteCount, 0);
    for (std::size_t i = 0; i < byteCount; ++i) {
        const auto byte = HexPair(text, kFirstDigit + 2 * i);
        if (!byte) return {};
        data[byteCount - 1 - i] = *byte;
    }
    return data;
}

// Pairs separated by one character each: "01 ff 3a".
std::vector<BYTE> HexBytes(std::string_view text) {
    if (text.empty()) return {0};
    const std::size_t count = (text.size() + 1) / 3;
    std::vector<BYTE> data;
    data.reserve(count);
    for (std::size_t j = 0; j < count; ++j) {
        // 3j + 1 <= text.size() - 1 follows from j < (text.size() + 1) / 3.
        const auto byte = HexPair(text, 3 * j);
        if (!byte) return {};
        data.push_back(*byte);
    }
    return data;
}

// Lines separated by CR LF (or LF alone) become NUL-separated strings with a double NUL.
std::vector<BYTE> MultiString(std::string_view text) {
    if (text.empty()) return {0};
    std::vector<BYTE> data;
    data.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\r') continue;
        data.push_back(c == '\n' ? BYTE{0} : static_cast<BYTE>(c));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

}  // namespace

std::vector<BYTE> RegistrySnapshot::ParseValueData(std::string_view text, DWORD type) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            std::vector<BYTE> data(text.begin(), text.end());
            data.push_back(0);
            return data;
        }
        case REG_BINARY:
        case REG_RESOURCE_LIST:
        case REG_RESOURCE_REQUIREMENTS_LIST:
            return HexBytes(text);
        case REG_DWORD:
            return LittleEndianNumber(text, 4);
        case REG_QWORD:
            return LittleEndianNumber(text, 8);
        case REG_MULTI_SZ:
            return MultiString(text);
        default:
            return {};
    }
}

}  // namespace brindle
