// Runs a built program as a user would, for tests of the command-line tools.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace brindle::test {

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// NAME=value settings that replace the test process's own in the program's environment.
using EnvironmentSettings = std::vector<std::pair<std::string, std::string>>;

// Runs program with arguments in folder, standard input from /dev/null. Unless the
// settings say otherwise, XDG_DATA_HOME is "<folder>/.data-home", so that a program that
// keeps data for a prefix never writes into the real user's home during a test.
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& folder = std::filesystem::current_path(),
                         const EnvironmentSettings& settings = {});

// The test process's environment with the settings (and the XDG_DATA_HOME rule above)
// applied, as "NAME=value" entries.
std::vector<std::string> ProgramEnvironment(const std::filesystem::path& folder, const EnvironmentSettings& settings);

// Copies a folder tree, symbolic links as links.
void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace brindle::test
