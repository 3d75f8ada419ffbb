// COM classes under HKEY_CLASSES_ROOT\CLSID whose server file is gone.
#include "scan/RegistryScanners.h"

#include <array>

#include "platform/AsciiText.h"
#include "registry/KeyHandle.h"
#include "scan/PathRules.h"
#include "scan/RegistryWalk.h"

namespace brindle {

using namespace win;

namespace {

constexpr const char* kClsidRoot = "HKEY_CLASSES_ROOT";
constexpr const char* kClsidKey = "CLSID";
constexpr std::string_view kExemptFileEnding = "mailui.dll";

// Sub-key names are compared after lower-casing.
bool Is32BitServerSubKey(std::string_view name) {
    return EqualsIgnoreAsciiCase(name, "inprocserver32") || EqualsIgnoreAsciiCase(name, "localserver32");
}

bool Is16BitServerSubKey(std::string_view name) {
    return EqualsIgnoreAsciiCase(name, "inprocserver") || EqualsIgnoreAsciiCase(name, "localserver");
}

bool IsExempt(std::string_view path) { return path.ends_with(kExemptFileEnding); }

}  // namespace

// A 64-bit Windows, and every 64-bit Wine prefix, has no 16-bit server files, while the
// class works through its 32-bit server. Reporting such a class would delete a working
// registration, so a missing 16-bit server counts only when no 32-bit server sub-key of
// the same class names a file that exists.
bool RegistryScanners::hasWorking32BitServer(HKEY classKey) {
    for (const char* name : {"InprocServer32", "LocalServer32"}) {
        KeyHandle server(m_registry);
        if (m_registry.RegOpenKeyA(classKey, name, server.out()) != ERROR_SUCCESS) continue;
        std::vector<RegistryValue> values;
        GetKeyValues(server.get(), values);
        for (const auto& value : values) {
            if (value.name != kDefaultValueName || value.data == kValueNotSet) continue;
            const std::string path = CommandCleanup(value.data, viewMachine(), DefaultFolder::System);
            if (viewMachine().files()._access(path.c_str(), 0) == 0) return true;
        }
    }
    return false;
}

void RegistryScanners::ScanClsid(std::vector<ScanSummary>& summaries) {
    if (stopRequested()) return;

    std::int32_t scanned = 0;
    std::int32_t found = 0;
    bool walkedAny = false;
    auto stop = [this] { return stopRequested(); };
    forEachView([&] {
        KeyHandle base(m_registry);
        const auto opened = openBaseInView(std::string(kClsidRoot) + "\\" + kClsidKey, base);
        if (!opened) return;
        walkedAny |= WalkSubKeys(m_registry, base.get(), stop, [&](std::string_view className) {
            const std::string classNameText(className);
            KeyHandle classKey(m_registry);
            if (m_registry.RegOpenKeyA(base.get(), classNameText.c_str(), classKey.out()) != ERROR_SUCCESS) return;
            const auto classPath = claimKey(classKey.get(), opened->reportPath + "\\" + classNameText,
                                            opened->realPath + "\\" + classNameText);
            if (!classPath) return;

            WalkSubKeys(m_registry, classKey.get(), stop, [&](std::string_view serverName) {
                const bool is16Bit = Is16BitServerSubKey(serverName);
                if (!is16Bit && !Is32BitServerSubKey(serverName)) return;
                const std::string serverNameText(serverName);
                KeyHandle server(m_registry);
                if (m_registry.RegOpenKeyA(classKey.get(), serverNameText.c_str(), server.out()) != ERROR_SUCCESS) {
                    return;
                }

                std::vector<RegistryValue> values;
                GetKeyValues(server.get(), values);
                for (const auto& value : values) {
                    if (value.name != kDefaultValueName) continue;
                    ++scanned;
                    if (value.data == kValueNotSet) continue;

                    std::string path = CommandCleanup(value.data, viewMachine(), DefaultFolder::System);
                    m_currentItem = path;
                    if (!IsExempt(path) && IsFileMissing(path, 0) == -1 &&
                        !(is16Bit && hasWorking32BitServer(classKey.get()))) {
                        addProblem(ScanCategory::COM, *classPath, value, path);
                        KeyHandle progId(m_registry);
                        if (m_registry.RegOpenKeyA(classKey.get(), "ProgID", progId.out()) == ERROR_SUCCESS) {
                            std::vector<RegistryValue> progIdValues;
                            GetKeyValues(progId.get(), progIdValues);
                            for (const auto& progIdValue : progIdValues) {
                                if (progIdValue.name == kDefaultValueName) ++scanned;
                            }
                        }
                        ++found;
                    }
                    reportProgress(path, ScanCategory::COM, scanned, found);
                }
            });
        });
    });
    if (!walkedAny) return;
    summaries.push_back({std::string(InfoOf(ScanCategory::COM).summaryTitle), scanned, found, 0});
}

}  // namespace brindle
