// The registry scan driver and what every scanner shares with it.
#include "scan/RegistryScanners.h"

#include <cerrno>

#include "platform/AsciiText.h"
#include "platform/RegistryView.h"
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
    : RegistrySnapshot(machine),
      IgnoreList(workFolder),
      m_stopEvent(machine.events().CreateEventA(kStopScanEventName)),
      m_viewMachine(&machine) {}

RegistryScanners::~RegistryScanners() = default;

void RegistryScanners::ScanRegistry(std::vector<ScanSummary>& summaries, ScanSelection& selection) {
    LoadIgnoreList();
    summaries.clear();
    m_problems.clear();
    m_scannedKeys.clear();
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
    if (viewMachine().files()._access(path.c_str(), mode) != -1) return 0;
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

void RegistryScanners::forEachView(const std::function<void()>& visit) {
    for (const ProgramView view : m_machine.programViews()) {
        if (stopRequested()) break;
        m_view = view;
        m_viewMachine = &m_machine.inView(view);
        visit();
    }
    m_viewMachine = &m_machine;
}

std::optional<RegistryScanners::ViewBase> RegistryScanners::openBaseInView(std::string_view baseKeyPath,
                                                                           KeyHandle& key) {
    std::string subKey(baseKeyPath);
    const std::string root = SeperateMainKey(subKey);
    const auto rootKey = RootKeyFromName(root);
    if (!rootKey) return std::nullopt;
    ViewKey where;
    key.close();
    if (OpenKeyInView(m_registry, m_view, *rootKey, subKey, key.out(), &where) != win::ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (!m_scannedKeys.insert(where.realPath).second) return std::nullopt;
    std::string reportPath = root + "\\" + where.subKey;
    if (where.throughLink) reportPath = RootedKeyPath(where.realPath).value_or(reportPath);
    return ViewBase{std::move(reportPath), std::move(where.realPath)};
}

std::optional<std::string> RegistryScanners::claimKey(win::HKEY key, std::string spelled,
                                                      const std::string& expectedRealPath) {
    std::string realPath;
    if (m_registry.QueryKeyPath(key, realPath) != win::ERROR_SUCCESS) return spelled;
    if (!m_scannedKeys.insert(realPath).second) return std::nullopt;
    if (EqualsIgnoreAsciiCase(realPath, expectedRealPath)) return spelled;
    return RootedKeyPath(realPath).value_or(std::move(spelled));
}

void RegistryScanners::scanKeyValues(ScanCategory category, std::string_view baseKeyPath,
                                     std::vector<ScanSummary>& summaries, const ValueVisitor& visit) {
    if (stopRequested()) return;
    ScanCounts counts;
    forEachView([&] {
        KeyHandle base(m_registry);
        if (const auto opened = openBaseInView(baseKeyPath, base)) {
            visitValues(base.get(), opened->reportPath, counts, visit);
        }
    });
    summaries.push_back({std::string(InfoOf(category).summaryTitle), counts.scanned, counts.found, 0});
}

void RegistryScanners::scanSubKeyValues(ScanCategory category, std::string_view baseKeyPath, SubKeySpelling spelling,
                                        const std::function<bool(std::string_view)>& takeSubKey,
                                        std::vector<ScanSummary>& summaries, const ValueVisitor& visit) {
    if (stopRequested()) return;
    ScanCounts counts;
    bool walkedAny = false;
    forEachView([&] {
        KeyHandle base(m_registry);
        const auto opened = openBaseInView(baseKeyPath, base);
        if (!opened) return;
        walkedAny |= WalkSubKeys(m_registry, base.get(), [this] { return stopRequested(); }, [&](std::string_view name) {
            if (!takeSubKey(name)) return;
            const std::string subKeyName(name);
            KeyHandle key(m_registry);
            if (m_registry.RegOpenKeyA(base.get(), subKeyName.c_str(), key.out()) != win::ERROR_SUCCESS) return;
            const std::string spelledName = spelling == SubKeySpelling::Lower ? ToLowerAscii(subKeyName) : subKeyName;
            const auto keyPath =
                claimKey(key.get(), opened->reportPath + "\\" + spelledName, opened->realPath + "\\" + subKeyName);
            if (keyPath) visitValues(key.get(), *keyPath, counts, visit);
        });
    });
    if (!walkedAny) return;
    summaries.push_back({std::string(InfoOf(category).summaryTitle), counts.scanned, counts.found, 0});
}

void RegistryScanners::visitValues(win::HKEY key, const std::string& keyPath, ScanCounts& counts,
                                   const ValueVisitor& visit) {
    std::vector<RegistryValue> values;
    GetKeyValues(key, values);
    for (const auto& value : values) {
        if (stopRequested()) return;
        visit(keyPath, value, counts);
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
    record->setView(m_view);
    m_problems.push_back(std::move(record));
}

void RegistryScanners::reportProgress(const std::string& item, ScanCategory category, std::int32_t scanned,
                                  std::int32_t found) {
    if (progressCallback) progressCallback(item, std::string(InfoOf(category).progressTitle), scanned, found);
}

}  // namespace brindle
