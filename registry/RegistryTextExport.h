// A text export of one registry root in the registry editor's 4.0 layout: the backup
// taken before a repair that has no problem list to back up, in the form every registry
// editor imports by hand.
//
//   REGEDIT4
//                                   blank line
//   [HKEY_LOCAL_MACHINE]            one block per key, depth-first: the root itself first,
//   @="text"                        then each key after its parent; the unnamed value is @
//   "name"="te\\xt \"q\""           REG_SZ of text and one closing NUL; \ and " escaped
//   "name"=dword:0000002a           REG_DWORD of exactly 4 bytes
//   "name"=hex:01,02,ff             REG_BINARY
//   "name"=hex(7):61,00,00          every other type, and a REG_SZ or REG_DWORD that does
//                                   not fit the forms above (so nothing is lost or altered)
//                                   blank line after every key
//
// Lines end in CR LF. A hex list that would run past 80 columns continues on the next
// line after ",\" with two blanks of indent. Names and text are the ANSI bytes the
// registry gives, unconverted.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "platform/Result.h"

namespace brindle {

inline constexpr std::string_view kTextExportHeader = "REGEDIT4";
// Longest line a hex list makes, continuation mark included.
inline constexpr std::size_t kTextExportLineColumns = 80;
// Deeper than the registry itself allows: only a loop of symbolic links gets there.
inline constexpr unsigned kMaxTextExportDepth = 512;

// The value's line (or lines, for a long hex list), CR LF included.
std::string FormatExportedValue(std::string_view name, win::DWORD type, std::string_view data);

// Writes the export of `root` (named rootName in the key lines) to `file`. The file
// appears under its name only when it is complete and on disk: it is written beside it
// under a temporary name and renamed at the end, replacing any earlier file.
//
// Keys that cannot be opened because they vanished meanwhile or may not be read are
// left out, as the registry editor leaves them out; any other registry failure, a
// failed write, or `stop` becoming true ends the export without a file.
//
// A failure names the file or the key and the status.
Status ExportRegistryText(Registry& registry, win::HKEY root, const std::string& rootName,
                          const std::filesystem::path& file, const std::atomic<bool>* stop = nullptr);

}  // namespace brindle
