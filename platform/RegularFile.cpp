#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brindle {

namespace {

std::string Failure(const std::filesystem::path& path, const char* step, int code) {
    return "cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(code);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void release() { m_fd = -1; }

private:
    int m_fd;
};

}  // namespace

std::string DescribeFileKind(unsigned mode) {
    switch (mode & S_IFMT) {
        case S_IFREG: return "a regular file";
        case S_IFDIR: return "a folder";
        case S_IFIFO: return "a named pipe";
        case S_IFCHR: return "a character device";
        case S_IFBLK: return "a block device";
        case S_IFSOCK: return "a socket";
        case S_IFLNK: return "a symbolic link";
        default: return "not a regular file";
    }
}

std::FILE* OpenRegularFileStream(const std::filesystem::path& path, std::string& reason) {
    // O_NONBLOCK for the open only: a named pipe would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    Descriptor file(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = "it is " + DescribeFileKind(status.st_mode) + ", not a regular file";
        return nullptr;
    }
    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        reason = std::strerror(errno);
        return nullptr;
    }
    file.release();
    return stream;
}

std::string NotPrivateReason(unsigned ownerId, unsigned mode) {
    if (ownerId != ::geteuid()) return "it belongs to another user (uid " + std::to_string(ownerId) + ")";
    if ((mode & S_IWOTH) != 0) return "everyone may write to it (chmod go-w makes it private)";
    if ((mode & S_IWGRP) != 0) return "its group may write to it (chmod go-w makes it private)";
    return {};
}

RegularFileRead ReadRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes, FinalLink finalLink,
                                Ownership ownership) {
    RegularFileRead result;
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer.
    const int noFollow = finalLink == FinalLink::Refuse ? O_NOFOLLOW : 0;
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow));
    if (file.get() < 0) {
        const int code = errno;
        if (code == ELOOP && noFollow != 0) {
            result.status = RegularFileRead::Status::FinalLink;
            result.error = path.string() + " is a symbolic link; it was not read";
        } else if (code == ENOENT) {
            result.status = RegularFileRead::Status::Missing;
            result.error = path.string() + " does not exist";
        } else {
            result.error = Failure(path, "open", code);
        }
        return result;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        result.error = Failure(path, "look at", errno);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.status = RegularFileRead::Status::NotRegular;
        result.error = path.string() + " is " + DescribeFileKind(status.st_mode) + ", not a regular file; it was not read";
        return result;
    }
    if (ownership == Ownership::ThisUser) {
        if (const std::string reason = NotPrivateReason(status.st_uid, status.st_mode); !reason.empty()) {
            result.status = RegularFileRead::Status::NotPrivate;
            result.error = path.string() + " was not read: " + reason;
            return result;
        }
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    result.size = size;
    result.readOnly = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    const std::string tooLarge = path.string() + " is larger than " + std::to_string(maxBytes) + " bytes; it was not read";
    if (size > maxBytes) {
        result.status = RegularFileRead::Status::TooLarge;
        result.error = tooLarge;
        result.bytes.resize(kRegularFileHeadBytes);
        const ssize_t got = ::read(file.get(), result.bytes.data(), result.bytes.size());
        result.bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return result;
    }

    std::string bytes;
    // One byte beyond what fstat reported, so a file that grew is noticed.
    bytes.resize(static_cast<std::size_t>(size) + 1);
    std::size_t done = 0;
    while (true) {
        if (done == bytes.size()) {
            if (done > maxBytes) break;  // grew past the limit: refused below
            bytes.resize(std::min<std::uint64_t>(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            result.error = Failure(path, "read", errno);
            return result;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    if (done > maxBytes) {
        result.status = RegularFileRead::Status::TooLarge;
        result.error = tooLarge;
        result.size = done;
        bytes.resize(std::min(done, kRegularFileHeadBytes));
        result.bytes = std::move(bytes);
        return result;
    }
    bytes.resize(done);
    result.status = RegularFileRead::Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

}  // namespace brindle
