// Whether a wineserver runs for a Wine prefix.
//
// wineserver reads the registry files once when it starts and writes its own copy back
// every 30 seconds and when the last client exits, so anything written to them while it
// runs is lost. Writers must ask first and refuse when one runs.
//
// Two independent signs are checked, either one is enough:
//   1. a process whose executable is named wineserver* holds an open descriptor on the
//      prefix folder (the same st_dev and st_ino); processes we may not inspect are
//      passed over;
//   2. the server's lock file, <server dir>/lock, has a write lock on byte 0 held by
//      another process. The server dir is server-<dev>-<ino> (lowercase hex of the
//      prefix folder's st_dev and st_ino, no padding) below /run/user/<uid>/wine, below
//      the folder named in <prefix>/wineserver (distributions that place it in TMPDIR),
//      or below /tmp/.wine-<uid>.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brindle {

struct WineServerStatus {
    bool running = false;
    // What was seen: the process or the held lock when running; otherwise empty, or why
    // nothing could be checked.
    std::string evidence;
};

// Where to look; the defaults are the real system. Tests point them into a scratch tree.
struct WineServerProbe {
    std::filesystem::path procRoot = "/proc";
    // Folders that may hold server-<dev>-<ino>; when unset, WineServerRoots() of the
    // prefix is used.
    std::optional<std::vector<std::filesystem::path>> serverRoots;
};

// The folders Wine may create server-<dev>-<ino> in, for the prefix's owner and for the
// user running us when they differ (only the owner may run a server for a prefix, but a
// process running as root sees its own uid).
std::vector<std::filesystem::path> WineServerRoots(const std::filesystem::path& prefix);

// "server-803-1a2b" for the prefix folder (from stat, following links); empty when the
// folder cannot be read.
std::string WineServerDirectoryName(const std::filesystem::path& prefix);

WineServerStatus DetectWineServer(const std::filesystem::path& prefix, const WineServerProbe& probe = {});

// The refusal a writer reports: names the prefix, the evidence and the command that
// stops the server.
std::string WineServerRunningMessage(const std::filesystem::path& prefix, const WineServerStatus& status);

}  // namespace brindle
