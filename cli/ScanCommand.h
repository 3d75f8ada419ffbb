// brindle-cli scan: runs the registry scan over the chosen categories and prints what
// it found.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Machine.h"

namespace brindle::cli {

struct ScanOptions {
    std::vector<std::string> categories;  // empty: every category that has a scanner
    bool json = false;
};

// Exit status: 0 nothing found, 1 problems found, 2 error (message on `err`).
int RunScanCommand(Machine& machine, const std::filesystem::path& workFolder, const std::string& prefixForDisplay, const ScanOptions& options,
                   std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
