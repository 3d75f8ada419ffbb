#include "platform/WinePrefixLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace brindle {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFromOption = "--prefix";
constexpr const char* kFromEnvironment = "$WINEPREFIX";
constexpr const char* kFromDefault = "the default ~/.wine";

// Absolute and free of links where the path exists, so that messages and later
// comparisons name the real folder; falls back to the lexical form.
fs::path Canonical(const fs::path& path) {
    std::error_code error;
    fs::path result = fs::weakly_canonical(path, error);
    if (!error) return result;
    result = fs::absolute(path, error);
    return error ? path.lexically_normal() : result.lexically_normal();
}

std::string Where(const fs::path& path, const std::string& source) {
    return path.string() + " (from " + source + ")";
}

// Empty when the folder is a prefix; otherwise what is wrong with it.
std::string CheckPrefix(const fs::path& path, const std::string& source) {
    std::error_code error;
    const fs::file_status folder = fs::status(path, error);
    if (folder.type() == fs::file_type::not_found)
        return "no Wine prefix at " + Where(path, source) + ": the folder does not exist";
    if (error) return "no Wine prefix at " + Where(path, source) + ": " + error.message();
    if (folder.type() != fs::file_type::directory)
        return "no Wine prefix at " + Where(path, source) + ": it is not a folder";

    const fs::file_status machine = fs::status(path / "system.reg", error);
    if (machine.type() == fs::file_type::not_found)
        return Where(path, source) + " is not a Wine prefix: system.reg is missing";
    if (error) return Where(path, source) + " is not a Wine prefix: system.reg: " + error.message();
    if (machine.type() != fs::file_type::regular)
        return Where(path, source) + " is not a Wine prefix: system.reg is not a file";
    return {};
}

Result<PrefixChoice> Check(const fs::path& path, const std::string& source) {
    PrefixChoice choice{Canonical(path), source};
    if (std::string problem = CheckPrefix(choice.path, source); !problem.empty()) return Error(problem);
    return choice;
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
    return [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    };
}

Result<PrefixChoice> LocateWinePrefix(std::optional<std::string> option, const EnvironmentLookup& env) {
    if (option) {
        if (option->empty()) return Error("--prefix names no folder: the value is empty");
        return Check(*option, kFromOption);
    }
    if (auto prefix = env("WINEPREFIX")) {
        if (prefix->empty()) return Error("$WINEPREFIX is set but empty; Wine would refuse it too");
        if ((*prefix)[0] != '/')
            return Error("no Wine prefix at " + *prefix + " (from " + kFromEnvironment +
                         "): not an absolute path, which Wine requires");
        return Check(*prefix, kFromEnvironment);
    }
    const auto home = HomeFolder(env);
    if (!home)
        return Error("no Wine prefix: --prefix and $WINEPREFIX are not set and the home folder is unknown");
    return Check(fs::path(*home) / ".wine", kFromDefault);
}

std::optional<std::string> HomeFolder(const EnvironmentLookup& env) {
    if (auto home = env("HOME"); home && !home->empty()) return home;
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir && account->pw_dir[0] != '\0')
        return std::string(account->pw_dir);
    return std::nullopt;
}

}  // namespace brindle
