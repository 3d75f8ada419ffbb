// What the running process is and where it stands: its program file, its current folder,
// and whether its standard streams are a terminal. The programs ask here rather than the
// system, so that these calls have one home.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "platform/Result.h"

namespace brindle {

// The program file this process runs, as the system names it.
Result<std::filesystem::path> RunningProgramFile();

// The current folder; empty when it cannot be told (it was removed, or may not be read).
std::filesystem::path CurrentFolder();

enum class StandardStream { Input, Output, Error };
bool IsTerminal(StandardStream stream);
// The columns of the terminal standard error shows on; nothing when it is none.
std::optional<std::size_t> TerminalColumns();

}  // namespace brindle
