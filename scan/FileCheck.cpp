#include "scan/FileCheck.h"

#include <algorithm>
#include <vector>

#include "scan/PathRules.h"

namespace brindle {

PathProbe CombineProbes(PathProbe first, PathProbe second) {
    if (first == PathProbe::Exists || second == PathProbe::Exists) return PathProbe::Exists;
    if (first == PathProbe::Unknown || second == PathProbe::Unknown) return PathProbe::Unknown;
    return PathProbe::Missing;
}

std::vector<std::string> ProgramSearchFolders(Machine& machine) {
    std::vector<std::string> folders{WindowsDirectory(machine), SystemDirectory(machine)};

    std::vector<char> expanded(1024);
    win::DWORD needed = machine.ExpandEnvironmentStringsA("%PATH%", expanded.data(), static_cast<win::DWORD>(expanded.size()));
    if (needed > expanded.size()) {
        expanded.resize(needed);
        needed = machine.ExpandEnvironmentStringsA("%PATH%", expanded.data(), static_cast<win::DWORD>(expanded.size()));
    }
    if (needed == 0 || needed > expanded.size()) return folders;
    const std::string path(expanded.data());
    // An unset PATH comes back as written.
    if (path == "%PATH%") return folders;

    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(';', start), path.size());
        std::string folder = path.substr(start, end - start);
        QuoteTrim(folder);
        if (!folder.empty()) folders.push_back(std::move(folder));
        start = end + 1;
    }
    return folders;
}

PathProbe ProbeProgramOnSearchPath(Machine& machine, std::string_view name) {
    PathProbe verdict = PathProbe::Missing;
    for (const auto& folder : ProgramSearchFolders(machine)) {
        verdict = CombineProbes(verdict, machine.files().ProbePath(JoinFolderAndName(folder, name).c_str()));
        if (verdict == PathProbe::Exists) break;
    }
    return verdict;
}

}  // namespace brindle
