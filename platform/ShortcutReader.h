// Reads the target of a shell shortcut (.lnk) through liblnk: the local path its
// LinkInfo block names, in the machine's ANSI code page.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace brindle {

// A shortcut is a few hundred bytes; anything far larger is not one, and is refused
// before it is opened rather than handed to the parser.
inline constexpr std::uintmax_t kMaxShortcutFileBytes = 16u * 1024u * 1024u;

struct ShortcutTarget {
    enum class Status {
        Found,        // path holds the target
        NoLocalPath,  // a valid shortcut without a local target (no LinkInfo, network only)
        Unreadable,   // not a shortcut, damaged, too large, or not a file; error says why
    };
    Status status = Status::Unreadable;
    std::string path;   // in the ANSI code page; a character the page lacks is '?'
    std::string error;  // names the file and what was wrong with it
};

// liblnk decodes the 8-bit strings of a shortcut with the code page given here; the
// Windows ANSI pages it knows are passed through, others give nothing (liblnk then keeps
// its default, Windows-1252).
std::optional<int> LiblnkCodePage(unsigned windowsCodePage);

// Reads the shortcut at hostPath. Never throws and never opens anything but a regular
// file of at most kMaxShortcutFileBytes (a FIFO named *.lnk would block the read).
ShortcutTarget ReadShortcutFile(const std::filesystem::path& hostPath, const CodePage& codePage);

// The same for a shortcut's bytes already read; `name` only names it in the error.
ShortcutTarget DecodeShortcut(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& name,
                              const CodePage& codePage);

}  // namespace brindle
