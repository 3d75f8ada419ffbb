#include "platform/RunningProcess.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace brindle {

Result<std::filesystem::path> RunningProgramFile() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return Error("cannot tell where the program file is: " + error.message());
    return self;
}

std::filesystem::path CurrentFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) return {};
    return folder;
}

bool IsTerminal(StandardStream stream) {
    switch (stream) {
    case StandardStream::Input: return ::isatty(STDIN_FILENO) == 1;
    case StandardStream::Output: return ::isatty(STDOUT_FILENO) == 1;
    case StandardStream::Error: return ::isatty(STDERR_FILENO) == 1;
    }
    return false;
}

std::optional<std::size_t> TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
    return size.ws_col;
}

}  // namespace brindle
