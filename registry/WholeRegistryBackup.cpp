#include "registry/WholeRegistryBackup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include "registry/RegistryTextExport.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

enum class MoveStatus {
    Moved,
    SourceMissing,  // the export has not produced the file yet
    TargetExists,
    Failed,
};

// Never replaces the target: a backup of that name holds what an earlier repair removed.
MoveStatus MoveWithoutReplacing(const fs::path& from, const fs::path& to, std::string& error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return MoveStatus::Moved;
    int code = errno;
    if (code == EINVAL || code == ENOSYS || code == EOPNOTSUPP) {
        // A file system without the flag: a hard link refuses an existing name just the same.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return MoveStatus::Moved;
        }
        code = errno;
    }
    if (code == ENOENT) return MoveStatus::SourceMissing;
    if (code == EEXIST) return MoveStatus::TargetExists;
    error = "cannot move " + from.string() + " to " + to.string() + ": " + std::strerror(code);
    return MoveStatus::Failed;
}

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string DurationText(std::chrono::milliseconds duration) {
    if (duration.count() % 1000 == 0) return std::to_string(duration.count() / 1000) + " seconds";
    return std::to_string(duration.count()) + " ms";
}

std::string ExistingBackupMessage(const fs::path& target) {
    return target.string() + ": a backup of that name already exists; try again a second later";
}

// Runs the exporter on its own thread; the destructor stops and joins it, so no return
// path can leave it running.
class ExportThread {
public:
    ExportThread(const WorkingFileExporter& exporter, Registry& registry, const fs::path& file)
        : m_thread([this, &exporter, &registry, file] {
              std::string error;
              try {
                  error = exporter(registry, file, m_stop);
              } catch (const std::exception& exception) {
                  error = file.string() + ": the export failed: " + exception.what();
              } catch (...) {
                  error = file.string() + ": the export failed";
              }
              m_error = std::move(error);
              m_finished.store(true, std::memory_order_release);
          }) {}
    ~ExportThread() { join(); }
    ExportThread(const ExportThread&) = delete;
    ExportThread& operator=(const ExportThread&) = delete;

    bool finished() const { return m_finished.load(std::memory_order_acquire); }
    // Only once finished() has answered true, or after join().
    const std::string& error() const { return m_error; }

    void stopAndJoin() {
        m_stop.store(true);
        join();
    }
    void join() {
        if (m_thread.joinable()) m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::string m_error;
    std::thread m_thread;  // last: starts once the members it uses exist
};

}  // namespace

std::string ExportLocalMachine(Registry& registry, const fs::path& file, const std::atomic<bool>& stop) {
    return ExportRegistryText(registry, win::HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", file, &stop);
}

BackupResult BackupRegistry(Registry& registry, const fs::path& workingDirectory, const BackupClock& clock,
                            const WholeRegistryBackupOptions& options) {
    BackupResult result;
    const BackupTime time = clock();
    const fs::path working = workingDirectory / kWorkingBackupFileName;
    std::error_code error;
    // A working file left from an earlier backup would be taken for this one's export.
    fs::remove(working, error);
    if (error) {
        result.error = working.string() + ": cannot delete the working file of an earlier backup: " + error.message();
        return result;
    }
    const fs::path folder = workingDirectory / kBackupFolderName;
    fs::create_directories(folder, error);
    if (error) {
        result.error = folder.string() + ": cannot create the backup folder: " + error.message();
        return result;
    }
    const fs::path target = folder / BackupFileName(time);
    // Checked before the export, which can take a while; the move checks again.
    if (fs::exists(fs::symlink_status(target, error))) {
        result.error = ExistingBackupMessage(target);
        return result;
    }

    const WorkingFileExporter& exporter = options.exporter ? options.exporter : WorkingFileExporter(ExportLocalMachine);
    std::string failure;
    {
        ExportThread exportThread(exporter, registry, working);
        const auto deadline = std::chrono::steady_clock::now() + options.moveLimit;
        bool moved = false;
        while (failure.empty() && !moved) {
            // Read before the move, so that a file written just before the end is not missed.
            const bool exportEnded = exportThread.finished();
            switch (MoveWithoutReplacing(working, target, failure)) {
            case MoveStatus::Moved: moved = true; break;
            case MoveStatus::TargetExists: failure = ExistingBackupMessage(target); break;
            case MoveStatus::Failed: break;
            case MoveStatus::SourceMissing:
                if (exportEnded) {
                    failure = exportThread.error().empty() ? working.string() + ": the export ended without writing it"
                                                           : exportThread.error();
                } else if (std::chrono::steady_clock::now() >= deadline) {
                    failure = working.string() + ": the export of HKEY_LOCAL_MACHINE did not finish within " +
                              DurationText(options.moveLimit);
                } else {
                    std::this_thread::sleep_for(options.movePause);
                }
                break;
            }
        }
        exportThread.stopAndJoin();
        // An exporter that failed after its file appeared leaves nothing to trust.
        if (moved && failure.empty() && !exportThread.error().empty()) {
            failure = exportThread.error();
            fs::remove(target, error);
        }
    }
    if (!failure.empty()) {
        fs::remove(working, error);
        result.error = std::move(failure);
        return result;
    }
    SyncFolder(folder);
    result.outcome = BackupResult::Outcome::Written;
    result.file = target;
    PruneBackups(folder, target);
    return result;
}

}  // namespace brindle
