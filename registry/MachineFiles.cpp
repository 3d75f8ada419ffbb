#include "registry/MachineFiles.h"

#include <filesystem>
#include <system_error>
#include <variant>

#include "platform/RegularFile.h"
#include "platform/Unicode.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// A file's folder as a real host path, and the file's name in it.
struct HostPlace {
    fs::path folder;
    std::string name;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsWithin(const fs::path& path, const fs::path& folder) {
    const std::string& inner = path.native();
    const std::string& outer = folder.native();
    return inner == outer || (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
                              (outer.back() == '/' || inner[outer.size()] == '/'));
}

// The real host folder of the Windows folder `windowsFolder` ("C:" or "C:\a\b"), when it
// exists on a fixed drive and lies inside that drive's folder; else why not.
std::variant<fs::path, std::string> RealFolderOnFixedDrive(Machine& machine, const std::string& windowsFolder,
                                                           const std::string& windowsPath) {
    FileSystem& files = machine.files();
    if (windowsFolder.size() < 2 || windowsFolder[1] != ':') return windowsPath + ": not a path on a drive";
    const std::string root = windowsFolder.substr(0, 2) + "\\";
    if (files.GetDriveTypeA(root.c_str()) != win::DRIVE_FIXED) return windowsPath + ": not on a fixed drive";
    const auto driveFolder = files.resolve(root);
    const auto folder = files.resolve(windowsFolder + "\\");
    if (!driveFolder || !folder) return windowsPath + ": its folder " + windowsFolder + "\\ does not exist";
    std::error_code error;
    const fs::path realDrive = fs::canonical(*driveFolder, error);
    if (error) {
        return windowsPath + ": cannot look at the drive's folder " + driveFolder->string() + ": " + error.message();
    }
    fs::path realFolder = fs::canonical(*folder, error);
    if (error) return windowsPath + ": cannot look at its folder " + folder->string() + ": " + error.message();
    if (!IsWithin(realFolder, realDrive)) {
        return windowsPath + ": its folder leads out of the drive, to " + realFolder.string() + "; left alone";
    }
    return realFolder;
}

std::string FolderPart(const std::string& windowsPath, std::size_t split) {
    return split == std::string::npos ? std::string() : windowsPath.substr(0, split);
}

}  // namespace

MachineFileRead ReadMachineFile(Machine& machine, const std::string& windowsPath, std::uint64_t limit) {
    MachineFileRead result;
    // The name as the file system spells it: the platform matches names in any letter case.
    const auto hostPath = machine.files().resolve(windowsPath);
    if (!hostPath) {
        result.error = windowsPath + ": the file is not there";
        return result;
    }
    const std::size_t split = windowsPath.find_last_of("\\/");
    auto folder = RealFolderOnFixedDrive(machine, FolderPart(windowsPath, split), windowsPath);
    if (const auto* error = std::get_if<std::string>(&folder)) {
        result.error = *error;
        return result;
    }
    const fs::path path = std::get<fs::path>(folder) / hostPath->filename();
    RegularFileRead read = ReadRegularFile(path, limit, FinalLink::Refuse);
    using Status = RegularFileRead::Status;
    switch (read.status) {
    case Status::Read: break;
    case Status::FinalLink: result.error = windowsPath + ": is a symbolic link; left alone"; return result;
    case Status::NotRegular: result.error = windowsPath + ": is not a file"; return result;
    case Status::TooLarge:
        result.error = windowsPath + ": has " + std::to_string(read.size) + " bytes, more than the " +
                       std::to_string(limit) + " a backup takes of one file";
        return result;
    case Status::Missing:
    case Status::NotPrivate:  // not asked for here
    case Status::Failed: result.error = windowsPath + ": " + read.error; return result;
    }
    result.bytes = std::move(read.bytes);
    result.attributes = read.readOnly ? win::FILE_ATTRIBUTE_ARCHIVE | win::FILE_ATTRIBUTE_READONLY
                                      : win::FILE_ATTRIBUTE_ARCHIVE;
    return result;
}

ExclusiveCreateResult CreateMachineFile(Machine& machine, const std::string& windowsPath, std::string_view content) {
    using Status = ExclusiveCreateResult::Status;
    const std::size_t split = windowsPath.find_last_of("\\/");
    if (split == std::string::npos || split + 1 == windowsPath.size() || IsSeparator(windowsPath.back())) {
        return {Status::Failed, windowsPath + ": not the path of a file"};
    }
    // Windows finds "X.LNK" when asked for "x.lnk": that is something there too.
    switch (machine.files().ProbePath(windowsPath.c_str())) {
    case PathProbe::Missing: break;
    case PathProbe::Exists: return {Status::NameTaken, windowsPath + ": something is there now"};
    case PathProbe::Unknown: return {Status::Failed, windowsPath + ": cannot tell whether something is there now"};
    }
    auto folder = RealFolderOnFixedDrive(machine, FolderPart(windowsPath, split), windowsPath);
    if (const auto* error = std::get_if<std::string>(&folder)) return {Status::Failed, *error};
    const std::string name = Utf16ToUtf8(machine.codePage().toUtf16(windowsPath.substr(split + 1)));
    ExclusiveCreateResult created = CreateFileExclusively(std::get<fs::path>(folder) / name, content);
    if (created.status == Status::NameTaken) created.error = windowsPath + ": something is there now";
    return created;
}

}  // namespace brindle
