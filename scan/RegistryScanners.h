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
#include <unordered_set>
#include <vector>

#include "platform/NamedEvents.h"
#include "registry/IgnoreList.h"
#include "registry/KeyHandle.h"
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
    // Handles one value record of a scanner; keyPath is the key it is reported under.
    using ValueVisitor =
        std::function<void(const std::string& keyPath, const RegistryValue& value, ScanCounts& counts)>;
    // How a sub-key's name is spelled in the key path of its problems.
    enum class SubKeySpelling { AsIs, Lower };
    // A scanner's base key, opened in the view being scanned.
    struct ViewBase {
        std::string reportPath;  // the path its problems are reported under
        std::string realPath;    // its name in the registry's tree
    };

    bool stopRequested() const;
    // Runs visit once per view of the machine, with the view's machine in force: a
    // 64-bit machine's registry entries are scanned in the 64-bit view, then in the view
    // of its 32-bit programs.
    void forEachView(const std::function<void()>& visit);
    // The machine as the programs of the view being scanned see it: its files and
    // environment judge the entries of that view.
    Machine& viewMachine() { return *m_viewMachine; }
    // Opens baseKeyPath ("HKEY_LOCAL_MACHINE\...") in the view being scanned. Nothing when
    // it cannot be opened, or when this scan has read the key already: a key both views
    // share (through a registry link) is scanned, and reported, once.
    std::optional<ViewBase> openBaseInView(std::string_view baseKeyPath, KeyHandle& key);
    // The path the problems of an open sub-key are reported under (spelled, unless a link
    // lay on the way: then the key's own name, so that a repair never goes through the
    // link), or nothing when this scan has read the key already.
    std::optional<std::string> claimKey(win::HKEY key, std::string spelled, const std::string& expectedRealPath);
    // The course every scanner but the COM one follows: stop poll at entry, base key
    // opened in each view, values taken with a stop poll before each record, one row at
    // the end. Scanners of one key's values still make a row when the key cannot be
    // opened; scanners of sub-keys make none when no view has it.
    void scanKeyValues(ScanCategory category, std::string_view baseKeyPath, std::vector<ScanSummary>& summaries,
                       const ValueVisitor& visit);
    void scanSubKeyValues(ScanCategory category, std::string_view baseKeyPath, SubKeySpelling spelling,
                          const std::function<bool(std::string_view subKeyName)>& takeSubKey,
                          std::vector<ScanSummary>& summaries, const ValueVisitor& visit);
    void visitValues(win::HKEY key, const std::string& keyPath, ScanCounts& counts, const ValueVisitor& visit);
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
    ProgramView m_view = ProgramView::Native32;
    Machine* m_viewMachine;
    // The registry's own names of the keys this scan has read: a key has one, spelled as it
    // was created, however it is reached.
    std::unordered_set<std::string> m_scannedKeys;
    std::string m_currentItem;
    std::vector<std::unique_ptr<ProblemRecord>> m_problems;
};

}  // namespace brindle
