// The scanners: one per category of registry entries that name files, each reading its
// keys, testing the files they name and adding a problem for each one that is missing
// and not on the ignore list; and the driver that runs the selected ones in order.
//
// A part of CRegistryLib (scan/RegistryLib.h), over the snapshot and registry access
// below it and beside the ignore list it consults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/NamedEvents.h"
#include "registry/IgnoreList.h"
#include "registry/ProblemRecord.h"
#include "registry/RegistrySnapshot.h"
#include "scan/ScanTypes.h"
#include "scan/StopRequest.h"

namespace brindle {

class RegistryScanners : public RegistrySnapshot, public IgnoreList {
public:
    // The ignore list is read from workFolder.
    RegistryScanners(Machine& machine, const std::filesystem::path& workFolder);
    ~RegistryScanners() override;

    ScanProgressCallback progressCallback;
    // Polled beside the stop event, which ScanRegistry resets when it starts; unset: the
    // event alone stops a scan.
    const StopRequest* stopRequest = nullptr;

    void ScanRegistry(std::vector<ScanSummary>& summaries, ScanSelection& selection);
    // Whether ScanRegistry runs a scanner for the category (shortcuts have their own).
    static bool HasScanner(ScanCategory category);
    void ScanClsid(std::vector<ScanSummary>& summaries);
    void ScanSharedDlls(std::vector<ScanSummary>& summaries);
    void ScanDrivers(std::vector<ScanSummary>& summaries);
    void ScanHelpFiles(std::vector<ScanSummary>& summaries);
    void ScanAppPaths(std::vector<ScanSummary>& summaries);
    void ScanSharedTools(std::vector<ScanSummary>& summaries);
    void ScanFonts(std::vector<ScanSummary>& summaries);
    void ScanStartup(std::vector<ScanSummary>& summaries);
    void ScanUninstall(std::vector<ScanSummary>& summaries);
    // -1 when the path is missing and not ignored, else 0. Only "no such file or
    // folder" is missing: a look-up that failed for another reason cannot judge.
    int IsFileMissing(const std::string& path, int mode);

    std::size_t problemCount() const { return m_problems.size(); }
    const ProblemRecord& problem(std::size_t index) const { return *m_problems.at(index); }
    std::vector<std::unique_ptr<ProblemRecord>>& problems() { return m_problems; }
    const std::vector<std::unique_ptr<ProblemRecord>>& problems() const { return m_problems; }
    const std::string& currentItem() const { return m_currentItem; }

private:
    struct ScanCounts {
        std::int32_t scanned = 0;
        std::int32_t found = 0;
    };
    // Handles one value record of a scanner; subKeyName is empty for scanners that read
    // the values of their base key itself.
    using ValueVisitor =
        std::function<void(const std::string& subKeyName, const RegistryValue& value, ScanCounts& counts)>;

    bool stopRequested() const;
    // The course every scanner but the COM one follows: stop poll at entry, base key
    // opened, values taken with a stop poll before each record, one row at the end.
    // Scanners of one key's values still make a row when the key cannot be opened;
    // scanners of sub-keys make none.
    void scanKeyValues(ScanCategory category, std::string_view baseKeyPath, std::vector<ScanSummary>& summaries,
                       const ValueVisitor& visit);
    void scanSubKeyValues(ScanCategory category, std::string_view baseKeyPath,
                          const std::function<bool(std::string_view subKeyName)>& takeSubKey,
                          std::vector<ScanSummary>& summaries, const ValueVisitor& visit);
    void visitValues(win::HKEY key, const std::string& subKeyName, ScanCounts& counts, const ValueVisitor& visit);
    // Where else the machine's Windows would find the file of a path that is missing.
    using ElsewhereProbe = std::function<PathProbe()>;
    // Tests the path (and, when it is missing, the other places), records a problem
    // when the file is in none of them, then reports progress.
    void testPath(ScanCategory category, std::string keyPath, const RegistryValue& value, const std::string& path,
                  ScanCounts& counts, const ElsewhereProbe& elsewhere = {});
    void addProblem(ScanCategory category, std::string keyPath, const RegistryValue& value, std::string filePath);
    void reportProgress(const std::string& item, ScanCategory category, std::int32_t scanned, std::int32_t found);
    // Whether a class key also has a 32-bit server whose file exists (see ScanClsid).
    bool hasWorking32BitServer(win::HKEY classKey);

    EventHandle m_stopEvent;
    std::string m_currentItem;
    std::vector<std::unique_ptr<ProblemRecord>> m_problems;
};

}  // namespace brindle
