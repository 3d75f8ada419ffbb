// Which Wine prefix to open: the folder named on the command line (--prefix), else
// $WINEPREFIX, else ~/.wine ($HOME, else the home folder of the user's account), the
// order Wine itself follows after the option.
//
// A folder is a prefix when it holds system.reg. user.reg and userdef.reg may be
// missing (a prefix that was never used by a logged-in user, or one cut down by hand):
// their branches are then treated as empty and are not created; this function only
// reports what exists.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Result.h"

namespace brindle {

// Looks up a variable of the host process's environment; nothing when it is unset.
// Injected so that tests never touch the real environment.
using EnvironmentLookup = std::function<std::optional<std::string>(const char*)>;

// The real environment, through getenv.
EnvironmentLookup ProcessEnvironment();

// $HOME, else the home folder of the user's account; nothing when neither is known.
std::optional<std::string> HomeFolder(const EnvironmentLookup& env = ProcessEnvironment());

struct PrefixChoice {
    std::filesystem::path path;  // absolute, with links and "." / ".." resolved
    std::string source;          // "--prefix", "$WINEPREFIX" or "the default ~/.wine"
};

// The chosen prefix, or a message that names the folder, where the name came from and
// what is wrong, e.g. "no Wine prefix at /x (from --prefix): the folder does not exist".
// As in Wine, $WINEPREFIX must be an absolute path when set; --prefix may be relative
// to the current directory.
Result<PrefixChoice> LocateWinePrefix(std::optional<std::string> option,
                                      const EnvironmentLookup& env = ProcessEnvironment());

}  // namespace brindle
