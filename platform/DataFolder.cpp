#include "platform/DataFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace brindle {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxIdNameBytes = 48;

std::string KeptCharacters(const std::string& name) {
    std::string kept;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-';
        kept += plain ? c : '_';
    }
    const std::size_t first = kept.find_first_not_of('.');
    kept.erase(0, first == std::string::npos ? kept.size() : first);
    if (kept.size() > kMaxIdNameBytes) kept.resize(kMaxIdNameBytes);
    return kept;
}

// FNV-1a: stable across builds and machines, which std::hash is not required to be.
std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string Failure(const fs::path& folder, const std::string& what, int code) {
    return "cannot " + what + " Brindle's data folder " + folder.string() + ": " + std::strerror(code);
}

// Makes each missing folder of `path` with `mode`; true in `created` when the last one
// was made by this call.
Status MakeFolders(const fs::path& path, mode_t mode, bool& created) {
    created = false;
    fs::path partial;
    for (const fs::path& part : path) {
        partial /= part;
        if (::mkdir(partial.c_str(), mode) == 0) {
            created = partial == path;
            continue;
        }
        if (errno != EEXIST) return Error(Failure(path, "make", errno));
    }
    return {};
}

// The prefix's own folder must be what Brindle made: a real folder of this user's. A link
// or another user's folder there would put the backups where someone else chose.
Status CheckOwnFolder(const fs::path& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) return Error(Failure(folder, "look at", errno));
    if (S_ISLNK(status.st_mode))
        return Error("Brindle's data folder " + folder.string() +
                     " is a symbolic link; Brindle keeps its data only in a folder it made (or choose one with "
                     "--work-dir)");
    if (!S_ISDIR(status.st_mode)) return Error("Brindle's data folder " + folder.string() + " is not a folder");
    if (status.st_uid != ::geteuid())
        return Error("Brindle's data folder " + folder.string() + " belongs to another user (uid " +
                     std::to_string(status.st_uid) + ")");
    return {};
}

}  // namespace

std::string PrefixDataId(const fs::path& prefixRealPath) {
    const fs::path path = prefixRealPath.lexically_normal();
    fs::path last = path.filename();
    if (last.empty()) last = path.parent_path().filename();  // "a/b/" names b
    std::string name = last.string();
    if (name == "pfx") {
        const fs::path game = (path.filename().empty() ? path.parent_path() : path).parent_path().filename();
        if (!game.empty()) name = game.string() + "-" + name;
    }
    name = KeptCharacters(name);
    if (name.empty()) name = "prefix";
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(Fnv1a(prefixRealPath.string()) & 0xffffffffu));
    return name + "-" + hash;
}

Result<fs::path> DataHome(const EnvironmentLookup& env) {
    if (auto value = env("XDG_DATA_HOME"); value && !value->empty() && (*value)[0] == '/') return fs::path(*value);
    if (auto home = HomeFolder(env)) return fs::path(*home) / ".local" / "share";
    return Error("Brindle has no place for its data: neither XDG_DATA_HOME nor HOME is set, and the account has no "
                 "home folder; choose a folder with --work-dir");
}

Result<DataFolder> OpenDataFolder(const std::optional<std::string>& workDirOption, const fs::path& prefixRealPath,
                                  const EnvironmentLookup& env) {
    DataFolder result;
    if (workDirOption) {
        if (workDirOption->empty()) return Error("--work-dir names no folder");
        std::error_code error;
        result.path = fs::absolute(*workDirOption, error).lexically_normal();
        if (result.path.filename().empty() && result.path.has_relative_path()) result.path = result.path.parent_path();
        if (error) return Error("--work-dir " + *workDirOption + ": " + error.message());
        result.chosen = true;
        if (Status made = MakeFolders(result.path, 0700, result.created); !made) return made.error();
        const fs::file_status status = fs::status(result.path, error);
        if (error || status.type() != fs::file_type::directory)
            return Error("--work-dir " + result.path.string() + " is not a folder");
        return result;
    }
    auto home = DataHome(env);
    if (!home) return home.error();
    result.path = home.value() / "brindle" / "prefixes" / PrefixDataId(prefixRealPath);
    if (Status made = MakeFolders(result.path, 0700, result.created); !made) return made.error();
    if (Status own = CheckOwnFolder(result.path); !own) return own.error();
    return result;
}

}  // namespace brindle
