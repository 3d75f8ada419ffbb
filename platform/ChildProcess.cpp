#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brindle {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

std::string Reason(const std::string& program, const std::string& what, int error) {
    return program + ": " + what + ": " + std::strerror(error);
}

// The input goes through an anonymous file rather than a pipe: the child may never read
// it, and a pipe would then block us or kill us with SIGPIPE.
Result<int> InputFile(const std::string& program, const std::string& input) {
    const int fd = ::memfd_create("brindle-child-input", MFD_CLOEXEC);
    if (fd < 0) return Error(Reason(program, "cannot make its input", errno));
    std::size_t written = 0;
    while (written < input.size()) {
        const ssize_t n = ::write(fd, input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return Error(Reason(program, "cannot write its input", error));
        }
        written += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

}  // namespace

Result<ChildOutput> RunChild(const std::string& program, const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment, const std::string& input) {
    auto inputFd = InputFile(program, input);
    if (!inputFd) return inputFd.error();
    Descriptor in(*inputFd);
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) return Error(Reason(program, "cannot make a pipe", errno));
    Descriptor outRead(outPipe[0]), outWrite(outPipe[1]);
    if (::pipe2(errPipe, O_CLOEXEC) != 0) return Error(Reason(program, "cannot make a pipe", errno));
    Descriptor errRead(errPipe[0]), errWrite(errPipe[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.get(), 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, errWrite.get(), 2);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawnError = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) return Error(Reason(program, "cannot start it", spawnError));
    outWrite.reset();
    errWrite.reset();
    in.reset();

    ChildOutput output;
    pollfd fds[2] = {{outRead.get(), POLLIN, 0}, {errRead.get(), POLLIN, 0}};
    std::string* targets[2] = {&output.out, &output.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                fds[i].fd = -1;
                --open;
                continue;
            }
            targets[i]->append(buffer, static_cast<std::size_t>(n));
        }
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return Error(Reason(program, "cannot wait for it", errno));
    }
    output.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

}  // namespace brindle
