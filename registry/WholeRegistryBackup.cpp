#include "registry/WholeRegistryBackup.h"

#include <exception>
#include <system_error>
#include <thread>

#include "platform/ExclusiveFile.h"
#include "registry/BackupOrigin.h"
#include "registry/RegistryTextExport.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

std::string DurationText(std::chrono::milliseconds duration) {
    if (duration.count() % 1000 == 0) return std::to_string(duration.count() / 1000) + " seconds";
    return std::to_string(duration.count()) + " ms";
}

// The first name of this second that nothing in the folder has, from sequence on; empty
// when all are taken.
fs::path FreeBackupName(const fs::path& folder, const BackupTime& time, unsigned& sequence) {
    std::error_code error;
    for (; sequence <= kMaxBackupsPerSecond; ++sequence) {
        const fs::path candidate = folder / BackupFileName(time, sequence);
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
    return {};
}

std::string AllNamesTakenMessage(const fs::path& folder, const BackupTime& time) {
    return folder.string() + ": all " + std::to_string(kMaxBackupsPerSecond) + " backup names of " +
           BackupFileName(time) + "'s second are taken; try again a second later";
}
// Runs the exporter on its own thread; the destructor stops and joins it, so no return
// path can leave it running.
class ExportThread {
public:
    ExportThread(const WorkingFileExporter& exporter, Registry& registry, const fs::path& file)
        : m_thread([this, &exporter, &registry, file] {
              Status exported;
              try {
                  exported = exporter(registry, file, m_stop);
              } catch (const std::exception& exception) {
                  exported = Error(file.string() + ": the export failed: " + exception.what());
              } catch (...) {
                  exported = Error(file.string() + ": the export failed");
              }
              m_exported = std::move(exported);
              m_finished.store(true, std::memory_order_release);
          }) {}
    ~ExportThread() { join(); }
    ExportThread(const ExportThread&) = delete;
    ExportThread& operator=(const ExportThread&) = delete;

    bool finished() const { return m_finished.load(std::memory_order_acquire); }
    // Only once finished() has answered true, or after join().
    const Status& exported() const { return m_exported; }

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
    Status m_exported;
    std::thread m_thread;  // last: starts once the members it uses exist
};

}  // namespace

Status ExportLocalMachine(Registry& registry, const fs::path& file, const std::atomic<bool>& stop) {
    return ExportRegistryText(registry, win::HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", file, &stop);
}

BackupResult BackupRegistry(Registry& registry, const BackupPlace& place, const BackupClock& clock,
                            const WholeRegistryBackupOptions& options) {
    const fs::path& workingDirectory = place.workFolder;
    BackupResult result;
    const BackupTime time = clock();
    const fs::path working = workingDirectory / kWorkingBackupFileName;
    std::error_code error;
    // A working file left from an earlier backup would be taken for this one's export.
    fs::remove(working, error);
    if (error) {
        result.fail(BackupResult::Outcome::Failed,
                    working.string() + ": cannot delete the working file of an earlier backup: " + error.message());
        return result;
    }
    const fs::path folder = workingDirectory / kBackupFolderName;
    fs::create_directories(folder, error);
    if (error) {
        result.fail(BackupResult::Outcome::Failed,
                    folder.string() + ": cannot create the backup folder: " + error.message());
        return result;
    }
    // Chosen before the export, which can take a while; the move checks again and takes
    // the next free name when another backup got there first.
    unsigned sequence = 1;
    fs::path target = FreeBackupName(folder, time, sequence);
    if (target.empty()) {
        result.fail(BackupResult::Outcome::Failed, AllNamesTakenMessage(folder, time));
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
            const ExclusiveMoveResult move = MoveFileExclusively(working, target);
            switch (move.status) {
            case ExclusiveMoveResult::Status::Moved: moved = true; break;
            case ExclusiveMoveResult::Status::NameTaken:
                ++sequence;
                target = FreeBackupName(folder, time, sequence);
                if (target.empty()) failure = AllNamesTakenMessage(folder, time);
                break;
            case ExclusiveMoveResult::Status::Failed: failure = move.error; break;
            case ExclusiveMoveResult::Status::SourceMissing:
                if (exportEnded) {
                    failure = exportThread.exported() ? working.string() + ": the export ended without writing it"
                                                      : exportThread.exported().error().message();
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
        if (moved && failure.empty() && !exportThread.exported()) {
            failure = exportThread.exported().error().message();
            fs::remove(target, error);
        }
    }
    if (failure.empty() && !place.origin.empty()) {
        if (Status recorded = WriteBackupOriginBeside(target, place.origin); !recorded) {
            failure = recorded.error().message();
            fs::remove(target, error);
        }
    }
    if (!failure.empty()) {
        fs::remove(working, error);
        result.fail(BackupResult::Outcome::Failed, std::move(failure));
        return result;
    }
    result.outcome = BackupResult::Outcome::Written;
    result.file = target;
    PruneBackups(folder, target);
    return result;
}

}  // namespace brindle
