#include "platform/ExclusiveFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/RenameSteps.h"

namespace brindle {

ExclusiveCreateResult CreateFileExclusively(const std::filesystem::path& path, std::string_view content) {
    using Status = ExclusiveCreateResult::Status;
    AtomicFileWriter writer(path, AtomicTarget::NewName);
    brindle::Status written = writer.open();
    if (written) written = writer.append(content);
    if (!written) return {Status::Failed, written.error().message()};
    FileCommit committed = writer.commit();
    switch (committed.status) {
    case FileCommit::Status::Committed: return {Status::Created, {}};
    case FileCommit::Status::NameTaken: return {Status::NameTaken, std::move(committed.error)};
    case FileCommit::Status::Failed: break;
    }
    return {Status::Failed, std::move(committed.error)};
}

ExclusiveStream CreateFileStreamExclusively(const std::filesystem::path& path) {
    using Status = ExclusiveCreateResult::Status;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int code = errno;
        return {code == EEXIST ? Status::NameTaken : Status::Failed, nullptr, std::strerror(code)};
    }
    std::FILE* stream = ::fdopen(fd, "wb");
    if (stream == nullptr) {
        const int code = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return {Status::Failed, nullptr, std::strerror(code)};
    }
    return {Status::Created, stream, {}};
}

ExclusiveMoveResult MoveFileExclusively(const std::filesystem::path& from, const std::filesystem::path& to) {
    using MoveStatus = ExclusiveMoveResult::Status;
    const int code = LinkWithoutReplacing(from, to);
    if (code == ENOENT) return {MoveStatus::SourceMissing, from.string() + " does not exist"};
    if (code == EEXIST) return {MoveStatus::NameTaken, to.string() + ": the name is taken"};
    if (code != 0)
        return {MoveStatus::Failed, "cannot move " + from.string() + " to " + to.string() + ": " + std::strerror(code)};
    SyncFolder(FolderOf(to));
    return {MoveStatus::Moved, {}};
}

}  // namespace brindle
