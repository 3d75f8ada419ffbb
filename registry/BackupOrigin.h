// Which prefix a registry backup was taken from. The backup's own layout holds key
// records and nothing else, so the prefix is recorded in a companion file with the same
// stem ("2026-03-09_14-05-59.reg" and "2026-03-09_14-05-59.prefix"): the prefix folder's
// real path, as bytes, with nothing before or after it. The restore writes a backup only
// into the prefix it came from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Result.h"

namespace brindle {

inline constexpr const char* kBackupOriginExtension = ".prefix";
// A path far longer than any folder's; a file beyond this is not one of ours.
inline constexpr std::uint64_t kMaxBackupOriginBytes = 64 * 1024;

std::filesystem::path BackupOriginPathFor(const std::filesystem::path& registryBackup);

// Creates the companion exclusively (never replacing anything), complete and on disk.
Status WriteBackupOriginBeside(const std::filesystem::path& registryBackup, const std::string& origin);

// The recorded prefix; nothing when the backup has no companion (backups made before
// the prefix was recorded). A companion that cannot be read, is empty, or is not the
// user's own private file is an error that names it.
Result<std::optional<std::string>> ReadBackupOrigin(const std::filesystem::path& registryBackup);

}  // namespace brindle
