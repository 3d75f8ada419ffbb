// Wine's registry text files (system.reg, user.reg, userdef.reg), read into and written
// from a RegistryTree so that a file Wine wrote comes back byte for byte.
//
// Layout:
//   WINE REGISTRY Version 2                    exactly; anything else is refused
//   ;; All keys relative to REGISTRY\\Machine  preamble: comments, blank lines and
//                                              "#name=value" options such as #arch=win64,
//   #arch=win64                                kept verbatim
//
//   [Software\\Vendor\\App] 1796734545         path relative to the file's root, "\\"
//   #time=1dd8713708c6678                      between names; Unix seconds; FILETIME in hex
//   #class="..."                               optional
//   #link                                      optional: a symbolic-link key
//   @="default"                                values, one per line:
//   "Name"=dword:0000000a                        "text", str(2):"..", str(7):"..", dword:,
//   "Blob"=hex:01,02,\                           hex:.., hex(N):.. with N in hex; long hex
//     03,04                                      data continues after a trailing backslash
//
// Wine writes a key when it has values, has no sub-keys, has a class or is a link (its
// parents are implied by its path), never a volatile key, and puts a blank line before
// each key. String types fall back to hex when their data is not whole NUL-terminated
// UTF-16, a DWORD when it is not 4 bytes long. WineRegistryText.h has the escapes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryTree.h"

namespace brindle {

inline constexpr std::string_view kWineRegistryHeader = "WINE REGISTRY Version 2";

// Deeper paths are refused; Windows stops at 512 levels too, and it keeps a hostile file
// from building a tree that recursion over it could not walk.
inline constexpr std::size_t kMaxWineKeyDepth = 512;

// What a file holds besides its keys.
struct WineRegistryFile {
    std::string header{kWineRegistryHeader};
    // The lines between the header and the first key, without the blank line that comes
    // before every key: ";; All keys relative to ...", "", "#arch=win64".
    std::vector<std::string> preamble;
    // From the ";; All keys relative to" comment, with "\\" read as "\", e.g.
    // "REGISTRY\Machine"; empty without one. For information only.
    std::string relativeTo;
};

struct WineRegistryLoadResult {
    std::string fileName;
    std::size_t lineNumber = 0;  // 1-based; 0 when the file loaded
    std::string message;         // empty when the file loaded

    bool ok() const { return message.empty(); }
    // "system.reg:123: unterminated string in value line"
    std::string describe() const;
};

// Reads a whole file into root, the key its paths are relative to (\Registry\Machine for
// system.reg). Keys already under root are merged with the file's: a key the file lists
// takes the file's time, class, link flag and values (a value of the same name is
// replaced). Comments after the first key are not kept; Wine drops them too.
// A malformed line is refused with its number and the fault, and root is left as it
// was: Wine would skip such a line and then write the file back without it.
WineRegistryLoadResult LoadWineRegistryFile(std::string_view bytes, std::string_view fileNameForMessages,
                                            RegistryKeyNode& root, WineRegistryFile& fileInfo);

// Writes root and everything below it as Wine would.
std::string SaveWineRegistryFile(const RegistryKeyNode& root, const WineRegistryFile& fileInfo);

// Conversions Wine uses between a FILETIME and the Unix seconds on a key line.
std::uint64_t WineSecondsToFileTime(std::uint32_t unixSeconds);
std::uint32_t WineFileTimeToSeconds(std::uint64_t fileTime);

}  // namespace brindle
