// Text inside Wine's registry files. The files are ASCII; the registry's names and
// strings are UTF-16. Wine's writer turns every code unit above 127 into a \x escape and
// control characters into C or octal escapes; its reader also takes raw UTF-8.
//
// Writer rules (each code unit on its own, so a character above U+FFFF becomes two
// surrogate escapes):
//   > 127            \x%x, or \x%04x when the next unit is an ASCII hex digit
//   7-13, 27         \a \b \t \n \v \f \r \e
//   other < 32       \%o, or \%03o when the next unit is a digit 0-7
//   \ and quotes     backslash-escaped ('"' in strings and value names; '[' and ']' in key names)
//   anything else    as itself (including 127)
// Reader: \x takes up to 4 hex digits (none: the letter x), octal up to 3 digits, any
// other escaped byte stands for itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle {

enum class WineQuoting {
    String,   // strings, classes and value names, written between double quotes
    KeyName,  // key names, written between square brackets
};

// Longest escape one code unit can become ("\x00e9").
inline constexpr std::size_t kMaxWineEscapeLength = 6;

// Appends text the way Wine writes it; returns the number of characters appended (Wine
// counts them to decide where hex data breaks its lines).
std::size_t AppendWineEscaped(std::string& out, std::u16string_view text, WineQuoting quoting);

// Appends value in lowercase hex without leading zeros, or padded to `width` digits, as
// Wine's "%x" and "%08x" do.
void AppendWineHex(std::string& out, unsigned value, int width);

enum class WineUnescapeError {
    None,
    Unterminated,  // the line ended before the closing delimiter
    BadUtf8,       // a raw byte >= 0x80 that does not start a valid UTF-8 sequence
    NulByte,       // a raw NUL byte: Wine's reader would cut the line there
};

// Reads escaped text from line[pos] up to the first unescaped `terminator` and appends
// the UTF-16 it stands for to out. On success pos is just past the terminator; on error
// pos is where the fault was found.
WineUnescapeError ParseWineEscaped(std::string_view line, std::size_t& pos, char terminator, std::u16string& out);

// The order in which Wine keeps and writes sibling keys and values: code unit by code
// unit after folding to lower case, then the shorter name first. Windows folds to upper
// case instead, which puts "_x" after "abc" where Wine puts it before.
int CompareWineNames(std::u16string_view a, std::u16string_view b);

// For messages: a name or string as UTF-8 (lone surrogates become U+FFFD).
std::string WineTextToUtf8(std::u16string_view text);

}  // namespace brindle
