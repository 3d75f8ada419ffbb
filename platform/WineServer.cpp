#include "platform/WineServer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace brindle {

namespace fs = std::filesystem;

namespace {

// The name Wine writes in <prefix>/wineserver is one path; anything longer is not ours.
constexpr std::size_t kMaxServerRootFileSize = 4096;

bool IsProcessId(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Does one of the process's open descriptors refer to the prefix folder? stat() on
// /proc/<pid>/fd/N follows the descriptor to the object it names.
bool HoldsOpen(const fs::path& fdFolder, const struct stat& prefix) {
    std::error_code error;
    fs::directory_iterator it(fdFolder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        struct stat target {};
        if (::stat(it->path().c_str(), &target) == 0 && SameFile(target, prefix)) return true;
    }
    return false;
}

std::optional<std::string> FindServerProcess(const fs::path& procRoot, const fs::path& prefix,
                                             const struct stat& prefixStat) {
    std::error_code error;
    fs::directory_iterator it(procRoot, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (!IsProcessId(pid)) continue;
        // Another user's process answers EACCES here; it cannot be serving our prefix
        // unless we run as root, and then we can read it.
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(it->path() / "exe", linkError);
        if (linkError || !exe.filename().string().starts_with("wineserver")) continue;
        if (!HoldsOpen(it->path() / "fd", prefixStat)) continue;
        return "wineserver process " + pid + " (" + exe.string() + ") holds " + prefix.string() + " open";
    }
    return std::nullopt;
}

// The server holds a write lock on byte 0 of its lock file for its whole life. F_GETLK
// reports a conflicting lock of another process; our own locks never conflict.
std::optional<std::string> FindHeldLock(const fs::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    const bool held = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fcntl(fd, F_GETLK, &lock) == 0 &&
                      lock.l_type != F_UNLCK;
    ::close(fd);
    if (!held) return std::nullopt;
    std::string evidence = "server lock " + lockFile.string() + " is held";
    if (lock.l_pid > 0) evidence += " by process " + std::to_string(lock.l_pid);
    return evidence;
}

// The folder named in <prefix>/wineserver, if that file names an absolute path.
std::optional<fs::path> ServerRootNamedInPrefix(const fs::path& prefix) {
    std::ifstream in(prefix / "wineserver", std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxServerRootFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto length = static_cast<std::size_t>(in.gcount());
    if (length > kMaxServerRootFileSize) return std::nullopt;
    text.resize(length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0' || text.back() == ' '))
        text.pop_back();
    if (text.empty() || text.front() != '/' || text.find('\0') != std::string::npos) return std::nullopt;
    return fs::path(text);
}

std::string ShellQuoted(const std::string& text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::strchr("/._-+,:@%", c) != nullptr;
    });
    if (plain) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string WineServerDirectoryName(const fs::path& prefix) {
    struct stat info {};
    if (::stat(prefix.c_str(), &info) != 0) return {};
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    return name;
}

std::vector<fs::path> WineServerRoots(const fs::path& prefix) {
    std::vector<unsigned> uids;
    struct stat info {};
    if (::stat(prefix.c_str(), &info) == 0) uids.push_back(info.st_uid);
    if (std::find(uids.begin(), uids.end(), ::getuid()) == uids.end()) uids.push_back(::getuid());

    std::vector<fs::path> roots;
    for (unsigned uid : uids) roots.push_back(fs::path("/run/user") / std::to_string(uid) / "wine");
    if (auto named = ServerRootNamedInPrefix(prefix)) roots.push_back(*named);
    for (unsigned uid : uids) roots.push_back("/tmp/.wine-" + std::to_string(uid));
    return roots;
}

WineServerStatus DetectWineServer(const fs::path& prefix, const WineServerProbe& probe) {
    struct stat prefixStat {};
    if (::stat(prefix.c_str(), &prefixStat) != 0)
        return {false, "cannot read " + prefix.string() + ": " + std::strerror(errno)};

    if (auto process = FindServerProcess(probe.procRoot, prefix, prefixStat)) return {true, *process};

    const std::string serverDirectory = WineServerDirectoryName(prefix);
    if (serverDirectory.empty()) return {};
    const auto roots = probe.serverRoots ? *probe.serverRoots : WineServerRoots(prefix);
    for (const auto& root : roots) {
        if (auto lock = FindHeldLock(root / serverDirectory / "lock")) return {true, *lock};
    }
    return {};
}

std::string WineServerRunningMessage(const fs::path& prefix, const WineServerStatus& status) {
    std::string message = "a wineserver is running for " + prefix.string();
    if (!status.evidence.empty()) message += " (" + status.evidence + ")";
    return message + "; nothing was written. Stop it with: WINEPREFIX=" + ShellQuoted(prefix.string()) +
           " wineserver -k";
}

}  // namespace brindle
