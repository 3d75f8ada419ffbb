// brindle-cli ignore: lists, adds to and removes from the ignore list ("ignore.lst" in
// the current directory), whose file paths the scans pass over.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/Machine.h"

namespace brindle::cli {

enum class IgnoreAction { List, Add, Remove };

struct IgnoreOptions {
    IgnoreAction action = IgnoreAction::List;
    std::string path;  // UTF-8, for Add and Remove
};

// Exit status: 0 done, 2 error (a path to remove that is not listed, a file that cannot
// be written); messages on err.
int RunIgnoreCommand(Machine& machine, const std::filesystem::path& workFolder, const IgnoreOptions& options, std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
