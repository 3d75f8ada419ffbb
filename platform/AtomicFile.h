// Writes a host file so that a crash or a failed write leaves either the old content or
// the new one, never a mixture: temporary file in the same folder, fsync, rename, fsync
// of the folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brindle {

// Empty on success; otherwise a message that names the file and the failing step.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace brindle
