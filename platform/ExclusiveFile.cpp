#include "platform/ExclusiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/DescriptorWrite.h"

namespace brindle {

namespace {

using Status = ExclusiveCreateResult::Status;

ExclusiveCreateResult Failure(const std::filesystem::path& path, const char* step, int code) {
    return {Status::Failed, "cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(code)};
}

// 0, or the errno of the failure. Neither call replaces an existing entry, and neither
// follows a link that has the target name.
int LinkWithoutReplacing(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    int code = errno;
    if (code == EINVAL || code == ENOSYS || code == EOPNOTSUPP) {
        // A file system without the flag: a hard link refuses an existing name just the same.
        if (::link(from, to) == 0) {
            ::unlink(from);
            return 0;
        }
        code = errno;
    }
    return code;
}

}  // namespace

ExclusiveCreateResult CreateFileExclusively(const std::filesystem::path& path, std::string_view content) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return Failure(temporary, "create", errno);

    int code = 0;
    if (!WriteAllToDescriptor(fd, content) || ::fsync(fd) != 0) code = errno;
    // mkstemp creates 0600; the file gets the usual permissions.
    if (code == 0 && ::fchmod(fd, 0644) != 0) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code != 0) {
        ::unlink(temporary.c_str());
        return Failure(temporary, "write", code);
    }
    code = LinkWithoutReplacing(temporary.c_str(), path.c_str());
    if (code != 0) {
        ::unlink(temporary.c_str());
        if (code == EEXIST) return {Status::NameTaken, path.string() + ": the name is taken"};
        return Failure(path, "create", code);
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {Status::Created, {}};
}

}  // namespace brindle
