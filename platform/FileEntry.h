// Looking at a host file's entry by its name, without opening the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace brindle {

// Nanoseconds since the epoch of the file's birth, or of its last change where the file
// system keeps no birth time. Nothing when the file cannot be looked at. Links are
// followed.
std::optional<std::int64_t> FileCreationTime(const std::filesystem::path& path);

// True only when no entry has the name, not even a symbolic link that leads nowhere;
// false as well when it cannot be told (a folder that may not be searched).
bool NameIsFree(const std::filesystem::path& path);

}  // namespace brindle
