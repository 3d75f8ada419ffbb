// The registry scan driver and what every scanner shares with it.
#include "scan/RegistryScanners.h"

#include <cerrno>

#include "registry/KeyHandle.h"
#include "scan/RegistryWalk.h"

namespace brindle {

namespace {

using Scanner = void (RegistryScanners::*)(std::vector<ScanSummary>&);

// The registry categories in run order, with their scanners.
constexpr std::pair<ScanCategory, Scanner> kRunOrder[] = {
    {ScanCategory::COM, &RegistryScanners::ScanClsid},
    {ScanCategory::COM_SUBS, &RegistryScanners::ScanSharedDlls},
    {ScanCategory::DRV, &RegistryScanners::ScanDrivers},
    {ScanCategory::HELP, &RegistryScanners::ScanHelpFiles},
    {ScanCategory::APPPATH, &RegistryScanners::ScanAppPaths},
    {ScanCategory::SHARED_TOOLS, &RegistryScanners::ScanSharedTools},
    {ScanCategory::FONTS, &RegistryScanners::ScanFonts},
    {ScanCategory::STARTUP, &RegistryScanners::ScanStartup},
    {ScanCategory::UNINSTALL, &RegistryScanners::ScanUninstall},
};

}  // namespace

RegistryScanners::RegistryScanners(Machine& machine, const std::filesystem::path& workFolder)
    : RegistrySnapshot(machine), IgnoreList(workFolder), m_stopEvent(machine.events().CreateEventA(kStopScanEventName)) {}

RegistryScanners::~RegistryScanners() = default;

void RegistryScanners::ScanRegistry(std::vector<ScanSummary>& summaries, ScanSelection& selection) {
    LoadIgnoreList();
    summaries.clear();
    m_problems.clear();
    ResetEvent(m_stopEvent);

    FileSystemScanScope cache(m_machine.files());
    for (const auto& [category, scanner] : kRunOrder) {
        if (selection.state(category) == ScanSelection::kNotSelected) continue;
        selection.setState(category, ScanSelection::kScanning);
        (this->*scanner)(summaries);
        selection.setState(category, ScanSelection::kDone);
    }
}

bool RegistryScanners::HasScanner(ScanCategory category) {
    for (const auto& [scanned, scanner] : kRunOrder) {
        if (scanned == category) return true;
    }
    return false;
}

int RegistryScanners::IsFileMissing(const std::string& path, int mode) {
    if (m_machine.files()._access(path.c_str(), mode) != -1) return 0;
    // A folder that cannot be searched, say, hides whether the file is there; deleting
    // the entry on that ground could remove a working one.
    if (errno != ENOENT) return 0;
    if (IsIgnored(path)) return 0;
    return -1;
}

bool RegistryScanners::stopRequested() const {
    return (stopRequest != nullptr && stopRequest->requested()) ||
           WaitForSingleObject(m_stopEvent, 0) == win::WAIT_OBJECT_0;
}

void RegistryScanners::scanKeyValues(ScanCategory category, std::string_view baseKeyPath,
                                 std::vector<ScanSummary>& summaries, const ValueVisitor& visit) {
    if (stopRequested()) return;
    std::string subKey(baseKeyPath);
    const std::string root = SeperateMainKey(subKey);
    ScanCounts counts;
    KeyHandle base(m_registry);
    if (OpenKey(root, subKey, base.out()) == win::ERROR_SUCCESS) visitValues(base.get(), {}, counts, visit);
    summaries.push_back({std::string(InfoOf(category).summaryTitle), counts.scanned, counts.found, 0});
}

void RegistryScanners::scanSubKeyValues(ScanCategory category, std::string_view baseKeyPath,
                                    const std::function<bool(std::string_view)>& takeSubKey,
                                    std::vector<ScanSummary>& summaries, const ValueVisitor& visit) {
    if (stopRequested()) return;
    std::string subKey(baseKeyPath);
    const std::string root = SeperateMainKey(subKey);
    KeyHandle base(m_registry);
    if (OpenKey(root, subKey, base.out()) != win::ERROR_SUCCESS) return;

    ScanCounts counts;
    const bool walked = WalkSubKeys(m_registry, base.get(), [this] { return stopRequested(); }, [&](std::string_view name) {
        if (!takeSubKey(name)) return;
        const std::string subKeyName(name);
        KeyHandle key(m_registry);
        if (m_registry.RegOpenKeyA(base.get(), subKeyName.c_str(), key.out()) != win::ERROR_SUCCESS) return;
        visitValues(key.get(), subKeyName, counts, visit);
    });
    if (!walked) return;
    summaries.push_back({std::string(InfoOf(category).summaryTitle), counts.scanned, counts.found, 0});
}

void RegistryScanners::visitValues(win::HKEY key, const std::string& subKeyName, ScanCounts& counts,
                               const ValueVisitor& visit) {
    std::vector<RegistryValue> values;
    GetKeyValues(key, values);
    for (const auto& value : values) {
        if (stopRequested()) return;
        visit(subKeyName, value, counts);
    }
}

void RegistryScanners::testPath(ScanCategory category, std::string keyPath, const RegistryValue& value,
                            const std::string& path, ScanCounts& counts, const ElsewhereProbe& elsewhere) {
    m_currentItem = path;
    if (IsFileMissing(path, 0) == -1 && (!elsewhere || elsewhere() == PathProbe::Missing)) {
        addProblem(category, std::move(keyPath), value, path);
        ++counts.found;
    }
    reportProgress(path, category, counts.scanned, counts.found);
}

void RegistryScanners::addProblem(ScanCategory category, std::string keyPath, const RegistryValue& value,
                              std::string filePath) {
    const auto& info = InfoOf(category);
    auto record = std::make_unique<ProblemRecord>();
    record->setTag(std::string(info.tag));
    record->setKeyPath(std::move(keyPath));
    record->setValue(value);
    record->setKind(std::string(info.kind));
    record->setFilePath(std::move(filePath));
    m_problems.push_back(std::move(record));
}

void RegistryScanners::reportProgress(const std::string& item, ScanCategory category, std::int32_t scanned,
                                  std::int32_t found) {
    if (progressCallback) progressCallback(item, std::string(InfoOf(category).progressTitle), scanned, found);
}

}  // namespace brindle
