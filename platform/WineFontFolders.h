// Where a Wine installation keeps the fonts it ships. Wine registers some of them
// (coure.fon, sserife.fon, ...) by bare file name in the prefix's Fonts key and serves
// them from this folder, not from C:\windows\Fonts, so they are present in every prefix
// that installation runs.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace brindle {

// The font folders ("share/wine/fonts") of the Wine installations that could run a
// prefix, those that exist, without repeats: the installation of each `wine` (or
// `wine64`) found on searchPath (a PATH value, ':'-separated), seen both through its
// links and where they lead, then the usual install locations (/usr, /usr/local,
// /opt/wine*).
std::vector<std::filesystem::path> FindWineFontFolders(std::string_view searchPath);

}  // namespace brindle
