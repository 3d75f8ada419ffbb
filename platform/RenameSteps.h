// The two calls that put a finished host file under its name, shared by the writers of
// this layer: a rename that replaces nothing, and the flush of the folder that makes a
// rename survive a crash.
#pragma once

#include <filesystem>

namespace brindle {

// Gives from the name to, both in one file system, only when no entry has that name.
// Neither way it is done follows a link that has the name. 0, or the errno of the failure
// (EEXIST when the name is taken).
int LinkWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Flushes the folder's entries to disk. Best effort: a file system that cannot flush a
// folder has nothing more to offer.
void SyncFolder(const std::filesystem::path& folder);

// The folder a file's entry is in: "." for a bare name.
std::filesystem::path FolderOf(const std::filesystem::path& path);

}  // namespace brindle
