#include "cli/IgnoreCommand.h"

#include <filesystem>

#include "app/workflow/IgnoreListEditing.h"
#include "cli/ScanReport.h"

namespace brindle::cli {

int RunIgnoreCommand(Machine& machine, const std::filesystem::path& workFolder, const IgnoreOptions& options,
                     std::ostream& out, std::ostream& err) {
    IgnoreListEditing list(workFolder);
    if (!list.error().empty()) {
        err << "brindle-cli: " << list.error() << "\n";
        return 2;
    }
    const CodePage& codePage = machine.codePage();
    IgnoreEdit edit;
    switch (options.action) {
    case IgnoreAction::List:
        for (const std::string& path : list.entries()) out << AnsiToUtf8(codePage, path) << "\n";
        return 0;
    case IgnoreAction::Add:
        edit = list.add(Utf8ToAnsi(codePage, options.path));
        if (edit.outcome == IgnoreEdit::Outcome::Unchanged) out << options.path << " is already on the ignore list\n";
        break;
    case IgnoreAction::Remove:
        edit = list.remove(Utf8ToAnsi(codePage, options.path));
        if (edit.outcome == IgnoreEdit::Outcome::NotListed) edit.error = options.path + " is not on the ignore list";
        break;
    }
    if (edit.outcome == IgnoreEdit::Outcome::Changed || edit.outcome == IgnoreEdit::Outcome::Unchanged) return 0;
    err << "brindle-cli: " << edit.error << "\n";
    return 2;
}

}  // namespace brindle::cli
