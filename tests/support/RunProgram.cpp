#include "support/RunProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/TemporaryFolder.h"

namespace brindle::test {

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::string> ProgramEnvironment(const std::filesystem::path& folder, const EnvironmentSettings& settings) {
    EnvironmentSettings all{{"XDG_DATA_HOME", (std::filesystem::absolute(folder) / ".data-home").string()}};
    all.insert(all.end(), settings.begin(), settings.end());
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [setName, value] : all) replaced = replaced || setName == name;
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [name, value] : all) {
        // A later setting of the same name wins; an empty name drops nothing.
        std::erase_if(entries, [&name](const std::string& e) { return e.rfind(name + "=", 0) == 0; });
        entries.push_back(name + "=" + value);
    }
    return entries;
}

ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& folder, const EnvironmentSettings& settings) {
    TemporaryFolder capture;
    const auto outPath = capture.path() / "out";
    const auto errPath = capture.path() / "err";

    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    std::vector<std::string> environment = ProgramEnvironment(folder, settings);
    std::vector<char*> environmentPointers;
    for (auto& entry : environment) environmentPointers.push_back(entry.data());
    environmentPointers.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execve(pointers[0], pointers.data(), environmentPointers.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    ProgramResult result;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    return result;
}

void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy(from, to,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
}

}  // namespace brindle::test
