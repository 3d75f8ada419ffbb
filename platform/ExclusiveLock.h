// One writer at a time: an exclusive lock on a lock file, held for the object's life.
// Two Brindle runs on one prefix (or in one work folder) would otherwise both read the
// registry, both delete, and the later save would silently undo the earlier one's
// deletions while both report success.
//
// The lock is flock(2) on a file that is only ever created, never written: it goes with
// the process however it ends, so a killed run never leaves a stale lock behind. The file
// is removed when the lock is released; one left by a killed run locks nothing and is
// taken over (and removed) by the next run.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Result.h"

namespace brindle {

class ExclusiveLock {
public:
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    // Takes the lock on lockFile (created when missing; a link there is not followed).
    // Fails when another process holds it, or the file cannot be made or locked; `what`
    // names what the lock guards in the message.
    static Result<std::unique_ptr<ExclusiveLock>> TryAcquire(const std::filesystem::path& lockFile,
                                                             const std::string& what);

    const std::filesystem::path& file() const { return m_file; }

private:
    // Null (and no error) when the file was removed between opening and locking it.
    static Result<std::unique_ptr<ExclusiveLock>> TryAcquireOnce(const std::filesystem::path& lockFile,
                                                                 const std::string& what);
    ExclusiveLock(std::filesystem::path file, int descriptor) : m_file(std::move(file)), m_descriptor(descriptor) {}

    std::filesystem::path m_file;
    int m_descriptor;
};

// The lock files Brindle uses: one beside a prefix's registry files, one in the work
// folder (for "ignore.lst", the snapshot and "Registry Backups").
inline constexpr const char* kPrefixLockFile = ".brindle-lock";
inline constexpr const char* kWorkFolderLockFile = ".brindle-lock";

}  // namespace brindle
