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

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

}  // namespace

ExclusiveCreateResult CreateFileExclusively(const std::filesystem::path& path, std::string_view content) {
    const std::filesystem::path folder = FolderOf(path);
    // Appended rather than joined with +: GCC 12's -Wrestrict misreads libstdc++'s operator+ at -O2.
    std::string hidden = ".";
    hidden.append(path.filename().string()).append(".XXXXXX");
    std::string temporary = (folder / hidden).string();
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
    SyncFolder(folder);
    return {Status::Created, {}};
}

ExclusiveMoveResult MoveFileExclusively(const std::filesystem::path& from, const std::filesystem::path& to) {
    using MoveStatus = ExclusiveMoveResult::Status;
    const int code = LinkWithoutReplacing(from.c_str(), to.c_str());
    if (code == ENOENT) return {MoveStatus::SourceMissing, from.string() + " does not exist"};
    if (code == EEXIST) return {MoveStatus::NameTaken, to.string() + ": the name is taken"};
    if (code != 0)
        return {MoveStatus::Failed, "cannot move " + from.string() + " to " + to.string() + ": " + std::strerror(code)};
    SyncFolder(FolderOf(to));
    return {MoveStatus::Moved, {}};
}

}  // namespace brindle
