#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brindle {

namespace {

std::string Failure(const std::filesystem::path& path, const char* step) {
    return "cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    // A hidden name beside the target, so the rename stays within one file system.
    std::string name = path.filename().string();
    name.insert(name.begin(), '.');
    name.append(".XXXXXX");
    std::string temporary = (folder / name).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return Failure(temporary, "create");

    const bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    const std::string failure = ok ? std::string() : Failure(temporary, "write");
    if (::close(fd) != 0 && ok) {
        ::unlink(temporary.c_str());
        return Failure(temporary, "close");
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return failure;
    }
    // mkstemp creates 0600; a replaced file keeps the usual permissions.
    ::chmod(temporary.c_str(), 0644);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string message = Failure(path, "replace");
        ::unlink(temporary.c_str());
        return message;
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {};
}

}  // namespace brindle
