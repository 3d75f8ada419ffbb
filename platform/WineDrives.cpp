#include "platform/WineDrives.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>

#include "platform/WinTypes.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<WineDriveType> ConfiguredType(char letter, const std::map<char, std::string>& typeSettings) {
    auto it = typeSettings.find(letter);
    if (it == typeSettings.end()) it = typeSettings.find(static_cast<char>(std::tolower(letter)));
    if (it == typeSettings.end()) return std::nullopt;
    const std::string setting = Lowered(it->second);
    if (setting == "hd") return WineDriveType::Fixed;
    if (setting == "floppy") return WineDriveType::Removable;
    if (setting == "cdrom") return WineDriveType::CdRom;
    if (setting == "network") return WineDriveType::Remote;
    if (setting == "ramdisk") return WineDriveType::RamDisk;
    return WineDriveType::Unknown;
}

// Component by component, so that /p/.wine2 is not taken to be inside /p/.wine.
bool IsWithin(const fs::path& path, const fs::path& folder) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

WineDriveType DriveType(const WineDrive& drive, const std::map<char, std::string>& typeSettings) {
    const bool dangling = drive.realPath.empty();
    std::optional<WineDriveType> type = ConfiguredType(drive.letter, typeSettings);
    if (!type) {
        if (drive.letter == 'A' || drive.letter == 'B') type = WineDriveType::Removable;
        else if (dangling) type = WineDriveType::Unknown;
        else type = drive.insidePrefix ? WineDriveType::Fixed : WineDriveType::Remote;
    }
    if (dangling && *type == WineDriveType::Fixed) return WineDriveType::Unknown;
    return *type;
}

}  // namespace

std::vector<WineDrive> ReadWineDrives(const fs::path& prefix, const std::map<char, std::string>& typeSettings) {
    std::error_code error;
    const fs::path absolutePrefix = fs::absolute(prefix, error);
    if (error) return {};
    const fs::path canonicalPrefix = fs::canonical(absolutePrefix, error);
    if (error) return {};
    const fs::path dosdevices = absolutePrefix / "dosdevices";

    std::vector<WineDrive> drives;
    fs::directory_iterator it(dosdevices, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != 2 || name[1] != ':' || name[0] < 'a' || name[0] > 'z') continue;

        WineDrive drive;
        drive.letter = static_cast<char>(name[0] - 'a' + 'A');
        std::error_code linkError;
        const fs::path linkText = fs::read_symlink(it->path(), linkError);
        drive.target = linkError ? it->path() : (dosdevices / linkText).lexically_normal();
        // The kernel's reading of the link, not ours: dosdevices may itself be a link.
        std::error_code realError;
        drive.realPath = fs::canonical(it->path(), realError);
        if (realError) drive.realPath.clear();
        drive.insidePrefix = !drive.realPath.empty() && IsWithin(drive.realPath, canonicalPrefix);
        drive.type = DriveType(drive, typeSettings);
        drives.push_back(std::move(drive));
    }
    std::sort(drives.begin(), drives.end(), [](const WineDrive& a, const WineDrive& b) { return a.letter < b.letter; });
    return drives;
}

Status CheckSystemDrive(const fs::path& prefix) {
    const fs::path link = prefix / "dosdevices" / "c:";
    const std::string refused = "the Wine prefix " + prefix.string() + " has no working C: drive: ";
    const std::string consequence = "; without it every file would look missing, so the prefix was not opened";
    std::error_code error;
    const fs::file_status own = fs::symlink_status(link, error);
    if (!fs::exists(own)) {
        if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory)
            return Error(refused + "cannot look at " + link.string() + ": " + error.message());
        return Error(refused + link.string() + " does not exist" + consequence);
    }
    // "…/c: leads to ../drive_c, which" or "…/c:": what the verdict is said of.
    std::string subject = link.string();
    if (fs::is_symlink(own)) {
        const fs::path text = fs::read_symlink(link, error);
        subject += error ? std::string(" is a link whose target") : " leads to " + text.string() + ", which";
    }
    const fs::file_status target = fs::status(link, error);
    if (!fs::exists(target)) {
        if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory)
            return Error(refused + "cannot look at " + link.string() + ": " + error.message());
        return Error(refused + subject + " does not exist" + consequence);
    }
    if (!fs::is_directory(target)) return Error(refused + subject + " is not a folder" + consequence);
    return {};
}

unsigned ToWin32DriveType(WineDriveType type) {
    switch (type) {
        case WineDriveType::Fixed: return win::DRIVE_FIXED;
        case WineDriveType::Removable: return win::DRIVE_REMOVABLE;
        case WineDriveType::Remote: return win::DRIVE_REMOTE;
        case WineDriveType::CdRom: return win::DRIVE_CDROM;
        case WineDriveType::RamDisk: return win::DRIVE_RAMDISK;
        case WineDriveType::Unknown: return win::DRIVE_UNKNOWN;
    }
    return win::DRIVE_UNKNOWN;
}

}  // namespace brindle
