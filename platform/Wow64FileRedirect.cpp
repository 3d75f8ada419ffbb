#include "platform/Wow64FileRedirect.h"

#include <array>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/WindowsPath.h"

namespace brindle {

namespace {

// The folders below system32 that 32-bit programs share with 64-bit ones, each as its
// segments; a path in one of them, or the folder itself, is not redirected.
const std::array<std::vector<std::string_view>, 6> kSharedFolders = {{
    {"catroot"},
    {"catroot2"},
    {"driversstore"},
    {"drivers", "etc"},
    {"logfiles"},
    {"spool"},
}};

bool IsShared(const std::vector<std::string>& segments, std::size_t below) {
    for (const auto& shared : kSharedFolders) {
        if (segments.size() - below < shared.size()) continue;
        bool match = true;
        for (std::size_t i = 0; i < shared.size() && match; ++i) match = EqualsIgnoreAsciiCase(segments[below + i], shared[i]);
        if (match) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> Wow64RedirectedPath(std::string_view path, std::string_view windowsDirectory,
                                               std::string_view currentDirectory) {
    auto parsed = ParseWindowsPath(path, currentDirectory);
    const auto windows = ParseWindowsPath(windowsDirectory);
    if (!parsed || !windows || parsed->drive != windows->drive) return std::nullopt;
    const std::size_t depth = windows->segments.size();
    if (parsed->segments.size() <= depth) return std::nullopt;
    for (std::size_t i = 0; i < depth; ++i) {
        if (!EqualsIgnoreAsciiCase(parsed->segments[i], windows->segments[i])) return std::nullopt;
    }
    std::string& folder = parsed->segments[depth];
    if (EqualsIgnoreAsciiCase(folder, "sysnative")) {
        // Wine finds what lies below it, but not the folder itself.
        if (parsed->segments.size() == depth + 1) return std::nullopt;
        folder = "system32";
    } else if (EqualsIgnoreAsciiCase(folder, "system32") && !IsShared(parsed->segments, depth + 1)) {
        folder = "syswow64";
    } else {
        return std::nullopt;
    }
    std::string redirected = FormatWindowsPath(*parsed);
    if (parsed->wantsFolder) redirected += '\\';
    return redirected;
}

}  // namespace brindle
