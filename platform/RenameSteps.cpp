#include "platform/RenameSteps.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace brindle {

int LinkWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    int code = errno;
    if (code == EINVAL || code == ENOSYS || code == EOPNOTSUPP) {
        // A file system without the flag: a hard link refuses an existing name just the same.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return 0;
        }
        code = errno;
    }
    return code;
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

}  // namespace brindle
