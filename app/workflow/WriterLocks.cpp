#include "app/workflow/WriterLocks.h"

namespace brindle {

Result<WriterLocks> TakeWriterLocks(const std::optional<std::filesystem::path>& prefixLockFile,
                                    const std::filesystem::path& workFolder) {
    WriterLocks locks;
    const std::filesystem::path workLock = workFolder / kWorkFolderLockFile;
    if (prefixLockFile) {
        auto prefix = ExclusiveLock::TryAcquire(*prefixLockFile, "the prefix " + prefixLockFile->parent_path().string());
        if (!prefix) return prefix.error();
        locks.push_back(std::move(prefix).value());
        // A second lock on the same file from this process would wait for the first.
        std::error_code error;
        if (std::filesystem::equivalent(*prefixLockFile, workLock, error)) return locks;
    }
    auto work = ExclusiveLock::TryAcquire(workLock, "the work folder " + workFolder.string());
    if (!work) return work.error();
    locks.push_back(std::move(work).value());
    return locks;
}

}  // namespace brindle
