// Writes host files so that a crash or a failed write leaves either the old content or
// the new one, never a mixture: temporary file beside the target, fsync, rename, fsync of
// the folder.
//
// A replaced file keeps what the user set on it: its permission bits and its owner (a
// 0600 user.reg stays 0600), and a file reached through a symbolic link is replaced at
// the link's target, temporary file beside that target, so the link stays a link. Only a
// regular file is ever replaced: a folder, named pipe or device in the target's place is
// refused before anything is written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// Empty on success; otherwise a message that names the file and the failing step.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

struct FileReplacement {
    std::filesystem::path path;
    std::string_view content;  // must outlive the commit
};

// The steps of a commit where a test may make it fail.
enum class CommitStep { WriteTemporary, Rename };
// Called before each step for each file, with the path as given; a non-zero errno value
// makes that step fail with it, as if the system had answered so.
using CommitFaultHook = std::function<int(CommitStep step, const std::filesystem::path& path)>;

struct FilesCommit {
    std::string error;  // empty on success
    // How many files, counted from the first, now hold their new content: all of them on
    // success, none when the failure came before the first rename.
    std::size_t replaced = 0;

    bool ok() const { return error.empty(); }
};

// Replaces several files as nearly together as the file system allows: every temporary
// file is written and flushed first, and only then are they renamed over their targets,
// in the order given. A failure before the first rename changes nothing, and the message
// says so; a rename that fails after others succeeded leaves a message that names which
// files hold the new content and which still hold the old.
FilesCommit ReplaceFilesTogether(const std::vector<FileReplacement>& files, const CommitFaultHook& faults = {});

}  // namespace brindle
