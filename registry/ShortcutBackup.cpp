#include "registry/ShortcutBackup.h"

#include "registry/MachineFiles.h"

namespace brindle {

namespace {

// What an entry adds to the encoded file.
std::uint64_t EncodedSize(const ShortcutBackupEntry& entry) { return 12u + entry.path.size() + entry.bytes.size(); }

}  // namespace

CollectedShortcuts CollectShortcutBackup(Machine& machine, const std::vector<std::string>& paths) {
    CollectedShortcuts collected;
    std::uint64_t fileSize = kShortcutBackupMagic.size() + 4u;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        if (path.size() > kMaxShortcutBackupPathBytes || collected.entries.size() >= kMaxShortcutBackupEntries) {
            collected.leftOut.push_back({path, path + ": beyond what one shortcut backup holds"});
            continue;
        }
        MachineFileRead read = ReadMachineFile(machine, path, kMaxShortcutBackupDataBytes);
        if (!read.bytes) {
            collected.leftOut.push_back({path, read.error});
            continue;
        }
        ShortcutBackupEntry entry{path, read.attributes, std::move(*read.bytes)};
        if (fileSize + EncodedSize(entry) > kMaxShortcutBackupFileBytes) {
            collected.leftOut.push_back({path, path + ": beyond what one shortcut backup holds"});
            continue;
        }
        fileSize += EncodedSize(entry);
        collected.entries.push_back(std::move(entry));
    }
    return collected;
}

ShortcutRestoreReport RestoreShortcuts(Machine& machine, const std::vector<ShortcutBackupEntry>& entries) {
    using Status = ExclusiveCreateResult::Status;
    ShortcutRestoreReport report;
    for (const ShortcutBackupEntry& entry : entries) {
        const ExclusiveCreateResult created = CreateMachineFile(machine, entry.path, entry.bytes);
        if (created.status == Status::Created) {
            if ((entry.attributes & win::FILE_ATTRIBUTE_READONLY) != 0 &&
                !machine.files().SetFileAttributesA(entry.path.c_str(), win::FILE_ATTRIBUTE_READONLY)) {
                report.skipped.push_back(
                    {entry.path, entry.path + ": restored, but it could not be made read-only again"});
                continue;
            }
            report.restored.push_back(entry.path);
            continue;
        }
        if (created.status == Status::NameTaken) {
            // A restore run twice finds its own work: that is no failure.
            const MachineFileRead there = ReadMachineFile(machine, entry.path, kMaxShortcutBackupDataBytes);
            if (there.bytes && *there.bytes == entry.bytes) {
                report.alreadyThere.push_back(entry.path);
                continue;
            }
            report.skipped.push_back({entry.path, entry.path + ": something else is there now; it was left as it is"});
            continue;
        }
        report.skipped.push_back({entry.path, created.error});
    }
    return report;
}

}  // namespace brindle
