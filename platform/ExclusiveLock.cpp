#include "platform/ExclusiveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brindle {

ExclusiveLock::~ExclusiveLock() { ::close(m_descriptor); }

Result<std::unique_ptr<ExclusiveLock>> ExclusiveLock::TryAcquire(const std::filesystem::path& lockFile,
                                                                 const std::string& what) {
    const int descriptor = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        return Error("cannot make the lock file " + lockFile.string() + " for " + what + ": " + std::strerror(errno));
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return Error(lockFile.string() + " is not a regular file, so " + what + " cannot be locked");
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int cause = errno;
        ::close(descriptor);
        if (cause == EWOULDBLOCK) {
            return Error("another Brindle is working on " + what + " (it holds " + lockFile.string() +
                         "); try again when it has finished");
        }
        return Error("cannot lock " + lockFile.string() + " for " + what + ": " + std::strerror(cause));
    }
    return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(lockFile, descriptor));
}

}  // namespace brindle
