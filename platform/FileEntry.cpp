#include "platform/FileEntry.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace brindle {

std::optional<std::int64_t> FileCreationTime(const std::filesystem::path& path) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BTIME | STATX_MTIME, &info) != 0)
        return std::nullopt;
    const struct statx_timestamp& stamp = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_mtime;
    return static_cast<std::int64_t>(stamp.tv_sec) * 1000000000 + stamp.tv_nsec;
}

bool NameIsFree(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) != 0 && errno == ENOENT;
}

}  // namespace brindle
