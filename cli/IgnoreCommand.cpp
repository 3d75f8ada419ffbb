#include "cli/IgnoreCommand.h"

#include <algorithm>
#include <filesystem>

#include "cli/ScanReport.h"
#include "scan/RegistryLib.h"

namespace brindle::cli {

namespace {

int Save(CRegistryLib& lib, std::ostream& err) {
    if (lib.SaveIgnoreList() == 0) return 0;
    err << "brindle-cli: cannot write " << (std::filesystem::current_path() / kIgnoreListFile).string()
        << "; it was left as it was\n";
    return 2;
}

}  // namespace

int RunIgnoreCommand(Machine& machine, const IgnoreOptions& options, std::ostream& out, std::ostream& err) {
    CRegistryLib lib(machine);
    auto& list = lib.ignoreList();
    const CodePage& codePage = machine.codePage();
    const std::string path = Utf8ToAnsi(codePage, options.path);
    auto names = [&](const std::unique_ptr<ProblemRecord>& entry) { return entry && entry->filePath() == path; };

    switch (options.action) {
    case IgnoreAction::List:
        for (const auto& entry : list) {
            if (entry) out << AnsiToUtf8(codePage, entry->filePath()) << "\n";
        }
        return 0;
    case IgnoreAction::Add: {
        if (path.empty() || path.find_first_of("\r\n") != std::string::npos) {
            err << "brindle-cli: an ignored path must be one non-empty line\n";
            return 2;
        }
        if (std::any_of(list.begin(), list.end(), names)) {
            out << options.path << " is already on the ignore list\n";
            return 0;
        }
        auto entry = std::make_unique<ProblemRecord>();
        entry->setFilePath(path);
        list.push_back(std::move(entry));
        return Save(lib, err);
    }
    case IgnoreAction::Remove: {
        const auto removed = std::remove_if(list.begin(), list.end(), names);
        if (removed == list.end()) {
            err << "brindle-cli: " << options.path << " is not on the ignore list\n";
            return 2;
        }
        list.erase(removed, list.end());
        return Save(lib, err);
    }
    }
    return 2;
}

}  // namespace brindle::cli
