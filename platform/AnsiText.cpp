#include "platform/AnsiText.h"

#include <algorithm>

#include "platform/Unicode.h"

namespace brindle {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi, const CodePage& codePage) {
    return IsAscii(ansi) ? std::string(ansi) : Utf16ToUtf8(codePage.toUtf16(ansi));
}

std::string Utf8ToAnsi(std::string_view utf8, const CodePage& codePage) {
    return IsAscii(utf8) ? std::string(utf8) : codePage.toAnsi(Utf8ToUtf16(utf8));
}

}  // namespace brindle
