// A child process that holds a write lock on byte 0 of a file until released, as a
// running wineserver holds its lock file. The lock must belong to another process:
// F_GETLK never reports the caller's own locks.
#pragma once

#include <sys/types.h>

#include <filesystem>

namespace brindle::test {

class LockHolder {
public:
    explicit LockHolder(const std::filesystem::path& lockFile);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    void release();
    bool locked() const { return m_locked; }
    pid_t pid() const { return m_pid; }

private:
    int m_release[2] = {-1, -1};
    pid_t m_pid = -1;
    bool m_locked = false;
};

// Makes a running wineserver visible for the prefix: a server root named in the
// prefix's "wineserver" file, with the prefix's server folder and its held lock.
class FakeWineServer {
public:
    FakeWineServer(const std::filesystem::path& prefix, const std::filesystem::path& serverRoot);
    bool running() const { return m_lock.locked(); }

private:
    static std::filesystem::path prepare(const std::filesystem::path& prefix,
                                         const std::filesystem::path& serverRoot);
    LockHolder m_lock;
};

}  // namespace brindle::test
