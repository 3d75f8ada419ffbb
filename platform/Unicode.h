// Unicode for host-side text and for names: UTF-16 <-> UTF-8 (file names, JSON), and the
// one case fold by which Windows compares registry and file names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// Invalid input becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
// The character that starts at text[at] and its length in bytes; nothing when the bytes
// there are not well-formed UTF-8 (overlong forms, surrogates and values past U+10FFFF
// are not characters). at must be below text.size().
struct Utf8Char {
    char32_t c;
    std::size_t length;
};
std::optional<Utf8Char> DecodeUtf8Char(std::string_view text, std::size_t at);
// Strict: false, with out undefined, on anything that is not well-formed UTF-8, so that a
// host name that is not UTF-8 never turns into U+FFFD and matches some other name. Fills
// a buffer the caller reuses.
bool DecodeUtf8Strict(std::string_view text, std::u16string& out);

// One UTF-16 unit upper-cased as Windows compares names: unit by unit, surrogates as
// they are, the Unicode simple mappings otherwise. ASCII and Latin-1 fold even where the
// C library has no Unicode tables (no C.UTF-8 locale); beyond them only with its tables.
char16_t FoldCase(char16_t unit);

}  // namespace brindle
