// brindle-cli: Brindle's jobs for terminals and scripts.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>

#include "app/workflow/EarlierDataNotice.h"
#include "app/workflow/WriterLocks.h"
#include "cli/BackupsCommand.h"
#include "cli/FixCommand.h"
#include "cli/IgnoreCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/ScanCommand.h"
#include "platform/DataFolder.h"
#include "platform/ExclusiveLock.h"
#include "platform/RunningProcess.h"
#include "platform/WinePrefixLocation.h"
#include "platform/WinePrefixMachine.h"

namespace {

constexpr const char* kDescription =
    "Brindle finds registry entries of a Wine prefix that name files which no longer exist, and removes them "
    "after taking a backup.\n\n"
    "The prefix is --prefix DIR, else $WINEPREFIX, else ~/.wine. The ignore list (ignore.lst), the backups "
    "(Registry Backups/) and the snapshot a repair writes while it runs are kept in the prefix's own data folder, "
    "$XDG_DATA_HOME/brindle/prefixes/<name>-<hash>/ (~/.local/share when XDG_DATA_HOME is not set), or in the "
    "folder --work-dir names.\n"
    "Exit status: 0 nothing found or done, 1 problems found (scan), 2 error or refused.";

void AddCategoriesOption(CLI::App* command, std::vector<std::string>& categories, const char* verb) {
    command
        ->add_option("--categories", categories,
                     std::string("comma-separated categories to ") + verb +
                         " (default: all): COM, COM_SUBS, DRV, HELP, APPPATH, SHARED_TOOLS, FONTS, STARTUP, "
                         "UNINSTALL, SHORTCUTS")
        ->delimiter(',')
        ->type_name("LIST");
}

int Refuse(const brindle::Error& error) {
    std::cerr << "brindle-cli: " << error.message() << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brindle;

    CLI::App app{kDescription, "brindle-cli"};
    app.require_subcommand(1);
    std::optional<std::string> prefixOption;
    app.add_option("--prefix", prefixOption, "the Wine prefix to work on")->type_name("DIR");
    std::optional<std::string> workDirOption;
    app.add_option("--work-dir", workDirOption,
                   "keep the ignore list, backups and snapshots in this folder instead of the prefix's data folder")
        ->type_name("DIR");

    cli::ScanOptions scanOptions;
    CLI::App* scan = app.add_subcommand(
        "scan", "List registry entries whose files are missing, per category, with a summary table.");
    AddCategoriesOption(scan, scanOptions.categories, "scan");
    scan->add_flag("--json", scanOptions.json, "print one JSON object instead of the table");

    cli::FixOptions fixOptions;
    CLI::App* fix = app.add_subcommand(
        "fix",
        "Scan, then remove what was found: entries whose file path equals a --keep value are kept and added to "
        "the ignore list; the rest is backed up to 'Registry Backups', removed, and the registry written back. "
        "Asks first on a terminal; elsewhere needs --yes.");
    AddCategoriesOption(fix, fixOptions.categories, "scan and fix");
    fix->add_option("--keep", fixOptions.keep, "a file path, as the scan lists it, to keep (repeatable)")
        ->type_name("FILE");
    fix->add_flag("--yes,-y", fixOptions.yes, "do not ask before removing");
    fix->add_flag("--json", fixOptions.json, "print one JSON object, with the fixed counts, instead of the table");

    cli::RestoreOptions restoreOptions;
    CLI::App* restore = app.add_subcommand(
        "restore", "Write the newest registry backup (--latest) or a snapshot file (--snapshot FILE) back.");
    restore->add_flag("--latest", restoreOptions.latest, "the newest file in 'Registry Backups'");
    restore->add_option("--snapshot", restoreOptions.snapshot, "a snapshot file written by a repair")
        ->type_name("FILE");

    cli::IgnoreOptions ignoreOptions;
    CLI::App* ignore = app.add_subcommand("ignore", "Show or change the ignore list (ignore.lst).");
    ignore->require_subcommand(1);
    CLI::App* ignoreList = ignore->add_subcommand("list", "print the ignored file paths, one per line");
    CLI::App* ignoreAdd = ignore->add_subcommand("add", "ignore a file path from now on");
    ignoreAdd->add_option("PATH", ignoreOptions.path, "the file path, as the scan lists it")->required();
    CLI::App* ignoreRemove = ignore->add_subcommand("remove", "stop ignoring a file path");
    ignoreRemove->add_option("PATH", ignoreOptions.path, "the file path, as listed")->required();

    CLI::App* backups = app.add_subcommand("backups", "List the registry backups of the prefix, newest first.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "brindle-cli: " << e.what() << " (see brindle-cli --help)\n";
        return 2;
    }

    try {
        // With a folder named, the backups are listed without a prefix to find them by.
        if (*backups && workDirOption) {
            const auto folder = OpenDataFolder(workDirOption, {});
            if (!folder) return Refuse(folder.error());
            return cli::RunBackupsCommand(folder.value().path, std::cout);
        }
        const auto location = LocateWinePrefix(prefixOption);
        if (!location) return Refuse(location.error());
        const PrefixChoice& prefix = location.value();
        const auto openedFolder = OpenDataFolder(workDirOption, prefix.path);
        if (!openedFolder) return Refuse(openedFolder.error());
        const DataFolder& data = openedFolder.value();
        if (const std::string notice = EarlierDataNotice(data, CurrentFolder()); !notice.empty())
            std::cerr << "brindle-cli: note: " << notice << "\n";
        if (*backups) return cli::RunBackupsCommand(data.path, std::cout);

        // One writer at a time, from the read the command acts on to its save: the
        // prefix's registry, and the data folder's ignore list, snapshot and backups.
        WriterLocks locks;
        if (*fix || *restore || *ignoreAdd || *ignoreRemove) {
            auto taken = TakeWriterLocks(prefix.path / kPrefixLockFile, data.path);
            if (!taken) return Refuse(taken.error());
            locks = std::move(taken).value();
        }
        auto opened = WinePrefixMachine::Open(prefix.path);
        if (!opened) return Refuse(opened.error());
        const std::unique_ptr<WinePrefixMachine> machine = std::move(opened).value();
        if (*scan) return cli::RunScanCommand(*machine, data.path, prefix.path.string(), scanOptions, std::cout, std::cerr);
        if (*fix) {
            const cli::Confirmation confirmation{IsTerminal(StandardStream::Input), &std::cin};
            return cli::RunFixCommand(*machine, data.path, prefix.path.string(), fixOptions, confirmation, std::cout, std::cerr);
        }
        if (*restore) return cli::RunRestoreCommand(*machine, data.path, restoreOptions, std::cout, std::cerr);
        if (*ignore) {
            if (*ignoreAdd) ignoreOptions.action = cli::IgnoreAction::Add;
            if (*ignoreRemove) ignoreOptions.action = cli::IgnoreAction::Remove;
            if (*ignoreList) ignoreOptions.action = cli::IgnoreAction::List;
            return cli::RunIgnoreCommand(*machine, data.path, ignoreOptions, std::cout, std::cerr);
        }
    } catch (const std::exception& e) {
        std::cerr << "brindle-cli: " << e.what() << "\n";
        return 2;
    }
    return 2;
}
