#include "registry/BackupFolder.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "registry/BackupFile.h"
#include "registry/BackupOrigin.h"
#include "registry/BackupWriter.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileEntry.h"
#include "platform/LocalTime.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

bool HasRegExtension(const fs::path& path) {
    const std::string name = path.filename().string();
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".reg") == 0;
}

constexpr std::string_view kTimePattern = "dddd-dd-dd_dd-dd-dd";
constexpr std::string_view kRegExtension = ".reg";

// The time part and the sequence number of a backup's name; nothing for other names.
std::optional<std::pair<std::string_view, unsigned>> SplitBackupName(std::string_view name) {
    if (name.size() < kTimePattern.size() + kRegExtension.size() ||
        name.substr(name.size() - kRegExtension.size()) != kRegExtension)
        return std::nullopt;
    const std::string_view time = name.substr(0, kTimePattern.size());
    for (std::size_t i = 0; i < time.size(); ++i) {
        const bool digit = time[i] >= '0' && time[i] <= '9';
        if (kTimePattern[i] == 'd' ? !digit : time[i] != kTimePattern[i]) return std::nullopt;
    }
    std::string_view suffix = name.substr(time.size(), name.size() - time.size() - kRegExtension.size());
    if (suffix.empty()) return std::pair{time, 1u};
    // "_2" to "_999", written without leading zeros, so each number has one name.
    if (suffix.size() < 2 || suffix.size() > 4 || suffix[0] != '_' || suffix[1] == '0') return std::nullopt;
    unsigned sequence = 0;
    for (const char c : suffix.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        sequence = sequence * 10 + static_cast<unsigned>(c - '0');
    }
    if (sequence < 2 || sequence > kMaxBackupsPerSecond) return std::nullopt;
    return std::pair{time, sequence};
}

// Time-stamped backups first in time order by name, then the rest by name.
bool NameBefore(const fs::path& a, const fs::path& b) {
    const std::string nameA = a.filename().string();
    const std::string nameB = b.filename().string();
    const auto keyA = SplitBackupName(nameA);
    const auto keyB = SplitBackupName(nameB);
    if (keyA && keyB) return *keyA < *keyB;
    if (keyA.has_value() != keyB.has_value()) return keyA.has_value();
    return nameA < nameB;
}

}  // namespace

