#include "registry/BackupOrigin.h"

#include "platform/ExclusiveFile.h"
#include "platform/RegularFile.h"

namespace brindle {

std::filesystem::path BackupOriginPathFor(const std::filesystem::path& registryBackup) {
    std::filesystem::path companion = registryBackup;
    companion.replace_extension(kBackupOriginExtension);
    return companion;
}

Status WriteBackupOriginBeside(const std::filesystem::path& registryBackup, const std::string& origin) {
    const ExclusiveCreateResult created = CreateFileExclusively(BackupOriginPathFor(registryBackup), origin);
    if (created.status == ExclusiveCreateResult::Status::Created) return {};
    if (created.status == ExclusiveCreateResult::Status::NameTaken)
        return Error(BackupOriginPathFor(registryBackup).string() +
                     " is already there, so the backup's prefix could not be recorded");
    return Error("the backup's prefix could not be recorded: " + created.error);
}

Result<std::optional<std::string>> ReadBackupOrigin(const std::filesystem::path& registryBackup) {
    const std::filesystem::path file = BackupOriginPathFor(registryBackup);
    RegularFileRead read = ReadRegularFile(file, kMaxBackupOriginBytes, FinalLink::Refuse, Ownership::ThisUser);
    if (read.status == RegularFileRead::Status::Missing) return std::optional<std::string>();
    if (!read.ok()) return Error("the record of the backup's prefix: " + read.error);
    if (read.bytes.empty()) return Error(file.string() + " is empty; it should name the prefix the backup came from");
    return std::optional<std::string>(std::move(read.bytes));
}

}  // namespace brindle
