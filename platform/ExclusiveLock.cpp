#include "platform/ExclusiveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brindle {

namespace {

// Whether the name still leads to the open file: a holder that was just releasing it may
// have removed the name after this process opened it.
bool NameLeadsTo(const std::filesystem::path& lockFile, int descriptor) {
    struct stat named {}, held {};
    return ::lstat(lockFile.c_str(), &named) == 0 && ::fstat(descriptor, &held) == 0 && named.st_dev == held.st_dev &&
           named.st_ino == held.st_ino;
}

// How often a lock whose file vanished under it is tried again before giving up: each
// retry means another holder released it in that moment.
constexpr int kAttempts = 16;

}  // namespace

ExclusiveLock::~ExclusiveLock() {
    // The name goes while the lock is still held, so no one can lock the file and then
    // lose it; anyone who opened it meanwhile sees the name gone and opens it anew.
    if (NameLeadsTo(m_file, m_descriptor)) ::unlink(m_file.c_str());
    ::close(m_descriptor);
}

Result<std::unique_ptr<ExclusiveLock>> ExclusiveLock::TryAcquire(const std::filesystem::path& lockFile,
                                                                 const std::string& what) {
    for (int attempt = 1;; ++attempt) {
        auto taken = TryAcquireOnce(lockFile, what);
        if (!taken || taken.value() != nullptr) return taken;
        if (attempt == kAttempts)
            return Error("cannot lock " + lockFile.string() + " for " + what +
                         ": it was removed again and again while being locked");
    }
}

Result<std::unique_ptr<ExclusiveLock>> ExclusiveLock::TryAcquireOnce(const std::filesystem::path& lockFile,
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
    if (!NameLeadsTo(lockFile, descriptor)) {
        ::close(descriptor);
        return std::unique_ptr<ExclusiveLock>();
    }
    return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(lockFile, descriptor));
}

}  // namespace brindle
