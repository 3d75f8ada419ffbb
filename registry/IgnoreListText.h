// The ignore list's file format on its own, so that it can be read without a file and a
// CRegistryLib (by the fuzzer, for one).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// The entries of an "ignore.lst" file's bytes: CR LF read as LF, one entry per line
// without its line feed, a last line without one taken whole. Lines are read whole,
// however long: a path the user kept must come back as the same path, or it would be
// reported (and removed) again, and the pieces would replace it at the next save.
std::vector<std::string> ParseIgnoreListText(std::string_view fileBytes);

}  // namespace brindle
