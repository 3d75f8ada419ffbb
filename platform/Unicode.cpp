#include "platform/Unicode.h"

#include <locale.h>
#include <wctype.h>

#include <array>
#include <memory>
#include <optional>

namespace brindle {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

namespace {

}  // namespace

std::optional<Utf8Char> DecodeUtf8Char(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || text.size() - at < length) return std::nullopt;
    char32_t c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
    return Utf8Char{c, length};
}

namespace {

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

// Upper-case forms of the whole BMP, built on first use from the rules FoldCase gives.
const std::array<char16_t, 0x10000>& UpperCaseTable() {
    static const auto table = [] {
        auto result = std::make_unique<std::array<char16_t, 0x10000>>();
        // The C library's tables through a private locale: towupper alone follows the
        // process's LC_CTYPE, which is "C" (ASCII only) in most programs.
        locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr)) locale = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
        for (unsigned c = 0; c < 0x10000; ++c) {
            unsigned upper = c;
            if (c >= 'a' && c <= 'z') {
                upper = c - 0x20;
            } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
                upper = c - 0x20;  // Latin-1 by hand
            } else if (c == 0xFF) {
                upper = 0x178;
            } else if ((c >= 0x100 || c == 0xB5) && (c < 0xD800 || c > 0xDFFF) &&
                       locale != static_cast<locale_t>(nullptr)) {
                upper = static_cast<unsigned>(towupper_l(static_cast<wint_t>(c), locale));
                if (upper > 0xFFFF) upper = c;  // folding never leaves the BMP
            }
            (*result)[c] = static_cast<char16_t>(upper);
        }
        if (locale != static_cast<locale_t>(nullptr)) freelocale(locale);
        return result;
    }();
    return *table;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto decoded = DecodeUtf8Char(text, i);
        if (!decoded) {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        AppendUtf16(out, decoded->c);
        i += decoded->length;
    }
    return out;
}

bool DecodeUtf8Strict(std::string_view text, std::u16string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto decoded = DecodeUtf8Char(text, i);
        if (!decoded) return false;
        AppendUtf16(out, decoded->c);
        i += decoded->length;
    }
    return true;
}

char16_t FoldCase(char16_t unit) {
    if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 0x20) : unit;
    return UpperCaseTable()[unit];
}

}  // namespace brindle
