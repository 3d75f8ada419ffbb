// Writes small shell shortcut (.lnk) files, for tests, benchmarks and the demo machine.
//
// The shape is the one Wine 8 writes: the fixed header, then a LinkInfo block whose
// LocalBasePath holds the whole target path in the ANSI code page with an empty
// CommonPathSuffix, then the strings, then the terminal block. The bytes depend on the
// arguments only (all times are zero), so a generated tree can be compared byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

struct ShortcutOptions {
    // IsUnicode: the strings after LinkInfo are UTF-16 (each byte of description widened,
    // so give ASCII); otherwise they are 8-bit.
    bool unicodeStrings = true;
    // Written as the NAME_STRING when not empty.
    std::string_view description;
    // Appended to LocalBasePath by readers that follow the format to the letter; Wine
    // leaves it empty, and so should callers that want the plain form.
    std::string_view commonPathSuffix;
    // Also store the path in UTF-16 (LinkInfo header of 0x24 bytes); each byte of the
    // target is widened, so give ASCII or Latin-1.
    bool unicodeLocalPath = false;
};

// A shortcut whose target is targetAnsiPath ("C:\Program Files\App\app.exe").
std::string MakeShortcutBytes(std::string_view targetAnsiPath, const ShortcutOptions& options = {});

// A shortcut with no LinkInfo at all, as advertised installer shortcuts and shell
// namespace links are: it names no target path.
std::string MakeShortcutBytesWithoutTarget(std::string_view description = "Advertised shortcut");

}  // namespace brindle
