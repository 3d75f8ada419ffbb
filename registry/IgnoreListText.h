// The ignore list's file format on its own, so that it can be read without a file and a
// CRegistryLib (by the fuzzer, for one).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// The C runtime's text mode and a 1000-byte fgets buffer: a line longer than this
// arrives in pieces of this many characters.
inline constexpr std::size_t kIgnoreListLineCapacity = 999;

// The entries of an "ignore.lst" file's bytes: CR LF read as LF, one entry per line
// without its line feed, a last line without one taken whole. A line of exactly 999
// characters leaves its line feed to the next read, which makes an empty entry.
std::vector<std::string> ParseIgnoreListText(std::string_view fileBytes);

}  // namespace brindle
