// Writes host files so that a crash or a failed write leaves either the old content or
// the new one, never a mixture: temporary file beside the target, fsync, rename, fsync of
// the folder.
//
// A replaced file keeps what the user set on it: its permission bits and its owner (a
// 0600 user.reg stays 0600), and a file reached through a symbolic link is replaced at
// the link's target, temporary file beside that target, so the link stays a link. Only a
// regular file is ever replaced: a folder, named pipe or device in the target's place is
// refused before anything is written.
//
// Every writer of this layer that puts a finished file under a name goes through
// AtomicFileWriter, so the flush, rename and folder flush are written once: whole
// buffers (WriteFileAtomically, ReplaceFilesTogether), files streamed in pieces (the
// registry's text export) and files that must not replace anything (CreateFileExclusively).
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace brindle {

// The steps of a commit where a test may make it fail.
enum class CommitStep { WriteTemporary, Rename };
// Called before each step for each file, with the path as given; a non-zero errno value
// makes that step fail with it, as if the system had answered so.
using CommitFaultHook = std::function<int(CommitStep step, const std::filesystem::path& path)>;

// What the finished file does to the name it is given.
enum class AtomicTarget {
    // Replaces the file that the name's symbolic links lead to (the links stay), keeping
    // its permissions and owner; a new file is 0644.
    ThroughLinks,
    // Replaces the entry of that name itself: a symbolic link there is replaced, not
    // followed. A regular file there keeps its permissions and owner.
    NameItself,
    // Takes the name only when no entry has it (a symbolic link counts as one and is
    // never followed); the file is 0644.
    NewName,
};

struct FileCommit {
    enum class Status {
        Committed,  // the file holds the new content under its name
        NameTaken,  // NewName only: something has the name; nothing was changed
        Failed,     // error names the file and the failing step
    };
    Status status = Status::Failed;
    std::string error;

    bool ok() const { return status == Status::Committed; }
};

// One file written in pieces and put in place whole. open() makes the temporary file
// beside the target, append() adds to it, commit() flushes it to disk and gives it the
// name. Until the commit, nothing but the hidden temporary file exists, and an object
// that ends without a commit removes it, so an abandoned write leaves nothing behind.
//
// The commit is also offered as its steps, finish() then publish() then syncFolder(),
// for callers that must flush several files before any of them replaces its original.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path path, AtomicTarget target = AtomicTarget::ThroughLinks,
                              CommitFaultHook faults = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Looks at what has the name now and creates the temporary file.
    Status open();
    // Writes bytes to the temporary file.
    Status append(std::string_view bytes);
    // finish(), publish() and syncFolder() in one.
    FileCommit commit();

    // Gives the temporary file the permissions and owner it is to have, flushes it to
    // disk and closes it.
    Status finish();
    // Renames the finished file to its name (for NewName, only when the name is free).
    FileCommit publish();
    // Flushes the folder's entry for the name, so the rename itself survives a crash.
    void syncFolder() const;

    // "a/user.reg", or "a/user.reg -> b/user.reg" when a link leads elsewhere.
    std::string named() const;
    // The folder whose entry the commit changes.
    std::filesystem::path folder() const;

private:
    Status examineTarget();

    std::filesystem::path m_path;    // as given
    std::filesystem::path m_target;  // the entry that gets the content; empty until open()
    AtomicTarget m_kind;
    CommitFaultHook m_faults;
    std::string m_temporary;  // empty while there is none
    int m_fd = -1;
    // Of the file being replaced, kept by the new one; nothing to keep for a new file.
    bool m_keepAttributes = false;
    unsigned m_permissions = 0;
    unsigned m_owner = 0;
    unsigned m_group = 0;
};

// Removes the temporary files that writers of path left when they were killed before
// their commit (beside path, and beside the file its links lead to): only regular files
// of this user's under the name a writer gives them. A writer of path running now would
// lose its file: call it only where no other writer can be (under the writer locks).
// Returns how many were removed.
std::size_t RemoveAbandonedTemporaries(const std::filesystem::path& path);

// On failure the message names the file and the failing step.
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

struct FileReplacement {
    std::filesystem::path path;
    std::string_view content;  // must outlive the commit
};

struct FilesCommit {
    Status status;
    // How many files, counted from the first, now hold their new content: all of them on
    // success, none when the failure came before the first rename.
    std::size_t replaced = 0;

    bool ok() const { return status.ok(); }
};

// Replaces several files as nearly together as the file system allows: every temporary
// file is written and flushed first, and only then are they renamed over their targets,
// in the order given. A failure before the first rename changes nothing, and the message
// says so; a rename that fails after others succeeded leaves a message that names which
// files hold the new content and which still hold the old.
FilesCommit ReplaceFilesTogether(const std::vector<FileReplacement>& files, const CommitFaultHook& faults = {});

}  // namespace brindle
