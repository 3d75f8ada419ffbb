#include "registry/BackupRestore.h"

#include "registry/KeyHandle.h"

namespace brindle {

using namespace win;

namespace {

class BackupApplier {
public:
    BackupApplier(Registry& registry, RestoreReport& report) : m_registry(registry), m_report(report) {}

    void apply(const BackupRecord& record) {
        const std::string keyPath =
            BackupRootName(record.root) + (record.path.empty() ? "" : "\\" + record.path);
        KeyHandle key(m_registry);
        const LONG status = m_registry.RegCreateKeyA(record.root, record.path.c_str(), key.out());
        if (status != ERROR_SUCCESS) return fail(keyPath + ": cannot create the key", status);
        ++m_report.keysWritten;
        writeContent(key.get(), keyPath, record.content);
    }

private:
    void writeContent(HKEY key, const std::string& keyPath, const BackupKeyContent& content) {
        for (const BackupValue& value : content.values) {
            const LONG status =
                m_registry.RegSetValueExA(key, value.name.c_str(), 0, value.type,
                                          reinterpret_cast<const BYTE*>(value.data.data()),
                                          static_cast<DWORD>(value.data.size()));
            if (status == ERROR_SUCCESS) {
                ++m_report.valuesWritten;
            } else {
                fail(keyPath + ": cannot set the value \"" + value.name + "\"", status);
            }
        }
        for (const BackupSubKey& subKey : content.subKeys) {
            const std::string subKeyPath = keyPath + "\\" + subKey.name;
            KeyHandle child(m_registry);
            const LONG status = m_registry.RegCreateKeyA(key, subKey.name.c_str(), child.out());
            if (status != ERROR_SUCCESS) {
                fail(subKeyPath + ": cannot create the key", status);
                continue;
            }
            ++m_report.keysWritten;
            writeContent(child.get(), subKeyPath, subKey.content);
        }
    }

    void fail(const std::string& message, LONG status) {
        m_report.leftUndone.push_back(message + " (status " + std::to_string(status) + ")");
    }

    Registry& m_registry;
    RestoreReport& m_report;
};

}  // namespace

RestoreReport RestoreBackup(Registry& registry, const std::vector<BackupRecord>& records) {
    RestoreReport report;
    BackupApplier applier(registry, report);
    for (const BackupRecord& record : records) applier.apply(record);
    if (!report.leftUndone.empty()) report.outcome = RestoreReport::Outcome::Incomplete;
    return report;
}

RestoreReport RestoreBackupFile(Registry& registry, const std::filesystem::path& path) {
    const DecodedBackup backup = ReadBackupFile(path);
    if (!backup.ok()) {
        RestoreReport report;
        report.fail(RestoreReport::Outcome::Refused, backup.error().message());
        return report;
    }
    return RestoreBackup(registry, backup.value());
}

}  // namespace brindle
