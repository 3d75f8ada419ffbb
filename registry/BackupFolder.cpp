#include "registry/BackupFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "registry/BackupFile.h"
#include "registry/BackupWriter.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// Nanoseconds since the epoch of the file's birth, or of its last change where the file
// system keeps no birth time. Nothing when the file cannot be looked at.
std::optional<std::int64_t> CreationStamp(const fs::path& path) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BTIME | STATX_MTIME, &info) != 0)
        return std::nullopt;
    const struct statx_timestamp& stamp = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_mtime;
    return static_cast<std::int64_t>(stamp.tv_sec) * 1000000000 + stamp.tv_nsec;
}

bool HasRegExtension(const fs::path& path) {
    const std::string name = path.filename().string();
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".reg") == 0;
}

}  // namespace

BackupTime LocalBackupTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return BackupTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string BackupFileName(const BackupTime& time) {
    char name[64];
    std::snprintf(name, sizeof name, "%4.4d-%2.2d-%2.2d_%2.2d-%2.2d-%2.2d.reg", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return name;
}

bool IsBackupFileName(std::string_view name) {
    static constexpr std::string_view kPattern = "dddd-dd-dd_dd-dd-dd.reg";
    if (name.size() != kPattern.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : name[i] != kPattern[i]) return false;
    }
    return true;
}

BackupResult BackupRegistry(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems,
                            const fs::path& workingDirectory, const BackupClock& clock) {
    BackupResult result;
    if (!NeedsBackup(problems)) {
        result.outcome = BackupResult::Outcome::NothingToBackUp;
        return result;
    }
    const BackupTime time = clock();
    CollectedBackup collected = CollectBackup(registry, problems);
    result.leftOut = std::move(collected.leftOut);
    result.incomplete = std::move(collected.incomplete);

    const fs::path folder = workingDirectory / kBackupFolderName;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        result.error = folder.string() + ": cannot create the backup folder: " + error.message();
        return result;
    }
    result.file = folder / BackupFileName(time);
    // The older file holds what an earlier repair removed; it must survive this one.
    if (fs::exists(fs::symlink_status(result.file, error))) {
        result.error = result.file.string() + ": a backup of that name already exists; try again a second later";
        return result;
    }
    result.error = WriteBackupFile(result.file, collected.records);
    if (!result.error.empty()) return result;
    result.outcome = BackupResult::Outcome::Written;
    PruneBackups(folder, result.file);
    return result;
}

void PruneBackups(const fs::path& folder, const fs::path& keep) {
    std::vector<fs::path> backups;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsBackupFileName(name) && it->is_regular_file(error)) backups.push_back(it->path());
    }
    // For these names, name order is time order.
    std::sort(backups.begin(), backups.end());
    std::size_t excess = backups.size() > kBackupsKept ? backups.size() - kBackupsKept : 0;
    for (const fs::path& path : backups) {
        if (excess == 0) break;
        if (path.filename() == keep.filename()) continue;
        fs::remove(path, error);
        --excess;
    }
}

std::vector<fs::path> ListBackups(const fs::path& folder) {
    std::vector<std::pair<std::int64_t, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!HasRegExtension(it->path()) || !it->is_regular_file(error)) continue;
        const auto stamp = CreationStamp(it->path());
        if (stamp) found.emplace_back(*stamp, it->path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<fs::path> backups;
    for (auto& [stamp, path] : found) backups.push_back(std::move(path));
    return backups;
}

std::optional<fs::path> FindLatestBackup(const fs::path& folder) {
    std::vector<fs::path> backups = ListBackups(folder);
    if (backups.empty()) return std::nullopt;
    return backups.front();
}

}  // namespace brindle