BackupTime LocalBackupTime() {
    const std::tm local = LocalTime(std::time(nullptr));
    return BackupTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string BackupFileName(const BackupTime& time, unsigned sequence) {
    char name[80];
    std::snprintf(name, sizeof name, "%4.4d-%2.2d-%2.2d_%2.2d-%2.2d-%2.2d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    std::string result = name;
    // Appended rather than joined with +: GCC 12's -Wrestrict misreads libstdc++'s operator+ at -O2.
    if (sequence > 1) result.append(1, '_').append(std::to_string(sequence));
    return result.append(kRegExtension);
}

bool IsBackupFileName(std::string_view name) { return SplitBackupName(name).has_value(); }

bool BackupNameBefore(std::string_view earlier, std::string_view later) {
    const auto a = SplitBackupName(earlier);
    const auto b = SplitBackupName(later);
    return a && b && *a < *b;
}

BackupResult BackupRegistry(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems,
                            const BackupPlace& place, const BackupClock& clock) {
    return BackupRegistry(registry, problems, {}, place, clock);
}

BackupResult BackupRegistry(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems,
                            const std::vector<ShortcutBackupEntry>& shortcuts, const BackupPlace& place,
                            const BackupClock& clock) {
    using Status = ExclusiveCreateResult::Status;
    BackupResult result;
    if (!NeedsBackup(problems) && shortcuts.empty()) {
        result.outcome = BackupResult::Outcome::NothingToBackUp;
        return result;
    }
    const BackupTime time = clock();
    CollectedBackup collected = CollectBackup(registry, problems);
    result.leftUndone = std::move(collected.leftOut);
    result.incomplete = std::move(collected.incomplete);

    const fs::path folder = place.workFolder / kBackupFolderName;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        result.fail(BackupResult::Outcome::Failed,
                    folder.string() + ": cannot create the backup folder: " + error.message());
        return result;
    }
    const std::string encoded = EncodeBackup(collected.records);
    for (unsigned sequence = 1; sequence <= kMaxBackupsPerSecond && result.file.empty(); ++sequence) {
        const fs::path candidate = folder / BackupFileName(time, sequence);
        // A shortcut backup or an origin record without its registry backup (left by a
        // crash, or put there) must not be taken for this repair's.
        if (fs::exists(fs::symlink_status(ShortcutBackupPathFor(candidate), error)) ||
            fs::exists(fs::symlink_status(BackupOriginPathFor(candidate), error)))
            continue;
        const ExclusiveCreateResult created = CreateFileExclusively(candidate, encoded);
        if (created.status == Status::NameTaken) continue;
        if (created.status == Status::Failed) {
            result.fail(BackupResult::Outcome::Failed, created.error);
            return result;
        }
        result.file = candidate;
    }
    if (result.file.empty()) {
        result.fail(BackupResult::Outcome::Failed,
                    (folder / BackupFileName(time)).string() + ": this second's " +
                        std::to_string(kMaxBackupsPerSecond) + " backup names are all taken; try again a second later");
        return result;
    }
    if (!shortcuts.empty()) {
        if (brindle::Status written = WriteShortcutBackupBeside(result.file, shortcuts); !written) {
            // Ours, created a moment ago: without its shortcut backup it would be the
            // backup of a repair that never ran.
            fs::remove(result.file, error);
            result.file.clear();
            result.fail(BackupResult::Outcome::Failed, written.error().message());
            return result;
        }
        result.shortcutFile = ShortcutBackupPathFor(result.file);
    }
    if (!place.origin.empty()) {
        if (brindle::Status recorded = WriteBackupOriginBeside(result.file, place.origin); !recorded) {
            // Without its origin the restore could not tell which prefix it belongs to.
            fs::remove(result.file, error);
            if (!result.shortcutFile.empty()) fs::remove(result.shortcutFile, error);
            result.file.clear();
            result.shortcutFile.clear();
            result.fail(BackupResult::Outcome::Failed, recorded.error().message());
            return result;
        }
    }
    result.outcome = BackupResult::Outcome::Written;
    PruneBackups(folder, result.file);
    return result;
}

Status WriteShortcutBackupBeside(const fs::path& registryBackup, const std::vector<ShortcutBackupEntry>& shortcuts) {
    const fs::path file = ShortcutBackupPathFor(registryBackup);
    const ExclusiveCreateResult created = CreateFileExclusively(file, EncodeShortcutBackup(shortcuts));
    if (created.status == ExclusiveCreateResult::Status::Created) return {};
    return Error("the shortcut backup could not be written: " + created.error);
}

void PruneBackups(const fs::path& folder, const fs::path& keep) {
    std::vector<fs::path> backups;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsBackupFileName(name) && it->is_regular_file(error)) backups.push_back(it->path());
    }
    // For these names, name order is time order.
    std::sort(backups.begin(), backups.end(), NameBefore);
    std::size_t excess = backups.size() > kBackupsKept ? backups.size() - kBackupsKept : 0;
    for (const fs::path& path : backups) {
        if (excess == 0) break;
        if (path.filename() == keep.filename()) continue;
        fs::remove(path, error);
        fs::remove(ShortcutBackupPathFor(path), error);
        fs::remove(BackupOriginPathFor(path), error);
        --excess;
    }
}

std::vector<fs::path> ListBackups(const fs::path& folder) {
    std::vector<std::pair<std::int64_t, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!HasRegExtension(it->path()) || !it->is_regular_file(error)) continue;
        const auto stamp = FileCreationTime(it->path());
        if (stamp) found.emplace_back(*stamp, it->path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first > b.first;
        return NameBefore(b.second, a.second);
    });
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
