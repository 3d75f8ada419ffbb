// Runs a built program as a user would, for tests of the command-line tools.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::test {

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Runs program with arguments in folder, standard input from /dev/null.
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& folder = std::filesystem::current_path());

// Copies a folder tree, symbolic links as links.
void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace brindle::test
