#include "platform/WindowsPath.h"

namespace brindle {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperDrive(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasDrivePrefix(std::string_view text) { return text.size() >= 2 && text[1] == ':'; }

// Characters Win32 refuses in a name (ERROR_INVALID_NAME). Refusing them here keeps a
// wildcard such as "C:\Temp\*.tmp" from matching a host file of that literal name.
bool HasReservedCharacter(std::string_view segment) {
    for (char c : segment) {
        if (static_cast<unsigned char>(c) < 0x20) return true;
        switch (c) {
            case '<': case '>': case ':': case '"': case '|': case '?': case '*': return true;
            default: break;
        }
    }
    return false;
}

// Win32 reads "name " and "name." as "name" at the end of a path: the file system can
// never hold such names, so programs that wrote them into the registry still work.
std::string_view TrimBlanksAndDots(std::string_view segment) {
    while (!segment.empty() && (segment.back() == ' ' || segment.back() == '.')) segment.remove_suffix(1);
    return segment;
}

// Applies the separated segments of text to result.segments, the way Win32 collapses
// a full path before it opens anything. False when a segment is not a valid name.
bool AppendSegments(std::string_view text, WindowsPath& result) {
    const bool endsInSeparator = !text.empty() && IsSeparator(text.back());
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsSeparator(text[pos])) ++pos;
        std::size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        if (end == pos) break;
        std::string_view segment = text.substr(pos, end - pos);
        if (HasReservedCharacter(segment)) return false;
        const bool isLast = end == text.size();
        pos = end;

        if (segment == ".") continue;
        if (segment == "..") {
            if (!result.segments.empty()) result.segments.pop_back();
            continue;
        }
        if (isLast) {
            segment = TrimBlanksAndDots(segment);
            if (segment.empty()) {
                // "C:\a\ ." collapses to "C:\a\": what remains names a folder.
                result.wantsFolder = true;
                continue;
            }
        } else if (segment.back() == '.') {
            // Win32 drops one trailing dot of a segment followed by a separator.
            segment.remove_suffix(1);
        }
        result.segments.emplace_back(segment);
    }
    if (endsInSeparator) result.wantsFolder = true;
    return true;
}

}  // namespace

std::optional<WindowsPath> ParseWindowsPath(std::string_view path, std::string_view currentDirectory) {
    // A C string ends at its NUL, and so does a path handed to Win32.
    path = path.substr(0, path.find('\0'));
    if (path.empty()) return std::nullopt;
    // Two leading separators open a UNC or device path, which has no drive to map.
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return std::nullopt;

    WindowsPath result;
    if (HasDrivePrefix(path)) {
        if (!IsDriveLetter(path[0])) return std::nullopt;
        result.drive = UpperDrive(path[0]);
        // "X:rest" would be relative to a per-drive current directory that we do not
        // keep; we read it from the drive's root.
        if (!AppendSegments(path.substr(2), result)) return std::nullopt;
        return result;
    }

    if (IsSeparator(path[0])) {
        result.drive = kRootRelativeDrive;
        if (!AppendSegments(path, result)) return std::nullopt;
        return result;
    }

    // Only an absolute current directory can anchor the path; refusing anything else
    // also stops the parse below from recursing.
    if (!HasDrivePrefix(currentDirectory)) return std::nullopt;
    auto anchor = ParseWindowsPath(currentDirectory);
    if (!anchor) return std::nullopt;
    result.drive = anchor->drive;
    result.segments = std::move(anchor->segments);
    if (!AppendSegments(path, result)) return std::nullopt;
    return result;
}

std::string FormatWindowsPath(const WindowsPath& path) {
    std::string text;
    if (path.drive != 0) {
        text += path.drive;
        text += ':';
    }
    text += '\\';
    for (std::size_t i = 0; i < path.segments.size(); ++i) {
        if (i > 0) text += '\\';
        text += path.segments[i];
    }
    return text;
}

}  // namespace brindle
