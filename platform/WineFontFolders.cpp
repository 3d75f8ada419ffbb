#include "platform/WineFontFolders.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace brindle {

namespace fs = std::filesystem;

namespace {

const fs::path kFontsBelowPrefix = fs::path("share") / "wine" / "fonts";

void AddIfFolder(const fs::path& folder, std::vector<fs::path>& folders) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return;
    const fs::path canonical = fs::canonical(folder, error);
    if (error) return;
    if (std::find(folders.begin(), folders.end(), canonical) == folders.end()) folders.push_back(canonical);
}

// An installation's prefix is the folder above its bin/. A packaged `wine` is often a
// link (Debian: /usr/bin/wine -> /etc/alternatives/wine -> /usr/bin/wine-stable), so the
// link's own folder and its target's folder both count.
void AddInstallationOf(const fs::path& program, std::vector<fs::path>& folders) {
    if (::access(program.c_str(), X_OK) != 0) return;
    AddIfFolder(program.parent_path().parent_path() / kFontsBelowPrefix, folders);
    std::error_code error;
    const fs::path target = fs::canonical(program, error);
    if (!error) AddIfFolder(target.parent_path().parent_path() / kFontsBelowPrefix, folders);
}

}  // namespace

std::vector<fs::path> FindWineFontFolders(std::string_view searchPath) {
    std::vector<fs::path> folders;
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        const std::size_t end = std::min(searchPath.find(':', start), searchPath.size());
        const std::string_view entry = searchPath.substr(start, end - start);
        // An empty entry is the current folder to a shell; an installation is not
        // looked for there.
        if (!entry.empty() && entry.front() == '/') {
            for (const char* name : {"wine", "wine64"}) AddInstallationOf(fs::path(entry) / name, folders);
        }
        start = end + 1;
    }

    AddIfFolder(fs::path("/usr") / kFontsBelowPrefix, folders);
    AddIfFolder(fs::path("/usr/local") / kFontsBelowPrefix, folders);
    std::error_code error;
    std::vector<fs::path> optFolders;
    for (fs::directory_iterator it("/opt", error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().rfind("wine", 0) == 0) optFolders.push_back(it->path() / kFontsBelowPrefix);
    }
    std::sort(optFolders.begin(), optFolders.end());
    for (const auto& folder : optFolders) AddIfFolder(folder, folders);
    return folders;
}

}  // namespace brindle
