// Runs another program directly (no shell) and collects what it writes, for the platform
// services that lean on system tools.
#pragma once

#include <string>
#include <vector>

#include "platform/Result.h"

namespace brindle {

struct ChildOutput {
    int exitCode = -1;  // -1 when a signal ended it
    std::string out;
    std::string err;
};

// program is a path; arguments exclude the program name; environment holds NAME=value
// entries; input is the child's whole standard input. Fails only when the program could
// not be started or waited for; its own exit code is the caller's to judge.
Result<ChildOutput> RunChild(const std::string& program, const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment, const std::string& input = {});

}  // namespace brindle
