#include "support/LockHolder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/WineServer.h"

namespace brindle::test {

LockHolder::LockHolder(const std::filesystem::path& lockFile) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(m_release) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::close(ready[0]);
        ::close(m_release[1]);
        const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = 1;
        const char status = (fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0) ? 'y' : 'n';
        (void)!::write(ready[1], &status, 1);
        char ignored;
        (void)!::read(m_release[0], &ignored, 1);  // returns when the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(m_release[0]);
    char status = 'n';
    m_locked = m_pid > 0 && ::read(ready[0], &status, 1) == 1 && status == 'y';
    ::close(ready[0]);
}

LockHolder::~LockHolder() { release(); }

void LockHolder::release() {
    if (m_pid <= 0) return;
    ::close(m_release[1]);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

FakeWineServer::FakeWineServer(const std::filesystem::path& prefix, const std::filesystem::path& serverRoot)
    : m_lock(prepare(prefix, serverRoot)) {}

std::filesystem::path FakeWineServer::prepare(const std::filesystem::path& prefix,
                                              const std::filesystem::path& serverRoot) {
    std::ofstream(prefix / "wineserver") << serverRoot.string() << "\n";
    const auto folder = serverRoot / WineServerDirectoryName(prefix);
    std::filesystem::create_directories(folder);
    return folder / "lock";
}

}  // namespace brindle::test
