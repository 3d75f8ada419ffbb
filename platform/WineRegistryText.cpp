#include "platform/WineRegistryText.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "platform/Unicode.h"

namespace brindle {

namespace {

// The letter Wine writes after a backslash for each control character, '.' for those it
// writes in octal.
constexpr char kControlEscapes[33] = ".......abtnvfr.............e....";

constexpr char kHexDigits[] = "0123456789abcdef";

constexpr int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsAsciiHexDigit(char16_t c) { return c < 128 && HexValue(static_cast<unsigned char>(c)) >= 0; }

bool IsOctalDigit(char16_t c) { return c >= u'0' && c <= u'7'; }

// Writes value in hex without leading zeros, or padded to `width` digits.
char* WriteHex(char* out, unsigned value, int width) {
    char digits[8];
    int count = 0;
    do {
        digits[count++] = kHexDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (count < width) digits[count++] = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

char* WriteOctal(char* out, unsigned value, int width) {
    char digits[8];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + (value & 7));
        value >>= 3;
    } while (value != 0);
    while (count < width) digits[count++] = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

// One UTF-8 sequence starting at p (whose first byte is >= 0x80). Returns the code point,
// or -1 for an invalid, overlong, truncated or surrogate sequence; p moves past it.
long DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
    const std::string_view rest(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
    const auto decoded = DecodeUtf8Char(rest, 0);
    if (!decoded) return -1;
    p += decoded->length;
    return static_cast<long>(decoded->c);
}

char16_t* PutCodePoint(char16_t* dest, long codePoint) {
    if (codePoint < 0x10000) {
        *dest++ = static_cast<char16_t>(codePoint);
    } else {
        codePoint -= 0x10000;
        *dest++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
        *dest++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    }
    return dest;
}

// Lower-case forms of the BMP from the C library's Unicode tables, built on first use;
// without a C.UTF-8 locale only ASCII folds, which still gives a consistent order.
const std::array<char16_t, 0x10000>& LowerCaseTable() {
    static const auto table = [] {
        auto result = std::make_unique<std::array<char16_t, 0x10000>>();
        const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        for (unsigned c = 0; c < 0x10000; ++c) {
            unsigned lower = c;
            if (c >= 'A' && c <= 'Z') {
                lower = c + ('a' - 'A');
            } else if (c >= 0x80 && (c < 0xD800 || c > 0xDFFF) && locale != static_cast<locale_t>(nullptr)) {
                lower = static_cast<unsigned>(towlower_l(static_cast<wint_t>(c), locale));
                if (lower > 0xFFFF) lower = c;
            }
            (*result)[c] = static_cast<char16_t>(lower);
        }
        if (locale != static_cast<locale_t>(nullptr)) freelocale(locale);
        return result;
    }();
    return *table;
}

char16_t FoldToLower(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    return LowerCaseTable()[c];
}

}  // namespace

void AppendWineHex(std::string& out, unsigned value, int width) {
    char digits[8];
    out.append(digits, WriteHex(digits, value, width));
}

int CompareWineNames(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const char16_t left = FoldToLower(a[i]);
        const char16_t right = FoldToLower(b[i]);
        if (left != right) return left < right ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t AppendWineEscaped(std::string& out, std::u16string_view text, WineQuoting quoting) {
    const char16_t open = quoting == WineQuoting::String ? u'"' : u'[';
    const char16_t close = quoting == WineQuoting::String ? u'"' : u']';
    // Built in a local buffer so that the hot loop needs no capacity checks on out.
    char buffer[512];
    char* pos = buffer;
    std::size_t count = 0;
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (pos > buffer + sizeof buffer - 8) {
            out.append(buffer, static_cast<std::size_t>(pos - buffer));
            count += static_cast<std::size_t>(pos - buffer);
            pos = buffer;
        }
        const char16_t c = text[i];
        const bool hasNext = i + 1 < size;
        if (c >= 32 && c <= 127) {
            if (c == u'\\' || c == open || c == close) *pos++ = '\\';
            *pos++ = static_cast<char>(c);
        } else if (c > 127) {
            // Padding keeps a following hex digit from being read as part of the escape.
            *pos++ = '\\';
            *pos++ = 'x';
            pos = WriteHex(pos, c, hasNext && IsAsciiHexDigit(text[i + 1]) ? 4 : 0);
        } else if (kControlEscapes[c] != '.') {
            *pos++ = '\\';
            *pos++ = kControlEscapes[c];
        } else {
            // Likewise for octal: a following digit 0-7 would extend the escape.
            *pos++ = '\\';
            pos = WriteOctal(pos, c, hasNext && IsOctalDigit(text[i + 1]) ? 3 : 0);
        }
    }
    out.append(buffer, static_cast<std::size_t>(pos - buffer));
    count += static_cast<std::size_t>(pos - buffer);
    return count;
}

WineUnescapeError ParseWineEscaped(std::string_view line, std::size_t& pos, char terminator, std::u16string& out) {
    if (pos > line.size()) pos = line.size();
    const std::size_t base = out.size();
    // Every input byte yields at most one code unit (a 4-byte UTF-8 sequence yields two),
    // so this bounds the output and the loop writes through a plain pointer.
    out.resize(base + (line.size() - pos));
    char16_t* const begin = out.data() + base;
    char16_t* dest = begin;
    const auto* const start = reinterpret_cast<const unsigned char*>(line.data());
    const unsigned char* p = start + pos;
    const unsigned char* const end = start + line.size();
    const auto stop = static_cast<unsigned char>(terminator);

    const auto fail = [&](WineUnescapeError error) {
        out.resize(base);
        pos = static_cast<std::size_t>(p - start);
        return error;
    };

    while (p < end) {
        unsigned char c = *p;
        if (c == stop) {
            out.resize(base + static_cast<std::size_t>(dest - begin));
            pos = static_cast<std::size_t>(p + 1 - start);
            return WineUnescapeError::None;
        }
        if (c == 0) return fail(WineUnescapeError::NulByte);
        if (c >= 0x80) {
            const long codePoint = DecodeUtf8(p, end);
            if (codePoint < 0) return fail(WineUnescapeError::BadUtf8);
            dest = PutCodePoint(dest, codePoint);
            continue;
        }
        if (c != '\\') {
            *dest++ = c;
            ++p;
            continue;
        }
        ++p;
        if (p == end) break;  // a backslash cannot escape the end of the line
        c = *p;
        switch (c) {
            case 'a': *dest++ = u'\a'; ++p; continue;
            case 'b': *dest++ = u'\b'; ++p; continue;
            case 'e': *dest++ = 0x1B; ++p; continue;
            case 'f': *dest++ = u'\f'; ++p; continue;
            case 'n': *dest++ = u'\n'; ++p; continue;
            case 'r': *dest++ = u'\r'; ++p; continue;
            case 't': *dest++ = u'\t'; ++p; continue;
            case 'v': *dest++ = u'\v'; ++p; continue;
            case 'x': {
                ++p;
                unsigned value = 0;
                int digits = 0;
                while (digits < 4 && p < end && HexValue(*p) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexValue(*p++));
                    ++digits;
                }
                *dest++ = digits == 0 ? u'x' : static_cast<char16_t>(value);
                continue;
            }
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
                unsigned value = 0;
                int digits = 0;
                while (digits < 3 && p < end && *p >= '0' && *p <= '7') {
                    value = value * 8 + (*p++ - '0');
                    ++digits;
                }
                *dest++ = static_cast<char16_t>(value);
                continue;
            }
            default:
                if (c == 0) return fail(WineUnescapeError::NulByte);
                if (c >= 0x80) {
                    const long codePoint = DecodeUtf8(p, end);
                    if (codePoint < 0) return fail(WineUnescapeError::BadUtf8);
                    dest = PutCodePoint(dest, codePoint);
                } else {
                    *dest++ = c;
                    ++p;
                }
                continue;
        }
    }
    p = end;
    return fail(WineUnescapeError::Unterminated);
}

std::string WineTextToUtf8(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            result += static_cast<char>(c);
        } else if (c < 0x800) {
            result += static_cast<char>(0xC0 | (c >> 6));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            result += static_cast<char>(0xE0 | (c >> 12));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (c >> 18));
            result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return result;
}

}  // namespace brindle
