// Where Brindle keeps what it holds for a prefix: the ignore list, the registry backups
// and the snapshot a repair writes while it runs.
//
// Each prefix has a folder of its own, $XDG_DATA_HOME/brindle/prefixes/<id>/ (XDG_DATA_HOME
// defaults to ~/.local/share), made private (0700) to the user. The window started from a
// menu and brindle-cli started in any folder therefore find the same list and backups for
// a prefix, and no folder the program merely happened to start in is ever written to or
// read from. --work-dir chooses another folder on purpose (scripts, tests).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Result.h"
#include "platform/WinePrefixLocation.h"

namespace brindle {

// "<folder name>-<8 hex digits>": readable, and stable for as long as the prefix stays
// where it is. The hash is of the prefix's real path, so two prefixes of one name
// (~/a/pfx and ~/b/pfx) get folders of their own. A Proton prefix's folder is "pfx": its
// game's number in front keeps it readable ("1245620-pfx-…"). Only letters, digits, '.',
// '_' and '-' are kept; a leading dot is dropped so that the folder is not hidden.
std::string PrefixDataId(const std::filesystem::path& prefixRealPath);

// $XDG_DATA_HOME when it is set to an absolute path (as the XDG rules say; a relative one
// is ignored), else $HOME/.local/share, else the account's home folder's.
Result<std::filesystem::path> DataHome(const EnvironmentLookup& env = ProcessEnvironment());

struct DataFolder {
    std::filesystem::path path;
    // Chosen with --work-dir rather than found for the prefix.
    bool chosen = false;
    // Made by this run: the prefix's first use with this version.
    bool created = false;
};

// The prefix's folder, made when missing: the chosen one (relative to the current
// folder; made when missing, but its permissions are the user's business), else the
// prefix's own below DataHome() (made 0700, and refused when it is a link, not a folder,
// or another user's). The error says which folder and why.
Result<DataFolder> OpenDataFolder(const std::optional<std::string>& workDirOption,
                                  const std::filesystem::path& prefixRealPath,
                                  const EnvironmentLookup& env = ProcessEnvironment());

}  // namespace brindle
