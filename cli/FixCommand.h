// brindle-cli fix: scans, keeps what --keep names (it goes to the ignore list), backs
// up what it will delete, removes the rest and writes the registry back.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Machine.h"

namespace brindle::cli {

struct FixOptions {
    std::vector<std::string> categories;  // empty: every category
    std::vector<std::string> keep;        // file paths, as the scan lists them (UTF-8)
    bool yes = false;                     // do not ask
    bool json = false;
};

// Whether `in` is a terminal a question can be put to; tests answer for it.
struct Confirmation {
    bool interactive = false;
    std::istream* in = nullptr;
};

// Exit status: 0 removed (or nothing to remove), 2 error or refused; messages on err.
int RunFixCommand(Machine& machine, const std::filesystem::path& workFolder, const std::string& prefixForDisplay, const FixOptions& options,
                  const Confirmation& confirmation, std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
