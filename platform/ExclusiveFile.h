// Creating a host file that must never replace anything: a backup holds what a repair
// removed, and a name someone else chose or planted (a symbolic link to a file of the
// user's) must keep what it is.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace brindle {

struct ExclusiveCreateResult {
    enum class Status {
        Created,    // the file holds content, complete and on disk
        NameTaken,  // a file, folder or link already has the name; nothing was changed
        Failed,     // error says what and where; nothing is left behind
    };
    Status status = Status::Failed;
    std::string error;
};

// Writes content to a hidden temporary file beside path, syncs it, then gives it path's
// name only when no entry of that name exists (a symbolic link counts as one and is
// never followed), and syncs the folder. A crash leaves no file or a complete one.
ExclusiveCreateResult CreateFileExclusively(const std::filesystem::path& path, std::string_view content);

struct ExclusiveStream {
    ExclusiveCreateResult::Status status = ExclusiveCreateResult::Status::Failed;
    std::FILE* stream = nullptr;  // when Created; the caller closes it
    std::string reason;           // otherwise, the system's ("Permission denied")
};

// Creates the file under its own name at once and opens it for writing, only when no
// entry has the name (a symbolic link counts as one and is never followed): for a file
// written while a long job runs, whose bytes show how far the job came even when it
// stops half-way. Nothing is renamed, so it is never replaced by nor replaces anything.
ExclusiveStream CreateFileStreamExclusively(const std::filesystem::path& path);

struct ExclusiveMoveResult {
    enum class Status {
        Moved,          // from now has to's name, and the folder is synced
        SourceMissing,  // there is no from (yet); nothing was changed
        NameTaken,      // to already names a file, folder or link; nothing was changed
        Failed,         // error says what and where
    };
    Status status = Status::Failed;
    std::string error;
};

// Renames from to to, both in one file system, only when no entry has to's name (a
// symbolic link counts as one and is never followed), then syncs to's folder.
ExclusiveMoveResult MoveFileExclusively(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace brindle
