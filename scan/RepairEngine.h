// The repair engine: removes the problems of the last scan from the registry, one pass
// per category, recording each key or value in the snapshot file before it goes, and
// deleting only the key or value the scan saw.
//
// A part of CRegistryLib (scan/RegistryLib.h), over the scanners whose problem list it
// reads.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/RegistryScanners.h"

namespace brindle {

class RepairEngine : public RegistryScanners {
public:
    // The ignore list is read from workFolder.
    RepairEngine(Machine& machine, const std::filesystem::path& workFolder);
    ~RepairEngine() override;

    // Removes every problem of the list whose key path is not empty, each by the pass of
    // its own category, appending what it deletes to the snapshot file first; writes each
    // pass's count into the summary rows titled like its category. The snapshot file is
    // deleted at the end.
    void FixProblems(std::vector<ScanSummary>& summaries, const std::string& snapshotFileName);
    // A problem the last repair left in place because the registry could not be asked
    // for exactly the key or value the scan saw (see registry/RegistryAddress.h).
    struct UnrepairedProblem {
        std::size_t index;  // in problems()
        std::string reason;
    };
    const std::vector<UnrepairedProblem>& unrepaired() const { return m_unrepaired; }
    void noteUnrepaired(std::size_t index, std::string reason) { m_unrepaired.push_back({index, std::move(reason)}); }
    void FixClsid(std::vector<ScanSummary>& summaries);
    void FixHelpFiles(std::vector<ScanSummary>& summaries);
    void FixFonts(std::vector<ScanSummary>& summaries);
    void FixSharedTools(std::vector<ScanSummary>& summaries);
    void FixSharedFiles(std::vector<ScanSummary>& summaries);
    void FixDrivers(std::vector<ScanSummary>& summaries);
    void FixAppPaths(std::vector<ScanSummary>& summaries);
    void FixStartup(std::vector<ScanSummary>& summaries);
    void FixUninstall(std::vector<ScanSummary>& summaries);

private:
    std::vector<UnrepairedProblem> m_unrepaired;
};

}  // namespace brindle
