#include "platform/HostToWindowsPath.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>

namespace brindle {

namespace fs = std::filesystem;

namespace {

// The path's segments, without the empty one a trailing separator leaves.
std::vector<fs::path> Segments(const fs::path& path) {
    std::vector<fs::path> segments;
    for (const fs::path& segment : path)
        if (!segment.empty()) segments.push_back(segment);
    return segments;
}

bool IsRemovableMedia(WineDriveType type) {
    return type == WineDriveType::Removable || type == WineDriveType::CdRom;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Why Windows cannot use the segment as a name; empty when it can.
std::string WhyNotAWindowsName(const std::string& name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) return "it holds a control character (code " + std::to_string(byte) + ")";
        if (c == '\\') return "it holds a backslash, which Windows reads as a separator";
        if (std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
            return std::string("it holds the character ") + c + ", which Windows forbids in names";
    }
    if (name.back() == '.' || name.back() == ' ')
        return "it ends in a " + std::string(name.back() == '.' ? "dot" : "space") +
               ", which Windows drops from names";
    // A device name stays a device whatever extension follows it.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool numbered = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
                          stem[3] >= '1' && stem[3] <= '9';
    if (numbered || stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return "Windows reserves " + stem + " for a device";
    return {};
}

}  // namespace

Result<std::string> WindowsPathOfHostFile(const std::vector<WineDrive>& drives, const fs::path& hostFile) {
    std::error_code error;
    const fs::path file = fs::canonical(hostFile, error);
    if (error) return Error::In(hostFile.string(), "cannot find the file to name it in Windows (" + error.message() + ")");
    const std::vector<fs::path> fileSegments = Segments(file);

    const WineDrive* chosen = nullptr;
    std::size_t chosenDepth = 0;
    for (const WineDrive& drive : drives) {
        if (drive.realPath.empty()) continue;
        const std::vector<fs::path> driveSegments = Segments(drive.realPath.lexically_normal());
        if (driveSegments.size() > fileSegments.size() ||
            !std::equal(driveSegments.begin(), driveSegments.end(), fileSegments.begin()))
            continue;
        const std::size_t depth = driveSegments.size();
        const bool better =
            !chosen || depth > chosenDepth ||
            (depth == chosenDepth && (IsRemovableMedia(chosen->type) != IsRemovableMedia(drive.type)
                                          ? IsRemovableMedia(chosen->type)
                                          : drive.letter < chosen->letter));
        if (better) {
            chosen = &drive;
            chosenDepth = depth;
        }
    }
    if (!chosen) {
        std::string letters;
        for (const WineDrive& drive : drives)
            if (!drive.realPath.empty()) letters += (letters.empty() ? "" : ", ") + std::string(1, drive.letter) + ":";
        return Error::In(file.string(), "no drive of the prefix leads to it (the drives that lead anywhere: " +
                                            (letters.empty() ? std::string("none") : letters) + ")");
    }

    std::string windowsPath = std::string(1, chosen->letter) + ":";
    for (std::size_t i = chosenDepth; i < fileSegments.size(); ++i) {
        const std::string name = fileSegments[i].string();
        const std::string why = WhyNotAWindowsName(name);
        if (!why.empty())
            return Error::In(file.string(), "drive " + std::string(1, chosen->letter) + ": reaches it, but its part " +
                                                Quoted(name) + " is no Windows name: " + why);
        windowsPath += "\\" + name;
    }
    // The root of a drive keeps its separator, as Windows writes it.
    if (chosenDepth == fileSegments.size()) windowsPath += "\\";
    return windowsPath;
}

}  // namespace brindle
