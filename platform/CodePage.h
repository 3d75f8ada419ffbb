// Conversion between UTF-16, in which the registry holds its text, and the 8-bit ANSI
// code page through which an "A" program sees it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace brindle {

class CodePage {
public:
    // 1252 (Western) unless a machine says otherwise. Single-byte pages are turned into
    // lookup tables once, through iconv; multi-byte pages (932, 936, 949, 950) and
    // UTF-8 (65001) convert through iconv on every call.
    // Throws std::runtime_error naming the page when the system cannot convert it.
    explicit CodePage(unsigned number = 1252);
    ~CodePage();
    CodePage(const CodePage&);
    CodePage& operator=(const CodePage&);

    unsigned number() const { return m_number; }
    bool isSingleByte() const;

    // Bytes the page does not define map to the code point of the same value, as
    // Windows does for the holes of 1252 (0x81, 0x8D, ...).
    std::u16string toUtf16(std::string_view ansi) const;
    // A character the page lacks becomes '?' (no best-fit mapping); so does a lone surrogate.
    // The replacement is made per UTF-16 code unit: a pair outside the page gives "??".
    std::string toAnsi(std::u16string_view wide) const;
    // Length in bytes of toAnsi(wide), without building it where the page allows.
    std::size_t ansiLength(std::u16string_view wide) const;

    // For hot paths that fill a caller's buffer or reuse one of their own:
    // converts into out only when the whole result fits in capacity bytes (never
    // writing past it, adding no NUL) and returns the result's length either way.
    std::size_t toAnsi(std::u16string_view wide, char* out, std::size_t capacity) const;
    // Replaces out's contents, keeping its capacity.
    void toUtf16(std::string_view ansi, std::u16string& out) const;

private:
    struct Tables;
    unsigned m_number;
    std::shared_ptr<const Tables> m_tables;
};

}  // namespace brindle
