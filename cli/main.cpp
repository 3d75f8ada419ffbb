// brindle-cli: Brindle's jobs for terminals and scripts.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/ScanCommand.h"
#include "platform/WinePrefixLocation.h"
#include "platform/WinePrefixMachine.h"

namespace {

constexpr const char* kDescription =
    "Brindle finds registry entries of a Wine prefix that name files which no longer exist.\n\n"
    "The prefix is --prefix DIR, else $WINEPREFIX, else ~/.wine.\n"
    "Exit status: 0 nothing found, 1 problems found, 2 error.";

}  // namespace

int main(int argc, char** argv) {
    using namespace brindle;

    CLI::App app{kDescription, "brindle-cli"};
    app.require_subcommand(1);
    std::optional<std::string> prefixOption;
    app.add_option("--prefix", prefixOption, "the Wine prefix to work on")->type_name("DIR");

    cli::ScanOptions scanOptions;
    CLI::App* scan = app.add_subcommand(
        "scan", "List registry entries whose files are missing, per category, with a summary table.");
    scan->add_option("--categories", scanOptions.categories,
                     "comma-separated categories to scan (default: all): COM, COM_SUBS, DRV, HELP, APPPATH, "
                     "SHARED_TOOLS, FONTS, STARTUP, UNINSTALL, SHORTCUTS")
        ->delimiter(',')
        ->type_name("LIST");
    scan->add_flag("--json", scanOptions.json, "print one JSON object instead of the table");

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
        const auto location = LocateWinePrefix(prefixOption);
        if (const auto* error = std::get_if<std::string>(&location)) {
            std::cerr << "brindle-cli: " << *error << "\n";
            return 2;
        }
        const auto& prefix = std::get<PrefixChoice>(location);
        std::string error;
        auto machine = WinePrefixMachine::Open(prefix.path, error);
        if (!machine) {
            std::cerr << "brindle-cli: " << error << "\n";
            return 2;
        }
        if (*scan) return cli::RunScanCommand(*machine, prefix.path.string(), scanOptions, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "brindle-cli: " << e.what() << "\n";
        return 2;
    }
    return 2;
}
